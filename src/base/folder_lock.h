#pragma once
// An advisory lock on a folder, held while the object lives: two processes
// (or two locks in one process) never hold the same folder at once.
#include <string>

namespace kerfel {

class FolderLock {
public:
    enum class Wait { UntilFree, Never };
    // With Wait::Never a folder held elsewhere is left alone and Busy() says
    // so. A folder that cannot be opened or locked at all (a file system
    // without locks) is not held, and not busy either: the caller goes on.
    explicit FolderLock(const std::string& folder, Wait wait = Wait::UntilFree);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool Busy() const { return m_busy; }

private:
    int m_fd = -1;
    bool m_busy = false;
};

}  // namespace kerfel
