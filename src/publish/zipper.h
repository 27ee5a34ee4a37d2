#pragma once
// Writes one ZIP archive from files and folders on disk, with entry names
// relative to a root folder. The archive is built under a hidden temporary
// name beside the chosen one and only takes the chosen name once it is
// complete, so a failure never leaves a truncated archive there and an
// existing archive is only ever replaced by a complete one.
#include <minizip/zip.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "base/status.h"

// Destroying a zipper with an open archive completes it, unless something
// went wrong (LastError), in which case the unfinished archive is removed.
class CZipper {
public:
    CZipper();
    virtual ~CZipper();
    CZipper(const CZipper&) = delete;
    CZipper& operator=(const CZipper&) = delete;

    // Closes any open archive, then starts a new one for `archivePath`. The
    // root folder: none given means the archive's own folder; an empty one
    // keeps full paths (less the leading "/").
    bool OpenZip(const std::string& archivePath, const std::optional<std::string>& rootFolder = std::nullopt);
    // An entry for the folder, then everything below it, depth first. Names
    // beginning with a full stop are left out.
    bool AddFolderToZip(const std::string& folderPath);
    // One file as a compressed entry.
    bool AddFileToZip(const std::string& filePath);
    // Writes the archive's directory and gives the archive its chosen name.
    bool CloseZip();
    // Closes the archive and removes it: the chosen name is left untouched.
    void AbandonZip();

    // The first thing that went wrong since OpenZip (a file that could not be
    // read, the archive that could not be written, a cancel); Ok otherwise.
    const kerfel::Status& LastError() const { return m_status; }
    // Asked between entries and chunks; true stops the work.
    void SetCancelCheck(std::function<bool()> cancelled) { m_cancelled = std::move(cancelled); }

    bool IsOpen() const { return m_uzFile != nullptr; }
    const std::string& RootFolder() const { return m_szRootFolder; }
    std::uint64_t EntryCount() const { return m_nEntries; }
    // Folders not entered again because they were already being packed
    // (a symbolic link back up the tree), and special files left out.
    int SkippedCount() const { return m_nSkipped; }

    // A relative path is taken below the root folder; an absolute one as it is.
    std::string PrepareSourcePath(const std::string& path) const;
    // The local calendar time of a file's or folder's last change, in the
    // form the archive stores (month from 0, full year), limited to the
    // years the format can hold. False (and 1980-01-01) when it has none.
    static bool GetLastModified(const std::string& path, tm_zip& out);

private:
    using FileId = std::pair<dev_t, ino_t>;

    bool EntryNameUnderRoot(const std::string& path, std::string& name) const;
    bool AddFolder(const std::string& path, const std::string& name, std::set<FileId>& ancestors);
    bool AddFile(const std::string& path, const std::string& name);
    bool WriteFolderEntry(const std::string& name, const struct stat& st);
    bool CopyIntoEntry(int fd, const std::string& path, bool zip64);
    bool Fail(kerfel::Status status);
    bool Broken(const std::string& reason);
    bool Cancelled();
    bool Publish();

    zipFile m_uzFile = nullptr;
    std::string m_szRootFolder;  // ends with "/" unless empty
    std::string m_strArchive;    // the chosen name
    std::string m_strTemp;       // where the archive is built
    std::set<FileId> m_excluded; // the archive itself and the one it replaces
    std::uint64_t m_nEntries = 0;
    int m_nSkipped = 0;
    std::string m_strPackedTop;  // the folder AddFolderToZip packs, links resolved
    bool m_bBroken = false;      // the archive itself can no longer be completed
    kerfel::Status m_status;
    std::function<bool()> m_cancelled;
};

namespace kerfel {
// Completes the end of an archive of more than 65535 entries with the
// records that carry the real count, where the writer left only the
// 16-bit count. Archives that already have them are left alone.
Status AddZip64EndRecords(const std::string& archivePath, std::uint64_t entries);
}  // namespace kerfel
