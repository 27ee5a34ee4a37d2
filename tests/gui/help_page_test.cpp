// Help through a stand-in for the desktop's opener that records what it was
// given and exits with the status the test chose.
#include <gtest/gtest.h>
#include <wx/frame.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/app_folder.h"
#include "base/utf8.h"
#include "gui_test_util.h"
#include "i18n/language_table.h"
#include "i18n/ui/help_page.h"
#include "i18n/ui/message_box_dialog.h"

TEST(HelpPage, WithoutAPageTheHelpFolderOpensAndWhatCannotOpenIsTold) {
    const std::string bin = guitest::MakeTempFolder(), record = bin + "/opened.txt", path = std::getenv("PATH");
    std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nprintf '%s' \"$1\" > '" << record << "'\nexit ${STATUS:-0}\n";
    std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
    setenv("PATH", (bin + ":" + path).c_str(), 1);
    auto language = [](const std::string& entries) {
        kerfel::SetLanguageTable(kerfel::Utf8ToUtf16(entries + "KERFELDIALOG.ONBQUES.MESSAGEBOX_TEXT=No %s\r\n"));
    };
    const wxString app = wxString::FromUTF8(kerfel::FindAppFolder());
    auto* frame = new wxFrame(nullptr, wxID_ANY, "owner");

    language("APPLICATION.LANGUAGE_ID=x.txt\r\n");
    OpenHelpPage(frame, app);
    auto opened = [&] {
        std::ifstream in(record);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_TRUE(guitest::WaitFor([&] { return !opened().empty(); }));
    EXPECT_EQ(opened(), (app + "/help/").utf8_string());
    // The desktop finds nothing to show the page with; a page that is not
    // there; a name that leaves the help folder: each is told in a box.
    setenv("STATUS", "3", 1);
    for (const char* page : {"eng.html", "missing.html", "../LanguageFiles/eng.txt"}) {
        language(std::string("APPLICATION.HELP_ID=") + page + "\r\n");
        CMessageBoxDialog::AnswerNextWith(IDOK);
        OpenHelpPage(frame, app);
        wxString expected = "No " + (wxString(page).StartsWith("..") ? wxString(page) : app + "/help/" + page);
        EXPECT_TRUE(guitest::WaitFor([&] { return CMessageBoxDialog::LastText() == expected; })) << page;
    }
    unsetenv("STATUS");
    setenv("PATH", path.c_str(), 1);
    frame->Destroy();
    kerfel::LoadLanguageTable(kerfel::FindAppFolder() + "/LanguageFiles/eng.txt");
}
