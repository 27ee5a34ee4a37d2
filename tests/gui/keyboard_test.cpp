// The whole tool without a mouse: Tab order, focus cues, Space/Enter on the
// bitmap buttons, Alt+letter mnemonics, the Help menu and every box answered
// from the keyboard. Keys are real key presses of the display
// (wxUIActionSimulator); without a window manager the keyboard follows the
// pointer, so the pointer is parked over the window that should have it.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/timer.h>
#include <wx/webview.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <vector>

#include "app/ui/control_ids.h"
#include "main_dialog_controls.h"
#include "app/ui/kerfel_dialog.h"
#include "gui_test_util.h"
#include "i18n/language_table.h"
#include "i18n/ui/about_dialog.h"
#include "i18n/ui/help_menu.h"
#include "i18n/ui/message_box_dialog.h"
#include "base/utf8.h"
#include "publish/ui/preview_dialog.h"
#include "publish/ui/web_browser_host.h"
#include "skin/ui/button_mnemonics.h"

namespace {

void Key(int key, int modifiers = wxMOD_NONE) { guitest::PressKey(key, modifiers); }

// Puts the pointer on a spot of `w` where a click would do nothing, so that
// key presses go to its window.
void PointAt(wxWindow* w, wxPoint client) {
    wxUIActionSimulator().MouseMove(w->ClientToScreen(client));
    guitest::Pump(80);
}

// Saves a picture of the screen when KERFEL_SCREENSHOTS names a folder.
void MaybeScreenshot(const char* name) {
    if (const char* dir = std::getenv("KERFEL_SCREENSHOTS")) guitest::Screenshot(std::string(dir) + "/" + name);
}

template <class T>
T* ShownDialog() {
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* d = dynamic_cast<T*>(w); d && d->IsShown()) return d;
    return nullptr;
}

// Runs steps one after another on a timer, so that they go on while a modal
// dialog or a popup menu runs its own loop. A step that returns false is
// tried again at the next tick (it waits for something to appear).
class Script : public wxTimer {
public:
    using Step = std::function<bool()>;
    explicit Script(std::vector<Step> steps) : m_steps(std::move(steps)) { Start(80); }
    void Notify() override {
        if (m_next < m_steps.size() && m_steps[m_next]()) ++m_next;
        if (m_next == m_steps.size()) Stop();
        if (++m_ticks == 150) {
            ADD_FAILURE() << "step " << m_next << " never completed";
            Stop();
            for (wxWindow* w : wxTopLevelWindows)
                if (auto* d = dynamic_cast<wxDialog*>(w); d && d->IsModal() && d != wxTheApp->GetTopWindow()) d->EndModal(-999);
        }
    }

private:
    std::vector<Step> m_steps;
    size_t m_next = 0;
    int m_ticks = 0;
};

Script::Step Press(int key, int modifiers = wxMOD_NONE) {
    return [=] {
        wxUIActionSimulator().Char(key, modifiers);
        return true;
    };
}

struct MainDialogKeys : ::testing::Test {
    CKerfelDialog* dlg = nullptr;
    std::vector<int> pressed;  // ids of the buttons that sent a click, in order
    std::set<int> passOn;      // ids whose click also runs the command
    void SetUp() override {
        dlg = new CKerfelDialog();
        dlg->Move(40, 40);
        dlg->Show();
        // The commands themselves are tested elsewhere: here a click is only
        // recorded.
        for (int id : {IDC_BMIN, IDC_BBROWSEFILE, IDC_BEXIT, IDC_BGENERATE, IDC_BCLOSEBUT, IDC_BBRBGMUSIC,
                       IDC_BBROWSEFOLDER, IDC_BPERVIEW, IDC_BSAVE, IDC_BQUES})
            dlg->Bind(wxEVT_BUTTON, [this](wxCommandEvent& e) {
                pressed.push_back(e.GetId());
                e.Skip(passOn.count(e.GetId()) > 0);
            }, id);
        guitest::Pump(200);
        PointAt(dlg, wxPoint(30, 480));  // the skin below the option boxes
    }
    void TearDown() override {
        dlg->Destroy();
        guitest::Pump(50);
    }
    int Focused() const {
        wxWindow* f = wxWindow::FindFocus();
        return f ? f->GetId() : 0;
    }
};

}  // namespace

TEST_F(MainDialogKeys, TabVisitsEveryEnabledControlInReadingOrderAndShowsTheFocus) {
    ASSERT_EQ(Focused(), IDC_BBROWSEFILE);
    // Worked with the mouse so far: no focus rectangle changes the look.
    EXPECT_FALSE(guitest::Button(dlg, IDC_BBROWSEFILE)->ShowsFocusRect());
    MaybeScreenshot("keyboard-main-start.png");

    const std::vector<int> forward = {
        IDC_EOUTPUTFOLDER, IDC_BBROWSEFOLDER, IDC_CLEVELS,    IDC_BGENERATE,   IDC_CLAYOUT,    IDC_EMUSICPATH,
        IDC_BBRBGMUSIC,    IDC_CSMALLMAP,     IDC_CNAVSCROLL, IDC_CZOOMSLIDER, IDC_CCLICK2ZOOM, IDC_BMIN,
        IDC_BEXIT,         IDC_BQUES,         IDC_ESOURCEPATH, IDC_BBROWSEFILE,
    };
    // The list's focus lies on an inner widget of the toolkit that the
    // framework does not know: it shows as no window, and Down moving the
    // selection shows where it is.
    guitest::LevelsList(dlg)->Append("2");
    std::vector<int> seen;
    for (size_t i = 0; i < forward.size(); ++i) {
        Key(WXK_TAB);
        seen.push_back(Focused());
        if (seen.back() == 0) {
            auto* layouts = guitest::Control<wxChoice>(dlg, IDC_CLAYOUT);
            const wxString levelsBefore = guitest::LevelsList(dlg)->GetStringSelection();
            const int layoutBefore = layouts->GetSelection();
            Key(WXK_DOWN);
            if (layouts->GetSelection() != layoutBefore) {
                seen.back() = IDC_CLAYOUT;
                Key(WXK_UP);  // back to the native layout, which the settings keep for the next tests
            } else if (guitest::LevelsList(dlg)->GetStringSelection() != levelsBefore) {
                seen.back() = IDC_CLEVELS;
            }
        }
        if (seen.back() == IDC_BBROWSEFOLDER) {
            EXPECT_TRUE(guitest::Button(dlg, IDC_BBROWSEFOLDER)->ShowsFocusRect());
            MaybeScreenshot("keyboard-main-focus-on-browse-folder.png");
        }
    }
    EXPECT_EQ(seen, forward);  // Preview and Export are disabled: skipped
    EXPECT_TRUE(pressed.empty());

    Key(WXK_TAB, wxMOD_SHIFT);
    EXPECT_EQ(Focused(), IDC_ESOURCEPATH);
    Key(WXK_TAB, wxMOD_SHIFT);
    EXPECT_EQ(Focused(), IDC_BQUES);

    // Once enabled they are on the way, after the option boxes.
    guitest::Button(dlg, IDC_BPERVIEW)->Enable(true);
    guitest::Button(dlg, IDC_BSAVE)->Enable(true);
    guitest::Check(dlg, IDC_CCLICK2ZOOM)->SetFocus();
    guitest::Pump(50);
    Key(WXK_TAB);
    EXPECT_EQ(Focused(), IDC_BPERVIEW);
    Key(WXK_TAB);
    EXPECT_EQ(Focused(), IDC_BSAVE);
    Key(WXK_TAB, wxMOD_SHIFT);
    Key(WXK_TAB, wxMOD_SHIFT);
    EXPECT_EQ(Focused(), IDC_CCLICK2ZOOM);
    // Space ticks the focused option box as a click does.
    bool before = guitest::Check(dlg, IDC_CCLICK2ZOOM)->GetValue();
    Key(' ');
    EXPECT_NE(guitest::Check(dlg, IDC_CCLICK2ZOOM)->GetValue(), before);
    EXPECT_TRUE(pressed.empty());
}

TEST_F(MainDialogKeys, SpaceAndEnterPressTheFocusedButtonOnce) {
    guitest::Button(dlg, IDC_BGENERATE)->SetFocus();
    guitest::Pump(50);
    wxUIActionSimulator sim;
    // Held down, Space shows the button pushed and repeats nothing; the
    // click comes with the release.
    sim.KeyDown(WXK_SPACE);
    guitest::Pump(80);
    EXPECT_TRUE(guitest::Button(dlg, IDC_BGENERATE)->IsPushed());
    EXPECT_TRUE(pressed.empty());
    sim.KeyUp(WXK_SPACE);
    guitest::Pump(80);
    EXPECT_FALSE(guitest::Button(dlg, IDC_BGENERATE)->IsPushed());
    EXPECT_EQ(pressed, std::vector<int>{IDC_BGENERATE});

    Key(WXK_RETURN);
    Key(WXK_NUMPAD_ENTER);
    EXPECT_EQ(pressed, (std::vector<int>{IDC_BGENERATE, IDC_BGENERATE, IDC_BGENERATE}));

    // A disabled button that kept the focus presses nothing.
    guitest::Button(dlg, IDC_BPERVIEW)->Enable(true);
    guitest::Button(dlg, IDC_BPERVIEW)->SetFocus();
    guitest::Button(dlg, IDC_BPERVIEW)->Enable(false);
    guitest::Pump(50);
    Key(' ');
    Key(WXK_RETURN);
    EXPECT_EQ(pressed.size(), 3u);
}

TEST_F(MainDialogKeys, AltLetterPressesTheButtonWhoseCaptionMarksIt) {
    struct Case {
        char letter;
        int id;
    };
    // English captions: &Make, Browse &File ..., Browse F&older, &Browse, &Help.
    for (Case c : {Case{'m', IDC_BGENERATE}, Case{'f', IDC_BBROWSEFILE}, Case{'o', IDC_BBROWSEFOLDER},
                   Case{'b', IDC_BBRBGMUSIC}, Case{'h', IDC_BQUES}}) {
        pressed.clear();
        Key(c.letter, wxMOD_ALT);
        EXPECT_EQ(pressed, std::vector<int>{c.id}) << c.letter;
        EXPECT_EQ(Focused(), c.id) << c.letter;
    }
    EXPECT_TRUE(guitest::Button(dlg, IDC_BQUES)->ShowsFocusRect());

    // Disabled Preview and hidden Close do not answer; enabled, Preview does.
    pressed.clear();
    Key('p', wxMOD_ALT);
    Key('c', wxMOD_ALT);
    EXPECT_TRUE(pressed.empty());
    guitest::Button(dlg, IDC_BPERVIEW)->Enable(true);
    Key('p', wxMOD_ALT);
    EXPECT_EQ(pressed, std::vector<int>{IDC_BPERVIEW});

    // The dialog has fields to type into: a bare letter is only a letter,
    // also while a button has the focus.
    pressed.clear();
    guitest::Button(dlg, IDC_BBROWSEFILE)->SetFocus();
    guitest::Pump(50);
    Key('m');
    EXPECT_TRUE(pressed.empty());
    guitest::Edit(dlg, IDC_EMUSICPATH)->SetFocus();
    guitest::Pump(50);
    Key('m');
    Key('e');
    EXPECT_EQ(guitest::Edit(dlg, IDC_EMUSICPATH)->GetValue(), "me");
    EXPECT_TRUE(pressed.empty());

    // Two buttons with one letter (as a translation may give them): Alt+letter
    // takes the focus from one to the other and presses neither.
    guitest::Button(dlg, IDC_BQUES)->SetLabel("&Aide");
    guitest::Button(dlg, IDC_BPERVIEW)->SetLabel(wxString::FromUTF8("&Aper\xC3\xA7u"));
    Key('a', wxMOD_ALT);
    EXPECT_EQ(Focused(), IDC_BQUES);
    Key('a', wxMOD_ALT);
    EXPECT_EQ(Focused(), IDC_BPERVIEW);
    Key('a', wxMOD_ALT);
    EXPECT_EQ(Focused(), IDC_BQUES);
    EXPECT_TRUE(pressed.empty());

    // Escape still ends the tool, from a button as from a field.
    bool cancelled = false;
    dlg->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) { cancelled = true; }, wxID_CANCEL);
    Key(WXK_ESCAPE);
    EXPECT_TRUE(cancelled);
}

TEST(MnemonicLetters, AreReadFromTheCaption) {
    EXPECT_EQ(kerfel::MnemonicOf("Browse F&older"), wxUniChar('O'));
    EXPECT_EQ(kerfel::MnemonicOf("&&Save && &Close"), wxUniChar('C'));
    EXPECT_EQ(kerfel::MnemonicOf(wxString::FromUTF8("\xC3\x9C&ber")), wxUniChar('B'));
    EXPECT_EQ(kerfel::MnemonicOf("OK"), wxUniChar(0));
    EXPECT_EQ(kerfel::MnemonicOf("Trailing&"), wxUniChar(0));
}

// The Help menu opens from the keyboard and its entries are reached with the
// arrows: About opens the about box, which Enter closes again.
TEST_F(MainDialogKeys, HelpMenuOpensAndItsEntriesAreReachedByKeyboard) {
    passOn.insert(IDC_BQUES);
    bool aboutSeen = false, aboutFocusOnOk = false;
    auto about = [] { return ShownDialog<CAboutDialog>(); };
    Script script({
        [] { return true; },
        Press(WXK_UP),  // the last entry: About
        Press(WXK_RETURN),
        [&] {
            CAboutDialog* a = about();
            if (!a) return false;
            aboutSeen = true;
            PointAt(a, wxPoint(20, 80));
            return true;
        },
        [&] {
            aboutFocusOnOk = wxWindow::FindFocus() == about()->m_btnOK;
            MaybeScreenshot("keyboard-about-box.png");
            return true;
        },
        Press(WXK_RETURN),
    });
    Key('h', wxMOD_ALT);  // the menu's own loop runs the script
    ASSERT_TRUE(guitest::WaitFor([&] { return !script.IsRunning(); }, 10000));
    guitest::Pump(100);
    EXPECT_EQ(pressed, std::vector<int>{IDC_BQUES});
    EXPECT_TRUE(aboutSeen);
    EXPECT_TRUE(aboutFocusOnOk);
    EXPECT_EQ(about(), nullptr);
}

namespace {
struct BoxKeys : ::testing::Test {
    void SetUp() override {
        kerfel::SetLanguageTable(kerfel::Utf8ToUtf16(
            "MESSAGEBOX.IDOK=OK\r\nMESSAGEBOX.IDCANCEL=Cancel\r\nMESSAGEBOX.IDYES=&Yes\r\n"
            "MESSAGEBOX.IDNO=&No\r\nMESSAGEBOX.IDRETRY=&Retry\r\nMESSAGEBOX.IDABORT=&Abort\r\n"
            "MESSAGEBOX.IDIGNORE=&Ignore\r\nABOUTDIALOG.IDOK=&OK\r\nPREVIEWDIALOG.IDCANCEL=&Close\r\n"));
    }
    // Shows a message box, answers it with `keys` once it is up and returns
    // its result.
    static int AnswerBox(int flags, std::vector<Script::Step> keys) {
        std::vector<Script::Step> steps = {[] {
            CMessageBoxDialog* box = ShownDialog<CMessageBoxDialog>();
            if (!box) return false;
            PointAt(box, wxPoint(5, 5));
            return true;
        }};
        steps.insert(steps.end(), keys.begin(), keys.end());
        Script script(steps);
        CMessageBoxDialog box(nullptr);
        return box.Show("Replace the folder?", "Make", flags);
    }
};
}  // namespace

TEST_F(BoxKeys, MessageBoxIsAnsweredByItsLettersTabAndEnter) {
    EXPECT_EQ(AnswerBox(MBX_YESNO | MBX_ICONQUESTION, {Press(WXK_RETURN)}), IDYES);  // the focused first button
    EXPECT_EQ(AnswerBox(MBX_YESNO | MBX_ICONQUESTION, {Press('n', wxMOD_ALT)}), IDNO);
    EXPECT_EQ(AnswerBox(MBX_YESNO | MBX_ICONQUESTION, {Press('n')}), IDNO);
    EXPECT_EQ(AnswerBox(MBX_ABORTRETRYIGNORE, {Press('i')}), IDIGNORE);
    EXPECT_EQ(AnswerBox(MBX_YESNOCANCEL, {Press(WXK_TAB), Press(WXK_TAB), Press(' ')}), IDCANCEL);
    EXPECT_EQ(AnswerBox(MBX_YESNO, {Press('x'), Press(WXK_ESCAPE)}), IDNO);  // no such letter: nothing
}

TEST_F(BoxKeys, AboutBoxIsAnsweredByEnterSpaceItsLetterAndEscape) {
    struct Case {
        int key, modifiers, result;
    };
    for (Case c : {Case{WXK_RETURN, wxMOD_NONE, wxID_OK}, Case{' ', wxMOD_NONE, wxID_OK},
                   Case{'o', wxMOD_NONE, wxID_OK}, Case{'o', wxMOD_ALT, wxID_OK},
                   Case{WXK_ESCAPE, wxMOD_NONE, wxID_CANCEL}}) {
        bool focusOnOk = false;
        Script script({[&] {
                           CAboutDialog* a = ShownDialog<CAboutDialog>();
                           if (!a) return false;
                           PointAt(a, wxPoint(20, 80));
                           focusOnOk = wxWindow::FindFocus() == a->m_btnOK;
                           return true;
                       },
                       Press(c.key, c.modifiers)});
        CAboutDialog about(nullptr);
        EXPECT_EQ(about.ShowModal(), c.result) << c.key;
        EXPECT_TRUE(focusOnOk);
    }
}

TEST_F(BoxKeys, PreviewClosesByEscapeEnterAndItsLetter) {
    for (int key : {int(WXK_ESCAPE), int(WXK_RETURN), int('c')}) {
        bool focusOnClose = false;
        Script script({[&] {
                           CPreviewDialog* p = ShownDialog<CPreviewDialog>();
                           if (!p) return false;
                           PointAt(p, wxPoint(5, 20));
                           focusOnClose = wxWindow::FindFocus() == p->m_btnClose;
                           if (key == WXK_ESCAPE) MaybeScreenshot("keyboard-preview.png");
                           return true;
                       },
                       Press(key)});
        auto* preview = new CPreviewDialog();
        preview->m_rcViewer = wxRect(0, 0, 331, 260);
        preview->m_strFallbackHtml = "<html><body>no viewer</body></html>";
        EXPECT_EQ(preview->ShowModal(), wxID_CANCEL) << key;
        EXPECT_TRUE(focusOnClose) << key;
        preview->Destroy();
        guitest::Pump(50);
    }
}

// Once the page is shown and clicked, the keyboard is the page's; Escape
// still closes the preview.
TEST_F(BoxKeys, PreviewClosesByEscapeWhileThePageHasTheKeyboard) {
    bool pageHadFocus = false;
    int ticks = 0;
    Script script({[&] {
                       CPreviewDialog* p = ShownDialog<CPreviewDialog>();
                       wxWebView* view = p && p->m_wndBrowser ? p->m_wndBrowser->Browser() : nullptr;
                       if (!view || view->IsBusy() || view->GetCurrentURL().empty()) return false;
                       if (++ticks < 5) return false;
                       guitest::ClickToTakeFocus(view);
                       return true;
                   },
                   [&] {
                       CPreviewDialog* p = ShownDialog<CPreviewDialog>();
                       pageHadFocus = wxWindow::FindFocus() != p->m_btnClose;
                       return true;
                   },
                   Press(WXK_ESCAPE)});
    auto* preview = new CPreviewDialog();
    preview->m_rcViewer = wxRect(0, 0, 331, 260);
    preview->m_strFallbackHtml = "<html><body><p>no viewer</p></body></html>";
    EXPECT_EQ(preview->ShowModal(), wxID_CANCEL);
    EXPECT_TRUE(pageHadFocus);
    preview->Destroy();
    guitest::Pump(50);
}
