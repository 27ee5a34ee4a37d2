#include "skin/ui/skin_button.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>
#include <wx/tooltip.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <algorithm>

#include "skin/ui/accessible.h"
#include "skin/ui/skin_bitmaps.h"
#include "skin/ui/skin_dialog.h"

wxBEGIN_EVENT_TABLE(CSkinButton, wxControl)
    EVT_PAINT(CSkinButton::OnPaint)
    EVT_MOTION(CSkinButton::OnMotion)
    EVT_LEAVE_WINDOW(CSkinButton::OnLeave)
    EVT_LEFT_DOWN(CSkinButton::OnLeftDown)
    EVT_LEFT_DCLICK(CSkinButton::OnLeftDown)
    EVT_LEFT_UP(CSkinButton::OnLeftUp)
    EVT_MOUSE_CAPTURE_LOST(CSkinButton::OnCaptureLost)
    EVT_KILL_FOCUS(CSkinButton::OnKillFocus)
    EVT_SET_FOCUS(CSkinButton::OnSetFocus)
    EVT_KEY_DOWN(CSkinButton::OnKeyDown)
    EVT_KEY_UP(CSkinButton::OnKeyUp)
wxEND_EVENT_TABLE()

namespace {
// Inset of the focus rectangle when the dialog gives none: inside the face
// of every picture, clear of the caption.
constexpr int kKeyboardFocusInset = 3;

// Pure red in a state picture shows the dialog's background through it.
wxBitmap Keyed(const wxBitmap& bmp) {
    if (!bmp.IsOk()) return bmp;
    wxImage img = bmp.ConvertToImage();
    img.SetMaskColour(255, 0, 0);
    return kerfel::AtDensityOf(img, bmp);
}

wxBitmap LoadKeyed(int id, double scale) { return id ? Keyed(kerfel::LoadSkinBitmap(id, scale)) : wxBitmap(); }

// The disabled look of a button that has no picture of its own for it: the
// normal picture washed out towards a light grey, so that it reads as
// disabled at a glance. The key colour stays pure red (still cut) and no
// other pixel can become pure red.
wxBitmap Muted(const wxBitmap& bmp) {
    if (!bmp.IsOk()) return bmp;
    wxImage img = bmp.ConvertToImage();
    unsigned char* p = img.GetData();
    for (int i = 0, n = img.GetWidth() * img.GetHeight(); i < n; ++i, p += 3) {
        if (p[0] == 255 && p[1] == 0 && p[2] == 0) continue;
        int grey = (p[0] * 30 + p[1] * 59 + p[2] * 11) / 100;
        unsigned char v = static_cast<unsigned char>(150 + grey * 90 / 255);
        p[0] = p[1] = p[2] = v;
    }
    img.SetMaskColour(255, 0, 0);
    return kerfel::AtDensityOf(img, bmp);
}

// Nearest-neighbour keeps the pure red of the picture pure, so the key still
// cuts it after scaling.
void DrawStretched(wxDC& dc, const wxBitmap& bmp, const wxRect& rect) {
    dc.DrawBitmap(kerfel::StretchedNearest(bmp, rect.GetSize()), rect.x, rect.y, true);
}
}  // namespace

CSkinButton::CSkinButton(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                         const wxSize& size)
    : wxControl(parent, id, pos, size, wxBORDER_NONE | wxWANTS_CHARS),
      m_clrText(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT)) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    wxControl::SetLabel(label);
    kerfel::a11y::SetRole(this, kerfel::a11y::Role::PushButton);
    // A reader's click comes as a keyboard press would: later, and only
    // while the button is enabled.
    kerfel::a11y::SetClickAction(this, [this] { CallAfter(&CSkinButton::SendClick); });
    SayName();
}

void CSkinButton::SetBitmaps(int normal, int pressed, int hover, int disabled, int focus, int drawMode, int edge,
                             int focusInset) {
    const double scale = kerfel::PictureScale(this);
    m_bmpNormal = LoadKeyed(normal, scale);
    m_bmpPressed = LoadKeyed(pressed, scale);
    m_bmpHover = LoadKeyed(hover, scale);
    m_bmpFocus = LoadKeyed(focus, scale);
    // A disabled picture that is the normal one would leave a disabled
    // button looking exactly like an enabled one.
    m_bmpDisabled = (disabled == 0 || disabled == normal) ? Muted(m_bmpNormal) : LoadKeyed(disabled, scale);
    // The values are 16-bit quantities for the callers; out-of-range modes clamp.
    short mode = static_cast<short>(drawMode);
    m_nDrawMode = mode < 0 ? DrawNatural : std::min<int>(mode, DrawTile);
    m_nEdge = static_cast<short>(edge);
    m_nFocusInset = std::max<int>(static_cast<short>(focusInset), 0);
    Refresh();
}

void CSkinButton::SetBitmaps(int normal, int pressed, int hover, int disabled, int drawMode) {
    SetBitmaps(normal, pressed, hover, disabled, 0, drawMode, 0, 0);
}

wxColour CSkinButton::SetTextColor(const wxColour& colour) {
    wxColour previous = m_clrText;
    m_clrText = colour;
    Refresh();
    return previous;
}

void CSkinButton::SetTooltipText(const wxString& text) {
    if (wxToolTip* tip = GetToolTip()) tip->SetTip(text);
    else SetToolTip(new wxToolTip(text));
    kerfel::a11y::SetDescription(this, text);
    SayName();
}

// A button drawn with a symbol and no caption (minimise, close) is named by
// its tooltip.
void CSkinButton::SayName() {
    const wxString caption = GetLabel();
    kerfel::a11y::SetName(this, caption.empty() ? GetTooltipText() : caption);
}

wxString CSkinButton::GetTooltipText() const {
    wxToolTip* tip = GetToolTip();
    return tip ? tip->GetTip() : wxString();
}

bool CSkinButton::Enable(bool enable) {
    bool changed = wxControl::Enable(enable);
    if (!enable) {
        if (HasCapture()) ReleaseMouse();
        m_bTracking = m_bPushed = m_bHover = m_bSpaceDown = false;
    }
    Refresh();
    return changed;
}

void CSkinButton::SetLabel(const wxString& label) {
    wxControl::SetLabel(label);
    SayName();
    Refresh();
}

CSkinButton::Face CSkinButton::CurrentFace() const {
    auto pick = [](const wxBitmap& b, Face f) { return b.IsOk() ? f : Face::None; };
    if (!IsEnabled()) return pick(m_bmpDisabled, Face::Disabled);
    if (m_bPushed) return pick(m_bmpPressed, Face::Pressed);
    if (!m_bmpNormal.IsOk()) return Face::None;
    if (m_bHover && m_bmpHover.IsOk()) return Face::Hover;
    if (HasFocus() && m_bmpFocus.IsOk()) return Face::Focus;
    return Face::Normal;
}

bool CSkinButton::ShowsFocusRect() const {
    if (!IsEnabled() || !HasFocus()) return false;
    if (m_nFocusInset > 0) return true;
    auto* skin = dynamic_cast<CSkinDialog*>(wxGetTopLevelParent(const_cast<CSkinButton*>(this)));
    return skin && skin->ShowsKeyboardCues();
}

void CSkinButton::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    wxRect r(GetClientSize());
    if (auto* skin = dynamic_cast<CSkinDialog*>(GetParent())) {
        wxBitmap under = skin->BackgroundUnder(GetRect());
        if (under.IsOk()) dc.DrawBitmap(under, 0, 0);
    } else {
        dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
        dc.Clear();
    }
    const wxBitmap* faces[] = {nullptr, &m_bmpNormal, &m_bmpPressed, &m_bmpHover, &m_bmpFocus, &m_bmpDisabled};
    Face face = CurrentFace();
    if (face == Face::None) {
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
        dc.DrawRectangle(r);
    } else {
        DrawFace(dc, *faces[static_cast<int>(face)], r);
    }

    int margin = m_nFocusInset + 2;
    wxRect caption(r.x + margin, r.y, std::max(r.width - 2 * margin, 0), r.height);
    if (!IsEnabled()) {
        if (m_nEdge) DrawEdge(dc, r, false);
        DrawCaption(dc, caption, wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT));
        caption.Offset(-1, -1);
        DrawCaption(dc, caption, wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
        return;
    }
    if (m_bPushed) caption.Offset(1, 1);
    if (m_nEdge) DrawEdge(dc, r, m_bPushed);
    if (ShowsFocusRect()) {
        // The smallest buttons (the window's minimise and close crosses) get
        // their rectangle closer to the edge, clear of their symbol.
        int inset = m_nFocusInset > 0 ? m_nFocusInset : std::min(kKeyboardFocusInset, std::min(r.width, r.height) / 8);
        wxRect f = r.Deflate(inset);
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        // Dots of the caption colour between dots of its opposite: visible
        // on a light face and on a dark one alike.
        wxColour under = m_clrText.GetLuminance() < 0.5 ? *wxWHITE : *wxBLACK;
        dc.SetPen(wxPen(under, 1));
        dc.DrawRectangle(f);
        dc.SetPen(wxPen(m_clrText, 1, wxPENSTYLE_DOT));
        dc.DrawRectangle(f);
    }
    DrawCaption(dc, caption, m_clrText);
}

void CSkinButton::DrawFace(wxDC& dc, const wxBitmap& bmp, const wxRect& rect) {
    // The whole picture stretched over the whole button goes first: where the
    // button is larger than its picture, the edge of the picture fills the
    // rest instead of a strip of the dialog.
    const wxRect client(GetClientSize());
    if (client.IsEmpty() || !bmp.IsOk()) return;
    DrawStretched(dc, bmp, client);
    if (m_nDrawMode == DrawTile) {
        wxDCClipper clip(dc, rect);
        const wxSize step = bmp.GetLogicalSize();
        for (int y = rect.y; y < rect.GetBottom() + 1; y += step.y)
            for (int x = rect.x; x < rect.GetRight() + 1; x += step.x) dc.DrawBitmap(bmp, x, y, true);
    } else if (m_nDrawMode == DrawStretch) {
        if (rect != client) DrawStretched(dc, bmp, rect);
    } else {
        wxDCClipper clip(dc, rect);
        dc.DrawBitmap(bmp, rect.x, rect.y, true);
    }
}

void CSkinButton::DrawEdge(wxDC& dc, const wxRect& r, bool sunken) {
    wxColour light = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
    wxColour dark = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    if (sunken) std::swap(light, dark);
    dc.SetPen(wxPen(light));
    dc.DrawLine(r.GetLeft(), r.GetBottom(), r.GetLeft(), r.GetTop());
    dc.DrawLine(r.GetLeft(), r.GetTop(), r.GetRight(), r.GetTop());
    dc.SetPen(wxPen(dark));
    dc.DrawLine(r.GetRight(), r.GetTop(), r.GetRight(), r.GetBottom());
    dc.DrawLine(r.GetRight(), r.GetBottom(), r.GetLeft() - 1, r.GetBottom());
}

void CSkinButton::DrawCaption(wxDC& dc, const wxRect& rect, const wxColour& colour) {
    wxString text;
    int accel = FindAccelIndex(GetLabel(), &text);
    if (text.empty()) return;
    // One line, centred both ways.
    text.Replace("\r", "");
    text.Replace("\n", " ");
    dc.SetFont(GetFont());
    dc.SetTextForeground(colour);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    wxDCClipper clip(dc, wxRect(GetClientSize()));
    dc.DrawLabel(text, rect, wxALIGN_CENTER, accel);
}

void CSkinButton::OnMotion(wxMouseEvent& event) {
    if (m_bTracking && HasCapture()) {
        bool inside = wxRect(GetClientSize()).Contains(event.GetPosition());
        if (inside != m_bPushed) SetPushed(inside);
    } else if (!m_bHover) {
        m_bHover = true;
        Refresh();
    }
    event.Skip();
}

void CSkinButton::OnLeave(wxMouseEvent& event) {
    m_bHover = false;
    Refresh();
    event.Skip();
}

void CSkinButton::OnLeftDown(wxMouseEvent&) {
    if (!IsEnabled()) return;
    Press();
}

void CSkinButton::Press() {
    m_bHover = false;
    m_bTracking = true;
    if (!HasCapture()) CaptureMouse();
    if (!HasFocus()) SetFocus();
    SetPushed(true);
}

void CSkinButton::OnLeftUp(wxMouseEvent& event) {
    bool wasTracking = m_bTracking;
    bool inside = wxRect(GetClientSize()).Contains(event.GetPosition());
    m_bTracking = false;
    if (HasCapture()) ReleaseMouse();
    SetPushed(false);
    if (inside && !m_bHover) {
        m_bHover = true;
        Refresh();
    }
    if (wasTracking && inside && IsEnabled()) SendClick();
}

void CSkinButton::OnCaptureLost(wxMouseCaptureLostEvent&) {
    m_bTracking = false;
    SetPushed(false);
}

void CSkinButton::OnKillFocus(wxFocusEvent& event) {
    if (HasCapture()) ReleaseMouse();
    m_bTracking = false;
    m_bSpaceDown = false;
    SetPushed(false);
    Refresh();
    event.Skip();
}

void CSkinButton::OnSetFocus(wxFocusEvent& event) {
    Refresh();
    event.Skip();
}

// Space clicks on release, as a push button does, so that holding it down
// (the key repeats) presses the button once.
void CSkinButton::OnKeyDown(wxKeyEvent& event) {
    int key = event.GetKeyCode();
    if (key == WXK_SPACE && !event.HasAnyModifiers()) {
        if (!m_bTracking && IsEnabled()) {
            m_bSpaceDown = true;
            SetPushed(true);
        }
    } else if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
        SendClick();
    } else if (key == WXK_TAB) {
        Navigate(event.ShiftDown() ? wxNavigationKeyEvent::IsBackward : wxNavigationKeyEvent::IsForward);
    } else {
        event.Skip();
    }
}

void CSkinButton::OnKeyUp(wxKeyEvent& event) {
    if (event.GetKeyCode() != WXK_SPACE || !m_bSpaceDown) {
        event.Skip();
        return;
    }
    m_bSpaceDown = false;
    SetPushed(false);
    SendClick();
}

void CSkinButton::SetPushed(bool pushed) {
    if (pushed == m_bPushed) return;
    m_bPushed = pushed;
    Refresh();
}

void CSkinButton::SendClick() {
    if (!IsEnabled()) return;
    wxCommandEvent ev(wxEVT_BUTTON, GetId());
    ev.SetEventObject(this);
    wxWeakRef<CSkinButton> self(this);
    ProcessWindowEvent(ev);
    // A click that opened a menu or a modal window returns only once that
    // has closed; the pointer left meanwhile without the button being told.
    if (self) FollowPointer();
}

void CSkinButton::FollowPointer() {
    bool over = IsShownOnScreen() && IsEnabled() && !m_bTracking && GetScreenRect().Contains(wxGetMousePosition());
    if (over == m_bHover) return;
    m_bHover = over;
    Refresh();
}
