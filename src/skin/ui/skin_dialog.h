#pragma once
// A borderless dialog that draws a picture as its background, takes the
// picture's outline (pure red is see-through) and moves when dragged.
#include <wx/bitmap.h>
#include <wx/dialog.h>

class CSkinDialog : public wxDialog {
public:
    enum BackgroundMode { ModeNormal = 0, ModeTile = 1, ModeCenter = 2, ModeStretch = 3, ModeFitWindow = 4 };

    CSkinDialog(wxWindow* parent, wxWindowID id, const wxString& title, const wxSize& size);

    bool SetBitmap(int resourceId);
    bool SetBitmap(const wxBitmap& bitmap);
    void SetBackgroundMode(int mode);
    void EnableDrag(bool enable) { m_bDrag = enable; }
    void SetTransparentColor(const wxColour& colour, bool enable);

    // What the background shows under a rectangle of the client area, for
    // children that draw over the picture.
    wxBitmap BackgroundUnder(const wxRect& rect);

protected:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);

private:
    void RenderBackground();
    void ApplyShape();

    wxBitmap m_bmpSkin;        // the picture as given
    wxBitmap m_bmpBackground;  // the picture laid out over the client area
    int m_nMode = ModeNormal;
    bool m_bDrag = false;
    bool m_bTransparent = false;
    wxColour m_clrTransparent{255, 0, 0};
    wxPoint m_ptDragOffset;
    wxDECLARE_EVENT_TABLE();
};
