#pragma once
#include <wx/bitmap.h>
#include <wx/font.h>

namespace kerfel {
// The skin picture of a resource number ("pictures/<id>.png" in the
// application folder); an empty bitmap when it is missing.
wxBitmap LoadSkinBitmap(int resourceId);
void SetPictureFolder(const wxString& folder);
wxString GetPictureFolder();

// The font of the skinned dialogs: its widths are close to those the layout
// in dialog units was made for, so every template text fits its rectangle.
wxFont SkinFont();
}  // namespace kerfel
