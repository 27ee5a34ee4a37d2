#include "base/stored_zip_writer.h"

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/file_write.h"
#include "base/regular_file.h"

namespace kerfel {

struct StoredZipWriter::Entry {
    std::string name;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    std::uint64_t offset = 0;  // of its local header
    bool folder = false;
};

namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50, kCentralSignature = 0x02014b50, kEndSignature = 0x06054b50,
                        kZip64EndSignature = 0x06064b50, kZip64LocatorSignature = 0x07064b50;
constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint16_t kUtf8Names = 0x0800;
constexpr std::uint16_t kMadeOnUnix = 3 << 8;
constexpr std::uint16_t kNeedsStored = 10, kNeedsFolder = 20, kNeedsZip64 = 45;
// Unix modes in the high half, as unzip, bsdtar and Python read them; the
// DOS attributes (folder, archive) in the low half.
constexpr std::uint32_t kFileAttributes = (0100644u << 16) | 0x20, kFolderAttributes = (040755u << 16) | 0x10;
constexpr std::size_t kDirectoryChunk = 1 << 20;
constexpr std::size_t kCopyChunk = 1 << 16;

void Put16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}
void Put64(std::string& out, std::uint64_t v) {
    Put32(out, static_cast<std::uint32_t>(v));
    Put32(out, static_cast<std::uint32_t>(v >> 32));
}

bool IsAscii(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The format's local time: two-second steps, the years 1980 to 2107.
void ToDosTime(std::time_t t, std::uint16_t& time, std::uint16_t& date) {
    std::tm tm{};
    localtime_r(&t, &tm);
    if (tm.tm_year < 80 || tm.tm_year > 207) {
        date = tm.tm_year < 80 ? (1 << 5) | 1 : (127 << 9) | (12 << 5) | 31;
        time = 0;
        return;
    }
    date = static_cast<std::uint16_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    time = static_cast<std::uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
}

std::uint32_t Crc(std::uint32_t crc, const void* data, std::size_t size) {
    return static_cast<std::uint32_t>(crc32_z(crc, static_cast<const Bytef*>(data), size));
}

}  // namespace

StoredZipWriter::StoredZipWriter(int fd, std::string name, std::time_t modified, ZipLimits limits)
    : m_fd(fd), m_name(std::move(name)), m_limits(limits) {
    ToDosTime(modified, m_dosTime, m_dosDate);
}

Status StoredZipWriter::Write(const void* data, std::size_t size) {
    if (!WriteAll(m_fd, data, size)) return m_failure = Status::Output(m_name + ": " + std::strerror(errno));
    m_offset += size;
    return Status::Ok();
}

Status StoredZipWriter::AddFile(const std::string& entry, const void* data, std::size_t size) {
    return Add({entry, size, Crc(0, data, size), m_offset, false}, data, size, -1);
}

Status StoredZipWriter::AddFolder(const std::string& entry) { return Add({entry, 0, 0, m_offset, true}, nullptr, 0, -1); }

Status StoredZipWriter::AddFileFrom(const std::string& entry, const std::string& path) {
    struct stat info {};
    const int fd = OpenRegularFile(path, info);
    if (fd < 0) return Status::Output(path + ": " + std::strerror(errno));
    std::vector<char> buffer(kCopyChunk);
    Entry e{entry, 0, 0, m_offset, false};
    ssize_t got = 0;
    while ((got = ::read(fd, buffer.data(), buffer.size())) != 0) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        e.crc = Crc(e.crc, buffer.data(), static_cast<std::size_t>(got));
        e.size += static_cast<std::uint64_t>(got);
    }
    Status s = got < 0 || ::lseek(fd, 0, SEEK_SET) != 0 ? Status::Output(path + ": " + std::strerror(errno))
                                                        : Add(e, nullptr, 0, fd);
    ::close(fd);
    return s;
}

Status StoredZipWriter::Add(const Entry& entry, const void* data, std::size_t size, int fromFd) {
    if (!m_failure) return m_failure;
    if (m_finished) return Status::Output(m_name + ": " + entry.name + " added after the archive was finished");
    if (entry.name.size() > 0xFFFF) return Status::Output(m_name + ": " + entry.name + ": name too long for an archive");
    Status s = WriteLocalHeader(entry);
    if (s && fromFd >= 0) s = CopyFrom(fromFd, entry.size, entry.name);
    else if (s) s = Write(data, size);
    if (!s) return s;
    RecordInDirectory(entry);
    ++m_entries;
    return s;
}

// The ZIP64 extra field with the values that did not fit in 32 bits: the
// sizes, then the local header's offset.
std::string StoredZipWriter::Zip64Extra(const Entry& e, bool withOffset) const {
    const bool bigSize = e.size >= m_limits.bytes, bigOffset = withOffset && e.offset >= m_limits.bytes;
    std::string extra;
    if (!bigSize && !bigOffset) return extra;
    Put16(extra, kZip64ExtraId);
    Put16(extra, static_cast<std::uint16_t>((bigSize ? 16 : 0) + (bigOffset ? 8 : 0)));
    if (bigSize) Put64(extra, e.size), Put64(extra, e.size);
    if (bigOffset) Put64(extra, e.offset);
    return extra;
}

// What a local header and a directory record share, from the version needed
// (after the version that made it, in a directory record) to the length of
// the extra field.
void StoredZipWriter::PutSharedFields(std::string& out, const Entry& e, std::size_t extraSize, bool inDirectory) const {
    const bool zip64 = e.size >= m_limits.bytes || e.offset >= m_limits.bytes;
    const std::uint32_t size = e.size >= m_limits.bytes ? 0xFFFFFFFFu : static_cast<std::uint32_t>(e.size);
    const std::uint16_t needs = zip64 ? kNeedsZip64 : e.folder ? kNeedsFolder : kNeedsStored;
    if (inDirectory) Put16(out, kMadeOnUnix | needs);
    Put16(out, needs);
    Put16(out, IsAscii(e.name) ? 0 : kUtf8Names);
    Put16(out, 0);  // stored
    Put16(out, m_dosTime);
    Put16(out, m_dosDate);
    Put32(out, e.crc);
    Put32(out, size);
    Put32(out, size);
    Put16(out, static_cast<std::uint16_t>(e.name.size()));
    Put16(out, static_cast<std::uint16_t>(extraSize));
}

Status StoredZipWriter::WriteLocalHeader(const Entry& e) {
    const std::string extra = Zip64Extra(e, false);
    std::string h;
    Put32(h, kLocalSignature);
    PutSharedFields(h, e, extra.size(), false);
    h += e.name;
    h += extra;
    return Write(h.data(), h.size());
}

Status StoredZipWriter::CopyFrom(int fd, std::uint64_t size, const std::string& entry) {
    std::vector<char> buffer(kCopyChunk);
    for (std::uint64_t left = size; left > 0;) {
        ssize_t got = ::read(fd, buffer.data(), static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size())));
        if (got < 0 && errno == EINTR) continue;
        // The header promised `size` bytes: the archive cannot be completed.
        if (got <= 0)
            return m_failure = Status::Output(m_name + ": " + entry + " changed while it was packed");
        if (Status s = Write(buffer.data(), static_cast<std::size_t>(got)); !s) return s;
        left -= static_cast<std::uint64_t>(got);
    }
    return Status::Ok();
}

void StoredZipWriter::RecordInDirectory(const Entry& e) {
    const std::string extra = Zip64Extra(e, true);
    std::string r;
    Put32(r, kCentralSignature);
    PutSharedFields(r, e, extra.size(), true);
    Put16(r, 0);  // comment
    Put16(r, 0);  // disk
    Put16(r, 0);  // internal attributes
    Put32(r, e.folder ? kFolderAttributes : kFileAttributes);
    Put32(r, e.offset >= m_limits.bytes ? 0xFFFFFFFFu : static_cast<std::uint32_t>(e.offset));
    r += e.name;
    r += extra;
    if (m_directory.empty() || m_directory.back().size() + r.size() > kDirectoryChunk) {
        m_directory.emplace_back();
        m_directory.back().reserve(std::max(kDirectoryChunk, r.size()));
    }
    m_directory.back() += r;
}

Status StoredZipWriter::Finish() {
    if (!m_failure) return m_failure;
    if (m_finished) return Status::Ok();
    const std::uint64_t start = m_offset;
    for (const std::string& chunk : m_directory)
        if (Status s = Write(chunk.data(), chunk.size()); !s) return s;
    Status s = WriteEndRecords(start, m_offset - start);
    if (s) m_finished = true;
    std::vector<std::string>().swap(m_directory);
    return s;
}

Status StoredZipWriter::WriteEndRecords(std::uint64_t directoryStart, std::uint64_t directorySize) {
    const bool manyEntries = m_entries >= m_limits.entries;
    const bool bigSize = directorySize >= m_limits.bytes, bigStart = directoryStart >= m_limits.bytes;
    std::string end;
    if (manyEntries || bigSize || bigStart) {
        const std::uint64_t recordAt = m_offset;
        Put32(end, kZip64EndSignature);
        Put64(end, 44);  // the size of what follows
        Put16(end, kMadeOnUnix | kNeedsZip64);
        Put16(end, kNeedsZip64);
        Put32(end, 0);  // this disk
        Put32(end, 0);  // the directory's disk
        Put64(end, m_entries);
        Put64(end, m_entries);
        Put64(end, directorySize);
        Put64(end, directoryStart);
        Put32(end, kZip64LocatorSignature);
        Put32(end, 0);  // the record's disk
        Put64(end, recordAt);
        Put32(end, 1);  // disks
    }
    const std::uint16_t count = manyEntries ? 0xFFFF : static_cast<std::uint16_t>(m_entries);
    Put32(end, kEndSignature);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, count);
    Put16(end, count);
    Put32(end, bigSize ? 0xFFFFFFFFu : static_cast<std::uint32_t>(directorySize));
    Put32(end, bigStart ? 0xFFFFFFFFu : static_cast<std::uint32_t>(directoryStart));
    Put16(end, 0);  // comment
    return Write(end.data(), end.size());
}

}  // namespace kerfel
