// Help with and without a page named by the language, through a stand-in
// for the desktop's opener that records what it was given and answers with
// the exit status the test chose.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/app_folder.h"
#include "gui_test_util.h"
#include "i18n/language_table.h"
#include "i18n/ui/help_page.h"
#include "i18n/ui/message_box_dialog.h"
#include "base/utf8.h"

namespace {

struct HelpPageTest : ::testing::Test {
    std::string bin, record, path;
    void SetUp() override {
        bin = guitest::MakeTempFolder();
        record = bin + "/opened.txt";
        std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nprintf '%s' \"$1\" > '" << record << "'\nexit \"${FAKE_OPEN_STATUS:-0}\"\n";
        std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
        path = std::getenv("PATH");
        setenv("PATH", (bin + ":" + path).c_str(), 1);
        CMessageBoxDialog::AnswerNextWith(IDOK);
    }
    void TearDown() override {
        setenv("PATH", path.c_str(), 1);
        unsetenv("FAKE_OPEN_STATUS");
        CMessageBoxDialog::AnswerNextWith(0);
        kerfel::LoadLanguageTable(kerfel::FindAppFolder() + "/LanguageFiles/eng.txt");
    }
    std::string Opened() {
        std::ifstream in(record);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Language(const std::string& entries) {
        kerfel::SetLanguageTable(kerfel::Utf8ToUtf16(
            entries + "KERFELDIALOG.ONBQUES.MESSAGEBOX_CAPTION=No help\r\nKERFELDIALOG.ONBQUES.MESSAGEBOX_TEXT=Cannot open %s\r\n"));
    }
};

}  // namespace

TEST_F(HelpPageTest, WithoutAPageTheHelpFolderOpensAndAFailedOpenIsTold) {
    const wxString app = wxString::FromUTF8(kerfel::FindAppFolder());
    Language("APPLICATION.LANGUAGE_ID=x.txt\r\n");
    EXPECT_EQ(HelpPagePath(app), app + "/help/");
    OpenHelpPage(nullptr, app);
    ASSERT_TRUE(guitest::WaitFor([&] { return !Opened().empty(); }));
    EXPECT_EQ(Opened(), (app + "/help/").utf8_string());

    // The desktop finds nothing to show the page with: a box says so.
    Language("APPLICATION.HELP_ID=eng.html\r\n");
    setenv("FAKE_OPEN_STATUS", "3", 1);
    auto* frame = new wxFrame(nullptr, wxID_ANY, "owner");
    CMessageBoxDialog::AnswerNextWith(IDOK);
    OpenHelpPage(frame, app);
    EXPECT_TRUE(guitest::WaitFor([&] { return CMessageBoxDialog::LastCaption() == "No help"; }));
    EXPECT_EQ(CMessageBoxDialog::LastText(), "Cannot open " + app + "/help/eng.html");

    // A page that is not there is told at once; so is a name that leaves the folder.
    Language("APPLICATION.HELP_ID=missing.html\r\n");
    CMessageBoxDialog::AnswerNextWith(IDOK);
    OpenHelpPage(frame, app);
    EXPECT_EQ(CMessageBoxDialog::LastText(), "Cannot open " + app + "/help/missing.html");
    Language("APPLICATION.HELP_ID=../LanguageFiles/eng.txt\r\n");
    CMessageBoxDialog::AnswerNextWith(IDOK);
    OpenHelpPage(frame, app);
    EXPECT_EQ(CMessageBoxDialog::LastText(), "Cannot open ../LanguageFiles/eng.txt");
    frame->Destroy();
    guitest::Pump(50);
}
