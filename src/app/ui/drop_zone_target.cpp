#include "app/ui/drop_zone_target.h"

bool CDropZoneTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) {
    std::vector<std::string> paths;
    for (const wxString& name : names) paths.push_back(name.utf8_string());
    return m_take(m_zone, paths);
}
