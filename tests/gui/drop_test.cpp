// Files dropped from a file manager: a list of URIs, escaped as file
// managers escape them, turned into names by the toolkit and dropped on the
// window, the output folder's field and the music field.
#include <gtest/gtest.h>
#include <wx/dataobj.h>
#include <wx/dnd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/ui/kerfel_dialog.h"
#include "gui_test_util.h"
#include "i18n/ui/message_box_dialog.h"
#include "i18n/ui/ui_text.h"
#include "main_dialog_controls.h"

namespace {

// "file://" and the path with every byte outside the unreserved set escaped.
std::string FileUri(const std::string& path) {
    std::ostringstream uri;
    uri << "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("/-._~", c)) uri << c;
        else uri << '%' << "0123456789ABCDEF"[c >> 4] << "0123456789ABCDEF"[c & 15];
    }
    return uri.str();
}

// Drops the files on `target` as a file manager's text/uri-list; returns
// whether the drop was accepted. As the toolkit does, a window that is no
// drop site passes the drop to the nearest one around it.
bool Drop(wxWindow* target, const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& p : paths) list += FileUri(p) + "\r\n";
    wxFileDataObject received;
    received.SetData(received.GetFormat(), list.size(), list.data());
    while (target && !target->GetDropTarget()) target = target->GetParent();
    auto* site = target ? dynamic_cast<wxFileDropTarget*>(target->GetDropTarget()) : nullptr;
    if (!site) return false;
    const bool accepted = site->OnDropFiles(5, 5, received.GetFilenames());
    guitest::Pump(20);  // what the drop left for later
    return accepted;
}

struct DropFixture : ::testing::Test {
    guitest::PrivateSettings settings;  // a dropped folder is remembered
    CKerfelDialog* dlg = nullptr;
    std::string dir;
    void SetUp() override {
        dlg = new CKerfelDialog();
        dlg->Show();
        guitest::Pump(100);
        dir = guitest::MakeTempFolder() + "/Fotos am Meer – Straße";
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        dlg->Destroy();
        guitest::Pump(50);
    }
    std::string Make(const std::string& name) {
        const std::string path = dir + "/" + name;
        std::ofstream(path) << "ID3 not much of a song";
        return path;
    }
};

}  // namespace

TEST_F(DropFixture, APictureAFolderAndMusicAreTakenWhereTheyAreDropped) {
    const std::string photo = guitest::MakeJpeg(dir, "Hafen bei Nacht é.jpg", 600, 400);
    ASSERT_TRUE(Drop(dlg->FindWindow(IDC_LOSIZE), {photo}));  // on a label: the window's drop
    auto* thumbnail = guitest::Control<wxStaticBitmap>(dlg, IDC_STHUMBNAIL);
    ASSERT_TRUE(guitest::WaitFor([&] { return thumbnail->IsShown(); }));
    EXPECT_EQ(guitest::Edit(dlg, IDC_ESOURCEPATH)->GetValue(), wxString::FromUTF8(photo));
    EXPECT_EQ(guitest::Label(dlg, IDC_LOSIZEVALUE)->GetLabel(), "600 x 400");

    const std::string folder = dir + "/Kacheln Ø";
    std::filesystem::create_directory(folder);
    ASSERT_TRUE(Drop(guitest::Edit(dlg, IDC_EOUTPUTFOLDER), {folder}));
    EXPECT_EQ(guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->GetValue(), wxString::FromUTF8(folder));

    const std::string song = Make("Lied für dich.MP3");
    ASSERT_TRUE(Drop(guitest::Edit(dlg, IDC_EMUSICPATH), {song}));
    EXPECT_EQ(dlg->MusicPath(), wxString::FromUTF8(song));

    // A picture that lands on a field is still the picture.
    const std::string other = guitest::MakeJpeg(dir, "zweites Bild.jpg", 640, 480);
    for (int field : {IDC_EMUSICPATH, IDC_ESOURCEPATH}) {
        ASSERT_TRUE(Drop(guitest::Edit(dlg, field), {field == IDC_ESOURCEPATH ? photo : other}));
        EXPECT_EQ(dlg->SourcePath(), wxString::FromUTF8(field == IDC_ESOURCEPATH ? photo : other));
    }
    EXPECT_EQ(dlg->MusicPath(), wxString::FromUTF8(song));
}

TEST_F(DropFixture, AnythingElseIsRefusedInTheLanguagesBox) {
    const std::string photo = guitest::MakeJpeg(dir, "Bild.jpg", 600, 400);
    const std::string song = Make("Lied.mp3"), text = Make("Notiz.txt");
    const wxString refused = kerfel::UiText("KERFELDIALOG.ONDROPFILES.MESSAGEBOX_CAPTION");
    ASSERT_FALSE(refused.empty());
    struct Case {
        const char* what;
        wxWindow* where;
        std::vector<std::string> paths;
    } cases[] = {
        {"a folder on the window", dlg, {dir}},
        {"a folder on the music field", guitest::Edit(dlg, IDC_EMUSICPATH), {dir}},
        {"a text file on the music field", guitest::Edit(dlg, IDC_EMUSICPATH), {text}},
        {"two pictures at once", dlg, {photo, photo}},
    };
    for (const Case& c : cases) {
        CMessageBoxDialog::AnswerNextWith(IDOK);
        EXPECT_FALSE(Drop(c.where, c.paths)) << c.what;
        EXPECT_EQ(CMessageBoxDialog::LastCaption(), refused) << c.what;
    }
    // A file that is no picture, dropped on the window, is told as Browse File tells it.
    CMessageBoxDialog::AnswerNextWith(IDOK);
    Drop(dlg, {song});
    EXPECT_EQ(CMessageBoxDialog::LastCaption(), kerfel::UiText("KERFELDIALOG.ONBBROWSEFILE.MESSAGEBOX_CAPTION"));
    EXPECT_TRUE(dlg->SourcePath().empty());
    EXPECT_TRUE(dlg->MusicPath().empty());
    EXPECT_NE(dlg->OutputFolder(), wxString::FromUTF8(dir));
}

// The desktop's list is written by the toolkit a moment after the choice:
// the test waits for the entry, and only in the test run's own data folder.
TEST_F(DropFixture, AChosenPictureIsAddedToTheDesktopsRecentFiles) {
    const char* data = std::getenv("XDG_DATA_HOME");
    ASSERT_TRUE(data && std::string(data).find("/kerfel-gui-") != std::string::npos);
    const std::string photo = guitest::MakeJpeg(dir, "Möwe über dem Hafen.jpg", 300, 200);
    dlg->ChooseSource(wxString::FromUTF8(photo));
    const std::string list = std::string(data) + "/recently-used.xbel";
    auto listed = [&] {
        std::ifstream in(list);
        std::stringstream all;
        all << in.rdbuf();
        return all.str().find("href=\"" + FileUri(photo) + "\"") != std::string::npos;
    };
    EXPECT_TRUE(guitest::WaitFor(listed, 20000)) << list;
}
