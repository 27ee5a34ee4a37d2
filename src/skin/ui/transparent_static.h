#pragma once
// A label that draws only its text over the dialog's picture. Labels made
// with `notifyClicks` send wxEVT_BUTTON with their id when clicked.
#include <wx/control.h>

class CTransparentStatic : public wxControl {
public:
    CTransparentStatic(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                       const wxSize& size, long align = wxALIGN_LEFT, bool notifyClicks = false);

    void SetTextColor(const wxColour& colour);
    wxColour GetTextColor() const { return m_clrText; }
    void SetLabel(const wxString& label) override;

protected:
    void OnPaint(wxPaintEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    wxSize DoGetBestSize() const override { return GetSize(); }
    bool AcceptsFocus() const override { return false; }

private:
    wxColour m_clrText{0, 0, 0};
    long m_nAlign;
    bool m_bNotify;
    wxDECLARE_EVENT_TABLE();
};
