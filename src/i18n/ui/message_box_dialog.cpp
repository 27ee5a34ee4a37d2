#include "i18n/ui/message_box_dialog.h"
#include "i18n/ui/ui_text.h"

#include <wx/app.h>
#include <wx/artprov.h>
#include <wx/display.h>
#include <wx/image.h>
#include <wx/settings.h>

#include <mutex>

#include "i18n/language_list.h"
#include "i18n/language_table.h"
#include "i18n/message_box_model.h"
#include "skin/dialog_units.h"
#include "skin/ui/accessible.h"
#include "skin/ui/button_mnemonics.h"
#include "skin/ui/skin_bitmaps.h"

wxBEGIN_EVENT_TABLE(CMessageBoxDialog, wxDialog)
    EVT_BUTTON(CMessageBoxDialog::IDC_BUTTON_LEFT, CMessageBoxDialog::OnButton)
    EVT_BUTTON(CMessageBoxDialog::IDC_BUTTON_MIDDLE, CMessageBoxDialog::OnButton)
    EVT_BUTTON(CMessageBoxDialog::IDC_BUTTON_RIGHT, CMessageBoxDialog::OnButton)
    EVT_COMBOBOX(CMessageBoxDialog::IDC_LANGUAGE, CMessageBoxDialog::OnLanguageSelected)
    EVT_TEXT_ENTER(CMessageBoxDialog::IDC_LANGUAGE, CMessageBoxDialog::OnLanguageEnter)
    EVT_BUTTON(wxID_CANCEL, CMessageBoxDialog::OnEscape)
    EVT_CHAR_HOOK(CMessageBoxDialog::OnCharHook)
    EVT_CLOSE(CMessageBoxDialog::OnCloseWindow)
wxEND_EVENT_TABLE()

namespace {

// Template 262 in dialog units, converted as every template is.
using kerfel::DuX;
using kerfel::DuY;
constexpr int kTemplateWidthDu = 243, kTemplateHeightDu = 74;

struct Script {
    std::mutex lock;
    int answer = 0;
    wxString text, caption;
};
Script& Scripted() {
    static Script s;
    return s;
}


// Icon resources 263 to 266 from the pictures folder, the desktop's own
// icons when a picture is missing.
wxBitmapBundle IconBitmap(int index) {
    static const wxArtID kFallback[] = {wxART_ERROR, wxART_QUESTION, wxART_WARNING, wxART_INFORMATION};
    wxBitmapBundle picture = kerfel::LoadSkinBundle(263 + index);
    if (picture.IsOk()) return picture;
    return wxArtProvider::GetBitmapBundle(kFallback[index], wxART_MESSAGE_BOX, wxSize(32, 32));
}

kerfel::BoxRect ScreenRectOf(wxWindow* owner) {
    wxRect r;
    if (owner && owner->IsShown()) r = owner->GetScreenRect();
    else r = (owner ? wxDisplay(owner) : wxDisplay()).GetClientArea();
    return {r.x, r.y, r.width, r.height};
}

}  // namespace

void CMessageBoxDialog::AnswerNextWith(int result) {
    std::lock_guard<std::mutex> lock(Scripted().lock);
    Scripted().answer = result;
}
wxString CMessageBoxDialog::LastText() {
    std::lock_guard<std::mutex> lock(Scripted().lock);
    return Scripted().text;
}
wxString CMessageBoxDialog::LastCaption() {
    std::lock_guard<std::mutex> lock(Scripted().lock);
    return Scripted().caption;
}

CMessageBoxDialog::CMessageBoxDialog(wxWindow* owner) : m_pOwner(owner) {}

int CMessageBoxDialog::Show(const wxString& text, const wxString& caption, int flags) {
    m_strText = text;
    m_strCaption = caption;
    m_nFlags = flags;
    {
        std::lock_guard<std::mutex> lock(Scripted().lock);
        Scripted().text = text;
        Scripted().caption = caption;
        if (Scripted().answer) {
            m_nResult = Scripted().answer;
            Scripted().answer = 0;
            return m_nResult;
        }
    }
    if (!m_pOwner && wxTheApp) m_pOwner = wxTheApp->GetTopWindow();
    if (!GetHandle()) {
        Create(m_pOwner, wxID_ANY, m_strCaption, wxDefaultPosition,
               wxSize(DuX(kTemplateWidthDu), DuY(kTemplateHeightDu)), wxCAPTION | wxSTAY_ON_TOP);
        CreateControls();
    }
    SetUpBox();
    ShowModal();
    return m_nResult;
}

void CMessageBoxDialog::CreateControls() {
    SetFont(kerfel::SkinFont());  // the one type of all the tool's windows
    static const char* kTemplateCaptions[] = {"Button1", "Button2", "Button3"};
    static const int kTemplateX[] = {33, 93, 153};
    for (int i = 0; i < 3; ++i)
        m_btnButtons[i] = new wxButton(this, IDC_BUTTON_LEFT + i, kTemplateCaptions[i],
                                       wxPoint(DuX(kTemplateX[i]), DuY(53)), wxSize(DuX(50), DuY(14)));
    m_stcMessage = new wxStaticText(this, IDC_MESSAGE, "Static", wxPoint(DuX(96), DuY(16)), wxSize(DuX(19), DuY(8)),
                                    wxALIGN_LEFT | wxST_NO_AUTORESIZE);
    for (int i = 0; i < 4; ++i)
        m_stcIcons[i] = new wxStaticBitmap(this, IDC_ICON_ERROR + i, IconBitmap(i), wxPoint(DuX(4), DuY(4)),
                                           wxSize(32, 32));
    m_cmbLanguage = new wxComboBox(this, IDC_LANGUAGE, wxString(), wxPoint(DuX(15), DuY(17)), wxSize(DuX(75), -1), 0,
                                   nullptr, wxCB_DROPDOWN | wxCB_SORT | wxTE_PROCESS_ENTER);
    m_cmbLanguage->Hide();
}

void CMessageBoxDialog::SetUpBox() {
    kerfel::MessageBoxKind kind = kerfel::DecodeMessageBoxFlags(m_nFlags);
    m_nButtonSet = kind.m_nButtonSet;
    m_nIcon = kind.m_nIcon;
    SetTitle(m_strCaption);
    kerfel::a11y::SetRole(this, kerfel::a11y::Role::Alert);

    auto buttons = kerfel::MessageBoxButtons(m_nButtonSet);
    for (int i = 0; i < 3; ++i) {
        m_btnButtons[i]->Show(buttons[i].m_bShown);
        if (buttons[i].m_bShown) m_btnButtons[i]->SetLabel(kerfel::UiText(buttons[i].m_szKey));
    }
    for (int i = 0; i < 4; ++i) m_stcIcons[i]->Show(m_nIcon == 7 + i);

    kerfel::MessageBoxLayoutInput in;
    in.m_nFlags = m_nFlags;
    in.m_strText = m_strText.utf8_string();
    in.m_strCaption = m_strCaption.utf8_string();
    in.m_bLanguageChoice = m_bLanguageChoice != 0;
    in.m_measure = [this](const std::string& s) {
        wxSize size = m_stcMessage->GetTextExtent(wxString::FromUTF8(s));
        return kerfel::BoxSize{size.x, size.y > 0 ? size.y : m_stcMessage->GetCharHeight()};
    };
    in.m_nCaptionBarHeight = std::max(0, wxSystemSettings::GetMetric(wxSYS_CAPTION_Y, this));
    in.m_rcOwner = ScreenRectOf(m_pOwner);
    in.m_szTemplateClient = {DuX(kTemplateWidthDu), DuY(kTemplateHeightDu)};
    kerfel::MessageBoxLayout layout = kerfel::LayOutMessageBox(in);

    if (m_bLanguageChoice) {
        FillLanguages();
        m_btnButtons[1]->SetLabel("OK");  // no language is loaded when the chooser asks
        m_btnButtons[1]->Show();
        m_cmbLanguage->Show();
        m_cmbLanguage->SetValue(kerfel::kEnglishName);
        m_strLanguage = kerfel::kEnglishName;
    }

    const kerfel::BoxRect& l = layout.m_rcLabel;
    m_stcMessage->SetSize(l.x, l.y, l.width, l.height);
    for (int i = 0; i < 3; ++i) {
        const kerfel::BoxRect& b = layout.m_rcButtons[i];
        m_btnButtons[i]->SetSize(b.x, b.y, b.width, b.height);
    }
    const kerfel::BoxRect& box = layout.m_rcBox;
    SetSize(box.x, box.y, box.width, box.height);

    // A line longer than the label (it was not the longest by characters)
    // wraps at the label's width, as a left-aligned label does.
    m_stcMessage->SetLabelText(m_strText);
    m_stcMessage->Wrap(l.width);

    wxButton* focus = m_btnButtons[kerfel::FocusedButton(m_nButtonSet)];
    focus->SetDefault();
    focus->SetFocus();
}

void CMessageBoxDialog::FillLanguages() {
    m_cmbLanguage->Clear();
    m_cmbLanguage->Append(kerfel::kEnglishName);
    std::vector<std::string> list = kerfel::LanguageList();
    for (size_t i = list.size() / 2; i-- > 0;) m_cmbLanguage->Append(wxString::FromUTF8(list[2 * i]));
}

bool CMessageBoxDialog::TransferDataFromWindow() {
    if (m_bLanguageChoice && m_cmbLanguage) m_strLanguage = m_cmbLanguage->GetValue();
    return true;
}

void CMessageBoxDialog::Finish(int result) {
    m_nResult = result;
    TransferDataFromWindow();
    EndModal(wxID_OK);
}

void CMessageBoxDialog::OnButton(wxCommandEvent& event) {
    int index = event.GetId() - IDC_BUTTON_LEFT;
    Finish(kerfel::MessageBoxButtons(m_nButtonSet)[index].m_nResult);
}

void CMessageBoxDialog::OnLanguageSelected(wxCommandEvent&) {
    m_cmbLanguage->SetValue(m_cmbLanguage->GetStringSelection());
    m_strLanguage = m_cmbLanguage->GetValue();
}

// Enter in the edit field closes the box as its OK button does.
void CMessageBoxDialog::OnLanguageEnter(wxCommandEvent&) { Finish(IDOK); }

void CMessageBoxDialog::OnEscape(wxCommandEvent&) {
    m_nResult = kerfel::EscapeResult(m_nButtonSet);
    if (m_bLanguageChoice) m_strLanguage = kerfel::kEnglishName;
    EndModal(wxID_CANCEL);
}

// The box has no Cancel button of its own, so Escape is handled here.
// Alt+letter answers with the button whose caption marks that letter; so does
// the bare letter, unless the language chooser's field is there to type in.
void CMessageBoxDialog::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() != WXK_ESCAPE) {
        int modifiers = event.GetModifiers() & ~wxMOD_SHIFT;
        bool mnemonic = modifiers == wxMOD_ALT || (modifiers == wxMOD_NONE && !m_bLanguageChoice);
        if (!mnemonic || !kerfel::PressMnemonic(this, kerfel::LetterOf(event))) event.Skip();
        return;
    }
    wxCommandEvent escape;
    OnEscape(escape);
}

void CMessageBoxDialog::OnCloseWindow(wxCloseEvent&) {
    wxCommandEvent escape;
    OnEscape(escape);
}
