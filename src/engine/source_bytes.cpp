#include "engine/source_bytes.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/regular_file.h"

namespace kerfel {

Status SourceBytes::Open(const std::string& path, std::unique_ptr<SourceBytes>& out) {
    struct stat info;
    const int fd = OpenRegularFile(path, info);
    if (fd < 0) {
        const int err = errno;
        return Status::Bad(path + ": cannot open: " + (err == EINVAL ? "not a regular file" : std::strerror(err)));
    }
    out.reset(new SourceBytes);
    out->m_fd = fd;
    out->m_size = static_cast<uint64_t>(info.st_size);
    return Status::Ok();
}

std::unique_ptr<SourceBytes> SourceBytes::Memory(const uint8_t* data, size_t size) {
    std::unique_ptr<SourceBytes> b(new SourceBytes);
    b->m_data = data;
    b->m_size = size;
    return b;
}

SourceBytes::~SourceBytes() {
    if (m_fd >= 0) ::close(m_fd);
}

size_t SourceBytes::ReadAt(uint64_t offset, void* into, size_t count) const {
    if (offset >= m_size) return 0;
    if (count > m_size - offset) count = static_cast<size_t>(m_size - offset);
    if (m_data) {
        std::memcpy(into, m_data + offset, count);
        return count;
    }
    size_t got = 0;
    while (got < count) {
        const ssize_t r = ::pread(m_fd, static_cast<uint8_t*>(into) + got, count - got, static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<size_t>(r);
    }
    return got;
}

}  // namespace kerfel
