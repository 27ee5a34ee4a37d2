#pragma once
// The tool's own message box: standard controls, button captions from the
// language file, sized to its text (the geometry is LayOutMessageBox's).
//
//   CMessageBoxDialog box(this);
//   if (box.Show(text, caption, MBX_YESNO | MBX_ICONQUESTION) == IDYES) ...
//
// In language-choice mode (m_bLanguageChoice = 1 before Show) it also offers
// a sorted drop-down list of "English" and every language of the language
// list; afterwards m_strLanguage holds the text of the list's edit field.
//
// Escape (or closing the window) answers with the button that changes
// nothing: Cancel where the box has one, No in a Yes/No box, Abort in an
// Abort/Retry/Ignore box, OK in an OK box; the chooser then gives "English".
//
// Show runs a modal loop: call it on the user-interface thread (a worker
// asks through CallAfter and waits for the answer).
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/string.h>

#include "i18n/message_box_flags.h"

class CMessageBoxDialog : public wxDialog {
public:
    enum {
        IDC_BUTTON_LEFT = 1061,
        IDC_BUTTON_MIDDLE = 1062,
        IDC_BUTTON_RIGHT = 1063,
        IDC_MESSAGE = 1064,
        IDC_ICON_ERROR = 1065,  // icons 1065 to 1068: error, question, warning, information
        IDC_LANGUAGE = 1070,
    };

    // The owner may be none: the application's top window is used then.
    explicit CMessageBoxDialog(wxWindow* owner = nullptr);

    int m_bLanguageChoice = 0;
    wxString m_strText;
    wxString m_strCaption;
    int m_nFlags = 0;
    int m_nButtonSet = 0;
    int m_nIcon = 0;
    int m_nResult = 0;
    wxString m_strLanguage;

    wxButton* m_btnButtons[3] = {nullptr, nullptr, nullptr};  // 1061, 1062, 1063
    wxStaticText* m_stcMessage = nullptr;
    wxStaticBitmap* m_stcIcons[4] = {nullptr, nullptr, nullptr, nullptr};
    wxComboBox* m_cmbLanguage = nullptr;

    using wxDialog::Show;
    // Shows the box modally; returns the code of the pressed button (IDOK ...).
    int Show(const wxString& text, const wxString& caption, int flags);

    // Tests answer the next box with a result code instead of showing it;
    // the text and caption it would have shown are kept for them.
    static void AnswerNextWith(int result);
    static wxString LastText();
    static wxString LastCaption();

    bool TransferDataFromWindow() override;

private:
    void CreateControls();
    void SetUpBox();
    void FillLanguages();
    void Finish(int result);
    void OnButton(wxCommandEvent& event);
    void OnLanguageSelected(wxCommandEvent& event);
    void OnLanguageEnter(wxCommandEvent& event);
    void OnEscape(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnCloseWindow(wxCloseEvent& event);

    wxWindow* m_pOwner;
    wxDECLARE_EVENT_TABLE();
};
