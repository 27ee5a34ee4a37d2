#include <gtest/gtest.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <functional>

#include "gui_test_util.h"
#include "i18n/language_list.h"
#include "i18n/language_table.h"
#include "i18n/ui/message_box_dialog.h"
#include "base/utf8.h"

namespace {

// Waits (on a timer, while the box's modal loop runs) until a message box is
// on the screen, then runs `act` on it once.
class BoxDriver : public wxTimer {
public:
    explicit BoxDriver(std::function<void(CMessageBoxDialog*)> act) : m_act(std::move(act)) { Start(30); }
    void Notify() override {
        for (wxWindow* w : wxTopLevelWindows) {
            auto* box = dynamic_cast<CMessageBoxDialog*>(w);
            if (!box || !box->IsShown() || !box->IsModal()) continue;
            ++m_nSeen;
            if (m_nSeen == 5) m_act(box);  // once it is mapped and laid out
            // A box that the action did not close would hang the run.
            if (m_nSeen == 100) {
                ADD_FAILURE() << "the box did not close";
                box->EndModal(wxID_CANCEL);
            }
            return;
        }
    }

private:
    std::function<void(CMessageBoxDialog*)> m_act;
    int m_nSeen = 0;
};

void ClickAt(wxWindow* w) {
    wxUIActionSimulator sim;
    wxRect r = w->GetScreenRect();
    sim.MouseMove(r.x + r.width / 2, r.y + r.height / 2);
    wxYield();
    sim.MouseClick();
}

// Saves a picture of the screen when KERFEL_SCREENSHOTS names a folder.
void MaybeScreenshot(const char* name) {
    if (const char* dir = std::getenv("KERFEL_SCREENSHOTS")) guitest::Screenshot(std::string(dir) + "/" + name);
}

struct MessageBoxTest : ::testing::Test {
    void SetUp() override {
        kerfel::SetLanguageTable(kerfel::Utf8ToUtf16(
            "MESSAGEBOX.IDOK=OK\r\nMESSAGEBOX.IDCANCEL=Cancel\r\nMESSAGEBOX.IDYES=&Yes\r\n"
            "MESSAGEBOX.IDNO=&No\r\nMESSAGEBOX.IDRETRY=&Retry\r\nMESSAGEBOX.IDABORT=&Abort\r\n"
            "MESSAGEBOX.IDIGNORE=&Ignore\r\n"));
    }
    void TearDown() override {
        kerfel::SetLanguageTable({});
        kerfel::SetLanguageList({});
    }
};

}  // namespace

TEST_F(MessageBoxTest, YesAndNoButtonsAnswerWithTheirCodes) {
    int results[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        wxRect left, middle;
        wxSize size;
        BoxDriver driver([&](CMessageBoxDialog* box) {
            left = box->m_btnButtons[0]->GetRect();
            middle = box->m_btnButtons[1]->GetRect();
            size = box->GetSize();
            EXPECT_EQ(box->m_btnButtons[0]->GetLabelText(), "Yes");
            EXPECT_EQ(box->m_btnButtons[1]->GetLabelText(), "No");
            EXPECT_FALSE(box->m_btnButtons[2]->IsShown());
            EXPECT_TRUE(box->m_stcIcons[1]->IsShown());
            EXPECT_FALSE(box->m_stcIcons[0]->IsShown());
            ClickAt(box->m_btnButtons[i]);
        });
        CMessageBoxDialog box(nullptr);
        results[i] = box.Show("Start?", "Make", MBX_YESNO | MBX_ICONQUESTION);
        // Two buttons with an icon and a short text: the box is 200 wide.
        EXPECT_EQ(size, wxSize(200, 100));
        EXPECT_EQ(left, wxRect(10, middle.y, 80, 25));
        EXPECT_EQ(middle.x, 110);
    }
    EXPECT_EQ(results[0], IDYES);
    EXPECT_EQ(results[1], IDNO);
}

TEST_F(MessageBoxTest, EscapeAnswersWithTheButtonThatChangesNothing) {
    struct Case {
        int flags, expected;
    };
    const Case cases[] = {{MBX_YESNO | MBX_ICONWARNING, IDNO}, {MBX_YESNOCANCEL, IDCANCEL}, {MBX_OK, IDOK},
                          {MBX_ABORTRETRYIGNORE, IDABORT}};
    for (const Case& c : cases) {
        BoxDriver driver([](CMessageBoxDialog* box) {
            wxUIActionSimulator sim;
            ClickAt(box->m_stcMessage);  // gives the box the keyboard
            wxYield();
            sim.Char(WXK_ESCAPE);
        });
        CMessageBoxDialog box(nullptr);
        EXPECT_EQ(box.Show("Replace the archive?", "Export", c.flags), c.expected) << c.flags;
    }
}

TEST_F(MessageBoxTest, ThreeButtonsWithAnIconOverlapSlightly) {
    wxPoint pos[3];
    wxSize size;
    BoxDriver driver([&](CMessageBoxDialog* box) {
        for (int i = 0; i < 3; ++i) pos[i] = box->m_btnButtons[i]->GetPosition();
        size = box->GetSize();
        EXPECT_EQ(box->m_btnButtons[2]->GetLabelText(), "Cancel");
        EXPECT_TRUE(box->m_stcIcons[2]->IsShown());
        MaybeScreenshot("three-button-box.png");
        ClickAt(box->m_btnButtons[2]);
    });
    CMessageBoxDialog box(nullptr);
    EXPECT_EQ(box.Show("Save?", "Question", MBX_YESNOCANCEL | MBX_ICONWARNING), IDCANCEL);
    EXPECT_EQ(size.x, 250);
    EXPECT_EQ(pos[0].x, 22);
    EXPECT_EQ(pos[1].x, 95);
    EXPECT_EQ(pos[2].x, 166);
    EXPECT_EQ(pos[0].y, pos[2].y);
}

TEST_F(MessageBoxTest, ScriptedAnswersSkipTheBoxAndKeepItsTexts) {
    CMessageBoxDialog::AnswerNextWith(IDNO);
    CMessageBoxDialog box(nullptr);
    EXPECT_EQ(box.Show("Folder exists\nOverwrite?", "Make", MBX_YESNO), IDNO);
    EXPECT_EQ(CMessageBoxDialog::LastText(), "Folder exists\nOverwrite?");
    EXPECT_EQ(CMessageBoxDialog::LastCaption(), "Make");
    EXPECT_FALSE(box.GetHandle()) << "no window was made";
}

TEST_F(MessageBoxTest, TheLanguageChooserOffersASortedListAndALiteralOk) {
    kerfel::SetLanguageTable({});  // nothing loaded yet at start-up
    kerfel::SetLanguageList({"Fran\xC3\xA7" "ais", "fra.txt", "Deutsch", "deu.txt", "Castellano", "spa.txt"});
    wxArrayString items;
    wxString okLabel, value;
    BoxDriver driver([&](CMessageBoxDialog* box) {
        items = box->m_cmbLanguage->GetStrings();
        okLabel = box->m_btnButtons[1]->GetLabelText();
        value = box->m_cmbLanguage->GetValue();
        EXPECT_TRUE(box->m_cmbLanguage->IsShown());
        EXPECT_EQ(box->GetSize(), wxSize(180, box->GetSize().y));
        box->m_cmbLanguage->SetFocus();
        MaybeScreenshot("language-chooser.png");
        wxUIActionSimulator sim;
        // A name that is not listed, typed and confirmed with Enter in the
        // edit field, comes back as typed.
        box->m_cmbLanguage->SelectAll();
        wxYield();
        sim.Text("Klingon");
        wxYield();
        sim.Char(WXK_RETURN);
    });
    CMessageBoxDialog box(nullptr);
    box.m_bLanguageChoice = 1;
    EXPECT_EQ(box.Show("Select Language", "Select Language", MBX_OK), IDOK);
    EXPECT_EQ(okLabel, "OK");
    EXPECT_EQ(value, "English");
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0], "Castellano");
    EXPECT_EQ(items[1], "Deutsch");
    EXPECT_EQ(items[2], "English");
    EXPECT_EQ(items[3], wxString::FromUTF8("Fran\xC3\xA7" "ais"));
    EXPECT_EQ(box.m_strLanguage, "Klingon");
}

TEST_F(MessageBoxTest, AnOkBoxWithAnIconShowsTheWholeText) {
    wxString label;
    bool iconShown = false;
    BoxDriver driver([&](CMessageBoxDialog* box) {
        label = box->m_stcMessage->GetLabelText();
        iconShown = box->m_stcIcons[3]->IsShown();
        EXPECT_EQ(box->m_btnButtons[1]->GetLabelText(), "OK");
        EXPECT_FALSE(box->m_btnButtons[0]->IsShown());
        EXPECT_EQ(box->GetTitle(), "Done & dusted");
        MaybeScreenshot("ok-box-with-icon.png");
        ClickAt(box->m_btnButtons[1]);
    });
    CMessageBoxDialog box(nullptr);
    const wxString text = wxString::FromUTF8("The tiles of „my photo & co“ are ready.\nPreview and Export are enabled.");
    EXPECT_EQ(box.Show(text, "Done & dusted", MBX_OK | MBX_ICONINFORMATION), IDOK);
    EXPECT_TRUE(iconShown);
    // The ampersand is shown, not taken as a mnemonic.
    EXPECT_EQ(label, text);
}
