#include "publish/ui/folder_dialog.h"

#include <wx/button.h>
#include <wx/dirctrl.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>
#include <wx/utils.h>

#include "i18n/language_table.h"
#include "i18n/ui/ui_text.h"
#include "publish/typed_folder.h"
#include "skin/spoken_name.h"
#include "skin/ui/accessible.h"
#include "skin/ui/skin_bitmaps.h"

namespace {

// `path` when it is a folder, else the nearest folder above it; empty when
// none is (a relative or empty path).
wxString NearestFolder(wxString path) {
    while (!path.empty() && !wxDirExists(path)) {
        wxString up = wxPathOnly(path);
        if (up == path) return wxString();
        path = up;
    }
    return path;
}

// A name for a new folder in `parent` that is not taken yet: the base name,
// then the base name with 2, 3, ...
wxString FreeFolderName(const wxString& parent, const wxString& base) {
    const wxString stem = (parent.EndsWith("/") ? parent : parent + "/") + base;
    wxString path = stem;
    for (int n = 2; wxFileName::Exists(path); ++n) path = wxString::Format("%s %d", stem, n);
    return path;
}

// The browse window: an optional status line, the folder tree, an optional
// labelled edit field for typing a folder (it has the focus and holds the
// selected folder), Make New Folder, OK and Cancel. Everything that happens in
// it goes to the event function of its browse parameters.
class CFolderBrowseWindow : public wxDialog {
public:
    explicit CFolderBrowseWindow(const FolderBrowseInfo& bi);

    // The folder chosen with OK; empty when the item had no path.
    const wxString& ChosenPath() const { return m_strChosen; }
    void SelectFolder(const wxString& path);
    void ShowStatus(const wxString& text);

private:
    wxString SelectedPath() const { return m_bSelected ? m_tree->GetPath() : wxString(); }
    int Report(BrowseEvent event, const wxString& text);
    void OnInitDialog(wxInitDialogEvent& event);
    void OnTreeSelChanged(wxTreeEvent& event);
    void OnOK(wxCommandEvent& event);
    void OnUpdateOK(wxUpdateUIEvent& event);
    void OnNewFolder(wxCommandEvent& event);
    void OnUpdateNewFolder(wxUpdateUIEvent& event);
    void OnShown(wxShowEvent& event);
    void ShowSelection();
    void DescribeSelection(const wxTreeItemId& item);

    const FolderBrowseInfo& m_bi;
    wxGenericDirCtrl* m_tree = nullptr;
    wxTextCtrl* m_edit = nullptr;
    wxStaticText* m_status = nullptr;
    wxString m_strChosen;
    bool m_bReady = false;  // the tree reports selections while it is being built
    // The tree keeps a current item even when none is highlighted; a folder
    // counts as selected once the user or a handler selected it.
    bool m_bSelected = false;
    wxTreeItemId m_newItem;  // the folder just made, until it is named
    wxDECLARE_EVENT_TABLE();
};

wxBEGIN_EVENT_TABLE(CFolderBrowseWindow, wxDialog)
    EVT_INIT_DIALOG(CFolderBrowseWindow::OnInitDialog)
    EVT_DIRCTRL_SELECTIONCHANGED(ID_FOLDER_TREE, CFolderBrowseWindow::OnTreeSelChanged)
    EVT_BUTTON(wxID_OK, CFolderBrowseWindow::OnOK)
    EVT_TEXT_ENTER(ID_FOLDER_EDIT, CFolderBrowseWindow::OnOK)
    EVT_UPDATE_UI(wxID_OK, CFolderBrowseWindow::OnUpdateOK)
    EVT_BUTTON(ID_FOLDER_NEW, CFolderBrowseWindow::OnNewFolder)
    EVT_UPDATE_UI(ID_FOLDER_NEW, CFolderBrowseWindow::OnUpdateNewFolder)
    EVT_SHOW(CFolderBrowseWindow::OnShown)
wxEND_EVENT_TABLE()

long WindowStyle(unsigned flags) {
    return wxDEFAULT_DIALOG_STYLE | ((flags & BIF_NEWDIALOGSTYLE) ? wxRESIZE_BORDER : 0);
}

CFolderBrowseWindow::CFolderBrowseWindow(const FolderBrowseInfo& bi)
    : wxDialog(bi.hwndOwner, wxID_ANY, bi.lpszTitle, wxDefaultPosition, wxSize(420, 480), WindowStyle(bi.ulFlags)),
      m_bi(bi) {
    SetFont(kerfel::SkinFont());
    auto* column = new wxBoxSizer(wxVERTICAL);
    if (bi.ulFlags & BIF_STATUSTEXT) {
        m_status = new wxStaticText(this, ID_FOLDER_STATUS, wxString(), wxDefaultPosition, wxDefaultSize,
                                    wxST_ELLIPSIZE_MIDDLE);
        column->Add(m_status, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);
    }
    m_tree = new wxGenericDirCtrl(this, ID_FOLDER_TREE, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                  wxDIRCTRL_DIR_ONLY | wxDIRCTRL_3D_INTERNAL);
    // The tree draws itself: a reader learns at least what it is for.
    kerfel::a11y::SetRole(m_tree->GetTreeCtrl(), kerfel::a11y::Role::Tree);
    kerfel::a11y::SetName(m_tree->GetTreeCtrl(), bi.lpszTitle);
    kerfel::a11y::NeverFocus(m_tree);  // its frame around the tree; the tree takes the keys
    // The tree inside the folder control does not take the window's type by itself.
    m_tree->GetTreeCtrl()->SetFont(GetFont());
    // No folder is selected until a handler or the user selects one.
    m_tree->UnselectAll();
    column->Add(m_tree, 1, wxEXPAND | wxALL, 10);
    if (bi.ulFlags & BIF_EDITBOX) {
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        auto* label = new wxStaticText(this, ID_FOLDER_LABEL, kerfel::UiText("FOLDERDIALOG.IDC_LFOLDER"));
        row->Add(label, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
        m_edit = new wxTextCtrl(this, ID_FOLDER_EDIT, wxString(), wxDefaultPosition, wxDefaultSize,
                                wxTE_PROCESS_ENTER);
        kerfel::a11y::Relate(label, m_edit);
        kerfel::a11y::SetName(m_edit, wxString::FromUTF8(kerfel::FieldNameFromLabel(label->GetLabel().utf8_string())));
        row->Add(m_edit, 1, wxALIGN_CENTER_VERTICAL);
        column->Add(row, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
    }
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, ID_FOLDER_NEW, kerfel::UiText("FOLDERDIALOG.IDC_BNEWFOLDER")), 0, wxALIGN_CENTER_VERTICAL);
    buttons->AddStretchSpacer();
    buttons->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxALIGN_CENTER_VERTICAL);
    column->Add(buttons, 0, wxEXPAND | wxALL, 10);
    // A new folder is named in place; its label is edited only then (the
    // tree offers no renaming of folders that exist).
    wxTreeCtrl* names = m_tree->GetTreeCtrl();
    names->Bind(wxEVT_TREE_BEGIN_LABEL_EDIT, [this](wxTreeEvent& event) {
        if (event.GetItem() == m_newItem) event.Skip();
        else event.Veto();
    });
    names->Bind(wxEVT_TREE_END_LABEL_EDIT, [this](wxTreeEvent& event) {
        event.Skip();
        m_newItem = wxTreeItemId();
        // The tree renames the folder after this handler: the field follows then.
        CallAfter([this] {
            if (m_edit) m_edit->ChangeValue(SelectedPath());
        });
    });
    SetSizer(column);
    Layout();
    CentreOnParent();
    m_bReady = true;
}

int CFolderBrowseWindow::Report(BrowseEvent event, const wxString& text) {
    return m_bi.lpfn ? m_bi.lpfn(this, event, text, m_tree, m_bi.lParam) : 0;
}

void CFolderBrowseWindow::OnInitDialog(wxInitDialogEvent& event) {
    event.Skip();
    if (m_bi.ulFlags & BIF_NEWDIALOGSTYLE) Report(BrowseEvent::IUnknown, wxString());
    Report(BrowseEvent::Initialized, wxString());
}

void CFolderBrowseWindow::OnTreeSelChanged(wxTreeEvent& event) {
    DescribeSelection(event.GetItem());
    if (!m_bReady) return;
    wxString path = event.GetItem().IsOk() ? m_tree->GetPath(event.GetItem()) : wxString();
    m_bSelected = !path.empty();
    if (m_edit) m_edit->ChangeValue(path);
    Report(BrowseEvent::SelChanged, path);
}

void CFolderBrowseWindow::OnUpdateOK(wxUpdateUIEvent& event) {
    event.Enable(!SelectedPath().empty() || (m_edit && !m_edit->GetValue().empty()));
}

void CFolderBrowseWindow::OnOK(wxCommandEvent&) {
    const wxString selected = SelectedPath();
    const wxString typed = m_edit ? m_edit->GetValue() : wxString();
    if (typed.empty() || typed == selected) {
        if (selected.empty()) return;  // nothing to choose yet
        m_strChosen = selected;
        EndModal(wxID_OK);
        return;
    }
    wxString resolved = wxString::FromUTF8(
        kerfel::ResolveTypedFolder(typed.utf8_string(), selected.utf8_string(), wxGetHomeDir().utf8_string()));
    if (!resolved.empty() && wxDirExists(resolved)) {
        m_strChosen = resolved;
        EndModal(wxID_OK);
        return;
    }
    if (Report(BrowseEvent::ValidateFailed, typed) == 0) EndModal(wxID_CANCEL);
}

// A folder that does not exist (any more) selects the nearest one above it.
void CFolderBrowseWindow::SelectFolder(const wxString& path) {
    wxString folder = NearestFolder(path);
    m_tree->SetPath(folder.empty() ? path : folder);
    ShowSelection();
}

// The tree draws its folders itself: they are no objects a screen reader
// can visit, so the tree tells which folder is selected, and says it as the
// selection moves.
void CFolderBrowseWindow::DescribeSelection(const wxTreeItemId& item) {
    if (!m_tree) return;  // the tree selects its first folder while it is being made
    wxTreeCtrl* tree = m_tree->GetTreeCtrl();
    const wxString name = item.IsOk() ? tree->GetItemText(item) : wxString();
    kerfel::a11y::SetDescription(tree, name);
    if (m_bReady && !name.empty()) kerfel::a11y::Announce(tree, name);
}

// The selected folder in view, or the tree's top when none is selected.
void CFolderBrowseWindow::ShowSelection() {
    wxTreeCtrl* tree = m_tree->GetTreeCtrl();
    wxTreeItemId item = m_bSelected ? tree->GetSelection() : wxTreeItemId();
    if (!item.IsOk()) item = tree->GetFirstVisibleItem();
    if (item.IsOk()) tree->EnsureVisible(item);
}

// Once on screen, the tree knows its height: the selection is scrolled into
// view again, and typing goes to the edit field, which holds the folder.
void CFolderBrowseWindow::OnShown(wxShowEvent& event) {
    event.Skip();
    if (!event.IsShown()) return;
    CallAfter([this] {
        ShowSelection();
        if (!m_edit) return;
        m_edit->SetFocus();
        m_edit->SelectAll();
    });
}

void CFolderBrowseWindow::OnUpdateNewFolder(wxUpdateUIEvent& event) {
    const wxString parent = SelectedPath();
    event.Enable(!parent.empty() && wxFileName::IsDirWritable(parent));
}

// A new folder in the selected one, selected and waiting for its name.
void CFolderBrowseWindow::OnNewFolder(wxCommandEvent&) {
    const wxString parent = SelectedPath();
    if (parent.empty()) return;
    wxString base = kerfel::UiText("FOLDERDIALOG.NEWFOLDER");
    if (base.empty() || base.Contains("/")) base = "New Folder";  // a folder needs a name
    const wxString path = FreeFolderName(parent, base);
    if (!wxMkdir(path)) {
        wxBell();
        return;
    }
    m_tree->ReCreateTree();
    m_tree->SetPath(path);
    ShowSelection();
    wxTreeCtrl* tree = m_tree->GetTreeCtrl();
    m_newItem = tree->GetSelection();
    if (m_newItem.IsOk()) tree->EditLabel(m_newItem);
}

void CFolderBrowseWindow::ShowStatus(const wxString& text) {
    if (m_status) m_status->SetLabelText(text);  // a path is shown as it is, "&" included
}

}  // namespace

CFolderDialog::CFolderDialog(const wxString& title, const wxString* initialFolder, wxWindow* parent, unsigned flags) {
    m_bi.hwndOwner = parent;
    m_bi.lpszTitle = title;
    m_bi.ulFlags = flags;
    m_bi.lpfn = &CFolderDialog::BrowseCallbackProc;
    m_bi.lParam = this;
    if (initialFolder) m_szSelPath = *initialFolder;
}

int CFolderDialog::DoModal() {
    int result = -1;
    m_bi.hwndOwner = m_bi.hwndOwner ? wxGetTopLevelParent(m_bi.hwndOwner) : nullptr;
    CFolderBrowseWindow browse(m_bi);
    if (browse.ShowModal() != wxID_OK) {
        result = 2;
    } else if (!browse.ChosenPath().empty()) {
        m_szFolPath = browse.ChosenPath();
        m_bi.pszDisplayName = m_szFolPath == "/" ? m_szFolPath : m_szFolPath.AfterLast('/');
        result = 1;
    }
    return result;
}

int CFolderDialog::BrowseCallbackProc(wxDialog* browse, BrowseEvent event, const wxString& text,
                                      wxGenericDirCtrl* tree, void* lParam) {
    auto* self = static_cast<CFolderDialog*>(lParam);
    // Handlers may cause further events (selecting a folder reports the
    // change); the outer handler keeps its window.
    wxDialog* outer = self->m_hWndBrowse;
    self->m_hWndBrowse = browse;
    int result = 0;
    switch (event) {
        case BrowseEvent::Initialized: self->OnInitialized(); break;
        case BrowseEvent::SelChanged: self->OnSelChanged(text); break;
        case BrowseEvent::ValidateFailed: result = self->OnValidateFailed(text); break;
        case BrowseEvent::IUnknown: self->OnIUnknown(tree); break;
    }
    self->m_hWndBrowse = outer;
    return result;
}

void CFolderDialog::SetSelection(const wxString& path) {
    if (auto* browse = dynamic_cast<CFolderBrowseWindow*>(m_hWndBrowse)) browse->SelectFolder(path);
}

void CFolderDialog::SetStatusText(const wxString& text) {
    if (auto* browse = dynamic_cast<CFolderBrowseWindow*>(m_hWndBrowse)) browse->ShowStatus(text);
}

void CFolderDialog::OnInitialized() {
    if (!m_szSelPath.empty()) SetSelection(m_szSelPath);
}

void CFolderDialog::OnSelChanged(const wxString& itemPath) {
    if ((m_bi.ulFlags & BIF_STATUSTEXT) && !itemPath.empty()) SetStatusText(itemPath);
}

int CFolderDialog::OnValidateFailed(const wxString&) {
    wxBell();
    return 1;
}

void CFolderDialog::OnIUnknown(wxGenericDirCtrl*) {}
