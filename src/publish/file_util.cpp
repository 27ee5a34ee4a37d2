#include "publish/file_util.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace kerfel {
namespace {

// The process's umask, read without changing it (another thread may be
// creating files at the same moment).
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return mode_t(std::stoul(line.substr(6), nullptr, 8));
    return 022;
}

}  // namespace

Status MakeHiddenTempFile(const std::string& finalPath, std::string& tempPath) {
    std::string::size_type slash = finalPath.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : finalPath.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
    std::string pattern = folder + "." + base + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0) return Status::Output(finalPath + ": cannot be written: " + std::strerror(errno));
    ::close(fd);
    tempPath = buffer.data();
    return Status::Ok();
}

Status CommitTempFile(const std::string& tempPath, const std::string& finalPath) {
    auto fail = [&](int err) {
        ::unlink(tempPath.c_str());
        return Status::Output(finalPath + ": cannot be written: " + std::strerror(err));
    };
    int fd = ::open(tempPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return fail(errno);
    if (::fchmod(fd, 0666 & ~CurrentUmask()) != 0 || ::fsync(fd) != 0) {
        int err = errno;
        ::close(fd);
        return fail(err);
    }
    if (::close(fd) != 0) return fail(errno);
    if (std::rename(tempPath.c_str(), finalPath.c_str()) != 0) return fail(errno);
    return Status::Ok();
}

}  // namespace kerfel
