#include "skin/ui/transparent_static.h"

#include <wx/dcbuffer.h>
#include <wx/tokenzr.h>

#include "skin/spoken_name.h"
#include "skin/ui/accessible.h"
#include "skin/ui/skin_dialog.h"

wxBEGIN_EVENT_TABLE(CTransparentStatic, wxControl)
    EVT_PAINT(CTransparentStatic::OnPaint)
    EVT_LEFT_DOWN(CTransparentStatic::OnLeftDown)
    EVT_LEFT_DCLICK(CTransparentStatic::OnLeftDown)
    EVT_LEFT_UP(CTransparentStatic::OnLeftUp)
wxEND_EVENT_TABLE()

int CTransparentStatic::TextFlags(long style) {
    int flags = 0;
    if (style & StyleRight) flags |= TextRight;
    if (style & StyleCenter) flags |= TextCenter;
    if (style & StyleCenterImage) flags |= TextVCenterSingleLine;
    if (style & StyleNoPrefix) flags |= TextNoPrefix;
    if (style & StyleWordEllipsis) flags |= TextWordEllipsis;
    // Each ellipsis bit adds its own flag: both bits together give all three.
    if (style & StyleEndEllipsis) flags |= TextEndEllipsis;
    if (style & StylePathEllipsis) flags |= TextPathEllipsis;
    if (!(style & 0xC20C)) flags |= TextWordWrap;
    return flags;
}

CTransparentStatic::CTransparentStatic(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                                       const wxSize& size, long align, bool notifyClicks)
    : wxControl(parent, id, pos, size, wxBORDER_NONE) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (align & wxALIGN_RIGHT) m_nStyle |= StyleRight;
    else if (align & wxALIGN_CENTRE_HORIZONTAL) m_nStyle |= StyleCenter;
    if (notifyClicks) m_nStyle |= StyleNotify;
    wxControl::SetLabel(label);
    kerfel::a11y::SetRole(this, kerfel::a11y::Role::Label);
    kerfel::a11y::NeverFocus(this);
    SayName();
}

void CTransparentStatic::Names(wxWindow* control) {
    kerfel::a11y::Relate(this, control);
    m_named.push_back(control);
    SayName();
}

// Names change with the language: each new caption renames the fields it labels.
void CTransparentStatic::SayName() {
    kerfel::a11y::SetName(this, GetLabel());
    const wxString field = wxString::FromUTF8(kerfel::FieldNameFromLabel(GetLabel().utf8_string()));
    for (wxWeakRef<wxWindow>& control : m_named)
        if (control) kerfel::a11y::SetName(control, field);
}

void CTransparentStatic::SetTextColor(const wxColour& colour) {
    m_clrText = colour;
    Refresh();
}

void CTransparentStatic::SetLabelStyle(long style) {
    m_nStyle = style;
    Refresh();
}

// The whole rectangle is painted again from the dialog's picture, so the
// previous text leaves no trace under the new one.
void CTransparentStatic::SetLabel(const wxString& label) {
    wxControl::SetLabel(label);
    SayName();
    Refresh();
}

wxArrayString CTransparentStatic::LayoutLines(wxDC& dc) const {
    const int flags = TextFlags(m_nStyle);
    const bool prefix = !(flags & TextNoPrefix);
    const int width = GetClientSize().x;
    auto shown = [&](const wxString& s) { return prefix ? RemoveMnemonics(s) : s; };
    auto fits = [&](const wxString& s) { return dc.GetTextExtent(shown(s)).x <= width; };

    wxString text = GetLabel();
    text.Replace("\r", "");
    if (flags & TextVCenterSingleLine) text.Replace("\n", " ");
    wxArrayString paragraphs = wxStringTokenize(text, "\n", wxTOKEN_RET_EMPTY_ALL);
    wxArrayString lines;
    for (const wxString& para : paragraphs) {
        if (!(flags & TextWordWrap) || fits(para)) {
            lines.Add(para);
            continue;
        }
        // Break between words; a word wider than the label keeps its own line.
        wxString line;
        for (const wxString& word : wxStringTokenize(para, " ", wxTOKEN_RET_EMPTY_ALL)) {
            wxString candidate = line.empty() ? word : line + " " + word;
            if (line.empty() || fits(candidate)) line = candidate;
            else {
                lines.Add(line);
                line = word;
            }
        }
        lines.Add(line);
    }
    if (flags & TextWordEllipsis) {
        wxEllipsizeMode mode = (flags & TextPathEllipsis) ? wxELLIPSIZE_MIDDLE : wxELLIPSIZE_END;
        for (wxString& line : lines)
            if (!fits(line)) line = Ellipsize(shown(line), dc, mode, width, wxELLIPSIZE_FLAGS_NONE);
    }
    return lines;
}

void CTransparentStatic::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    if (auto* skin = dynamic_cast<CSkinDialog*>(GetParent())) {
        wxBitmap under = skin->BackgroundUnder(GetRect());
        if (under.IsOk()) dc.DrawBitmap(under, 0, 0);
    } else {
        dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
        dc.Clear();
    }
    dc.SetFont(GetFont());
    dc.SetTextForeground(m_clrText);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);

    const int flags = TextFlags(m_nStyle);
    const wxSize client = GetClientSize();
    const int lineHeight = dc.GetCharHeight();
    wxArrayString lines = LayoutLines(dc);
    int y = (flags & TextVCenterSingleLine) ? (client.y - lineHeight) / 2 : 0;
    int align = (flags & TextRight) ? wxALIGN_RIGHT : (flags & TextCenter) ? wxALIGN_CENTER_HORIZONTAL : wxALIGN_LEFT;
    for (const wxString& line : lines) {
        wxString text = line;
        int accel = (flags & TextNoPrefix) ? -1 : FindAccelIndex(line, &text);
        dc.DrawLabel(text, wxRect(0, y, client.x, lineHeight), align | wxALIGN_TOP, accel);
        y += lineHeight;
        if (y >= client.y) break;
    }
}

// A click is a press and a release on the label. Two quick clicks are two
// clicks: the label stands for its check box, which toggles twice.
void CTransparentStatic::OnLeftDown(wxMouseEvent& event) {
    m_bDown = true;
    event.Skip();
}

void CTransparentStatic::OnLeftUp(wxMouseEvent& event) {
    bool wasDown = m_bDown;
    m_bDown = false;
    event.Skip();
    if (!(m_nStyle & StyleNotify) || !wasDown) return;
    if (!wxRect(GetClientSize()).Contains(event.GetPosition())) return;
    wxCommandEvent ev(wxEVT_BUTTON, GetId());
    ev.SetEventObject(this);
    ProcessWindowEvent(ev);
}
