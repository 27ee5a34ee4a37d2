#include "i18n/ui/about_dialog.h"
#include "i18n/ui/ui_text.h"

#include <wx/dc.h>

#include "base/version.h"
#include "skin/dialog_units.h"
#include "i18n/language_table.h"
#include "i18n/version_text.h"
#include "skin/ui/skin_bitmaps.h"

wxBEGIN_EVENT_TABLE(CAboutDialog, CSkinDialog)
    EVT_BUTTON(wxID_OK, CAboutDialog::OnOK)
    EVT_CHAR_HOOK(CAboutDialog::OnCharHook)
wxEND_EVENT_TABLE()

namespace {

using kerfel::DuX;
using kerfel::DuY;

CTransparentStatic* Label(wxWindow* parent, int id, const char* text, int x, int y, int w, int h) {
    return new CTransparentStatic(parent, id, wxString::FromUTF8(text), wxPoint(DuX(x), DuY(y)),
                                  wxSize(DuX(w), DuY(h)));
}
}  // namespace

// Template 100: 267 x 162 dialog units, until the picture gives its size.
CAboutDialog::CAboutDialog(wxWindow* parent)
    : CSkinDialog(parent, wxID_ANY, "About", wxSize(DuX(267), DuY(162))) {
    SetFont(kerfel::SkinFont());
    EnableDrag(true);
    SetBitmap(247);
    SetBackgroundMode(ModeFitWindow);
    SetTransparentColor(wxColour(255, 0, 0), true);

    m_btnOK = new CSkinButton(this, wxID_OK, "&OK", wxPoint(DuX(199), DuY(131)), wxSize(DuX(54), DuY(16)));
    // The texts end before the mark on the picture's card (from x 286); the
    // copyright line has room for a second line where a language needs it.
    m_lblName = Label(this, IDC_L_NAME, "Lorvak Image Kerfel", 33, 54, 152, 12);
    m_lblVersion =
        Label(this, IDC_L_VERSION, ("Version " + std::string(kerfel::ProgramVersion())).c_str(), 33, 69, 152, 12);
    m_lblCprt = Label(this, IDC_L_CPRT, "", 33, 84, 152, 17);
    m_lblName->SetFont(GetFont().Bold());

    m_btnOK->SetTextColor(*wxBLACK);
    m_btnOK->SetTooltipText(kerfel::UiText("ABOUTDIALOG.TOOLTIPTEXT_IDOK"));
    m_btnOK->SetBitmaps(248, 248, 250, 248, 0, CSkinButton::DrawNatural, 0, 0);

    m_lblName->SetLabel(kerfel::UiText("ABOUTDIALOG.IDC_L_NAME"));
    m_lblVersion->SetLabel(wxString::FromUTF8(
        kerfel::VersionLine(kerfel::GetLanguageText("ABOUTDIALOG.IDC_L_VERSION"), kerfel::ProgramVersion())));
    m_lblCprt->SetLabel(kerfel::UiText("ABOUTDIALOG.IDC_L_CPRT"));
    m_btnOK->SetLabel(kerfel::UiText("ABOUTDIALOG.IDOK"));
    SetTitle(kerfel::UiText("ABOUTDIALOG.WINDOWTEXT"));
    CentreOnScreen();
    // The box's only control: Enter and Space answer it from the start.
    m_btnOK->SetFocus();
}

void CAboutDialog::PaintOverBackground(wxDC& dc) {
    wxString title = GetTitle();
    if (title.empty()) return;
    dc.SetFont(GetFont().Bold());
    dc.SetTextForeground(wxColour(244, 241, 236));
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    int h = dc.GetCharHeight();
    dc.DrawText(title, 24, (58 - h) / 2);
}

void CAboutDialog::OnOK(wxCommandEvent&) { EndModal(wxID_OK); }

void CAboutDialog::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE) EndModal(wxID_CANCEL);
    else event.Skip();
}
