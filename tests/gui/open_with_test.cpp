// `kerfel PHOTO.jpg`, the desktop's "Open With": the desktop tool starts
// with that photo chosen, as Browse File would have chosen it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/image.h>
#include <wx/statbmp.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/ui/control_ids.h"
#include "app/ui/kerfel_dialog.h"
#include "gui_test_util.h"
#include "main_dialog_controls.h"

namespace {

// Pixels of pure magenta (give or take the JPEG's rounding) on the screen.
int MagentaPixelsOnScreen(const std::string& folder) {
    const std::string shot = folder + "/screen.png";
    guitest::Screenshot(shot);
    wxImage image;
    if (!image.LoadFile(wxString::FromUTF8(shot), wxBITMAP_TYPE_PNG)) return -1;
    const unsigned char* p = image.GetData();
    int count = 0;
    for (long i = 0, n = 1L * image.GetWidth() * image.GetHeight(); i < n; ++i, p += 3)
        count += p[0] > 225 && p[1] < 40 && p[2] > 225;
    return count;
}

}  // namespace

TEST(OpenWith, ChoosingASourceByPathIsWhatBrowseFileDoes) {
    auto* dlg = new CKerfelDialog();
    dlg->Show();
    guitest::Pump(200);
    const std::string dir = guitest::MakeTempFolder();
    const std::string jpg = guitest::MakeJpeg(dir, "harbour.jpg", 1000, 800);
    ASSERT_FALSE(jpg.empty());
    dlg->ChooseSource(wxString::FromUTF8(jpg));
    guitest::Pump(100);
    EXPECT_EQ(guitest::Edit(dlg, IDC_ESOURCEPATH)->GetValue(), wxString::FromUTF8(jpg));
    EXPECT_EQ(guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->GetValue(), wxString::FromUTF8(dir));
    EXPECT_EQ(guitest::Label(dlg, IDC_LOSIZEVALUE)->GetLabel(), "1000 x 800");
    EXPECT_EQ(guitest::LevelsList(dlg)->GetCount(), 3u);
    EXPECT_EQ(dlg->Pyramid().m_nTotalTiles, 22);
    EXPECT_TRUE(guitest::Control<wxStaticBitmap>(dlg, IDC_STHUMBNAIL)->IsShown());
    dlg->Destroy();
    guitest::Pump(50);
}

TEST(OpenWith, KerfelWithAPhotoStartsTheDesktopToolWithItChosen) {
    const std::string dir = guitest::MakeTempFolder();
    const std::string make = "convert -size 1000x800 xc:'#ff00ff' -quality 95 '" + dir + "/magenta.jpg'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    ASSERT_EQ(MagentaPixelsOnScreen(dir), 0);  // nothing of it shows before

    const pid_t child = fork();
    if (child == 0) {
        // A name relative to the working folder, as a shell passes it.
        if (chdir(dir.c_str()) == 0) execl(KERFEL_BINARY, KERFEL_BINARY, "magenta.jpg", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    // The thumbnail is the frame's height, about 100 x 80 pixels of magenta.
    int seen = 0;
    bool ended = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (seen < 4000 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        seen = MagentaPixelsOnScreen(dir);
        if ((ended = waitpid(child, nullptr, WNOHANG) == child)) break;  // it ended early: fail below
    }
    if (!ended) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    EXPECT_GE(seen, 4000) << "the photo's thumbnail did not show";
    EXPECT_LT(seen, 20000) << "more than a thumbnail of magenta";
}
