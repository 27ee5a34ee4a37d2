#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/timer.h>

#include <map>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "main_dialog_controls.h"
#include "app/ui/kerfel_dialog.h"
#include "gui_test_util.h"
#include "i18n/language_list.h"
#include "i18n/language_table.h"
#include "i18n/ui/about_dialog.h"
#include "i18n/ui/help_menu.h"

namespace {

wxString Text(const std::string& key) { return wxString::FromUTF8(kerfel::GetLanguageText(key)); }

// Every caption and tooltip the dialog takes from the language, by key.
std::map<std::string, wxString> Captions(CKerfelDialog* d) {
    return {
        {"KERFELDIALOG.IDC_LSELECTFILE", guitest::Label(d, IDC_LSELECTFILE)->GetLabel()},
        {"KERFELDIALOG.IDC_LSELECTOUTFOLDER", guitest::Label(d, IDC_LSELECTOUTFOLDER)->GetLabel()},
        {"KERFELDIALOG.IDC_LLEVELS", guitest::Label(d, IDC_LLEVELS)->GetLabel()},
        {"KERFELDIALOG.IDC_LLEVELSIDC_LOSIZE", guitest::Label(d, IDC_LOSIZE)->GetLabel()},
        {"KERFELDIALOG.IDC_LDSIZE", guitest::Label(d, IDC_LDSIZE)->GetLabel()},
        {"KERFELDIALOG.IDC_LBGMUSIC", guitest::Label(d, IDC_LBGMUSIC)->GetLabel()},
        {"KERFELDIALOG.IDC_L_SMALLMAP", guitest::Label(d, IDC_L_SMALLMAP)->GetLabel()},
        {"KERFELDIALOG.IDC_L_NAVSCROLL", guitest::Label(d, IDC_L_NAVSCROLL)->GetLabel()},
        {"KERFELDIALOG.IDC_L_ZOOMSLIDER", guitest::Label(d, IDC_L_ZOOMSLIDER)->GetLabel()},
        {"KERFELDIALOG.IDC_L_CLICK2ZOOM", guitest::Label(d, IDC_L_CLICK2ZOOM)->GetLabel()},
        {"KERFELDIALOG.IDC_BQUES", guitest::Button(d, IDC_BQUES)->GetLabel()},
        {"KERFELDIALOG.IDC_BBROWSEFILE", guitest::Button(d, IDC_BBROWSEFILE)->GetLabel()},
        {"KERFELDIALOG.IDC_BBROWSEFOLDER", guitest::Button(d, IDC_BBROWSEFOLDER)->GetLabel()},
        {"KERFELDIALOG.IDC_BGENERATE", guitest::Button(d, IDC_BGENERATE)->GetLabel()},
        {"KERFELDIALOG.IDC_BCLOSEBUT", guitest::Button(d, IDC_BCLOSEBUT)->GetLabel()},
        {"KERFELDIALOG.IDC_BBRBGMUSIC", guitest::Button(d, IDC_BBRBGMUSIC)->GetLabel()},
        {"KERFELDIALOG.IDC_BPERVIEW", guitest::Button(d, IDC_BPERVIEW)->GetLabel()},
        {"KERFELDIALOG.IDC_BSAVE", guitest::Button(d, IDC_BSAVE)->GetLabel()},
        {"KERFELDIALOG.TOOLTIPTEXT_IDC_BBROWSEFILE", guitest::Button(d, IDC_BBROWSEFILE)->GetTooltipText()},
        {"KERFELDIALOG.TOOLTIPTEXT_IDC_BBROWSEFOLDER", guitest::Button(d, IDC_BBROWSEFOLDER)->GetTooltipText()},
        {"KERFELDIALOG.TOOLTIPTEXT_IDC_BCLOSEBUT", guitest::Button(d, IDC_BCLOSEBUT)->GetTooltipText()},
        {"KERFELDIALOG.TOOLTIPTEXT_IDC_BBRBGMUSIC", guitest::Button(d, IDC_BBRBGMUSIC)->GetTooltipText()},
        {"KERFELDIALOG.TOOLTIPTEXT_IDC_BGENERATE ", guitest::Button(d, IDC_BGENERATE)->GetTooltipText()},
        {"KERFELDIALOG.TOOLTIPTEXT_IDC_BQUES", guitest::Button(d, IDC_BQUES)->GetTooltipText()},
        {"KERFELDIALOG.TOOLTIPTEXT_IDC_BMIN", guitest::Button(d, IDC_BMIN)->GetTooltipText()},
        {"KERFELDIALOG.TOOLTIPTEXT_IDC_BSAVE", guitest::Button(d, IDC_BSAVE)->GetTooltipText()},
        {"KERFELDIALOG.TOOLTIPTEXT_IDC_BPERVIEW", guitest::Button(d, IDC_BPERVIEW)->GetTooltipText()},
    };
}

// Position of a language's display name in the language list, -1 if absent.
int PositionOf(const std::string& file) {
    std::vector<std::string> list = kerfel::LanguageList();
    for (size_t i = 0; i + 1 < list.size(); i += 2)
        if (list[i + 1] == file) return static_cast<int>(i);
    return -1;
}

bool Ticked(int command) {
    for (const CHelpMenu::Item& item : CHelpMenu::LastItems())
        if (item.command == command) return item.checked;
    ADD_FAILURE() << "no menu item " << command;
    return false;
}

struct HelpMenuFixture : ::testing::Test {
    CKerfelDialog* dlg = nullptr;
    void SetUp() override {
        dlg = new CKerfelDialog();
        dlg->Show();
        guitest::Pump(200);
    }
    void TearDown() override {
        // Leave English loaded and remembered for the tests that follow.
        Choose(ID_HELP_ENGLISH);
        dlg->Destroy();
        guitest::Pump(50);
    }
    void Choose(int command) {
        CHelpMenu::AnswerNextWith(command);
        guitest::Click(guitest::Button(dlg, IDC_BQUES));
        guitest::Pump(100);
    }
};

}  // namespace

TEST_F(HelpMenuFixture, SwitchingLanguageChangesEveryCaptionAndTooltipTicksAndRemembersIt) {
    ASSERT_EQ(kerfel::GetLanguageText("APPLICATION.LANGUAGE_ID"), "eng.txt");
    std::map<std::string, wxString> english = Captions(dlg);
    for (const auto& [key, caption] : english) EXPECT_EQ(caption, Text(key)) << key;
    EXPECT_EQ(guitest::Button(dlg, IDC_BEXIT)->GetTooltipText(), guitest::Button(dlg, IDC_BCLOSEBUT)->GetTooltipText());

    int german = PositionOf("deu.txt");
    ASSERT_GE(german, 0) << "German is a shipped language";
    Choose(ID_LANGUAGE_FIRST + german);
    ASSERT_EQ(kerfel::GetLanguageText("APPLICATION.LANGUAGE_ID"), "deu.txt");
    int changed = 0;
    for (const auto& [key, caption] : Captions(dlg)) {
        EXPECT_EQ(caption, Text(key)) << key;
        if (caption != english[key]) ++changed;
    }
    EXPECT_GE(changed, 20);  // a few words are the same in both languages
    EXPECT_EQ(guitest::Button(dlg, IDC_BEXIT)->GetTooltipText(), Text("KERFELDIALOG.TOOLTIPTEXT_IDC_BCLOSEBUT"));

    // The next menu ticks German only and shows every language after English.
    Choose(0);
    EXPECT_TRUE(Ticked(ID_LANGUAGE_FIRST + german));
    EXPECT_FALSE(Ticked(ID_HELP_ENGLISH));
    std::vector<std::string> list = kerfel::LanguageList();
    for (size_t i = 0; i < list.size(); i += 2) {
        if (static_cast<int>(i) != german) {
            EXPECT_FALSE(Ticked(ID_LANGUAGE_FIRST + static_cast<int>(i)));
        }
    }
    EXPECT_EQ(CHelpMenu::LastItems().size(), 3 + list.size() / 2);
    EXPECT_EQ(CHelpMenu::LastItems().front().text, Text("KERFELDIALOG.MENU.ID_HELP_HELP"));

    kerfel::SettingsStore store;
    ASSERT_TRUE(store.Open());
    std::string remembered;
    ASSERT_TRUE(store.ReadString("Language", remembered));
    EXPECT_EQ(remembered, (dlg->AppFolder() + "/LanguageFiles/deu.txt").utf8_string());

    Choose(ID_HELP_ENGLISH);
    EXPECT_EQ(Captions(dlg), english);
    Choose(0);
    EXPECT_TRUE(Ticked(ID_HELP_ENGLISH));
    EXPECT_FALSE(Ticked(ID_LANGUAGE_FIRST + german));
}

TEST_F(HelpMenuFixture, DismissingTheMenuChangesNothing) {
    std::map<std::string, wxString> before = Captions(dlg);
    Choose(0);
    EXPECT_EQ(Captions(dlg), before);
    EXPECT_EQ(kerfel::GetLanguageText("APPLICATION.LANGUAGE_ID"), "eng.txt");
}

TEST_F(HelpMenuFixture, AboutBoxShowsTheTextsOfTheLoadedLanguage) {
    int french = PositionOf("fra.txt");
    ASSERT_GE(french, 0);
    Choose(ID_LANGUAGE_FIRST + french);
    ASSERT_EQ(kerfel::GetLanguageText("APPLICATION.LANGUAGE_ID"), "fra.txt");

    CAboutDialog about(dlg);
    EXPECT_EQ(about.GetSize(), wxSize(414, 293));  // the picture's size
    EXPECT_EQ(about.m_lblName->GetLabel(), Text("ABOUTDIALOG.IDC_L_NAME"));
    EXPECT_EQ(about.m_lblVersion->GetLabel(), Text("ABOUTDIALOG.IDC_L_VERSION"));
    EXPECT_EQ(about.m_lblCprt->GetLabel(), Text("ABOUTDIALOG.IDC_L_CPRT"));
    EXPECT_EQ(about.m_btnOK->GetLabel(), Text("ABOUTDIALOG.IDOK"));
    EXPECT_EQ(about.m_btnOK->GetTooltipText(), Text("ABOUTDIALOG.TOOLTIPTEXT_IDOK"));
    EXPECT_EQ(about.GetTitle(), Text("ABOUTDIALOG.WINDOWTEXT"));
    EXPECT_FALSE(Text("ABOUTDIALOG.WINDOWTEXT").empty());

    // Its OK button ends it.
    wxTimer guard;
    guard.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { if (about.IsModal()) about.EndModal(-999); });
    about.CallAfter([&] {
        guitest::Pump(200);
        guitest::Click(about.m_btnOK);
        guard.StartOnce(5000);
    });
    EXPECT_EQ(about.ShowModal(), wxID_OK);
}

TEST_F(HelpMenuFixture, AboutFromTheMenuOpensTheBox) {
    bool shown = false;
    wxTimer probe;
    probe.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        for (wxWindow* w : wxTopLevelWindows)
            if (auto* about = dynamic_cast<CAboutDialog*>(w); about && about->IsModal()) {
                shown = about->m_lblName->GetLabel() == Text("ABOUTDIALOG.IDC_L_NAME");
                about->EndModal(wxID_CANCEL);
            }
    });
    probe.Start(300);
    Choose(ID_HELP_ABOUT);
    probe.Stop();
    EXPECT_TRUE(shown);
}

TEST_F(HelpMenuFixture, EveryShippedLanguageFitsTheDialog) {
    wxBitmap bmp(10, 10);
    wxMemoryDC dc(bmp);
    std::vector<int> commands{ID_HELP_ENGLISH};
    std::vector<std::string> list = kerfel::LanguageList();
    for (size_t i = 0; i < list.size(); i += 2) commands.push_back(ID_LANGUAGE_FIRST + static_cast<int>(i));
    for (int command : commands) {
        Choose(command);
        std::string language = kerfel::GetLanguageText("APPLICATION.LANGUAGE_ID");
        for (CTransparentStatic* label : {guitest::Label(dlg, IDC_LSELECTFILE), guitest::Label(dlg, IDC_LSELECTOUTFOLDER), guitest::Label(dlg, IDC_LLEVELS),
                                          guitest::Label(dlg, IDC_LOSIZE), guitest::Label(dlg, IDC_LDSIZE), guitest::Label(dlg, IDC_LBGMUSIC),
                                          guitest::Label(dlg, IDC_L_SMALLMAP), guitest::Label(dlg, IDC_L_NAVSCROLL), guitest::Label(dlg, IDC_L_ZOOMSLIDER),
                                          guitest::Label(dlg, IDC_L_CLICK2ZOOM)}) {
            dc.SetFont(label->GetFont());
            size_t lines = label->LayoutLines(dc).size();
            EXPECT_LE(static_cast<int>(lines) * dc.GetCharHeight(), label->GetSize().y + 1)
                << language << ": " << label->GetLabel();
        }
        for (CSkinButton* button : {guitest::Button(dlg, IDC_BQUES), guitest::Button(dlg, IDC_BBROWSEFILE), guitest::Button(dlg, IDC_BBROWSEFOLDER), guitest::Button(dlg, IDC_BGENERATE),
                                    guitest::Button(dlg, IDC_BCLOSEBUT), guitest::Button(dlg, IDC_BBRBGMUSIC), guitest::Button(dlg, IDC_BPERVIEW), guitest::Button(dlg, IDC_BSAVE)}) {
            dc.SetFont(button->GetFont());
            EXPECT_LE(dc.GetTextExtent(wxControl::RemoveMnemonics(button->GetLabel())).x, button->GetSize().x - 4)
                << language << ": " << button->GetLabel();
        }
    }
}
