#include "skin/ui/skin_dialog.h"

#include <wx/app.h>
#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/region.h>
#include <wx/settings.h>
#include <wx/textentry.h>

#include <algorithm>
#include <functional>

#include "skin/ui/button_mnemonics.h"
#include "skin/ui/skin_bitmaps.h"
#include "skin/ui/skin_button.h"

wxBEGIN_EVENT_TABLE(CSkinDialog, wxDialog)
    EVT_PAINT(CSkinDialog::OnPaint)
    EVT_SIZE(CSkinDialog::OnSize)
    EVT_LEFT_DOWN(CSkinDialog::OnLeftDown)
    EVT_MOTION(CSkinDialog::OnMotion)
    EVT_LEFT_UP(CSkinDialog::OnLeftUp)
    EVT_MOUSE_CAPTURE_LOST(CSkinDialog::OnCaptureLost)
    EVT_CHAR_HOOK(CSkinDialog::OnCharHook)
    EVT_ACTIVATE(CSkinDialog::OnActivate)
wxEND_EVENT_TABLE()

namespace {
// The window's outline, in its logical pixels. A picture denser than the
// window's pixels keeps a logical pixel only where none of the pixels drawn
// over it is the key colour: a kept pixel never shows a speck of the key.
wxRegion Outline(const wxBitmap& background, const wxColour& key) {
    const int scale = static_cast<int>(background.GetScaleFactor());
    if (scale <= 1) return wxRegion(background, key);
    const wxImage dense = background.ConvertToImage();
    const unsigned char* pixels = dense.GetData();
    auto isKey = [&](int x, int y) {
        const unsigned char* p = pixels + 3 * (std::min(y, dense.GetHeight() - 1) * dense.GetWidth() +
                                              std::min(x, dense.GetWidth() - 1));
        return p[0] == key.Red() && p[1] == key.Green() && p[2] == key.Blue();
    };
    const wxSize size = background.GetLogicalSize();
    wxImage outline(size.x, size.y);
    outline.SetRGB(wxRect(size), 255 - key.Red(), 255 - key.Green(), 255 - key.Blue());  // kept
    for (int y = 0; y < size.y; ++y)
        for (int x = 0; x < size.x; ++x)
            for (int d = 0; d < scale * scale; ++d)
                if (isKey(x * scale + d % scale, y * scale + d / scale)) {
                    outline.SetRGB(x, y, key.Red(), key.Green(), key.Blue());
                    break;
                }
    return wxRegion(wxBitmap(outline), key);
}
}  // namespace

// The size is given to the constructor: a borderless window sized later,
// before it is shown, stays 1 x 1 without a window manager.
CSkinDialog::CSkinDialog(wxWindow* parent, wxWindowID id, const wxString& title, const wxSize& size)
    : wxDialog(parent, id, title, wxDefaultPosition, size, wxBORDER_NONE | wxFRAME_SHAPED) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    // A box opened from a dialog that is worked with the keyboard shows its
    // focus at once: it was most likely opened with the keyboard too.
    wxWindow* opener = parent ? parent : (wxTheApp ? wxTheApp->GetTopWindow() : nullptr);
    if (auto* skin = dynamic_cast<CSkinDialog*>(opener)) m_bKeyboardCues = skin->ShowsKeyboardCues();
}

bool CSkinDialog::SetBitmap(int resourceId) {
    SetBitmap(kerfel::LoadSkinBitmap(resourceId, kerfel::PictureScale(this)));
    return true;
}

bool CSkinDialog::SetBitmap(const wxBitmap& bitmap) {
    m_bmpSkin = bitmap.IsOk() && bitmap.GetWidth() > 0 && bitmap.GetHeight() > 0 ? bitmap : wxNullBitmap;
    RenderBackground();
    return true;
}

void CSkinDialog::SetBackgroundMode(int mode) {
    m_nMode = mode;
    if (m_nMode == ModeFitWindow && m_bmpSkin.IsOk()) SetSize(m_bmpSkin.GetLogicalSize());
    RenderBackground();
}

bool CSkinDialog::SetTransparentColor(const wxColour& colour, bool enable) {
    m_clrTransparent = colour;
    m_bTransparent = enable;
    if (!HasFlag(wxFRAME_SHAPED)) return false;
    ApplyShape();
    if (!enable) Refresh(true);
    return true;
}

void CSkinDialog::RenderBackground() {
    wxSize sz = GetClientSize();
    if (sz.x <= 0 || sz.y <= 0) return;
    // At the picture's own density: one drawn for a denser display stays sharp.
    m_bmpBackground.CreateWithDIPSize(sz, m_bmpSkin.IsOk() ? m_bmpSkin.GetScaleFactor() : 1.0, 24);
    wxMemoryDC dc(m_bmpBackground);
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    dc.Clear();
    if (m_bmpSkin.IsOk()) {
        const wxSize picture = m_bmpSkin.GetLogicalSize();
        const int w = picture.x, h = picture.y;
        switch (m_nMode) {
            case ModeTile:
                for (int y = 0; y < sz.y; y += h)
                    for (int x = 0; x < sz.x; x += w) dc.DrawBitmap(m_bmpSkin, x, y);
                break;
            case ModeCenter: dc.DrawBitmap(m_bmpSkin, (sz.x - w) / 2, (sz.y - h) / 2); break;
            case ModeStretch: dc.DrawBitmap(kerfel::StretchedNearest(m_bmpSkin, sz), 0, 0); break;
            default: dc.DrawBitmap(m_bmpSkin, 0, 0); break;
        }
    }
    dc.SelectObject(wxNullBitmap);
    ApplyShape();
    Refresh(false);
}

void CSkinDialog::ApplyShape() {
    if (!HasFlag(wxFRAME_SHAPED)) return;
    if (m_bTransparent && m_bmpBackground.IsOk()) SetShape(Outline(m_bmpBackground, m_clrTransparent));
    else SetShape(wxRegion());
}

wxBitmap CSkinDialog::BackgroundUnder(const wxRect& rect) {
    if (!m_bmpBackground.IsOk()) RenderBackground();
    if (!m_bmpBackground.IsOk()) return wxBitmap();
    wxRect r = rect.Intersect(wxRect(m_bmpBackground.GetLogicalSize()));
    if (r.IsEmpty() || r.GetSize() != rect.GetSize()) {
        // Partly outside the client area: pad with the background colour.
        wxBitmap out;
        out.CreateWithDIPSize(std::max(rect.width, 1), std::max(rect.height, 1), m_bmpBackground.GetScaleFactor(), 24);
        wxMemoryDC dc(out);
        dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
        dc.Clear();
        if (!r.IsEmpty()) dc.DrawBitmap(m_bmpBackground.GetSubBitmap(r), r.x - rect.x, r.y - rect.y);
        dc.SelectObject(wxNullBitmap);
        return out;
    }
    return m_bmpBackground.GetSubBitmap(r);
}

void CSkinDialog::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    if (!m_bmpBackground.IsOk()) RenderBackground();
    if (m_bmpBackground.IsOk()) dc.DrawBitmap(m_bmpBackground, 0, 0);
    else {
        dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
        dc.Clear();
    }
    PaintOverBackground(dc);
}

void CSkinDialog::OnSize(wxSizeEvent&) {
    // Every size change lays the picture out again (a stretched skin follows).
    // Controls keep their template rectangles: the event is not passed on,
    // or a dialog with a single control would stretch it over the window.
    RenderBackground();
    Refresh(true);
}

// Dragging starts only on the dialog's own background: a press on a child
// goes to the child, which does not pass it on.
void CSkinDialog::OnLeftDown(wxMouseEvent& event) {
    event.Skip();
    if (!m_bDrag) return;
    m_ptDragOffset = event.GetPosition();
    m_bDragging = true;
    if (!HasCapture()) CaptureMouse();
}

void CSkinDialog::OnMotion(wxMouseEvent& event) {
    if (m_bDragging && event.LeftIsDown() && HasCapture())
        Move(ClientToScreen(event.GetPosition()) - m_ptDragOffset);
    event.Skip();
}

void CSkinDialog::OnLeftUp(wxMouseEvent& event) {
    m_bDragging = false;
    if (HasCapture()) ReleaseMouse();
    event.Skip();
}

void CSkinDialog::OnCaptureLost(wxMouseCaptureLostEvent&) { m_bDragging = false; }

// Back from another window: the buttons look as the pointer is now.
void CSkinDialog::OnActivate(wxActivateEvent& event) {
    event.Skip();
    if (!event.GetActive()) return;
    for (wxWindow* child : GetChildren())
        if (auto* button = dynamic_cast<CSkinButton*>(child)) button->FollowPointer();
}

void CSkinDialog::ShowKeyboardCues() {
    if (m_bKeyboardCues) return;
    m_bKeyboardCues = true;
    if (wxWindow* focus = FindFocus(); focus && wxGetTopLevelParent(focus) == this) focus->Refresh();
}

// Letters alone have no other use while a button has the focus, unless the
// dialog has fields to type into: there a slip off a field would press a
// button, so only Alt+letter does.
bool CSkinDialog::TakesBareMnemonics() const {
    wxWindow* focus = FindFocus();
    if (focus && focus != this && !dynamic_cast<CSkinButton*>(focus)) return false;
    std::function<bool(const wxWindow*)> hasField = [&](const wxWindow* w) {
        for (const wxWindow* child : w->GetChildren()) {
            if (child->IsTopLevel()) continue;
            if (dynamic_cast<const wxTextEntry*>(child) || hasField(child)) return true;
        }
        return false;
    };
    return !hasField(this);
}

void CSkinDialog::OnCharHook(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_TAB: case WXK_LEFT: case WXK_RIGHT: case WXK_UP: case WXK_DOWN: case WXK_ALT:
            ShowKeyboardCues();
            break;
        default: break;
    }
    int modifiers = event.GetModifiers() & ~wxMOD_SHIFT;
    bool mnemonic = modifiers == wxMOD_ALT || (modifiers == wxMOD_NONE && TakesBareMnemonics());
    if (mnemonic && kerfel::PressMnemonic(this, kerfel::LetterOf(event))) {
        ShowKeyboardCues();
        return;
    }
    event.Skip();
}
