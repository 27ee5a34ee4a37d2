#include "engine/tile_store.h"

#include "base/file_write.h"

namespace kerfel {

Status FolderTileStore::Put(const std::string& path, const std::vector<std::string>& others, const void* data,
                            std::size_t size) {
    Status s = ReplaceFile(path, data, size);
    for (size_t i = 0; s && i < others.size(); ++i) s = LinkAtomically(path, others[i]);
    return s;
}

}  // namespace kerfel
