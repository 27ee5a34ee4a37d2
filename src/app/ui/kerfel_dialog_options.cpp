// Output folder and the four viewer options, remembered in the settings.
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "app/settings_store.h"
#include "app/ui/control_ids.h"
#include "app/ui/kerfel_dialog.h"
#include "publish/ui/folder_dialog.h"

namespace {

// The viewer options in the order they are restored: box, clickable label,
// value name in the settings.
struct OptionBinding {
    int boxId;
    int labelId;
    const char* valueName;
};

constexpr OptionBinding kOptions[] = {
    {IDC_CSMALLMAP, IDC_L_SMALLMAP, "SmallMap"},
    {IDC_CNAVSCROLL, IDC_L_NAVSCROLL, "NavigationScroll"},
    {IDC_CZOOMSLIDER, IDC_L_ZOOMSLIDER, "ZoomSlider"},
    {IDC_CCLICK2ZOOM, IDC_L_CLICK2ZOOM, "ClickToZoom"},
};

wxCheckBox* BoxOf(wxWindow* dialog, const OptionBinding& o) {
    return static_cast<wxCheckBox*>(dialog->FindWindow(o.boxId));
}

const OptionBinding* FindOption(int id) {
    for (const OptionBinding& o : kOptions)
        if (o.boxId == id || o.labelId == id) return &o;
    return nullptr;
}

// A write that failed after the settings opened is told in the platform's
// own box, in English whatever the language; the change stays in effect.
void ReportSettingsWriteFailure(wxWindow* owner) {
    wxMessageBox("Unable to write to Registry.", "Error", wxOK | wxICON_ERROR, owner);
}

}  // namespace

void CKerfelDialog::OnBBrowseFolder(wxCommandEvent&) {
    UpdateData(true);
    // The picker opens at the folder of the field (typed or remembered), or
    // at the home folder while the field is empty.
    const wxString start = m_strOutputFolder.empty() ? wxGetHomeDir() : m_strOutputFolder;
    CFolderDialog chooser("Select Output Folder.", &start, this,
                          BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE);
    if (chooser.DoModal() != 1) return;
    m_strOutputFolder = chooser.GetFolderPath();
    UpdateData(false);
    // The whole path is stored, however long: no fixed buffer cuts it short.
    kerfel::SettingsStore store;
    if (!store.Open()) return;
    if (!store.WriteString("OutputPath", m_strOutputFolder.utf8_string())) ReportSettingsWriteFailure(this);
}

// The box has already changed its state when this runs.
void CKerfelDialog::OnOptionBox(wxCommandEvent& event) {
    if (const OptionBinding* o = FindOption(event.GetId())) WriteOption(o->valueName, BoxOf(this, *o));
}

void CKerfelDialog::OnOptionLabel(wxCommandEvent& event) {
    const OptionBinding* o = FindOption(event.GetId());
    if (!o) return;
    wxCheckBox* box = BoxOf(this, *o);
    box->SetValue(!box->GetValue());
    WriteOption(o->valueName, box);
}

void CKerfelDialog::WriteOption(const char* valueName, wxCheckBox* box) {
    const uint32_t state = box->GetValue() ? 1 : 0;
    kerfel::SettingsStore store;
    if (!store.Open()) return;
    if (!store.WriteInt(valueName, state)) ReportSettingsWriteFailure(this);
}

// At start-up the settings file is made when it is missing, as an installer
// once made the key; a store that still does not open restores nothing.
void CKerfelDialog::RestoreSettings() {
    kerfel::SettingsStore store;
    if (!store.CreateIfMissing()) return;
    std::string folder;
    if (store.ReadString("OutputPath", folder) && kerfel::IsRestorableFolder(folder)) {
        // Controls first, so that writing the members back changes only the folder.
        UpdateData(true);
        m_strOutputFolder = wxString::FromUTF8(folder);
        UpdateData(false);
    }
    for (const OptionBinding& o : kOptions) {
        uint32_t value = 0;
        if (store.ReadInt(o.valueName, value)) BoxOf(this, o)->SetValue(kerfel::OptionChecked(value));
    }
}
