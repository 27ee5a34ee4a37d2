#pragma once
#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/font.h>
#include <wx/image.h>

class wxWindow;

namespace kerfel {
// The skin picture of a resource number ("pictures/<id>.png" in the
// application folder); an empty bitmap when it is missing. On a display of
// twice the density or more (`scale` >= 2) the same picture drawn at twice
// the size ("<id>@2x.png") where there is one, with a scale factor of 2:
// either way it covers the same logical size.
wxBitmap LoadSkinBitmap(int resourceId, double scale = 1);
// The scale at which `window`'s display shows pictures.
double PictureScale(const wxWindow* window);
// Both densities of a picture, for controls that choose by their display.
wxBitmapBundle LoadSkinBundle(int resourceId);
void SetPictureFolder(const wxString& folder);
wxString GetPictureFolder();

// A picture of `image`'s pixels at the density of `like`.
wxBitmap AtDensityOf(const wxImage& image, const wxBitmap& like);
// `bitmap` stretched to the logical `size` by repeating and dropping
// pixels, at its own density: the key colour stays exactly the key colour.
wxBitmap StretchedNearest(const wxBitmap& bitmap, const wxSize& size);

// The font of the skinned dialogs: its widths are close to those the layout
// in dialog units was made for, so every template text fits its rectangle.
wxFont SkinFont();
}  // namespace kerfel
