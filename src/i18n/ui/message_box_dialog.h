#pragma once
// The tool's own message box: localised buttons, sized to its text.
#include <wx/string.h>
#include <wx/window.h>

#include "i18n/message_box_flags.h"

class CMessageBoxDialog {
public:
    explicit CMessageBoxDialog(wxWindow* owner) : m_pOwner(owner) {}
    int m_bLanguageChoice = 0;
    wxString m_strLanguage;
    // Shows the box modally; returns the code of the pressed button.
    int Show(const wxString& text, const wxString& caption, int flags);

    // Tests answer the next box with a result code instead of showing it;
    // the text and caption it would have shown are kept for them.
    static void AnswerNextWith(int result);
    static wxString LastText();
    static wxString LastCaption();

private:
    wxWindow* m_pOwner;
};
