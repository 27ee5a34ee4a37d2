#include <gtest/gtest.h>

#include <cstdlib>
#include <wx/timer.h>
#include <wx/webview.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "../unit/zipper_check.h"
#include "engine/layout.h"
#include "main_dialog_controls.h"
#include "app/ui/file_open_component.h"
#include "app/ui/kerfel_dialog.h"
#include "gui_test_util.h"
#include "i18n/language_table.h"
#include "i18n/ui/message_box_dialog.h"
#include "publish/ui/preview_dialog.h"
#include "publish/ui/standard_box.h"
#include "publish/ui/web_browser_host.h"

namespace fs = std::filesystem;
using ziptest::ReadFile;
using ziptest::WriteFile;

namespace {

wxString Text(const char* key) { return wxString::FromUTF8(kerfel::GetLanguageText(key)); }

// The main dialog right after a generation of "my.photo.jpg" (1000 x 800)
// into <out>/my.photo, built by hand: tiles from ImageMagick and a descriptor.
struct PublishFixture : ::testing::Test {
    CKerfelDialog* dlg = nullptr;
    std::string dir, out, job, music;

    void SetUp() override {
        dir = guitest::MakeTempFolder();
        out = dir + "/out";
        job = out + "/my.photo";
        fs::create_directories(job + "/Images");
        std::string source = guitest::MakeJpeg(dir, "my.photo.jpg", 1000, 800);
        ASSERT_FALSE(source.empty());
        // Every level's tiles, as the generation names them.
        const char* levels[] = {"125x100", "250x200", "500x400", "1000x800"};
        for (int level = 0; level < 4; ++level) {
            std::string cmd = "convert " + ziptest::Quote(source) + " -resize " + levels[level] +
                              "! -crop 256x256 -set filename:tile '%[fx:page.x/256]-%[fx:page.y/256]' +repage "
                              "+adjoin -quality 70 " +
                              ziptest::Quote(job + "/Images/" + std::to_string(level) + "-%[filename:tile].jpg");
            ASSERT_EQ(std::system(cmd.c_str()), 0);
        }
        WriteFile(job + "/ImageKerfel.xml", "<Images/>");
        music = dir + "/song.mp3";
        WriteFile(music, "ID3 music bytes");

        dlg = new CKerfelDialog();
        dlg->Show();
        guitest::Pump(200);
        dlg->RestoreJob(kerfel::TilePyramid::Build(kerfel::NativeLayout(), 1000, 800), 2, wxString::FromUTF8(source),
                        wxString::FromUTF8(out), wxString::FromUTF8(job), wxString::FromUTF8(music));
        guitest::Check(dlg, IDC_CSMALLMAP)->SetValue(true);
        guitest::Check(dlg, IDC_CZOOMSLIDER)->SetValue(false);
        guitest::Button(dlg, IDC_BSAVE)->Enable(true);
        guitest::Button(dlg, IDC_BPERVIEW)->Enable(true);
        guitest::Pump(50);
    }
    void TearDown() override {
        dlg->Destroy();
        guitest::Pump(50);
    }
    std::string Descriptor() const { return ReadFile(job + "/ImageKerfel.xml"); }
};

// Runs `step` every 100 ms while a modal loop (or the test) pumps events,
// until it returns true.
class Stepper : public wxTimer {
public:
    explicit Stepper(std::function<bool()> step) : m_step(std::move(step)) { Start(100); }
    void Notify() override {
        if (m_step()) Stop();
    }

private:
    std::function<bool()> m_step;
};

CPreviewDialog* OpenPreview() {
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* p = dynamic_cast<CPreviewDialog*>(w); p && p->IsShown()) return p;
    return nullptr;
}

}  // namespace

TEST_F(PublishFixture, ExportRefreshesTheJobAndWritesAnArchiveEveryUnpackerAccepts) {
    WriteFile(job + "/notes.txt", "put there by the user");
    const std::string archive = out + "/my.photo.zip";
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(archive));
    CMessageBoxDialog::AnswerNextWith(IDOK);  // the success box
    guitest::Click(guitest::Button(dlg, IDC_BSAVE));
    ASSERT_TRUE(guitest::WaitFor([&] { return fs::exists(archive); }));
    guitest::Pump(100);

    // Descriptor and music copy were brought up to date first.
    EXPECT_NE(Descriptor().find("viewHeight=\"400\" viewWidth=\"500\" showNav=\"1\" showSlider=\"0\""), std::string::npos)
        << Descriptor();
    EXPECT_NE(Descriptor().find("soundURL=\"bgmusic.mp3\""), std::string::npos);
    EXPECT_EQ(ReadFile(job + "/bgmusic.mp3"), "ID3 music bytes");
    // The status line names the archive written.
    EXPECT_TRUE(guitest::Label(dlg, IDC_LSTATUS)->GetLabel().Contains(wxString::FromUTF8(archive)))
        << guitest::Label(dlg, IDC_LSTATUS)->GetLabel();

    auto report = ziptest::CheckArchive(archive);
    ASSERT_TRUE(report.AllOk()) << report.details;
    std::set<std::string> names(report.names.begin(), report.names.end());
    for (const char* n : {"my.photo/", "my.photo/ImageKerfel.xml", "my.photo/Images/", "my.photo/Images/0-0-0.jpg",
                          "my.photo/Images/3-3-3.jpg", "my.photo/bgmusic.mp3", "my.photo/notes.txt",
                          "my.photo/index.html"})
        EXPECT_TRUE(names.count(n)) << n;
    for (const std::string& n : report.names) EXPECT_EQ(n.rfind("my.photo/", 0), 0u) << n;
    // The success box, not the failure box, came last.
    EXPECT_FALSE(CMessageBoxDialog::LastText().Contains("\n"));
}

// The desktop's own save dialog, answered from outside like a user would:
// Return accepts the proposed name in the output folder.
TEST_F(PublishFixture, TheSaveDialogProposesTheImageNameInTheOutputFolder) {
    if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "needs xdotool";
    std::thread user([] {
        std::system("id=$(timeout 20 xdotool search --sync --name 'Provide Output zip file name' | head -1) && "
                    "sleep 0.8 && xdotool windowfocus --sync $id && sleep 0.3 && xdotool key Return "
                    "|| xdotool key Escape");  // never leave the test waiting on the dialog
    });
    CMessageBoxDialog::AnswerNextWith(IDOK);  // the success box
    guitest::Click(guitest::Button(dlg, IDC_BSAVE));
    user.join();
    const std::string archive = out + "/my.photo.zip";
    ASSERT_TRUE(guitest::WaitFor([&] { return fs::exists(archive); }, 10000));
    auto report = ziptest::CheckArchive(archive);
    ASSERT_TRUE(report.AllOk()) << report.details;
    EXPECT_EQ(report.names.front(), "my.photo/");
}

// Yes to the overwrite question: the old archive is replaced by a whole new
// one, and the real success box follows (pressed here like a user would).
TEST_F(PublishFixture, AnsweringYesReplacesTheArchiveThenTellsOfSuccess) {
    const std::string archive = out + "/my.photo.zip";
    WriteFile(archive, "the old archive");
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(archive));
    CMessageBoxDialog::AnswerNextWith(IDYES);
    wxString boxText;
    int ticks = 0;
    Stepper stepper([&] {
        for (wxWindow* w : wxTopLevelWindows) {
            auto* box = dynamic_cast<CMessageBoxDialog*>(w);
            if (!box || !box->IsModal()) continue;
            boxText = box->m_strText;
            for (wxButton* b : box->m_btnButtons)
                if (b && b->IsShown()) {
                    guitest::Click(b);
                    return true;
                }
        }
        return ++ticks > 100;
    });
    guitest::Click(guitest::Button(dlg, IDC_BSAVE));
    ASSERT_TRUE(guitest::WaitFor([&] { return !stepper.IsRunning(); }, 15000));
    EXPECT_FALSE(boxText.empty());
    EXPECT_EQ(boxText, wxString::FromUTF8(kerfel::GetLanguageText("KERFELDIALOG.ONBSAVE.MESSAGEBOX2_TEXT")));
    auto report = ziptest::CheckArchive(archive);
    ASSERT_TRUE(report.AllOk()) << report.details;
    EXPECT_EQ(report.names.front(), "my.photo/");
}

TEST_F(PublishFixture, AnsweringNoKeepsTheOldArchiveButTheJobIsAlreadyRefreshed) {
    const std::string archive = out + "/my.photo.zip";
    WriteFile(archive, "the old archive");
    WriteFile(job + "/bgmusic.mp3", "an earlier song");
    guitest::Edit(dlg, IDC_EMUSICPATH)->SetValue("");  // music switched off
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(archive));
    CMessageBoxDialog::AnswerNextWith(IDNO);
    guitest::Click(guitest::Button(dlg, IDC_BSAVE));
    guitest::Pump(300);
    EXPECT_TRUE(CMessageBoxDialog::LastText().StartsWith(wxString::FromUTF8(archive)));
    EXPECT_EQ(ReadFile(archive), "the old archive");
    EXPECT_FALSE(fs::exists(job + "/bgmusic.mp3"));
    EXPECT_NE(Descriptor().find("soundURL=\"\"/>"), std::string::npos) << Descriptor();

    // Cancelling the name prompt ends the export without a box.
    CMessageBoxDialog::AnswerNextWith(0);
    CFileOpenComponent::AnswerNextWith("");
    wxString before = CMessageBoxDialog::LastText();
    guitest::Click(guitest::Button(dlg, IDC_BSAVE));
    guitest::Pump(200);
    EXPECT_EQ(CMessageBoxDialog::LastText(), before);
    EXPECT_EQ(ReadFile(archive), "the old archive");
}

TEST_F(PublishFixture, FailuresShowTheirBoxesAndNoSuccess) {
    // A music file that does not exist: both boxes, no archive asked for.
    guitest::Edit(dlg, IDC_EMUSICPATH)->SetValue(wxString::FromUTF8(dir + "/missing.mp3"));
    AnswerNextStandardBoxes(1);
    int shown = StandardBoxesShown();
    CMessageBoxDialog::AnswerNextWith(IDOK);
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(out + "/never.zip"));
    guitest::Click(guitest::Button(dlg, IDC_BSAVE));
    guitest::Pump(300);
    EXPECT_EQ(StandardBoxesShown(), shown + 1);
    EXPECT_EQ(LastStandardBoxText(), CMessageBoxDialog::LastText());
    EXPECT_TRUE(CMessageBoxDialog::LastText().Contains(wxString::FromUTF8(dir + "/missing.mp3")));
    EXPECT_FALSE(fs::exists(out + "/never.zip"));
    EXPECT_FALSE(dlg->Jobs().CancelRequested());
    CFileOpenComponent::AnswerNextWith("");  // the unused scripted answer

    // An archive folder that cannot be written: the error box names the archive.
    guitest::Edit(dlg, IDC_EMUSICPATH)->SetValue(wxString::FromUTF8(music));
    const std::string unwritable = "/proc/kerfel-no-such-folder/my.photo.zip";
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(unwritable));
    CMessageBoxDialog::AnswerNextWith(IDOK);
    guitest::Click(guitest::Button(dlg, IDC_BSAVE));
    guitest::Pump(300);
    EXPECT_TRUE(CMessageBoxDialog::LastText().Contains(wxString::FromUTF8(unwritable)))
        << CMessageBoxDialog::LastText();

    // A job folder removed since the generation: its descriptor cannot be
    // refreshed, so nothing is asked and nothing is packed.
    fs::remove_all(job);
    CMessageBoxDialog::AnswerNextWith(IDOK);
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(out + "/gone.zip"));
    guitest::Click(guitest::Button(dlg, IDC_BSAVE));
    guitest::Pump(300);
    EXPECT_TRUE(CMessageBoxDialog::LastText().Contains(wxString::FromUTF8(job))) << CMessageBoxDialog::LastText();
    EXPECT_EQ(CMessageBoxDialog::LastCaption(), Text("KERFELDIALOG.ONBSAVE.MESSAGEBOX5_CAPTION"));
    EXPECT_FALSE(fs::exists(out + "/gone.zip"));
    CFileOpenComponent::AnswerNextWith("");

    // Preview says so in its own words, not in those of a failed generation.
    CMessageBoxDialog::AnswerNextWith(IDOK);
    guitest::Click(guitest::Button(dlg, IDC_BPERVIEW));
    guitest::Pump(300);
    EXPECT_EQ(CMessageBoxDialog::LastCaption(), Text("KERFELDIALOG.ONBPERVIEW.MESSAGEBOX_CAPTION"));
    EXPECT_TRUE(CMessageBoxDialog::LastText().StartsWith(Text("KERFELDIALOG.ONBPERVIEW.MESSAGEBOX_TEXT")))
        << CMessageBoxDialog::LastText();
}

TEST_F(PublishFixture, MusicBrowsePicksAFileAndCancelKeepsTheOldOne) {
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(dir + "/other.mp3"));
    guitest::Click(guitest::Button(dlg, IDC_BBRBGMUSIC));
    guitest::Pump(100);
    EXPECT_EQ(guitest::Edit(dlg, IDC_EMUSICPATH)->GetValue(), wxString::FromUTF8(dir + "/other.mp3"));
    CFileOpenComponent::AnswerNextWith("");
    guitest::Click(guitest::Button(dlg, IDC_BBRBGMUSIC));
    guitest::Pump(100);
    EXPECT_EQ(dlg->MusicPath(), wxString::FromUTF8(dir + "/other.mp3"));

    // An existing file without an extension is that file; a typed new name gets ".mp3".
    const std::string bare = dir + "/song";
    std::ofstream(bare) << "ID3";
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(bare));
    guitest::Click(guitest::Button(dlg, IDC_BBRBGMUSIC));
    guitest::Pump(100);
    EXPECT_EQ(dlg->MusicPath(), wxString::FromUTF8(bare));
    EXPECT_EQ(WithDefaultExtension(wxString::FromUTF8(dir + "/new"), "*.mp3", false),
              wxString::FromUTF8(dir + "/new.mp3"));
    EXPECT_EQ(WithDefaultExtension(wxString::FromUTF8(bare), "*.zip", true), wxString::FromUTF8(bare + ".zip"));
}

TEST_F(PublishFixture, PreviewShowsTheJobAndCleansUpWhenClosed) {
    // A stand-in viewer page, in case the job's own viewer writer leaves none.
    if (!fs::exists(job + "/index.html"))
        WriteFile(job + "/index.html", "<html><head><title>viewer</title></head><body>viewer</body></html>");
    guitest::Check(dlg, IDC_CZOOMSLIDER)->SetValue(true);
    std::string pagePath, page, url;
    wxSize dialogSize, hostSize;
    wxPoint hostPos, closePos, screenPos;
    bool browserMade = false;
    int ticks = 0, shown = 0;
    Stepper stepper([&] {
        CPreviewDialog* p = OpenPreview();
        if (!p) return ++ticks > 100;
        pagePath = p->m_strPagePath.utf8_string();
        if (page.empty()) page = ReadFile(pagePath);
        dialogSize = p->GetSize();
        browserMade = p->m_wndBrowser && p->m_wndBrowser->Browser();
        if (p->m_wndBrowser) {
            hostSize = p->m_wndBrowser->GetSize();
            hostPos = p->m_wndBrowser->GetPosition();
        }
        closePos = p->m_btnClose->GetPosition();
        screenPos = p->GetScreenPosition();
        wxWebView* view = browserMade ? p->m_wndBrowser->Browser() : nullptr;
        if (view) url = view->GetCurrentURL().utf8_string();
        bool loaded = view && url.find("index.html") != std::string::npos && !view->IsBusy();
        if (!loaded && ++ticks < 100) return false;
        if (loaded && ++shown < 15) return false;  // let the tiles arrive before the picture is taken
        guitest::Screenshot(out + "/preview.png");
        if (const char* keep = std::getenv("KERFEL_SCREENSHOTS")) guitest::Screenshot(std::string(keep) + "/preview.png");
        guitest::Click(p->m_btnClose);
        return true;
    });
    guitest::Click(guitest::Button(dlg, IDC_BPERVIEW));
    ASSERT_TRUE(guitest::WaitFor([&] { return !stepper.IsRunning(); }, 15000));
    guitest::Pump(100);

    EXPECT_EQ(OpenPreview(), nullptr);
    EXPECT_EQ(dialogSize, wxSize(506, 455));
    ASSERT_TRUE(browserMade);
    EXPECT_EQ(hostPos, wxPoint(2, 50));
    EXPECT_EQ(hostSize, wxSize(503, 404));
    // Close lies fully inside the window, at the top right.
    EXPECT_EQ(closePos, wxPoint(506 - 76 - 10, 10));
    // The Preview button that opened the dialog does not stay hovered.
    EXPECT_FALSE(guitest::Button(dlg, IDC_BPERVIEW)->IsHovering());
    // The title band runs over the whole width, its amber line above the page.
    wxImage shot(wxString::FromUTF8(out + "/preview.png"), wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(shot.IsOk());
    for (int x : {20, 300, 490}) {
        wxPoint band = screenPos + wxPoint(x, 44), line = screenPos + wxPoint(x, 48);
        EXPECT_LT(shot.GetRed(band.x, band.y) + shot.GetGreen(band.x, band.y), 200) << x;
        EXPECT_GT(shot.GetRed(line.x, line.y), 200) << x;
        EXPECT_LT(shot.GetBlue(line.x, line.y), 120) << x;
    }
    EXPECT_NE(url.find(job + "/index.html"), std::string::npos) << url;
    // The page was written into a private "LIK" folder that is gone now.
    ASSERT_FALSE(pagePath.empty());
    fs::path folder = fs::path(pagePath).parent_path();
    EXPECT_EQ(fs::path(pagePath).filename(), "Lorvak.html");
    EXPECT_EQ(folder.filename().string().rfind("LIK", 0), 0u);
    EXPECT_NE(page.find("ImagePath=" + job + "&\""), std::string::npos);
    EXPECT_NE(page.find("width=\"500\" height=\"400\""), std::string::npos);
    EXPECT_FALSE(fs::exists(folder));
    // The descriptor and the music copy were refreshed before the page opened.
    EXPECT_NE(Descriptor().find("showSlider=\"1\""), std::string::npos) << Descriptor();
    EXPECT_EQ(ReadFile(job + "/bgmusic.mp3"), "ID3 music bytes");
}

TEST_F(PublishFixture, PreviewWithoutAViewerShowsTheDescriptorValues) {
    fs::remove(job + "/index.html");
    std::string title;
    int ticks = 0;
    Stepper stepper([&] {
        CPreviewDialog* p = OpenPreview();
        if (!p) return ++ticks > 100;
        wxWebView* view = p->m_wndBrowser ? p->m_wndBrowser->Browser() : nullptr;
        if (view) title = view->GetCurrentTitle().utf8_string();
        if (title != "my.photo" && ++ticks < 100) return false;
        guitest::Click(p->m_btnClose);
        return true;
    });
    guitest::Click(guitest::Button(dlg, IDC_BPERVIEW));
    ASSERT_TRUE(guitest::WaitFor([&] { return !stepper.IsRunning(); }, 15000));
    guitest::Pump(100);
    EXPECT_EQ(OpenPreview(), nullptr);
    if (!fs::exists(job + "/index.html")) {
        EXPECT_EQ(title, "my.photo");
    }  // otherwise the job's viewer was written and shown
}

TEST_F(PublishFixture, APreviewFolderThatCannotBeMadeShowsTheDesktopBox) {
    const char* saved = std::getenv("TMPDIR");
    std::string old = saved ? saved : "";
    setenv("TMPDIR", (dir + "/no/such/folder").c_str(), 1);
    AnswerNextStandardBoxes(1);
    int shown = StandardBoxesShown();
    guitest::Click(guitest::Button(dlg, IDC_BPERVIEW));
    guitest::Pump(200);
    if (saved) setenv("TMPDIR", old.c_str(), 1);
    else unsetenv("TMPDIR");
    EXPECT_EQ(StandardBoxesShown(), shown + 1);
    EXPECT_TRUE(LastStandardBoxText().StartsWith("Unable to export to file " + wxString::FromUTF8(dir + "/no/such/folder/LIK")))
        << LastStandardBoxText();
    EXPECT_EQ(OpenPreview(), nullptr);
}

// A job made in another layout is refreshed and packed in that layout: its
// descriptor files, not the native one's.
TEST_F(PublishFixture, ExportOfADeepZoomJobWritesItsDziAndPacksIt) {
    const kerfel::TilePyramid dzi = kerfel::TilePyramid::Build(*kerfel::FindLayout("dzi"), 1000, 800);
    dlg->RestoreJob(dzi, 2, dlg->SourcePath(), wxString::FromUTF8(out), wxString::FromUTF8(job),
                    wxString::FromUTF8(music));
    EXPECT_EQ(guitest::Control<wxChoice>(dlg, IDC_CLAYOUT)->GetSelection(), 1);
    guitest::Button(dlg, IDC_BSAVE)->Enable(true);
    const std::string archive = out + "/deep.zip";
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(archive));
    CMessageBoxDialog::AnswerNextWith(IDOK);
    guitest::Click(guitest::Button(dlg, IDC_BSAVE));
    ASSERT_TRUE(guitest::WaitFor([&] { return fs::exists(archive); }));
    guitest::Pump(100);
    EXPECT_NE(ReadFile(job + "/my.photo.dzi").find("<Size Width=\"1000\" Height=\"800\"/>"), std::string::npos);
    auto report = ziptest::CheckArchive(archive);
    ASSERT_TRUE(report.AllOk()) << report.details;
    std::set<std::string> names(report.names.begin(), report.names.end());
    for (const char* n : {"my.photo/my.photo.dzi", "my.photo/index.html", "my.photo/bgmusic.mp3"})
        EXPECT_TRUE(names.count(n)) << n;
    EXPECT_NE(ReadFile(job + "/index.html").find("{name}_files/{level}/{column}_{row}.jpg"), std::string::npos);
}

// A job made as one archive: Preview shows its page and tiles read out of
// the archive (twice, so a second preview serves its own archive), and
// Export writes the archive itself.
TEST_F(PublishFixture, AJobInOneArchiveIsPreviewedFromItAndExportedAsIt) {
    if (!wxWebView::IsBackendAvailable(wxWebViewBackendDefault)) GTEST_SKIP() << "no web view backend";
    const std::string archive = out + "/my.photo.szi";
    const std::string make = ziptest::Quote(KERFEL_BINARY) + " make " + ziptest::Quote(dlg->SourcePath().utf8_string()) +
                             " " + ziptest::Quote(out) + " --layout dzi --szi --levels 2 --quiet";
    ASSERT_EQ(std::system(make.c_str()), 0);
    dlg->RestoreJob(kerfel::TilePyramid::Build(*kerfel::FindLayout("dzi"), 1000, 800), 2, dlg->SourcePath(),
                    wxString::FromUTF8(out), wxString::FromUTF8(archive), wxString::FromUTF8(music));
    guitest::Button(dlg, IDC_BPERVIEW)->Enable(true);
    guitest::Button(dlg, IDC_BSAVE)->Enable(true);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        std::string url, drawn;
        int ticks = 0;
        Stepper stepper([&] {
            CPreviewDialog* p = OpenPreview();
            wxWebView* view = p && p->m_wndBrowser ? p->m_wndBrowser->Browser() : nullptr;
            if (!view) return ++ticks > 150;
            url = view->GetCurrentURL().utf8_string();
            wxString out;
            view->RunScript("(function(){var k=window.KerfelViewer; var i=k&&k.viewer.world.getItemAt(0);"
                            "return i&&i.getFullyLoaded()?'drawn':'no';})()",
                            &out);
            drawn = out.utf8_string();
            if (drawn != "drawn" && ++ticks < 150) return false;
            guitest::Click(p->m_btnClose);
            return true;
        });
        guitest::Click(guitest::Button(dlg, IDC_BPERVIEW));
        ASSERT_TRUE(guitest::WaitFor([&] { return !stepper.IsRunning(); }, 20000));
        guitest::Pump(100);
        EXPECT_EQ(url, "kerfel-archive-" + std::to_string(round + 1) + ":///my.photo/index.html");
        EXPECT_EQ(drawn, "drawn");
        EXPECT_EQ(OpenPreview(), nullptr);
    }

    const std::string copy = dir + "/copy.szi";
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(copy));
    CMessageBoxDialog::AnswerNextWith(IDOK);
    guitest::Click(guitest::Button(dlg, IDC_BSAVE));
    ASSERT_TRUE(guitest::WaitFor([&] { return fs::exists(copy); }));
    guitest::Pump(100);
    EXPECT_EQ(ReadFile(copy), ReadFile(archive));
    EXPECT_FALSE(fs::exists(job + "/bgmusic.mp3")) << "the archive job's music was copied beside it";
}
