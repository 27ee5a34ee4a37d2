#include "publish/zipper.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include "base/file_write.h"
#include "base/path.h"
#include "base/regular_file.h"
#include "base/utf8.h"

namespace {

constexpr std::size_t kChunk = 2048;  // one buffer, whatever the file's size
constexpr std::uint64_t kZip64Size = 0xFFFFFFFFull;
// Unix host in "version made by": unpackers then take the modes below.
constexpr uLong kMadeBy = (3 << 8) | 20;
constexpr uLong kMadeByZip64 = (3 << 8) | 45;
constexpr uLong kUtf8Flag = 0x800;
constexpr uLong kDosReadOnly = 0x01, kDosDirectory = 0x10, kDosArchive = 0x20;

using kerfel::IsAbsolutePath;
using kerfel::TidyPath;

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        unsigned char a = text[i], b = prefix[i];
        if (a < 0x80 && b < 0x80 ? std::tolower(a) != std::tolower(b) : a != b) return false;
    }
    return true;
}

bool HasDotDotPart(const std::string& name) {
    for (const auto& part : std::filesystem::path(name))
        if (part == "..") return true;
    return false;
}

void FillTime(std::time_t t, tm_zip& out) {
    std::tm local{};
    out = tm_zip{0, 0, 0, 1, 0, 1980};
    if (!localtime_r(&t, &local)) return;
    int year = local.tm_year + 1900;
    if (year < 1980) return;  // the format starts in 1980
    if (year > 2107) {
        out = tm_zip{58, 59, 23, 31, 11, 2107};
        return;
    }
    out = tm_zip{uInt(local.tm_sec), uInt(local.tm_min), uInt(local.tm_hour), uInt(local.tm_mday),
                 uInt(local.tm_mon), uInt(year)};
}

zip_fileinfo InfoFor(const struct stat& st, bool folder) {
    zip_fileinfo info{};
    FillTime(st.st_mtime, info.tmz_date);
    info.dosDate = 0;
    info.internal_fa = 0;
    // Unpacked files stay readable and unpacked folders can be entered and
    // emptied by whoever unpacks them.
    mode_t mode = (st.st_mode & 0777) | (folder ? 0700 : 0400);
    uLong dos = folder ? kDosDirectory : kDosArchive;
    if (!(mode & S_IWUSR)) dos |= kDosReadOnly;
    info.external_fa = (uLong((folder ? S_IFDIR : S_IFREG) | mode) << 16) | dos;
    return info;
}

// Files whose own format is already compressed (the tiles, the music):
// deflate cannot shrink them and would take most of the export's time, so
// they are stored as they are.
bool AlreadyCompressed(const std::string& name) {
    static const char* const kStored[] = {".jpg", ".jpeg", ".mp3"};
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.find('/', dot) != std::string::npos) return false;
    std::string ext = name.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* stored : kStored)
        if (ext == stored) return true;
    return false;
}

// Level 0 stores the entry (method 0); any other level deflates it.
int OpenEntry(zipFile zf, const std::string& name, const zip_fileinfo& info, int level, bool zip64) {
    uLong flags = kerfel::IsNonAsciiUtf8(name) ? kUtf8Flag : 0;
    const int method = level == 0 ? 0 : Z_DEFLATED;
    return zipOpenNewFileInZip4_64(zf, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method, level, 0,
                                   -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                   zip64 ? kMadeByZip64 : kMadeBy, flags, zip64 ? 1 : 0);
}

std::string Reason() { return std::strerror(errno); }

}  // namespace

CZipper::CZipper() = default;

CZipper::~CZipper() {
    if (m_bBroken || !m_status.ok()) AbandonZip();
    else CloseZip();
}

std::string CZipper::PrepareSourcePath(const std::string& path) const {
    return IsAbsolutePath(path) ? path : m_szRootFolder + path;
}

bool CZipper::GetLastModified(const std::string& path, tm_zip& out) {
    struct stat st {};
    out = tm_zip{0, 0, 0, 1, 0, 1980};
    if (::stat(path.c_str(), &st) != 0) return false;
    FillTime(st.st_mtime, out);
    return true;
}

bool CZipper::Fail(kerfel::Status status) {
    if (m_status.ok()) m_status = std::move(status);
    return false;
}

bool CZipper::Broken(const std::string& reason) {
    m_bBroken = true;
    return Fail(kerfel::Status::Output(m_strArchive + ": " + reason));
}

bool CZipper::Cancelled() {
    if (m_status.fault == kerfel::Fault::Cancelled) return true;
    if (m_cancelled && m_cancelled()) {
        m_status = kerfel::Status::Cancel();
        return true;
    }
    return false;
}

bool CZipper::OpenZip(const std::string& archivePath, const std::optional<std::string>& rootFolder) {
    CloseZip();
    m_status = kerfel::Status::Ok();
    m_bBroken = false;
    m_nEntries = 0;
    m_nSkipped = 0;
    m_excluded.clear();
    if (archivePath.empty()) return Fail(kerfel::Status::Output("no archive name given"));
    std::error_code ec;
    std::string absolute = IsAbsolutePath(archivePath) ? archivePath : std::filesystem::current_path(ec).string() + "/" + archivePath;
    if (ec) return Fail(kerfel::Status::Output(archivePath + ": " + ec.message()));
    if (absolute.back() == '/') return Fail(kerfel::Status::Output(archivePath + ": names a folder, not a file"));
    absolute = TidyPath(absolute);
    struct stat st {};
    if (::stat(absolute.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return Fail(kerfel::Status::Output(absolute + ": is a folder"));
        m_excluded.insert({st.st_dev, st.st_ino});  // never pack the archive being replaced
    }
    m_strArchive = absolute;
    kerfel::Status made = kerfel::MakeHiddenTempFile(absolute, m_strTemp);
    if (!made) return Fail(made);
    if (::stat(m_strTemp.c_str(), &st) == 0) m_excluded.insert({st.st_dev, st.st_ino});
    m_uzFile = zipOpen64(m_strTemp.c_str(), APPEND_STATUS_CREATE);
    if (!m_uzFile) {
        ::unlink(m_strTemp.c_str());
        return Fail(kerfel::Status::Output(absolute + ": cannot be written: " + Reason()));
    }
    std::string folder = absolute.substr(0, absolute.rfind('/') + 1);
    if (!rootFolder) m_szRootFolder = folder;
    else if (rootFolder->empty()) m_szRootFolder.clear();
    else m_szRootFolder = TidyPath(*rootFolder) == "/" ? "/" : TidyPath(*rootFolder) + "/";
    return true;
}

bool CZipper::EntryNameUnderRoot(const std::string& path, std::string& name) const {
    if (!StartsWithNoCase(path, m_szRootFolder)) return false;
    name = path.substr(m_szRootFolder.size());
    // Never an absolute name: unpacking it would write outside the target.
    while (!name.empty() && name[0] == '/') name.erase(0, 1);
    return !name.empty();
}

namespace {

// A symbolic link that leads outside the folder being packed (or nowhere):
// following it would publish whatever it points at, a key or a mailbox,
// along with the picture.
bool LeadsOutside(const std::string& path, const std::string& top) {
    struct stat ls {};
    if (::lstat(path.c_str(), &ls) != 0 || !S_ISLNK(ls.st_mode)) return false;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return true;
    std::string target(real);
    std::free(real);
    return !(top == "/" || target == top || target.rfind(top + "/", 0) == 0);
}

std::string RealPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

}  // namespace

bool CZipper::AddFolderToZip(const std::string& folderPath) {
    if (!m_uzFile || m_bBroken || Cancelled()) return false;
    std::string path = TidyPath(PrepareSourcePath(folderPath));
    std::string name;
    if (!EntryNameUnderRoot(path, name)) return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Fail(kerfel::Status::Bad(path + ": no such folder"));
    std::set<FileId> ancestors;
    m_strPackedTop = RealPath(path);
    return AddFolder(path, name, ancestors) || !m_bBroken;
}

bool CZipper::WriteFolderEntry(const std::string& name, const struct stat& st) {
    zip_fileinfo info = InfoFor(st, true);
    int opened = OpenEntry(m_uzFile, name + "/", info, Z_BEST_COMPRESSION, false);
    int closed = zipCloseFileInZip(m_uzFile);
    if (opened != ZIP_OK || closed != ZIP_OK) return Broken("cannot be written: " + Reason());
    ++m_nEntries;
    return true;
}

bool CZipper::AddFolder(const std::string& path, const std::string& name, std::set<FileId>& ancestors) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Fail(kerfel::Status::Bad(path + ": " + Reason()));
    FileId id{st.st_dev, st.st_ino};
    if (ancestors.count(id)) {
        ++m_nSkipped;  // a link back to a folder being packed: entering it never ends
        return true;
    }
    if (!WriteFolderEntry(name, st)) return false;
    DIR* dir = ::opendir(path.c_str());
    if (!dir) {
        Fail(kerfel::Status::Bad(path + ": cannot be listed: " + Reason()));
        return true;
    }
    ancestors.insert(id);
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir)) {
        if (e->d_name[0] != '.') names.emplace_back(e->d_name);
    }
    ::closedir(dir);
    for (const std::string& child : names) {
        if (m_bBroken || Cancelled()) break;
        std::string childPath = path == "/" ? "/" + child : path + "/" + child;
        if (LeadsOutside(childPath, m_strPackedTop)) {
            ++m_nSkipped;
            continue;
        }
        struct stat cs {};
        if (::stat(childPath.c_str(), &cs) != 0) {
            Fail(kerfel::Status::Bad(childPath + ": cannot be read: " + Reason()));
            continue;
        }
        if (S_ISDIR(cs.st_mode)) AddFolder(childPath, name + "/" + child, ancestors);
        else if (S_ISREG(cs.st_mode)) AddFile(childPath, name + "/" + child);
        else ++m_nSkipped;  // pipes and devices have no contents to pack
    }
    ancestors.erase(id);
    return true;
}

bool CZipper::AddFileToZip(const std::string& filePath) {
    if (!m_uzFile || m_bBroken || Cancelled()) return false;
    if (filePath.rfind("../", 0) == 0) return false;
    std::string path = PrepareSourcePath(filePath);
    std::string name;
    if (IsAbsolutePath(filePath)) {
        if (!EntryNameUnderRoot(TidyPath(path), name)) return false;
    } else {
        name = filePath.rfind("./", 0) == 0 ? filePath.substr(2) : filePath;
        if (name.empty() || name[0] == '/') return false;
    }
    if (HasDotDotPart(name)) return false;  // would unpack outside the target folder
    return AddFile(path, name);
}

bool CZipper::AddFile(const std::string& path, const std::string& name) {
    struct stat st;
    int fd = kerfel::OpenRegularFile(path, st);
    if (fd < 0 && (errno == EISDIR || errno == EINVAL)) {
        ++m_nSkipped;
        return false;
    }
    if (fd < 0) return Fail(kerfel::Status::Bad(path + ": cannot be read: " + Reason()));
    if (m_excluded.count({st.st_dev, st.st_ino})) {
        ::close(fd);
        return true;  // the archive itself, saved inside the folder being packed
    }
    // Entries of 4 GiB or more need the 64-bit header fields from the start.
    bool zip64 = std::uint64_t(st.st_size) >= kZip64Size;
    zip_fileinfo info = InfoFor(st, false);
    int opened = OpenEntry(m_uzFile, name, info, AlreadyCompressed(name) ? 0 : Z_DEFAULT_COMPRESSION, zip64);
    bool copied = opened == ZIP_OK && CopyIntoEntry(fd, path, zip64);
    int closed = zipCloseFileInZip(m_uzFile);
    ::close(fd);
    if (opened != ZIP_OK) return Broken("cannot be written: " + Reason());
    ++m_nEntries;
    if (closed != ZIP_OK) return Broken("cannot be written: " + Reason());
    return copied;
}

bool CZipper::CopyIntoEntry(int fd, const std::string& path, bool zip64) {
    char buffer[kChunk];
    std::uint64_t total = 0;
    for (unsigned n = 0;; ++n) {
        if ((n & 511) == 0 && Cancelled()) return false;
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Fail(kerfel::Status::Bad(path + ": cannot be read: " + Reason()));
        if (got == 0) return true;
        total += std::uint64_t(got);
        if (!zip64 && total >= kZip64Size)
            return Broken(path + " grew to 4 GiB or more while it was packed; export it again");
        if (zipWriteInFileInZip(m_uzFile, buffer, unsigned(got)) != ZIP_OK)
            return Broken("cannot be written: " + Reason());
    }
}

bool CZipper::Publish() {
    if (m_nEntries > 0xFFFF) {
        kerfel::Status tail = kerfel::AddZip64EndRecords(m_strTemp, m_nEntries);
        if (!tail) return Fail(tail);
    }
    kerfel::Status done = kerfel::CommitTempFile(m_strTemp, m_strArchive);
    if (!done) return Fail(done);
    return true;
}

bool CZipper::CloseZip() {
    if (!m_uzFile) return true;
    int err = zipClose(m_uzFile, nullptr);
    m_uzFile = nullptr;
    m_szRootFolder.clear();
    bool ok = false;
    if (m_bBroken) ok = false;
    else if (err != ZIP_OK) Broken("cannot be written: " + Reason());
    else ok = Publish();
    if (!ok) ::unlink(m_strTemp.c_str());
    m_strTemp.clear();
    return ok;
}

void CZipper::AbandonZip() {
    if (!m_uzFile) return;
    zipClose(m_uzFile, nullptr);
    m_uzFile = nullptr;
    m_szRootFolder.clear();
    ::unlink(m_strTemp.c_str());
    m_strTemp.clear();
}

namespace kerfel {
namespace {
std::uint32_t Get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
void Put16(std::vector<unsigned char>& v, unsigned x) {
    v.push_back(x & 0xFF);
    v.push_back(x >> 8 & 0xFF);
}
void Put32(std::vector<unsigned char>& v, std::uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
void Put64(std::vector<unsigned char>& v, std::uint64_t x) {
    Put32(v, std::uint32_t(x));
    Put32(v, std::uint32_t(x >> 32));
}
}  // namespace

Status AddZip64EndRecords(const std::string& archivePath, std::uint64_t entries) {
    auto bad = [&](const std::string& why) { return Status::Output(archivePath + ": " + why); };
    int fd = ::open(archivePath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return bad(Reason());
    struct stat st {};
    unsigned char tail[42];
    bool read = ::fstat(fd, &st) == 0 && st.st_size >= 42 &&
                ::pread(fd, tail, sizeof tail, st.st_size - 42) == ssize_t(sizeof tail);
    const unsigned char* end = tail + 20;  // the 22-byte end record, written with no comment
    if (!read || Get32(end) != 0x06054b50) {
        ::close(fd);
        return bad("the archive's end record was not found");
    }
    if (Get32(tail) == 0x07064b50) {  // the writer added the 64-bit records itself
        ::close(fd);
        return Status::Ok();
    }
    std::uint64_t dirSize = Get32(end + 12), dirOffset = Get32(end + 16);
    std::uint64_t endPos = std::uint64_t(st.st_size) - 22;
    if (dirOffset + dirSize != endPos) {
        ::close(fd);
        return bad("the archive's directory is not where its end record says");
    }
    std::vector<unsigned char> out;
    Put32(out, 0x06064b50);  // zip64 end of central directory record
    Put64(out, 44);
    Put16(out, kMadeByZip64);
    Put16(out, 45);
    Put32(out, 0);
    Put32(out, 0);
    Put64(out, entries);
    Put64(out, entries);
    Put64(out, dirSize);
    Put64(out, dirOffset);
    Put32(out, 0x07064b50);  // its locator
    Put32(out, 0);
    Put64(out, endPos);
    Put32(out, 1);
    Put32(out, 0x06054b50);  // the classic end record, pointing readers at the above
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 0xFFFF);
    Put16(out, 0xFFFF);
    Put32(out, std::uint32_t(dirSize));
    Put32(out, std::uint32_t(dirOffset));
    Put16(out, 0);
    bool ok = ::pwrite(fd, out.data(), out.size(), off_t(endPos)) == ssize_t(out.size());
    std::string why = ok ? std::string() : Reason();
    if (::close(fd) != 0 && ok) {
        ok = false;
        why = Reason();
    }
    return ok ? Status::Ok() : bad(why);
}

}  // namespace kerfel
