#include "publish/archive_name.h"

namespace kerfel {

std::string ProposedArchiveName(const std::string& sourcePath) {
    std::string name = sourcePath.substr(sourcePath.rfind('/') + 1);
    std::string::size_type dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name + ".zip";
}

}  // namespace kerfel
