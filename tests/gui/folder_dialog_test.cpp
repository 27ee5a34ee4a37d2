#include <gtest/gtest.h>
#include <wx/defs.h>  // before dirctrl.h, which tests wxUSE_DIRDLG without it
#include <wx/dirctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/treectrl.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <cstdlib>
#include <filesystem>
#include "app/settings_store.h"
#include "main_dialog_controls.h"
#include "app/ui/kerfel_dialog.h"
#include "gui_test_util.h"
#include "publish/ui/folder_dialog.h"

namespace fs = std::filesystem;

namespace {

wxDialog* OpenBrowseWindow() {
    for (wxWindow* w : wxTopLevelWindows) {
        auto* d = dynamic_cast<wxDialog*>(w);
        if (d && d->IsModal() && d->IsShown() && d->FindWindow(ID_FOLDER_TREE)) return d;
    }
    return nullptr;
}

// Plays steps against the browse window while its modal loop runs, one per
// tick; a step that returns false is tried again on the next tick. A window
// still open when the steps ran out of time, or left open after the last
// step, is cancelled so that a test never hangs.
class Script : public wxTimer {
public:
    explicit Script(std::vector<std::function<bool(wxDialog*)>> steps) : m_steps(std::move(steps)) {
        Start(80);
    }
    bool Finished() const { return m_next == m_steps.size(); }
    void Notify() override {
        if (m_busy) return;  // simulated input yields, which may tick again
        m_busy = true;
        wxDialog* browse = OpenBrowseWindow();
        if (!Finished() && browse && m_steps[m_next](browse)) ++m_next;
        if (Finished() && !OpenBrowseWindow()) Stop();
        else if (++m_ticks > 120) {
            Stop();
            ADD_FAILURE() << "the browse window was still open at step " << m_next;
            if ((browse = OpenBrowseWindow())) browse->EndModal(wxID_CANCEL);
        }
        m_busy = false;
    }

private:
    std::vector<std::function<bool(wxDialog*)>> m_steps;
    size_t m_next = 0;
    int m_ticks = 0;
    bool m_busy = false;
};

wxGenericDirCtrl* Tree(wxDialog* b) { return static_cast<wxGenericDirCtrl*>(b->FindWindow(ID_FOLDER_TREE)); }
wxTextCtrl* Edit(wxDialog* b) { return static_cast<wxTextCtrl*>(b->FindWindow(ID_FOLDER_EDIT)); }

void ClickAt(wxWindow* w, wxPoint local) {
    wxUIActionSimulator sim;
    wxPoint p = w->ClientToScreen(local);
    sim.MouseMove(p);
    wxYield();
    sim.MouseClick();
}
void ClickMiddle(wxWindow* w) { ClickAt(w, wxPoint(w->GetClientSize().x / 2, w->GetClientSize().y / 2)); }

// Replaces the edit field's text by typing, as a user would.
void TypeInto(wxTextCtrl* edit, const std::string& text) {
    ClickMiddle(edit);
    wxUIActionSimulator sim;
    sim.Char('a', wxMOD_CONTROL);
    sim.Char(WXK_DELETE);
    sim.Text(text.c_str());
    sim.Char(WXK_RETURN);
}

// Clicks the tree item of `folder`, whose parent is selected.
bool ClickTreeItem(wxDialog* b, const std::string& folder) {
    wxGenericDirCtrl* dir = Tree(b);
    wxTreeCtrl* tree = dir->GetTreeCtrl();
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree->GetFirstChild(tree->GetSelection(), cookie); c.IsOk();
         c = tree->GetNextChild(tree->GetSelection(), cookie)) {
        if (dir->GetPath(c) != wxString::FromUTF8(folder)) continue;
        tree->EnsureVisible(c);
        wxRect r;
        if (!tree->GetBoundingRect(c, r, true)) return false;
        ClickAt(tree, r.GetPosition() + wxPoint(r.width / 2, r.height / 2));
        return true;
    }
    return false;
}

// Records every handler call, then does what the defaults do.
struct RecordingFolderDialog : CFolderDialog {
    using CFolderDialog::CFolderDialog;
    std::vector<std::string> calls;
    wxString failedName;
    wxDialog* windowWhileInitialized = nullptr;
    wxGenericDirCtrl* offered = nullptr;
    int validateAnswer = -1;  // -1: the default handler's answer
    void OnInitialized() override {
        calls.push_back("initialized");
        windowWhileInitialized = m_hWndBrowse;
        CFolderDialog::OnInitialized();
    }
    void OnSelChanged(const wxString& path) override {
        calls.push_back("selchanged " + path.utf8_string());
        CFolderDialog::OnSelChanged(path);
    }
    int OnValidateFailed(const wxString& name) override {
        calls.push_back("validatefailed");
        failedName = name;
        int r = CFolderDialog::OnValidateFailed(name);
        return validateAnswer < 0 ? r : validateAnswer;
    }
    void OnIUnknown(wxGenericDirCtrl* tree) override {
        calls.push_back("iunknown");
        offered = tree;
    }
};

struct FolderDialogTest : ::testing::Test {
    std::string savedConfig;
    std::string base;
    void SetUp() override {
        savedConfig = std::getenv("XDG_CONFIG_HOME");
        base = guitest::MakeTempFolder();
        setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
        fs::create_directories(base + "/Ziel ü/inner");
        fs::create_directories(base + "/typed/inner");  // simulated typing is ASCII only
    }
    void TearDown() override { setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1); }
    std::string StoredOutputPath() {
        kerfel::SettingsStore store(base + "/config/Lorvak Image Kerfel/settings.ini");
        std::string path;
        return store.Open() && store.ReadString("OutputPath", path) ? path : "(none)";
    }
};

}  // namespace

TEST_F(FolderDialogTest, BrowseFolderTakesAFolderClickedInTheTreeAndCancelKeepsIt) {
    auto* dlg = new CKerfelDialog();
    dlg->Show();
    guitest::Pump(150);
    const std::string target = base + "/Ziel ü";
    bool firstLook = false;
    Script choose({
        [&](wxDialog* b) {
            // Opens titled, with an edit field and no status line; the output
            // field is empty, so at the home folder.
            firstLook = b->GetTitle() == "Select Output Folder." && Edit(b) && !b->FindWindow(ID_FOLDER_STATUS) &&
                        Edit(b)->GetValue() == wxGetHomeDir();
            return Tree(b)->ExpandPath(wxString::FromUTF8(base));
        },
        [&](wxDialog* b) { return ClickTreeItem(b, target); },
        [&](wxDialog* b) {
            if (Edit(b)->GetValue() != wxString::FromUTF8(target)) return false;
            ClickMiddle(b->FindWindow(wxID_OK));
            return true;
        },
    });
    guitest::Click(guitest::Button(dlg, IDC_BBROWSEFOLDER));
    EXPECT_TRUE(guitest::WaitFor([&] { return !OpenBrowseWindow() && choose.Finished(); }));
    EXPECT_TRUE(firstLook);
    EXPECT_EQ(guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->GetValue(), wxString::FromUTF8(target));
    EXPECT_EQ(StoredOutputPath(), target);

    Script cancel({
        [&](wxDialog* b) { return Tree(b)->ExpandPath(wxString::FromUTF8(target + "/inner")); },
        [&](wxDialog* b) {
            ClickMiddle(b->FindWindow(wxID_CANCEL));
            return true;
        },
    });
    guitest::Click(guitest::Button(dlg, IDC_BBROWSEFOLDER));
    EXPECT_TRUE(guitest::WaitFor([&] { return !OpenBrowseWindow() && cancel.Finished(); }));
    EXPECT_EQ(guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->GetValue(), wxString::FromUTF8(target));
    EXPECT_EQ(StoredOutputPath(), target);
    dlg->Destroy();
    guitest::Pump(30);
}

TEST_F(FolderDialogTest, OpensAtTheOutputFolderInViewTypingToItsFieldAndMakesANewFolder) {
    auto* dlg = new CKerfelDialog();
    dlg->Show();
    guitest::Pump(150);
    const wxString start = wxString::FromUTF8(base + "/Ziel ü/inner");
    guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->ChangeValue(start);  // typed, not chosen yet
    bool selected = false, inView = false, labelled = false;
    wxString held, made;
    Script script({
        [&](wxDialog* b) {
            if (wxWindow::FindFocus() != Edit(b)) return false;  // typing goes to the field
            wxTreeCtrl* tree = Tree(b)->GetTreeCtrl();
            selected = Tree(b)->GetPath() == start;
            inView = tree->GetSelection().IsOk() && tree->IsVisible(tree->GetSelection());
            held = Edit(b)->GetValue();
            auto* label = dynamic_cast<wxStaticText*>(b->FindWindow(ID_FOLDER_LABEL));
            labelled = label && !label->GetLabel().empty();
            ClickMiddle(b->FindWindow(ID_FOLDER_NEW));
            return true;
        },
        [&](wxDialog* b) {
            if (Tree(b)->GetPath() == start) return false;
            made = Tree(b)->GetPath();
            held = Edit(b)->GetValue();
            wxTreeCtrl* tree = Tree(b)->GetTreeCtrl();
            tree->EndEditLabel(tree->GetSelection(), true);
            ClickMiddle(b->FindWindow(wxID_CANCEL));
            return true;
        },
    });
    guitest::Click(guitest::Button(dlg, IDC_BBROWSEFOLDER));
    EXPECT_TRUE(guitest::WaitFor([&] { return !OpenBrowseWindow() && script.Finished(); }));
    EXPECT_TRUE(selected);
    EXPECT_TRUE(inView);
    EXPECT_TRUE(labelled);
    EXPECT_TRUE(made.StartsWith(start + "/")) << made;
    EXPECT_EQ(held, made);
    EXPECT_TRUE(fs::is_directory(made.utf8_string()));
    EXPECT_EQ(guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->GetValue(), start);  // cancelled: the field keeps its text
    dlg->Destroy();
    guitest::Pump(30);
}

TEST_F(FolderDialogTest, ATypedMissingFolderKeepsTheWindowOpenAndAnExistingOneIsTaken) {
    RecordingFolderDialog picker("Select Output Folder.", nullptr, nullptr, 0x51);
    const std::string missing = base + "/typed/nowhere";
    bool stillOpen = false;
    Script script({
        [&](wxDialog* b) {
            TypeInto(Edit(b), missing);
            return true;
        },
        [&](wxDialog* b) {
            stillOpen = b->IsShown() && b->IsModal();
            return !picker.calls.empty() && picker.calls.back() == "validatefailed";
        },
        [&](wxDialog* b) {
            stillOpen = stillOpen && b->IsShown();
            // ".." and a trailing "/" resolve by name.
            TypeInto(Edit(b), base + "/typed/inner/../inner/");
            return true;
        },
    });
    EXPECT_EQ(picker.DoModal(), 1);
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(picker.failedName, wxString::FromUTF8(missing));
    EXPECT_EQ(picker.GetFolderPath(), wxString::FromUTF8(base + "/typed/inner"));
    EXPECT_EQ(picker.m_bi.pszDisplayName, "inner");
    ASSERT_GE(picker.calls.size(), 3u);
    EXPECT_EQ(picker.calls[0], "iunknown");
    EXPECT_EQ(picker.calls[1], "initialized");
    EXPECT_NE(picker.offered, nullptr);
    EXPECT_NE(picker.windowWhileInitialized, nullptr);
    EXPECT_EQ(picker.m_hWndBrowse, nullptr);
}

TEST_F(FolderDialogTest, InitialFolderIsSelectedStatusTextNeedsItsFlagAndDecliningClosesEmpty) {
    const wxString initial = wxString::FromUTF8(base + "/Ziel ü");
    RecordingFolderDialog withStatus("Pick", &initial, nullptr, 0x51 | BIF_STATUSTEXT);
    wxString shownPath, shownStatus;
    Script look({[&](wxDialog* b) {
        shownPath = Tree(b)->GetPath();
        shownStatus = static_cast<wxStaticText*>(b->FindWindow(ID_FOLDER_STATUS))->GetLabel();
        ClickMiddle(b->FindWindow(wxID_CANCEL));
        return true;
    }});
    EXPECT_EQ(withStatus.DoModal(), 2);
    EXPECT_EQ(shownPath, initial);
    EXPECT_EQ(shownStatus, initial);
    EXPECT_EQ(withStatus.GetFolderPath(), "");

    // A handler that answers 0 to a failed validation closes the window with nothing chosen.
    RecordingFolderDialog declining("Pick", nullptr, nullptr, 0x51);
    declining.validateAnswer = 0;
    Script type({[&](wxDialog* b) {
        TypeInto(Edit(b), base + "/none");
        return true;
    }});
    EXPECT_EQ(declining.DoModal(), 2);
    EXPECT_EQ(declining.GetFolderPath(), "");
}
