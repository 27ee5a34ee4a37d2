#pragma once
#include <wx/bitmap.h>

namespace kerfel {
// The skin picture of a resource number ("pictures/<id>.png" in the
// application folder); an empty bitmap when it is missing.
wxBitmap LoadSkinBitmap(int resourceId);
void SetPictureFolder(const wxString& folder);
}  // namespace kerfel
