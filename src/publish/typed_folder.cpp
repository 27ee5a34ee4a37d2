#include "publish/typed_folder.h"

#include <filesystem>

#include "base/path.h"

namespace kerfel {

std::string ResolveTypedFolder(const std::string& typed, const std::string& current, const std::string& home) {
    namespace fs = std::filesystem;
    if (typed.empty()) return std::string();
    fs::path p;
    if (typed[0] == '/') p = typed;
    else if (typed == "~" || typed.rfind("~/", 0) == 0) p = fs::path(home) / typed.substr(typed == "~" ? 1 : 2);
    else p = fs::path(current.empty() ? home : current) / typed;
    if (!p.is_absolute()) return std::string();
    return TidyPath(p.string());
}

}  // namespace kerfel
