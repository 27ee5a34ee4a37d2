#include "base/app_folder.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace kerfel {

std::string FindAppFolder() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    std::vector<fs::path> candidates;
    if (!ec) {
        candidates.push_back(exe.parent_path());
        candidates.push_back(exe.parent_path().parent_path() / "share" / "kerfel");
    }
    candidates.push_back(KERFEL_DATA_DIR);
    candidates.push_back(fs::path(KERFEL_SOURCE_DIR) / "resources");
    for (const auto& c : candidates)
        if (fs::is_directory(c / "LanguageFiles", ec)) return c.string();
    return ec ? std::string(".") : exe.parent_path().string();
}

}  // namespace kerfel
