#include "skin/ui/skin_bitmaps.h"

#include <wx/filename.h>
#include <wx/image.h>

#include "base/app_folder.h"

namespace kerfel {
namespace {
// Until a window names it, the pictures of the application folder.
wxString& PictureFolder() {
    static wxString folder = wxString::FromUTF8(FindAppFolder()) + "/pictures";
    return folder;
}
}  // namespace

void SetPictureFolder(const wxString& folder) { PictureFolder() = folder; }
wxString GetPictureFolder() { return PictureFolder(); }

wxFont SkinFont() {
    return wxFont(wxFontInfo(8).Family(wxFONTFAMILY_SWISS).FaceName("Liberation Sans"));
}

wxBitmap LoadSkinBitmap(int resourceId) {
    wxFileName fn(PictureFolder(), wxString::Format("%d.png", resourceId));
    if (!fn.FileExists()) return wxBitmap();
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxImage img(fn.GetFullPath(), wxBITMAP_TYPE_PNG);
    return img.IsOk() ? wxBitmap(img) : wxBitmap();
}
}  // namespace kerfel
