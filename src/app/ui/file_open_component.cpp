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

// A name typed without an extension gets the default one, as the chooser
// promised; but an existing file chosen to be opened is that very file,
// whatever its name.
wxString WithDefaultExtension(const wxString& chosen, const wxString& defaultExt, bool saving) {
    wxFileName fn(chosen);
    wxString ext = defaultExt.AfterLast('.');
    if (fn.HasExt() || ext.empty() || ext == "*") return chosen;
    if (!saving && wxFileName::FileExists(chosen)) return chosen;
    fn.SetExt(ext);
    return fn.GetFullPath();
}

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
    FileName = WithDefaultExtension(chosen, DefaultExt, (style & wxFD_SAVE) != 0);
    return true;
}
