#include "i18n/ui/help_page.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/process.h>
#include <wx/utils.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include "i18n/format_text.h"
#include "i18n/language_choice.h"
#include "i18n/language_table.h"
#include "i18n/ui/ui_text.h"
#include "i18n/message_box_flags.h"
#include "i18n/ui/message_box_dialog.h"

namespace {

void TellNotOpened(wxWindow* owner, const wxString& target) {
    std::string text = kerfel::FormatText(kerfel::GetLanguageText("KERFELDIALOG.ONBQUES.MESSAGEBOX_TEXT"),
                                          {target.utf8_string()});
    CMessageBoxDialog box(owner);
    box.Show(wxString::FromUTF8(text), kerfel::UiText("KERFELDIALOG.ONBQUES.MESSAGEBOX_CAPTION"), MBX_OK | MBX_ICONERROR);
}

// The desktop's opener runs on its own; its exit status tells whether it
// found a way to show the page. It outlives the menu, so it owns itself.
class HelpOpener : public wxProcess {
public:
    HelpOpener(wxWindow* owner, const wxString& target) : m_owner(owner), m_target(target) {}
    void OnTerminate(int, int status) override {
        if (status != 0 && m_owner) {
            wxWindow* owner = m_owner.get();
            wxString target = m_target;
            owner->CallAfter([owner, target] { TellNotOpened(owner, target); });
        }
        delete this;
    }

private:
    wxWeakRef<wxWindow> m_owner;
    wxString m_target;
};

}  // namespace

wxString HelpPagePath(const wxString& appFolder) {
    const std::string page = kerfel::GetLanguageText("APPLICATION.HELP_ID");
    const wxString folder = appFolder + "/help/";
    if (page.empty()) return folder;
    return kerfel::IsPlainFileName(page) ? folder + wxString::FromUTF8(page) : wxString();
}

void OpenHelpPage(wxWindow* owner, const wxString& appFolder) {
    wxString target = HelpPagePath(appFolder);
    if (target.empty()) {
        TellNotOpened(owner, wxString::FromUTF8(kerfel::GetLanguageText("APPLICATION.HELP_ID")));
        return;
    }
    wxString opener;
    if (!wxFileName::Exists(target) || !wxFindFileInPath(&opener, wxGetenv("PATH"), "xdg-open")) {
        TellNotOpened(owner, target);
        return;
    }
    auto* process = new HelpOpener(owner, target);
    const wxString argv0 = opener, argv1 = target;
    const wchar_t* argv[] = {argv0.wc_str(), argv1.wc_str(), nullptr};
    if (wxExecute(argv, wxEXEC_ASYNC, process) == 0) {
        delete process;
        TellNotOpened(owner, target);
    }
}
