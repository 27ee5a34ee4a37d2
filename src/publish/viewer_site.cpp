#include "publish/viewer_site.h"

namespace kerfel {

Status WriteViewerSite(const std::string&, const DescriptorValues&, const std::string&) { return Status::Ok(); }

}  // namespace kerfel
