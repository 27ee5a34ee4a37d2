#include "base/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/file_write.h"
#include "base/path.h"

namespace kerfel {

PendingFile::~PendingFile() { Discard(); }

void PendingFile::Discard() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_hidden.empty()) ::unlink(m_hidden.c_str());
    m_fd = -1;
    m_hidden.clear();
}

Status PendingFile::Open(const std::string& path) {
    Discard();
    m_path = path;
    // The mode is the umask's, as open() gives a new file.
    m_fd = ::open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (m_fd >= 0) return Status::Ok();
    if (Status s = MakeHiddenTempFile(path, m_hidden); !s) return s;
    m_fd = ::open(m_hidden.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (m_fd < 0) {
        const int err = errno;
        Discard();
        return OutputError(path, err);
    }
    // A hidden temporary is private; the file it becomes is published.
    ::fchmod(m_fd, PublishedFileMode());
    return Status::Ok();
}

Status PendingFile::Commit() {
    if (m_fd < 0) return Status::Output(m_path + ": cannot be written");
    if (m_hidden.empty()) {
        // The unnamed file gets a hidden name first, then the name it is for:
        // whatever is there is replaced in one step.
        std::string hidden;
        if (Status s = MakeHiddenTempFile(m_path, hidden); !s) return s;
        ::unlink(hidden.c_str());
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) != 0) return OutputError(m_path, errno);
        m_hidden = hidden;
    }
    int err = ::close(m_fd) == 0 ? 0 : errno;
    m_fd = -1;
    if (err == 0 && ::rename(m_hidden.c_str(), m_path.c_str()) != 0) err = errno;
    if (err != 0) {
        Discard();
        return OutputError(m_path, err);
    }
    m_hidden.clear();
    return Status::Ok();
}

}  // namespace kerfel
