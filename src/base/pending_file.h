#pragma once
// A file too large to hold in memory, written front to back and given its
// name only once complete: until then it has no name at all (or, where the
// file system cannot make unnamed files, a hidden one beside it), so a
// failure, a stop or a kill -9 leaves nothing under its name and an earlier
// file there stays whole until the new one replaces it.
#include <string>

#include "base/status.h"

namespace kerfel {

class PendingFile {
public:
    PendingFile() = default;
    ~PendingFile();  // a file not committed goes
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Starts the file that is to become `path`.
    Status Open(const std::string& path);
    int Fd() const { return m_fd; }
    // Gives the complete file its name, replacing what is there.
    Status Commit();

private:
    void Discard();

    std::string m_path;
    std::string m_hidden;  // the hidden name, where the file has one
    int m_fd = -1;
};

}  // namespace kerfel
