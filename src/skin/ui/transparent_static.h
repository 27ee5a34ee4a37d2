#pragma once
// A label that draws only its text over the dialog's picture, in its own
// colour. Its style bits say how the text is laid out (see TextFlags). A
// label made with `notifyClicks` sends wxEVT_BUTTON with its id when clicked.
#include <wx/control.h>
#include <wx/weakref.h>

#include <vector>

class CTransparentStatic : public wxControl {
public:
    // Style bits of the label.
    enum Style : long {
        StyleCenter = 0x1,
        StyleRight = 0x2,
        StyleNoPrefix = 0x80,
        StyleNotify = 0x100,
        StyleCenterImage = 0x200,
        StyleEndEllipsis = 0x4000,
        StylePathEllipsis = 0x8000,
        StyleWordEllipsis = 0xC000,
    };
    // How the text is drawn, derived from the style bits.
    enum TextFlag : int {
        TextRight = 0x1,
        TextCenter = 0x2,
        TextVCenterSingleLine = 0x4,
        TextNoPrefix = 0x8,
        TextWordEllipsis = 0x10,
        TextEndEllipsis = 0x20,
        TextPathEllipsis = 0x40,
        TextWordWrap = 0x80,
    };
    static int TextFlags(long style);

    // `align` is wxALIGN_LEFT, wxALIGN_RIGHT or wxALIGN_CENTRE_HORIZONTAL.
    CTransparentStatic(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                       const wxSize& size, long align = wxALIGN_LEFT, bool notifyClicks = false);

    void SetTextColor(const wxColour& colour);
    wxColour GetTextColor() const { return m_clrText; }
    void SetLabel(const wxString& label) override;
    void SetLabelStyle(long style);
    // The label names `control` for a screen reader, now and after each new caption.
    void Names(wxWindow* control);
    long GetLabelStyle() const { return m_nStyle; }

    // The lines the label draws in its rectangle with its font (after
    // wrapping and ellipsis; prefixes are still in them).
    wxArrayString LayoutLines(wxDC& dc) const;

protected:
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    wxSize DoGetBestSize() const override { return GetSize(); }
    bool AcceptsFocus() const override { return false; }

private:
    void SayName();

    std::vector<wxWeakRef<wxWindow>> m_named;
    wxColour m_clrText{0, 0, 0};
    long m_nStyle = 0;
    bool m_bDown = false;
    wxDECLARE_EVENT_TABLE();
};
