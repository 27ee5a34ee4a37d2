#pragma once
// Writing whole files with every failure (missing rights, full disk)
// reported as a Status that names the file and the reason.
#include <sys/types.h>

#include <cstddef>
#include <string>

#include "base/status.h"

namespace kerfel {

// Creates or replaces the file in place.
Status WriteWholeFile(const std::string& path, const void* data, size_t size);

struct ReplaceOptions {
    // Flush the file and the folder's entry to disk before returning: for
    // files a crash must not take back (settings, archives), not for the
    // thousands of tiles of a job.
    bool durable = false;
    // Keep the mode of the file being replaced (a new file gets newFileMode);
    // otherwise the file gets what the user's umask allows, as a published
    // file should.
    bool keepMode = false;
    mode_t newFileMode = 0600;
};

// The one atomic replace: writes a hidden temporary beside `path` and renames
// it over `path` (a new file that needs neither option is written unnamed
// and linked when complete), so readers see the old file or the complete new
// one, never a part, and a killed writer leaves at worst a hidden temporary.
Status ReplaceFile(const std::string& path, const void* data, size_t size, const ReplaceOptions& options = {});

// For content too large to hold at once: an empty, private temporary beside
// `finalPath` (its path in `tempPath`) to be filled and then committed.
Status MakeHiddenTempFile(const std::string& finalPath, std::string& tempPath);
// Replaces `finalPath` by the filled temporary, durably and with the umask's
// mode; the temporary is removed when this fails.
Status CommitTempFile(const std::string& tempPath, const std::string& finalPath);

// The mode a plain open(..., 0666) gives: what the user's umask allows.
mode_t PublishedFileMode();

// write() until everything is written; false with errno set on failure.
bool WriteAll(int fd, const void* data, size_t size);

// Copies a regular file atomically (temporary name, then rename).
Status CopyFileAtomically(const std::string& from, const std::string& to);

// Gives the complete file `existing` the further name `path` (replacing what
// is there, never showing a part): a hard link, or a copy where the file
// system has none.
Status LinkAtomically(const std::string& existing, const std::string& path);

// "path: reason" for the current errno.
Status OutputError(const std::string& path, int err);

}  // namespace kerfel
