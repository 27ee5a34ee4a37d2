#include "skin/ui/skin_dialog.h"

#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/region.h>

#include "skin/ui/skin_bitmaps.h"

wxBEGIN_EVENT_TABLE(CSkinDialog, wxDialog)
    EVT_PAINT(CSkinDialog::OnPaint)
    EVT_SIZE(CSkinDialog::OnSize)
    EVT_LEFT_DOWN(CSkinDialog::OnLeftDown)
    EVT_MOTION(CSkinDialog::OnMotion)
    EVT_LEFT_UP(CSkinDialog::OnLeftUp)
    EVT_MOUSE_CAPTURE_LOST(CSkinDialog::OnCaptureLost)
wxEND_EVENT_TABLE()

CSkinDialog::CSkinDialog(wxWindow* parent, wxWindowID id, const wxString& title, const wxSize& size)
    : wxDialog(parent, id, title, wxDefaultPosition, size, wxBORDER_NONE | wxFRAME_SHAPED) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
}

bool CSkinDialog::SetBitmap(int resourceId) { return SetBitmap(kerfel::LoadSkinBitmap(resourceId)); }

bool CSkinDialog::SetBitmap(const wxBitmap& bitmap) {
    m_bmpSkin = bitmap;
    RenderBackground();
    return m_bmpSkin.IsOk();
}

void CSkinDialog::SetBackgroundMode(int mode) {
    m_nMode = mode;
    RenderBackground();
}

void CSkinDialog::SetTransparentColor(const wxColour& colour, bool enable) {
    m_clrTransparent = colour;
    m_bTransparent = enable;
    ApplyShape();
}

void CSkinDialog::RenderBackground() {
    wxSize sz = GetClientSize();
    if (sz.x <= 0 || sz.y <= 0) return;
    m_bmpBackground = wxBitmap(sz.x, sz.y);
    wxMemoryDC dc(m_bmpBackground);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    if (m_bmpSkin.IsOk()) {
        wxImage img = m_bmpSkin.ConvertToImage();
        if (m_nMode == ModeStretch || m_nMode == ModeFitWindow)
            dc.DrawBitmap(wxBitmap(img.Scale(sz.x, sz.y, wxIMAGE_QUALITY_NEAREST)), 0, 0);
        else if (m_nMode == ModeCenter)
            dc.DrawBitmap(m_bmpSkin, (sz.x - img.GetWidth()) / 2, (sz.y - img.GetHeight()) / 2);
        else if (m_nMode == ModeTile)
            for (int y = 0; y < sz.y; y += img.GetHeight())
                for (int x = 0; x < sz.x; x += img.GetWidth()) dc.DrawBitmap(m_bmpSkin, x, y);
        else
            dc.DrawBitmap(m_bmpSkin, 0, 0);
    }
    dc.SelectObject(wxNullBitmap);
    ApplyShape();
    Refresh(false);
}

void CSkinDialog::ApplyShape() {
    if (m_bTransparent && m_bmpBackground.IsOk()) SetShape(wxRegion(m_bmpBackground, m_clrTransparent));
}

wxBitmap CSkinDialog::BackgroundUnder(const wxRect& rect) {
    if (!m_bmpBackground.IsOk()) RenderBackground();
    wxRect r = rect.Intersect(wxRect(wxPoint(0, 0), m_bmpBackground.IsOk() ? m_bmpBackground.GetSize() : wxSize()));
    if (r.IsEmpty()) return wxBitmap();
    return m_bmpBackground.GetSubBitmap(r);
}

void CSkinDialog::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    if (m_bmpBackground.IsOk()) dc.DrawBitmap(m_bmpBackground, 0, 0);
    else {
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
    }
}

void CSkinDialog::OnSize(wxSizeEvent& event) {
    RenderBackground();
    event.Skip();
}

void CSkinDialog::OnLeftDown(wxMouseEvent& event) {
    if (!m_bDrag) return event.Skip();
    m_ptDragOffset = event.GetPosition();
    CaptureMouse();
}

void CSkinDialog::OnMotion(wxMouseEvent& event) {
    if (m_bDrag && event.Dragging() && HasCapture()) Move(ClientToScreen(event.GetPosition()) - m_ptDragOffset);
    event.Skip();
}

void CSkinDialog::OnLeftUp(wxMouseEvent& event) {
    if (HasCapture()) ReleaseMouse();
    event.Skip();
}

void CSkinDialog::OnCaptureLost(wxMouseCaptureLostEvent&) {}
