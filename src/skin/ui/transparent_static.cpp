#include "skin/ui/transparent_static.h"

#include <wx/dcbuffer.h>

#include "skin/ui/skin_dialog.h"

wxBEGIN_EVENT_TABLE(CTransparentStatic, wxControl)
    EVT_PAINT(CTransparentStatic::OnPaint)
    EVT_LEFT_UP(CTransparentStatic::OnLeftUp)
wxEND_EVENT_TABLE()

CTransparentStatic::CTransparentStatic(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                                       const wxSize& size, long align, bool notifyClicks)
    : wxControl(parent, id, pos, size, wxBORDER_NONE), m_nAlign(align), m_bNotify(notifyClicks) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    wxControl::SetLabel(label);
}

void CTransparentStatic::SetTextColor(const wxColour& colour) {
    m_clrText = colour;
    Refresh();
}

void CTransparentStatic::SetLabel(const wxString& label) {
    if (label == GetLabel()) return;
    wxControl::SetLabel(label);
    Refresh();  // repaints the picture under the old text too, so nothing of it stays
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
    wxRect r(GetClientSize());
    dc.DrawLabel(wxControl::RemoveMnemonics(GetLabel()), r, m_nAlign | wxALIGN_TOP);
}

void CTransparentStatic::OnLeftUp(wxMouseEvent& event) {
    if (!m_bNotify) return event.Skip();
    wxCommandEvent ev(wxEVT_BUTTON, GetId());
    ev.SetEventObject(this);
    ProcessWindowEvent(ev);
}
