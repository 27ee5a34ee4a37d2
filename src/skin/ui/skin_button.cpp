#include "skin/ui/skin_button.h"

#include <wx/dcbuffer.h>

#include "skin/ui/skin_bitmaps.h"
#include "skin/ui/skin_dialog.h"

wxBEGIN_EVENT_TABLE(CSkinButton, wxControl)
    EVT_PAINT(CSkinButton::OnPaint)
    EVT_ENTER_WINDOW(CSkinButton::OnEnter)
    EVT_LEAVE_WINDOW(CSkinButton::OnLeave)
    EVT_LEFT_DOWN(CSkinButton::OnLeftDown)
    EVT_LEFT_DCLICK(CSkinButton::OnLeftDown)
    EVT_LEFT_UP(CSkinButton::OnLeftUp)
    EVT_MOUSE_CAPTURE_LOST(CSkinButton::OnCaptureLost)
    EVT_KEY_DOWN(CSkinButton::OnKeyDown)
    EVT_SET_FOCUS(CSkinButton::OnFocus)
    EVT_KILL_FOCUS(CSkinButton::OnFocus)
wxEND_EVENT_TABLE()

CSkinButton::CSkinButton(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                         const wxSize& size)
    : wxControl(parent, id, pos, size, wxBORDER_NONE | wxWANTS_CHARS) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetLabel(label);
}

void CSkinButton::SetBitmaps(int normal, int pressed, int hover, int disabled, int mode) {
    m_bmpNormal = normal ? kerfel::LoadSkinBitmap(normal) : wxBitmap();
    m_bmpPressed = pressed ? kerfel::LoadSkinBitmap(pressed) : wxBitmap();
    m_bmpHover = hover ? kerfel::LoadSkinBitmap(hover) : wxBitmap();
    m_bmpDisabled = disabled ? kerfel::LoadSkinBitmap(disabled) : wxBitmap();
    m_nDrawMode = mode;
    Refresh();
}

void CSkinButton::SetTextColor(const wxColour& colour) {
    m_clrText = colour;
    Refresh();
}

void CSkinButton::SetTooltipText(const wxString& text) { SetToolTip(text); }

bool CSkinButton::Enable(bool enable) {
    bool changed = wxControl::Enable(enable);
    Refresh();
    return changed;
}

void CSkinButton::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    wxSize sz = GetClientSize();
    if (auto* skin = dynamic_cast<CSkinDialog*>(GetParent())) {
        wxBitmap under = skin->BackgroundUnder(GetRect());
        if (under.IsOk()) dc.DrawBitmap(under, 0, 0);
    } else {
        dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
        dc.Clear();
    }
    wxBitmap bmp = m_bmpNormal;
    if (!IsEnabled() && m_bmpDisabled.IsOk()) bmp = m_bmpDisabled;
    else if (m_bPressed && m_bHover && m_bmpPressed.IsOk()) bmp = m_bmpPressed;
    else if (m_bHover && m_bmpHover.IsOk()) bmp = m_bmpHover;
    if (bmp.IsOk()) {
        wxImage img = bmp.ConvertToImage();
        if (m_nDrawMode == 2) img.Rescale(sz.x, sz.y, wxIMAGE_QUALITY_NEAREST);
        img.SetMaskColour(255, 0, 0);
        wxBitmap draw(img);
        if (!IsEnabled() && !m_bmpDisabled.IsOk()) draw = draw.ConvertToDisabled();
        dc.DrawBitmap(draw, 0, 0, true);
    } else {
        dc.SetPen(wxPen(wxColour(90, 90, 90)));
        dc.SetBrush(wxBrush(m_bHover ? wxColour(235, 235, 235) : wxColour(215, 215, 215)));
        dc.DrawRoundedRectangle(0, 0, sz.x, sz.y, 3);
    }
    if (m_nDrawMode != 0) {
        dc.SetFont(GetFont());
        dc.SetTextForeground(IsEnabled() ? m_clrText : wxColour(128, 128, 128));
        wxString text = wxControl::RemoveMnemonics(GetLabel());
        wxSize te = dc.GetTextExtent(text);
        int off = (m_bPressed && m_bHover) ? 1 : 0;
        dc.DrawText(text, (sz.x - te.x) / 2 + off, (sz.y - te.y) / 2 + off);
    }
    if (HasFocus()) {
        dc.SetPen(wxPen(wxColour(60, 60, 60), 1, wxPENSTYLE_DOT));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.DrawRectangle(2, 2, sz.x - 4, sz.y - 4);
    }
}

void CSkinButton::OnEnter(wxMouseEvent&) {
    m_bHover = true;
    Refresh();
}

void CSkinButton::OnLeave(wxMouseEvent&) {
    m_bHover = false;
    Refresh();
}

void CSkinButton::OnLeftDown(wxMouseEvent&) {
    if (!IsEnabled()) return;
    m_bPressed = true;
    if (!HasCapture()) CaptureMouse();
    Refresh();
}

void CSkinButton::OnLeftUp(wxMouseEvent& event) {
    if (HasCapture()) ReleaseMouse();
    bool inside = wxRect(GetClientSize()).Contains(event.GetPosition());
    bool wasPressed = m_bPressed;
    m_bPressed = false;
    m_bHover = inside;
    Refresh();
    if (wasPressed && inside && IsEnabled()) SendClick();
}

void CSkinButton::OnCaptureLost(wxMouseCaptureLostEvent&) {
    m_bPressed = false;
    Refresh();
}

void CSkinButton::OnKeyDown(wxKeyEvent& event) {
    int key = event.GetKeyCode();
    if (key == WXK_SPACE || key == WXK_RETURN || key == WXK_NUMPAD_ENTER) SendClick();
    else if (key == WXK_TAB) Navigate(event.ShiftDown() ? wxNavigationKeyEvent::IsBackward : wxNavigationKeyEvent::IsForward);
    else event.Skip();
}

void CSkinButton::OnFocus(wxFocusEvent& event) {
    Refresh();
    event.Skip();
}

void CSkinButton::SendClick() {
    wxCommandEvent ev(wxEVT_BUTTON, GetId());
    ev.SetEventObject(this);
    ProcessWindowEvent(ev);
}
