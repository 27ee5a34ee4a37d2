#pragma once
// A push button drawn from state pictures over the dialog's background,
// with a hover picture and a tooltip; a click sends wxEVT_BUTTON.
#include <wx/bitmap.h>
#include <wx/control.h>

class CSkinButton : public wxControl {
public:
    CSkinButton(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos, const wxSize& size);

    // Pictures by resource number for normal, pressed, hover, disabled (0 for
    // none) and the draw mode (0 picture only, 1 picture and caption, 2 stretched with caption).
    void SetBitmaps(int normal, int pressed, int hover, int disabled, int mode);
    void SetTextColor(const wxColour& colour);
    void SetTooltipText(const wxString& text);
    bool Enable(bool enable = true) override;

protected:
    void OnPaint(wxPaintEvent& event);
    void OnEnter(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnFocus(wxFocusEvent& event);
    wxSize DoGetBestSize() const override { return GetSize(); }
    bool AcceptsFocus() const override { return IsEnabled(); }

private:
    void SendClick();
    wxBitmap m_bmpNormal, m_bmpPressed, m_bmpHover, m_bmpDisabled;
    int m_nDrawMode = 1;
    wxColour m_clrText{0, 0, 0};
    bool m_bHover = false;
    bool m_bPressed = false;
    wxDECLARE_EVENT_TABLE();
};
