#include "base/path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace kerfel {

std::string TrimTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string TidyPath(const std::string& path) {
    return TrimTrailingSlashes(std::filesystem::path(path).lexically_normal().string());
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    const std::string joined = folder + "/" + name;
    std::string out;
    for (char ch : joined)
        if (!(ch == '/' && !out.empty() && out.back() == '/')) out += ch;
    return out;
}

bool IsAbsolutePath(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool PathExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    // A trailing separator does not make a folder the user chose missing.
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

bool IsReadableFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) && ::access(path.c_str(), R_OK) == 0;
}

}  // namespace kerfel
