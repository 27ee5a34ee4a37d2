#include "skin/ui/skin_bitmaps.h"

#include <wx/filename.h>
#include <wx/window.h>

#include <cmath>

#include "base/app_folder.h"

namespace kerfel {
namespace {
// Until a window names it, the pictures of the application folder.
wxString& PictureFolder() {
    static wxString folder = wxString::FromUTF8(FindAppFolder()) + "/pictures";
    return folder;
}

wxBitmap LoadPicture(const wxString& name, double scale) {
    wxFileName fn(PictureFolder(), name);
    if (!fn.FileExists()) return wxBitmap();
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxImage img(fn.GetFullPath(), wxBITMAP_TYPE_PNG);
    return img.IsOk() ? wxBitmap(img, -1, scale) : wxBitmap();
}
}  // namespace

void SetPictureFolder(const wxString& folder) { PictureFolder() = folder; }
wxString GetPictureFolder() { return PictureFolder(); }

wxFont SkinFont() {
    return wxFont(wxFontInfo(8).Family(wxFONTFAMILY_SWISS).FaceName("Liberation Sans"));
}

wxBitmap LoadSkinBitmap(int resourceId, double scale) {
    if (scale >= 2) {
        wxBitmap dense = LoadPicture(wxString::Format("%d@2x.png", resourceId), 2);
        if (dense.IsOk()) return dense;
    }
    return LoadPicture(wxString::Format("%d.png", resourceId), 1);
}

double PictureScale(const wxWindow* window) { return window ? window->GetContentScaleFactor() : 1; }

// A bundle tells its pictures apart by their sizes in pixels.
wxBitmapBundle LoadSkinBundle(int resourceId) {
    const wxBitmap normal = LoadSkinBitmap(resourceId);
    const wxBitmap dense = LoadPicture(wxString::Format("%d@2x.png", resourceId), 1);
    return dense.IsOk() ? wxBitmapBundle::FromBitmaps(normal, dense) : wxBitmapBundle(normal);
}

wxBitmap AtDensityOf(const wxImage& image, const wxBitmap& like) {
    return wxBitmap(image, -1, like.IsOk() ? like.GetScaleFactor() : 1);
}

wxBitmap StretchedNearest(const wxBitmap& bitmap, const wxSize& size) {
    if (!bitmap.IsOk() || bitmap.GetLogicalSize() == size) return bitmap;
    const double scale = bitmap.GetScaleFactor();
    const wxImage img = bitmap.ConvertToImage().Scale(std::lround(size.x * scale), std::lround(size.y * scale),
                                                      wxIMAGE_QUALITY_NEAREST);
    return AtDensityOf(img, bitmap);
}
}  // namespace kerfel
