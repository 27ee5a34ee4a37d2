#include "publish/music_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/file_write.h"
#include "base/regular_file.h"

namespace kerfel {

std::string MusicCopyPath(const std::string& jobFolder) { return jobFolder + "/" + kMusicFileName; }

Status RefreshMusicCopy(const std::string& musicPath, const std::string& jobFolder) {
    const std::string dest = MusicCopyPath(jobFolder);
    if (musicPath.empty()) {
        if (::unlink(dest.c_str()) != 0 && errno != ENOENT)
            return Status::Output(dest + ": cannot be removed: " + std::strerror(errno));
        return Status::Ok();
    }
    struct stat st;
    int in = OpenRegularFile(musicPath, st);
    if (in < 0 && (errno == EISDIR || errno == EINVAL)) return Status::Bad(musicPath + ": is not a file");
    if (in < 0) return Status::Bad(musicPath + ": cannot be read: " + std::strerror(errno));
    std::string temp;
    Status made = MakeHiddenTempFile(dest, temp);
    if (!made) {
        ::close(in);
        return made;
    }
    int out = ::open(temp.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    Status result;
    char buffer[64 * 1024];
    while (out >= 0 && result.ok()) {
        ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) result = Status::Bad(musicPath + ": cannot be read: " + std::strerror(errno));
        else if (got == 0) break;
        else if (!WriteAll(out, buffer, static_cast<size_t>(got))) result = Status::Output(dest + ": cannot be written: " + std::strerror(errno));
    }
    if (out < 0) result = Status::Output(dest + ": cannot be written: " + std::strerror(errno));
    else if (::close(out) != 0 && result.ok()) result = Status::Output(dest + ": cannot be written: " + std::strerror(errno));
    ::close(in);
    if (!result) {
        ::unlink(temp.c_str());
        return result;
    }
    return CommitTempFile(temp, dest);
}

}  // namespace kerfel
