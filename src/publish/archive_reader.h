#pragma once
// Reading the files of a job kept in one archive (NAME.szi) by their names,
// for the preview, which shows the job from the archive as it would show it
// from its folder. The archive's directory is read once.
#include <map>
#include <string>

#include "base/status.h"

namespace kerfel {

class ArchiveReader {
public:
    ArchiveReader() = default;
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    Status Open(const std::string& path);
    // The bytes of the entry `name`; false when there is none or it cannot be read.
    bool Read(const std::string& name, std::string& bytes);

private:
    struct Place {
        unsigned long long directoryOffset = 0, index = 0;
    };
    void* m_zip = nullptr;  // minizip's handle
    std::map<std::string, Place> m_entries;
};

}  // namespace kerfel
