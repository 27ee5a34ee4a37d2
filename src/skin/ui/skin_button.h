#pragma once
// A push button drawn from state pictures over the dialog's background, with
// a centred caption, a hover picture and a tooltip. A click (press and
// release over the button) sends wxEVT_BUTTON; a press released outside
// sends nothing, and the second press of a double click counts as a press.
// From the keyboard, Enter presses it and Space presses it when released
// (looking pushed while held); the focus is shown by a dotted rectangle once
// its dialog is worked with the keyboard (CSkinDialog::ShowsKeyboardCues).
#include <wx/bitmap.h>
#include <wx/control.h>

class CSkinButton : public wxControl {
public:
    enum DrawMode { DrawNatural = 0, DrawStretch = 1, DrawTile = 2 };
    enum class Face { None, Normal, Pressed, Hover, Focus, Disabled };

    CSkinButton(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos, const wxSize& size);

    // Pictures by resource number (0 for none; a disabled picture of 0 or of
    // the normal one's number shows the normal picture muted), the draw mode (0 natural size, 1 stretched, 2 tiled),
    // a 3-D edge when `edge` is non-zero and the inset of the focus rectangle
    // (0 draws none).
    void SetBitmaps(int normal, int pressed, int hover, int disabled, int focus, int drawMode, int edge,
                    int focusInset);
    // The same without focus picture, edge or focus rectangle.
    void SetBitmaps(int normal, int pressed, int hover, int disabled, int drawMode);
    // Returns the previous caption colour.
    wxColour SetTextColor(const wxColour& colour);
    void SetTooltipText(const wxString& text);
    wxString GetTooltipText() const;
    bool Enable(bool enable = true) override;
    void SetLabel(const wxString& label) override;

    // Takes the hover look from where the pointer really is: for when a menu
    // or another window had the pointer and the button missed its leaving.
    void FollowPointer();

    bool IsHovering() const { return m_bHover; }
    bool IsTracking() const { return m_bTracking; }
    bool IsPushed() const { return m_bPushed; }
    int GetDrawMode() const { return m_nDrawMode; }
    // The picture the next paint draws.
    Face CurrentFace() const;
    // Whether the next paint draws the focus rectangle.
    bool ShowsFocusRect() const;

protected:
    void OnPaint(wxPaintEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnKillFocus(wxFocusEvent& event);
    void OnSetFocus(wxFocusEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnKeyUp(wxKeyEvent& event);
    wxSize DoGetBestSize() const override { return GetSize(); }
    bool AcceptsFocus() const override { return IsEnabled(); }

private:
    void Press();
    void SayName();
    void SetPushed(bool pushed);
    void SendClick();
    void DrawFace(wxDC& dc, const wxBitmap& bmp, const wxRect& rect);
    void DrawEdge(wxDC& dc, const wxRect& rect, bool sunken);
    void DrawCaption(wxDC& dc, const wxRect& rect, const wxColour& colour);

    bool m_bHover = false;     // the mouse is over the button
    bool m_bTracking = false;  // the left button went down here and is not up yet
    bool m_bPushed = false;    // pressed look: tracking with the cursor over the button
    bool m_bSpaceDown = false; // Space went down here and is not up yet
    wxBitmap m_bmpNormal, m_bmpPressed, m_bmpDisabled, m_bmpHover, m_bmpFocus;
    int m_nFocusInset = 0;
    wxColour m_clrText;
    int m_nEdge = 0;
    int m_nDrawMode = DrawStretch;
    wxDECLARE_EVENT_TABLE();
};
