#include "base/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace kerfel {

FolderLock::FolderLock(const std::string& folder, Wait wait)
    : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (m_fd < 0) return;
    const int how = wait == Wait::Never ? LOCK_EX | LOCK_NB : LOCK_EX;
    int r;
    while ((r = ::flock(m_fd, how)) != 0 && errno == EINTR) {}
    if (r == 0) return;
    m_busy = errno == EWOULDBLOCK;
    ::close(m_fd);
    m_fd = -1;
}

FolderLock::~FolderLock() {
    if (m_fd >= 0) ::close(m_fd);
}

}  // namespace kerfel
