#include "publish/ui/standard_box.h"

#include <wx/msgdlg.h>

namespace {
int g_nScripted = 0;
int g_nShown = 0;
wxString g_strLast;
}  // namespace

void AnswerNextStandardBoxes(int count) { g_nScripted = count; }
wxString LastStandardBoxText() { return g_strLast; }
int StandardBoxesShown() { return g_nShown; }

void ShowStandardErrorBox(wxWindow* parent, const wxString& text, const wxString& caption) {
    g_strLast = text;
    ++g_nShown;
    if (g_nScripted > 0) {
        --g_nScripted;
        return;
    }
    wxMessageDialog(parent, text, caption, wxOK | wxICON_ERROR).ShowModal();
}
