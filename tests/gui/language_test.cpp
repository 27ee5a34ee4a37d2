#include <gtest/gtest.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <filesystem>

#include "base/app_folder.h"
#include "main_dialog_controls.h"
#include "app/settings_store.h"
#include "app/ui/kerfel_dialog.h"
#include "gui_test_util.h"
#include "i18n/language_list.h"
#include "i18n/language_table.h"
#include "i18n/ui/message_box_dialog.h"

namespace {

// Acts once on the first modal message box that shows up; closes it when the
// action did not, so that a failing test cannot hang the run.
class ChooserDriver : public wxTimer {
public:
    explicit ChooserDriver(std::function<void(CMessageBoxDialog*)> act) : m_act(std::move(act)) { Start(30); }
    bool m_bSeen = false;
    void Notify() override {
        for (wxWindow* w : wxTopLevelWindows) {
            auto* box = dynamic_cast<CMessageBoxDialog*>(w);
            if (!box || !box->IsShown() || !box->IsModal()) continue;
            m_bSeen = true;
            if (++m_nTicks == 5) m_act(box);
            if (m_nTicks == 100) {
                ADD_FAILURE() << "the chooser did not close";
                box->EndModal(wxID_CANCEL);
            }
            return;
        }
    }

private:
    std::function<void(CMessageBoxDialog*)> m_act;
    int m_nTicks = 0;
};

std::string Remembered() {
    kerfel::SettingsStore store;
    std::string value;
    return store.Open() && store.ReadString("Language", value) ? value : "<nothing>";
}

void Remember(const std::string& path) {
    kerfel::SettingsStore store;
    ASSERT_TRUE(store.CreateIfMissing());
    ASSERT_TRUE(store.WriteString("Language", path));
}

struct LanguageStartTest : ::testing::Test {
    CKerfelDialog* dlg = nullptr;
    void TearDown() override {
        if (dlg) dlg->Destroy();
        guitest::Pump(50);
        std::filesystem::remove(kerfel::SettingsStore::DefaultPath());
        kerfel::SetLanguageTable({});
    }
};

}  // namespace

TEST_F(LanguageStartTest, AGoneLanguageFileAsksAndTheChoiceIsLoadedAndRemembered) {
    Remember("/nowhere/LanguageFiles/removed.txt");
    wxArrayString offered;
    ChooserDriver driver([&](CMessageBoxDialog* box) {
        EXPECT_EQ(box->GetTitle(), "Select Language");
        EXPECT_EQ(box->m_stcMessage->GetLabelText(), "Select Language");
        EXPECT_EQ(box->m_btnButtons[1]->GetLabelText(), "OK");
        offered = box->m_cmbLanguage->GetStrings();
        if (const char* dir = std::getenv("KERFEL_SCREENSHOTS"))
            guitest::Screenshot(std::string(dir) + "/start-up-chooser.png");
        // Pick "Deutsch" from the drop-down list, then press OK.
        box->m_cmbLanguage->SetFocus();
        wxYield();
        wxUIActionSimulator sim;
        EXPECT_TRUE(sim.Select("Deutsch"));
        wxYield();
        wxRect ok = box->m_btnButtons[1]->GetScreenRect();
        sim.MouseMove(ok.x + ok.width / 2, ok.y + ok.height / 2);
        wxYield();
        sim.MouseClick();
    });
    dlg = new CKerfelDialog();
    EXPECT_TRUE(driver.m_bSeen);
    ASSERT_EQ(offered.size(), 3u);
    EXPECT_EQ(offered[0], "Deutsch");
    EXPECT_EQ(offered[1], "English");
    EXPECT_EQ(offered[2], wxString::FromUTF8("Français"));
    EXPECT_EQ(kerfel::GetLanguageText("APPLICATION.LANGUAGE_ID"), "deu.txt");
    EXPECT_EQ(Remembered(), dlg->AppFolder().utf8_string() + "/LanguageFiles/deu.txt");
    EXPECT_EQ(kerfel::LanguageList().size(), 4u);
}

TEST_F(LanguageStartTest, NothingRememberedLoadsEnglishWithoutAsking) {
    std::filesystem::remove(kerfel::SettingsStore::DefaultPath());
    ChooserDriver driver([](CMessageBoxDialog* box) { box->EndModal(wxID_CANCEL); });
    dlg = new CKerfelDialog();
    EXPECT_FALSE(driver.m_bSeen);
    EXPECT_EQ(kerfel::GetLanguageText("APPLICATION.LANGUAGE_ID"), "eng.txt");
}

TEST_F(LanguageStartTest, ARememberedFileIsLoadedAndTheHelpMenuPathRemembersNothing) {
    const std::string folder = kerfel::FindAppFolder() + "/LanguageFiles/";
    Remember(folder + "fra.txt");
    ChooserDriver driver([](CMessageBoxDialog* box) { box->EndModal(wxID_CANCEL); });
    dlg = new CKerfelDialog();
    EXPECT_FALSE(driver.m_bSeen);
    EXPECT_EQ(kerfel::GetLanguageText("APPLICATION.LANGUAGE_ID"), "fra.txt");
    dlg->LoadLanguage(wxString::FromUTF8(folder + "deu.txt"));
    EXPECT_EQ(kerfel::GetLanguageText("APPLICATION.LANGUAGE_ID"), "deu.txt");
    EXPECT_EQ(Remembered(), folder + "fra.txt");
}
