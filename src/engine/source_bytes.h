#pragma once
// The bytes of a source, from a file or from memory the caller keeps alive,
// read at any offset: the TIFF and PNG libraries read through it, so both
// take files and memory alike and never open a path themselves.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/status.h"

namespace kerfel {

class SourceBytes {
public:
    // A regular file only (a pipe or device is refused without waiting);
    // the error names the file.
    static Status Open(const std::string& path, std::unique_ptr<SourceBytes>& out);
    static std::unique_ptr<SourceBytes> Memory(const uint8_t* data, size_t size);
    ~SourceBytes();
    SourceBytes(const SourceBytes&) = delete;
    SourceBytes& operator=(const SourceBytes&) = delete;

    uint64_t Size() const { return m_size; }
    // Up to `count` bytes from `offset`; fewer at the end or when a read fails.
    size_t ReadAt(uint64_t offset, void* into, size_t count) const;

private:
    SourceBytes() = default;
    int m_fd = -1;
    const uint8_t* m_data = nullptr;
    uint64_t m_size = 0;
};

}  // namespace kerfel
