#include "app/ui/file_open_component.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

#include <optional>

namespace {
std::optional<wxString>& ScriptedAnswer() {
    static std::optional<wxString> answer;
    return answer;
}
}  // namespace

void CFileOpenComponent::AnswerNextWith(const wxString& path) { ScriptedAnswer() = path; }

bool CFileOpenComponent::ShowOpen(wxWindow* parent) { return Show(parent, wxFD_OPEN | wxFD_FILE_MUST_EXIST); }
bool CFileOpenComponent::ShowSave(wxWindow* parent) { return Show(parent, wxFD_SAVE); }

bool CFileOpenComponent::Show(wxWindow* parent, long style) {
    ErrorText.clear();
    wxString chosen;
    if (ScriptedAnswer()) {
        chosen = *ScriptedAnswer();
        ScriptedAnswer().reset();
    } else {
        wxFileDialog dlg(parent, Title, InitDir, FileName, Filter, style);
        if (dlg.ShowModal() == wxID_OK) chosen = dlg.GetPath();
    }
    if (chosen.empty()) {
        FileName.clear();
        if (CancelError) ErrorText = "Cancel was selected.";
        return !CancelError;
    }
    // A name typed without an extension gets the default one, as the chooser promised.
    wxFileName fn(chosen);
    wxString ext = DefaultExt.AfterLast('.');
    if (!fn.HasExt() && !ext.empty() && ext != "*") fn.SetExt(ext);
    FileName = fn.GetFullPath();
    return true;
}
