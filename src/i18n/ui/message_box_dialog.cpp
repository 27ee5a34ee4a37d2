#include "i18n/ui/message_box_dialog.h"

#include <wx/msgdlg.h>

int CMessageBoxDialog::Show(const wxString& text, const wxString& caption, int flags) {
    long style = (flags & (MBX_YESNO | MBX_YESNOCANCEL)) ? wxYES_NO : wxOK;
    if (flags & MBX_ICONERROR) style |= wxICON_ERROR;
    else if (flags & MBX_ICONWARNING) style |= wxICON_WARNING;
    else if (flags & MBX_ICONQUESTION) style |= wxICON_QUESTION;
    else if (flags & MBX_ICONINFORMATION) style |= wxICON_INFORMATION;
    wxMessageDialog dlg(m_pOwner, text, caption, style);
    int r = dlg.ShowModal();
    return r == wxID_YES ? IDYES : r == wxID_NO ? IDNO : IDOK;
}
