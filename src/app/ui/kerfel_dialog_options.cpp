// Output folder and the four viewer options, remembered in the settings.
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "app/settings_store.h"
#include "app/ui/control_ids.h"
#include "app/ui/kerfel_dialog.h"
#include "publish/ui/folder_dialog.h"

namespace {

// The viewer options in the order they are restored: box, clickable label,
// value name in the settings, and the option it holds.
struct OptionBinding {
    int boxId;
    int labelId;
    const char* valueName;
    bool kerfel::ViewerOptions::*option;
};

constexpr OptionBinding kOptions[] = {
    {IDC_CSMALLMAP, IDC_L_SMALLMAP, "SmallMap", &kerfel::ViewerOptions::smallMap},
    {IDC_CNAVSCROLL, IDC_L_NAVSCROLL, "NavigationScroll", &kerfel::ViewerOptions::navigationScroll},
    {IDC_CZOOMSLIDER, IDC_L_ZOOMSLIDER, "ZoomSlider", &kerfel::ViewerOptions::zoomSlider},
    {IDC_CCLICK2ZOOM, IDC_L_CLICK2ZOOM, "ClickToZoom", &kerfel::ViewerOptions::clickToZoom},
};

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
    const wxString start =
        m_choices.outputFolder.empty() ? wxGetHomeDir() : wxString::FromUTF8(m_choices.outputFolder);
    CFolderDialog chooser("Select Output Folder.", &start, this,
                          BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE);
    if (chooser.DoModal() == 1) ChooseOutputFolder(chooser.GetFolderPath());
}

void CKerfelDialog::ChooseOutputFolder(const wxString& folder) {
    UpdateData(true);  // what was typed while the picker was open stays
    m_choices.outputFolder = folder.utf8_string();
    UpdateData(false);
    // The whole path is stored, however long: no fixed buffer cuts it short.
    kerfel::SettingsStore store;
    if (!store.Open()) return;
    if (!store.WriteString("OutputPath", m_choices.outputFolder)) ReportSettingsWriteFailure(this);
}

// The box has already changed its state when this runs.
void CKerfelDialog::OnOptionBox(wxCommandEvent& event) {
    const OptionBinding* o = FindOption(event.GetId());
    if (!o) return;
    UpdateData(true);
    WriteOption(o->valueName, m_choices.options.*o->option);
}

void CKerfelDialog::OnOptionLabel(wxCommandEvent& event) {
    const OptionBinding* o = FindOption(event.GetId());
    if (!o) return;
    UpdateData(true);
    bool& option = m_choices.options.*o->option;
    option = !option;
    UpdateData(false);
    WriteOption(o->valueName, option);
}

void CKerfelDialog::WriteOption(const char* valueName, bool checked) {
    const uint32_t state = checked ? 1 : 0;
    kerfel::SettingsStore store;
    if (!store.Open()) return;
    if (!store.WriteInt(valueName, state)) ReportSettingsWriteFailure(this);
}

void CKerfelDialog::OnSelChangeLayout(wxCommandEvent&) {
    const int i = m_cmbLayout->GetSelection();
    const auto& layouts = kerfel::Layouts();
    const int count = static_cast<int>(layouts.size());
    if (i < 0 || i >= 2 * count) return;
    const kerfel::Layout& layout = *layouts[i % count];
    const bool oneArchive = i >= count;
    if (&layout == m_choices.layout && oneArchive == m_choices.oneArchive) return;
    UpdateData(true);
    m_choices.oneArchive = oneArchive;
    kerfel::ChooseLayout(m_choices, layout);
    if (!m_choices.pyramid.Empty()) {
        FillLevelsList();
        const bool offered = m_choices.levels > 0;
        m_lblDisplaySize->Show(offered);
        m_lblDisplaySizeValue->Show(offered);
        if (offered) ShowDisplaySize();
    }
    // The last job was made in the other layout: Make it again to publish it.
    m_bJobReady = false;
    SetJobPhase(m_phase);
    ShowStatus(kerfel::StatusLine::Blank());
    UpdateData(false);
    kerfel::SettingsStore store;
    if (!store.Open()) return;
    if (!store.WriteString("Layout", layout.name) || !store.WriteInt("OneFile", oneArchive ? 1 : 0))
        ReportSettingsWriteFailure(this);
}

// At start-up the settings file is made when it is missing, as an installer
// once made the key; a store that still does not open restores nothing.
void CKerfelDialog::RestoreSettings() {
    kerfel::SettingsStore store;
    if (!store.CreateIfMissing()) return;
    std::string folder;
    UpdateData(true);
    if (store.ReadString("OutputPath", folder) && kerfel::IsRestorableFolder(folder)) m_choices.outputFolder = folder;
    // A layout this version does not know leaves the native one.
    std::string layout;
    if (store.ReadString("Layout", layout) && kerfel::FindLayout(layout))
        kerfel::ChooseLayout(m_choices, *kerfel::FindLayout(layout));
    uint32_t oneFile = 0;
    m_choices.oneArchive = store.ReadInt("OneFile", oneFile) && oneFile == 1;
    for (const OptionBinding& o : kOptions) {
        uint32_t value = 0;
        if (store.ReadInt(o.valueName, value)) m_choices.options.*o.option = kerfel::OptionChecked(value);
    }
    UpdateData(false);
}
