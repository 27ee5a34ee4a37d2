#include "app/settings_store.h"

#include "base/file_read.h"
#include "base/file_write.h"
#include "base/folder_lock.h"
#include "base/path.h"
#include "base/utf8.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace kerfel {

namespace {

namespace fs = std::filesystem;

// A settings file holds a handful of short lines; anything this large is not ours.
constexpr std::size_t kMaxFileBytes = 1 << 20;
constexpr char kFolderName[] = "Lorvak Image Kerfel";
constexpr char kFileName[] = "settings.ini";

bool IsAbsolute(const char* p) { return p && IsAbsolutePath(p); }

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (IsAbsolute(home)) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && IsAbsolute(pw->pw_dir)) return pw->pw_dir;
    return std::string();
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool IsValidName(const std::string& name) {
    if (name.empty() || name.front() == ' ' || name.back() == ' ') return false;
    // The file's first line drops a leading byte-order mark, so such a name
    // written there could never be read back.
    if (name.rfind("\xEF\xBB\xBF", 0) == 0) return false;
    return name.find_first_of(std::string("=\n\r\t\0", 5)) == std::string::npos && IsValidUtf8(name);
}

std::string Escape(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

std::string Unescape(const std::string& raw) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == '\\' && i + 1 < raw.size()) {
            char n = raw[i + 1];
            if (n == '\\' || n == 'n' || n == 'r') {
                out += n == '\\' ? '\\' : n == 'n' ? '\n' : '\r';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

struct SettingsLines {
    std::vector<std::string> lines;
    bool foreign = false;  // not a settings file (NUL bytes, too large): no lines
};

// The file as lines, without their line feeds; std::nullopt when it cannot be read.
std::optional<SettingsLines> LoadLines(const std::string& path) {
    std::optional<std::string> bytes = ReadWholeFile(path, kMaxFileBytes);
    if (!bytes) return std::nullopt;
    const std::string& text = *bytes;
    SettingsLines result;
    if (text.size() > kMaxFileBytes || text.find('\0') != std::string::npos) {
        result.foreign = true;
        return result;
    }
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        result.lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

// Splits a "Name=value" line; false for blank lines, comments and lines that
// are not UTF-8, which are kept as they are but never read as values.
bool ParseLine(std::string line, bool first, std::string& name, std::string& rawValue) {
    if (first && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t eq = line.find('=');
    if (eq == std::string::npos || !IsValidUtf8(line)) return false;
    std::string key = line.substr(0, eq);
    std::size_t b = key.find_first_not_of(" \t");
    if (b == std::string::npos) return false;
    name = key.substr(b, key.find_last_not_of(" \t") - b + 1);
    rawValue = line.substr(eq + 1);
    return true;
}

// Where the bytes go: the target of a symbolic link, so that a linked
// settings file stays linked.
std::string TargetOf(const std::string& path) {
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        fs::path target = fs::canonical(path, ec);
        if (!ec) return target.string();
    }
    return path;
}

// Before a write replaces a file that was not a settings file, its bytes are
// kept beside it (a hard link to the old file, or a copy), so whatever the
// user or another program put there is never lost to a ticked box.
bool KeepAside(const std::string& path) {
    std::string aside = path + kCorruptSuffix;
    std::error_code ec;
    fs::remove(aside, ec);
    if (::link(path.c_str(), aside.c_str()) == 0) return true;
    return fs::copy_file(path, aside, fs::copy_options::overwrite_existing, ec);
}

}  // namespace

std::string SettingsStore::DefaultPath() {
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (IsAbsolute(xdg)) base = xdg;
    else if (std::string home = HomeFolder(); !home.empty()) base = home + "/.config";
    else return std::string();
    return base + "/" + kFolderName + "/" + kFileName;
}

SettingsStore::SettingsStore(std::string path) : m_strPath(std::move(path)) {}

bool SettingsStore::CreateIfMissing() {
    if (m_strPath.empty()) return Open();
    std::error_code ec;
    fs::create_directories(FolderOf(m_strPath), ec);
    struct stat st {};
    if (::lstat(m_strPath.c_str(), &st) != 0 && errno == ENOENT) {
        int fd = ::open(m_strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) ::close(fd);
    }
    return Open();
}

bool SettingsStore::Open() {
    m_bOpen = false;
    if (m_strPath.empty()) return false;
    std::string target = TargetOf(m_strPath);
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (::access(target.c_str(), R_OK | W_OK) != 0) return false;
    if (::access(FolderOf(target).c_str(), W_OK | X_OK) != 0) return false;
    m_bOpen = true;
    return true;
}

bool IsRestorableFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool SettingsStore::ReadString(const std::string& name, std::string& value) {
    if (!m_bOpen) return false;
    auto loaded = LoadLines(m_strPath);
    if (!loaded) return false;
    const std::vector<std::string>& lines = loaded->lines;
    bool found = false;
    std::string lineName, raw;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // The last of repeated names wins, as a later line overrides an earlier one.
        if (ParseLine(lines[i], i == 0, lineName, raw) && SameName(lineName, name)) {
            value = Unescape(raw);
            found = true;
        }
    }
    return found;
}

bool SettingsStore::ReadInt(const std::string& name, uint32_t& value) {
    std::string text;
    if (!ReadString(name, text)) return false;
    std::size_t b = text.find_first_not_of(" \t");
    std::size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos) return false;
    const char* first = text.data() + b;
    const char* last = text.data() + e + 1;
    if (*first == '+') return false;
    int64_t n = 0;
    auto [ptr, ec] = std::from_chars(first, last, n);
    if (ec != std::errc() || ptr != last) return false;
    if (n < INT32_MIN || n > UINT32_MAX) return false;
    value = static_cast<uint32_t>(n);
    return true;
}

bool SettingsStore::WriteString(const std::string& name, const std::string& value) {
    // A value that is not UTF-8 text would make its line unreadable.
    if (value.find('\0') != std::string::npos || !IsValidUtf8(value)) return false;
    return Write(name, Escape(value));
}

bool SettingsStore::WriteInt(const std::string& name, uint32_t value) {
    return Write(name, std::to_string(value));
}

bool SettingsStore::Write(const std::string& name, const std::string& storedValue) {
    if (!m_bOpen || !IsValidName(name)) return false;
    std::string target = TargetOf(m_strPath);
    // Two running tools never lose each other's values: the folder is held
    // while a write reads, changes and replaces the file.
    FolderLock lock(FolderOf(target));
    auto loaded = LoadLines(target);
    if (!loaded) return false;  // rewriting what cannot be read would lose the other values
    if (loaded->foreign && !KeepAside(target)) return false;
    std::vector<std::string>& lines = loaded->lines;
    std::string newLine = name + "=" + storedValue;
    bool placed = false;
    std::vector<std::string> out;
    std::string lineName, raw;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (ParseLine(lines[i], i == 0, lineName, raw) && SameName(lineName, name)) {
            if (!placed) out.push_back(newLine);
            placed = true;
        } else {
            out.push_back(std::move(lines[i]));
        }
    }
    if (!placed) out.push_back(newLine);
    std::string content;
    for (const std::string& l : out) content += l + "\n";
    ReplaceOptions settings;
    settings.durable = true;
    settings.keepMode = true;
    return ReplaceFile(target, content.data(), content.size(), settings).ok();
}

}  // namespace kerfel
