#include "publish/archive_reader.h"

#include <minizip/unzip.h>

namespace kerfel {

ArchiveReader::~ArchiveReader() {
    if (m_zip) unzClose(m_zip);
}

Status ArchiveReader::Open(const std::string& path) {
    m_zip = unzOpen64(path.c_str());
    if (!m_zip) return Status::Bad(path + ": not a readable archive");
    char name[65536];
    for (int at = unzGoToFirstFile(m_zip); at == UNZ_OK; at = unzGoToNextFile(m_zip)) {
        unz_file_info64 info;
        unz64_file_pos place;
        if (unzGetCurrentFileInfo64(m_zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzGetFilePos64(m_zip, &place) != UNZ_OK)
            return Status::Bad(path + ": its directory is damaged");
        m_entries[name] = {place.pos_in_zip_directory, place.num_of_file};
    }
    return Status::Ok();
}

bool ArchiveReader::Read(const std::string& name, std::string& bytes) {
    const auto entry = m_entries.find(name);
    if (!m_zip || entry == m_entries.end()) return false;
    const unz64_file_pos place{entry->second.directoryOffset, entry->second.index};
    unz_file_info64 info;
    if (unzGoToFilePos64(m_zip, &place) != UNZ_OK ||
        unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile(m_zip) != UNZ_OK)
        return false;
    bytes.resize(info.uncompressed_size);
    const int got = bytes.empty() ? 0 : unzReadCurrentFile(m_zip, bytes.data(), static_cast<unsigned>(bytes.size()));
    // Closing checks the entry's CRC.
    return unzCloseCurrentFile(m_zip) == UNZ_OK && got == static_cast<int>(bytes.size());
}

}  // namespace kerfel
