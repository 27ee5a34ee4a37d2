#pragma once
// A ZIP archive of stored (not deflated) entries written front to back,
// never seeking, so it can go down a pipe as it is made. Each entry is whole
// before it is written, so its local header already carries its CRC-32 and
// size and no data descriptor follows it; ZIP64 records are added wherever a
// size, an offset or the count of entries needs them. All it keeps is the
// central directory, about 80 bytes an entry, written at the end.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "base/status.h"

namespace kerfel {

// From where on the 32-bit sizes and offsets and the 16-bit counts give way
// to ZIP64 records. Only tests lower them, to see those records in small
// archives.
struct ZipLimits {
    std::uint64_t bytes = 0xFFFFFFFFu;
    std::uint64_t entries = 0xFFFFu;
};

class StoredZipWriter {
public:
    // Writes to `fd`, which stays the caller's; every error names `name`.
    // Every entry carries the time `modified`.
    StoredZipWriter(int fd, std::string name, std::time_t modified, ZipLimits limits = {});

    // One file from memory; `entry` is its name in the archive ("a/b.jpg").
    Status AddFile(const std::string& entry, const void* data, std::size_t size);
    // One file read from disk, twice: once for its CRC, once to copy it.
    Status AddFileFrom(const std::string& entry, const std::string& path);
    // A folder; `entry` ends with "/".
    Status AddFolder(const std::string& entry);
    // The central directory and the end records. Nothing may be added after.
    Status Finish();

    std::uint64_t Written() const { return m_offset; }

private:
    struct Entry;
    Status Add(const Entry& entry, const void* data, std::size_t size, int fromFd);
    std::string Zip64Extra(const Entry& entry, bool withOffset) const;
    void PutSharedFields(std::string& out, const Entry& entry, std::size_t extraSize, bool inDirectory) const;
    Status WriteLocalHeader(const Entry& entry);
    void RecordInDirectory(const Entry& entry);
    Status Write(const void* data, std::size_t size);
    Status CopyFrom(int fd, std::uint64_t size, const std::string& path);
    Status WriteEndRecords(std::uint64_t directoryStart, std::uint64_t directorySize);

    const int m_fd;
    const std::string m_name;
    const ZipLimits m_limits;
    std::uint16_t m_dosTime = 0, m_dosDate = 0;
    std::uint64_t m_offset = 0;
    std::uint64_t m_entries = 0;
    // The central directory's records as they will be written, in chunks so
    // that growing it never copies what it holds.
    std::vector<std::string> m_directory;
    Status m_failure;  // once writing failed, the archive cannot be completed
    bool m_finished = false;
};

}  // namespace kerfel
