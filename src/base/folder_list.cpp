#include "base/folder_list.h"

#include <dirent.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace kerfel {

bool ListFolder(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return false;
    errno = 0;
    while (const dirent* e = ::readdir(dir.get())) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.emplace_back(e->d_name);
        errno = 0;
    }
    return errno == 0;
}

}  // namespace kerfel
