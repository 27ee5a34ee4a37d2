// Displays of twice the density: every skin picture has its drawing at
// twice the size, and under GDK_SCALE=2 the window shows those pixels, not
// the ordinary picture enlarged.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/image.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "base/app_folder.h"
#include "gui_test_util.h"
#include "skin/ui/skin_bitmaps.h"

TEST(Density, EveryPictureHasOneTwiceAsDenseThatCoversTheSameSize) {
    kerfel::SetPictureFolder(wxString::FromUTF8(kerfel::FindAppFolder()) + "/pictures");
    wxArrayString files;
    wxDir::GetAllFiles(kerfel::GetPictureFolder(), &files, "*.png", wxDIR_FILES);
    int pictures = 0;
    for (const wxString& file : files) {
        long id = 0;
        if (!wxFileName(file).GetName().ToLong(&id) || id == 128) continue;  // the icon is large enough for both
        ++pictures;
        const wxBitmap normal = kerfel::LoadSkinBitmap(id), dense = kerfel::LoadSkinBitmap(id, 2);
        EXPECT_EQ(dense.GetScaleFactor(), 2) << id;
        EXPECT_EQ(dense.GetSize(), 2 * normal.GetSize()) << id;
        EXPECT_EQ(dense.GetLogicalSize(), normal.GetSize()) << id;
    }
    EXPECT_GE(pictures, 30);
}

namespace {
// The window of process `pid` on the display: its left and top, or false.
bool WindowCorner(pid_t pid, int& x, int& y) {
    const std::string cmd = "xdotool search --onlyvisible --pid " + std::to_string(pid) +
                            " --name 'Image Kerfel' getwindowgeometry --shell 2>/dev/null";
    FILE* out = popen(cmd.c_str(), "r");
    if (!out) return false;
    char line[128];
    bool seenX = false, seenY = false;
    while (fgets(line, sizeof line, out)) {
        seenX = seenX || std::sscanf(line, "X=%d", &x) == 1;
        seenY = seenY || std::sscanf(line, "Y=%d", &y) == 1;
    }
    pclose(out);
    return seenX && seenY;
}

// The share of the pixels of `area` (in the picture's pixels) whose colour
// on the screen, from (x, y) on, is the picture's own.
double ShareShownAsDrawn(const wxImage& picture, const wxRect& area, int x, int y, const std::string& folder) {
    const std::string shot = folder + "/screen.png";
    guitest::Screenshot(shot);
    wxImage screen;
    if (!screen.LoadFile(wxString::FromUTF8(shot), wxBITMAP_TYPE_PNG)) return 0;
    int same = 0;
    for (int py = area.y; py <= area.GetBottom(); ++py)
        for (int px = area.x; px <= area.GetRight(); ++px) {
            const int sx = x + px, sy = y + py;
            if (sx < 0 || sy < 0 || sx >= screen.GetWidth() || sy >= screen.GetHeight()) continue;
            same += std::abs(screen.GetRed(sx, sy) - picture.GetRed(px, py)) <= 2 &&
                    std::abs(screen.GetGreen(sx, sy) - picture.GetGreen(px, py)) <= 2 &&
                    std::abs(screen.GetBlue(sx, sy) - picture.GetBlue(px, py)) <= 2;
        }
    return double(same) / (area.width * area.height);
}
}  // namespace

// The mark and the name on the title band hold the sharpest edges of the skin.
TEST(Density, UnderGdkScale2TheTitleBandIsDrawnFromTheDensePicture) {
    kerfel::SetPictureFolder(wxString::FromUTF8(kerfel::FindAppFolder()) + "/pictures");
    const wxImage dense = kerfel::LoadSkinBitmap(244, 2).ConvertToImage();
    ASSERT_EQ(dense.GetWidth(), 1140);
    const wxRect title(52, 40, 560, 120);  // in the dense picture's pixels
    const std::string dir = guitest::MakeTempFolder();
    const pid_t child = fork();
    if (child == 0) {
        setenv("GDK_SCALE", "2", 1);
        execl(KERFEL_BINARY, KERFEL_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    double share = 0;
    int x = 0, y = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (share < 0.99 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (waitpid(child, nullptr, WNOHANG) == child) break;  // it ended early: fail below
        if (WindowCorner(child, x, y)) share = ShareShownAsDrawn(dense, title, x, y, dir);
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    EXPECT_GE(share, 0.99) << "the title band at (" << x << ", " << y << ") is not the dense picture";
}
