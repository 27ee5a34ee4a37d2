#pragma once
// Files dropped on a window (from a file manager: a list of URIs, which the
// toolkit turns into local names), handed on with the zone of the main
// window they were dropped on.
#include <wx/dnd.h>

#include <functional>
#include <string>
#include <vector>

#include "app/dropped_files.h"

class CDropZoneTarget : public wxFileDropTarget {
public:
    // `take` answers whether the drop is accepted; it runs inside the
    // toolkit's drop, so anything that waits for the user comes later.
    using Take = std::function<bool(kerfel::DropZone, const std::vector<std::string>&)>;
    CDropZoneTarget(kerfel::DropZone zone, Take take) : m_zone(zone), m_take(std::move(take)) {}

    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& names) override;

private:
    kerfel::DropZone m_zone;
    Take m_take;
};
