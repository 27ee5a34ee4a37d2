#include "i18n/ui/message_box_dialog.h"

#include <wx/msgdlg.h>

namespace {
int g_nScriptedAnswer = 0;
wxString g_strLastText, g_strLastCaption;
}  // namespace

void CMessageBoxDialog::AnswerNextWith(int result) { g_nScriptedAnswer = result; }
wxString CMessageBoxDialog::LastText() { return g_strLastText; }
wxString CMessageBoxDialog::LastCaption() { return g_strLastCaption; }

int CMessageBoxDialog::Show(const wxString& text, const wxString& caption, int flags) {
    g_strLastText = text;
    g_strLastCaption = caption;
    if (g_nScriptedAnswer) {
        int r = g_nScriptedAnswer;
        g_nScriptedAnswer = 0;
        return r;
    }
    long style = (flags & (MBX_YESNO | MBX_YESNOCANCEL)) ? wxYES_NO : wxOK;
    if (flags & MBX_ICONERROR) style |= wxICON_ERROR;
    else if (flags & MBX_ICONWARNING) style |= wxICON_WARNING;
    else if (flags & MBX_ICONQUESTION) style |= wxICON_QUESTION;
    else if (flags & MBX_ICONINFORMATION) style |= wxICON_INFORMATION;
    wxMessageDialog dlg(m_pOwner, text, caption, style);
    int r = dlg.ShowModal();
    return r == wxID_YES ? IDYES : r == wxID_NO ? IDNO : IDOK;
}
