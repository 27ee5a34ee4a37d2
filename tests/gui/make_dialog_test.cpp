#include <gtest/gtest.h>
#include <wx/choice.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <fstream>
#include <sstream>

#include "app/ui/control_ids.h"
#include "main_dialog_controls.h"
#include "app/ui/file_open_component.h"
#include "app/ui/kerfel_dialog.h"
#include "base/file_write.h"
#include "i18n/language_table.h"
#include "i18n/format_text.h"
#include "base/app_folder.h"
#include "engine/layout.h"
#include "engine/pixel_buffer.h"
#include "engine/tile_encoder.h"
#include "gui_test_util.h"
#include "i18n/ui/message_box_dialog.h"
#include "skin/ui/skin_progress_ctrl.h"

namespace fs = std::filesystem;

namespace {

// A large picture quickly: a smooth gradient encoded by the tool itself.
std::string BigJpeg(const std::string& folder, unsigned w, unsigned h) {
    kerfel::PixelBuffer b = kerfel::PixelBuffer::Make(w, h);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            uint8_t* p = b.Row(y) + x * 3;
            p[0] = x * 255 / w;
            p[1] = y * 255 / h;
            p[2] = (x ^ y) & 255;
        }
    std::vector<uint8_t> jpeg;
    kerfel::TileEncoder enc;
    enc.Encode(b.data.get(), w, h, jpeg);
    const std::string path = folder + "/big.jpg";
    kerfel::WriteWholeFile(path, jpeg.data(), jpeg.size());
    return path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

size_t CountFiles(const std::string& folder) {
    if (!fs::exists(folder)) return 0;
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

// Holds the job's worker at one step until the test lets it go: the test
// acts while the job stands at a known point instead of racing it.
class WorkerGate {
public:
    explicit WorkerGate(int holdAt) : m_holdAt(holdAt) {}
    void Step(int done) {
        std::unique_lock<std::mutex> hold(m_lock);
        if (done != m_holdAt || m_released) return;
        m_reached = true;
        m_changed.notify_all();
        // A stop is an event the controller signals to no one but the job:
        // it is looked for between short waits.
        while (!m_changed.wait_for(hold, std::chrono::milliseconds(5), [this] { return m_released; }))
            if (m_stops && m_stops->CancelRequested()) return;
    }
    // The held job also goes on once it is asked to stop.
    void ReleaseOnStop(const kerfel::JobController& jobs) { m_stops = &jobs; }
    bool Reached() {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_reached;
    }
    void Release() {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_released = true;
        }
        m_changed.notify_all();
    }

private:
    const int m_holdAt;
    const kerfel::JobController* m_stops = nullptr;
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_reached = false, m_released = false;
};

struct MakeFixture : ::testing::Test {
    CKerfelDialog* dlg = nullptr;
    std::string dir, out;
    std::unique_ptr<WorkerGate> gate;

    void SetUp() override {
        dlg = new CKerfelDialog();
        dlg->Show();
        guitest::Pump(150);
        dir = guitest::MakeTempFolder();
        out = dir + "/out";
        fs::create_directory(out);
    }
    void TearDown() override {
        if (gate) gate->Release();  // a failed step must not leave the worker held
        dlg->Destroy();
        guitest::Pump(50);
    }

    void Choose(const std::string& jpg) {
        CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(jpg));
        guitest::Click(guitest::Button(dlg, IDC_BBROWSEFILE));
        ASSERT_TRUE(guitest::WaitFor([&] { return dlg->SourcePath() == wxString::FromUTF8(jpg); }));
        guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->ChangeValue(wxString::FromUTF8(out));
    }
    // Presses Make through the event table; the confirmation is answered `answer`.
    void PressMake(int answer = IDYES) {
        CMessageBoxDialog::AnswerNextWith(answer);
        wxCommandEvent ev(wxEVT_BUTTON, IDC_BGENERATE);
        ev.SetEventObject(guitest::Button(dlg, IDC_BGENERATE));
        dlg->GetEventHandler()->ProcessEvent(ev);
    }
    // Makes the job stop at step `holdAt` (0 as writing begins, n after the
    // n-th tile) until ReleaseJob.
    void HoldJobAt(int holdAt) {
        gate = std::make_unique<WorkerGate>(holdAt);
        dlg->Jobs().SetWorkerStep([g = gate.get()](int done) { g->Step(done); });
    }
    bool WaitForHeldJob() { return guitest::WaitFor([&] { return gate->Reached(); }, 60000); }
    void ReleaseJob() { gate->Release(); }
    void PressClose() {
        wxCommandEvent press(wxEVT_BUTTON, guitest::Button(dlg, IDC_BCLOSEBUT)->GetId());
        press.SetEventObject(guitest::Button(dlg, IDC_BCLOSEBUT));
        guitest::Button(dlg, IDC_BCLOSEBUT)->ProcessWindowEvent(press);
    }
    wxString StoppedLine() const {
        return wxString::FromUTF8(
            kerfel::FormatText(kerfel::GetLanguageText("KERFELDIALOG.GENERATETAILS.STATICTEXT_CBU"), {}));
    }
    bool WaitForIdle(int ms = 30000) {
        return guitest::WaitFor([&] { return !dlg->JobRunning(); }, ms);
    }
};

TEST_F(MakeFixture, MakeRunsTheJobToItsEndAndEnablesPreviewAndExport) {
    Choose(guitest::MakeJpeg(dir, "photo.jpg", 1000, 800));
    guitest::LevelsList(dlg)->SetStringSelection("2");
    guitest::Check(dlg, IDC_CSMALLMAP)->SetValue(true);
    guitest::Check(dlg, IDC_CCLICK2ZOOM)->SetValue(true);
    guitest::Check(dlg, IDC_CZOOMSLIDER)->SetValue(false);
    guitest::Check(dlg, IDC_CNAVSCROLL)->SetValue(false);
    const std::string song = dir + "/song.mp3";
    std::ofstream(song) << "ID3 tune";
    guitest::Edit(dlg, IDC_EMUSICPATH)->ChangeValue(wxString::FromUTF8(song));
    PressMake();
    CMessageBoxDialog::AnswerNextWith(IDOK);  // the box that tells the job is done
    EXPECT_TRUE(dlg->JobRunning());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BGENERATE)->IsEnabled());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BBROWSEFILE)->IsEnabled());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BBROWSEFOLDER)->IsEnabled());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BBRBGMUSIC)->IsEnabled());
    ASSERT_TRUE(WaitForIdle());

    EXPECT_EQ(CountFiles(out + "/photo/Images"), 22u);
    EXPECT_EQ(ReadAll(out + "/photo/ImageKerfel.xml"),
              "<Images Width=\"1000\" Height=\"800\" Tiles=\"22\" Copyright=\"(c) Lorvak Image Kerfel\" "
              "viewHeight=\"400\" viewWidth=\"500\" showNav=\"1\" showSlider=\"0\" showpanButtons=\"0\" "
              "clicktoLorvak=\"1\" soundURL=\"bgmusic.mp3\"/>");
    EXPECT_EQ(ReadAll(out + "/photo/bgmusic.mp3"), "ID3 tune");  // the job folder is whole as it stands
    EXPECT_EQ(dlg->JobFolder(), wxString::FromUTF8(out + "/photo"));
    EXPECT_TRUE(guitest::Button(dlg, IDC_BSAVE)->IsEnabled());
    EXPECT_TRUE(guitest::Button(dlg, IDC_BPERVIEW)->IsEnabled());
    EXPECT_TRUE(guitest::Button(dlg, IDC_BGENERATE)->IsEnabled());
    EXPECT_TRUE(guitest::Button(dlg, IDC_BBROWSEFILE)->IsEnabled());
    EXPECT_TRUE(guitest::Button(dlg, IDC_BBRBGMUSIC)->IsEnabled());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BCLOSEBUT)->IsShown());
    EXPECT_EQ(guitest::Button(dlg, IDC_BCLOSEBUT)->GetLabel(), "&Close");
    // The status line names the job folder written.
    EXPECT_TRUE(guitest::Label(dlg, IDC_LSTATUS)->GetLabel().Contains(wxString::FromUTF8(out + "/photo")))
        << guitest::Label(dlg, IDC_LSTATUS)->GetLabel();
    EXPECT_EQ(dlg->Progress(), nullptr);
    EXPECT_EQ(dlg->DisplaySize(), "500 x 400");

    // A second run asks first; No leaves the folder as it was and the dialog usable.
    const auto stamp = fs::last_write_time(out + "/photo/Images/3-0-0.jpg");
    PressMake();
    CMessageBoxDialog::AnswerNextWith(IDNO);
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(fs::last_write_time(out + "/photo/Images/3-0-0.jpg"), stamp);
    EXPECT_TRUE(guitest::Button(dlg, IDC_BGENERATE)->IsEnabled());
    EXPECT_TRUE(guitest::Button(dlg, IDC_BSAVE)->IsEnabled());  // the finished job is still whole
    EXPECT_FALSE(guitest::Button(dlg, IDC_BCLOSEBUT)->IsShown());
}

// The layout chosen as one archive file: Make writes the archive and the page
// beside it, and no job folder; Preview and Export take the archive.
TEST_F(MakeFixture, MakeWritesOneArchiveWhenTheLayoutIsChosenAsOne) {
    Choose(guitest::MakeJpeg(dir, "photo.jpg", 1000, 800));
    auto* layouts = guitest::Control<wxChoice>(dlg, IDC_CLAYOUT);
    const int archive = static_cast<int>(kerfel::Layouts().size()) + 1;  // Deep Zoom (.szi)
    layouts->SetSelection(archive);
    wxCommandEvent chosen(wxEVT_CHOICE, IDC_CLAYOUT);
    chosen.SetEventObject(layouts);
    chosen.SetInt(archive);
    layouts->GetEventHandler()->ProcessEvent(chosen);
    PressMake();
    CMessageBoxDialog::AnswerNextWith(IDOK);
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(dlg->JobFolder(), wxString::FromUTF8(out + "/photo.szi"));
    EXPECT_TRUE(fs::is_regular_file(out + "/photo.szi"));
    EXPECT_TRUE(fs::is_regular_file(out + "/index.html"));
    EXPECT_FALSE(fs::exists(out + "/photo"));
    EXPECT_TRUE(guitest::Button(dlg, IDC_BSAVE)->IsEnabled());
    EXPECT_TRUE(guitest::Button(dlg, IDC_BPERVIEW)->IsEnabled());
    // Back to the native layout, which the settings keep for the next tests.
    layouts->SetSelection(0);
    chosen.SetInt(0);
    layouts->GetEventHandler()->ProcessEvent(chosen);
}

TEST_F(MakeFixture, CloseDuringAJobStopsItAfterTheCurrentTile) {
    Choose(BigJpeg(dir, 9000, 6000));
    const int total = static_cast<int>(dlg->Pyramid().m_nTotalTiles);
    HoldJobAt(1);  // the first tile is on disk
    PressMake();
    ASSERT_TRUE(WaitForHeldJob());
    ASSERT_TRUE(guitest::WaitFor([&] { return guitest::Button(dlg, IDC_BCLOSEBUT)->IsShown(); }));
    ASSERT_NE(dlg->Progress(), nullptr);
    EXPECT_TRUE(dlg->Progress()->IsShown());
    EXPECT_EQ(dlg->Progress()->GetUpper(), total);
    PressClose();
    // The dialog is put back at once, while the job still stands at its tile.
    EXPECT_TRUE(guitest::Button(dlg, IDC_BGENERATE)->IsEnabled());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BPERVIEW)->IsEnabled());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BCLOSEBUT)->IsShown());
    EXPECT_EQ(guitest::Label(dlg, IDC_LSTATUS)->GetLabel(), StoppedLine());
    ReleaseJob();
    ASSERT_TRUE(WaitForIdle());
    const size_t written = CountFiles(out + "/big/Images");
    EXPECT_GE(written, 1u);
    EXPECT_LT(written, static_cast<size_t>(total));
    EXPECT_FALSE(fs::exists(out + "/big/ImageKerfel.xml"));
    EXPECT_FALSE(dlg->Jobs().CancelRequested());  // the worker took the request
    EXPECT_EQ(dlg->Progress(), nullptr);
    EXPECT_FALSE(guitest::Button(dlg, IDC_BSAVE)->IsEnabled());

    // The stopped line is said again in the language switched to, and it goes
    // when a later command finds it cannot start.
    EXPECT_EQ(guitest::Label(dlg, IDC_LSTATUS)->GetLabel(), StoppedLine());
    const std::string languages = kerfel::FindAppFolder() + "/LanguageFiles/";
    dlg->LoadLanguage(wxString::FromUTF8(languages + "deu.txt"));
    dlg->ApplyLanguageTexts();  // as the Help menu's switch does
    EXPECT_EQ(guitest::Label(dlg, IDC_LSTATUS)->GetLabel(), StoppedLine());
    EXPECT_NE(StoppedLine(), "");
    dlg->LoadLanguage(wxString::FromUTF8(languages + "eng.txt"));
    dlg->ApplyLanguageTexts();
    guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->ChangeValue(wxString::FromUTF8(dir + "/gone"));
    PressMake(IDOK);
    EXPECT_EQ(guitest::Label(dlg, IDC_LSTATUS)->GetLabel(), " ");
}

// Stopped before its first tile, a job leaves no trace: no job folder to be
// asked about next time, no descriptor.
TEST_F(MakeFixture, CloseBeforeTheFirstTileLeavesNothingBehind) {
    Choose(BigJpeg(dir, 9000, 6000));
    HoldJobAt(0);  // writing begins: no folder made, no tile begun
    PressMake();
    ASSERT_TRUE(WaitForHeldJob());
    PressClose();
    EXPECT_TRUE(guitest::Button(dlg, IDC_BGENERATE)->IsEnabled());
    EXPECT_EQ(guitest::Label(dlg, IDC_LSTATUS)->GetLabel(), StoppedLine());
    ReleaseJob();
    ASSERT_TRUE(WaitForIdle());
    EXPECT_FALSE(fs::exists(out + "/big"));
    EXPECT_EQ(guitest::Label(dlg, IDC_LSTATUS)->GetLabel(), StoppedLine());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BSAVE)->IsEnabled());
    EXPECT_FALSE(dlg->Jobs().CancelRequested());
}

TEST_F(MakeFixture, MakeRightAfterAStopStartsOnceTheStoppedJobHasEnded) {
    Choose(BigJpeg(dir, 9000, 6000));
    HoldJobAt(1);
    PressMake();
    ASSERT_TRUE(WaitForHeldJob());
    PressClose();
    ASSERT_TRUE(guitest::Button(dlg, IDC_BGENERATE)->IsEnabled());

    // The stopped job still stands at its tile: Make returns at once and the
    // new job waits for it, its buttons disabled meanwhile.
    PressMake();
    EXPECT_TRUE(dlg->StartPending());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BGENERATE)->IsEnabled());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BBROWSEFILE)->IsEnabled());
    CMessageBoxDialog::AnswerNextWith(IDYES);  // the stopped job's folder exists: write into it
    ReleaseJob();
    ASSERT_TRUE(guitest::WaitFor([&] { return CMessageBoxDialog::LastCaption() == "Folder exists"; }, 60000));
    CMessageBoxDialog::AnswerNextWith(IDOK);  // the job is done
    ASSERT_TRUE(WaitForIdle(120000));
    EXPECT_TRUE(fs::exists(out + "/big/ImageKerfel.xml"));
    EXPECT_EQ(CountFiles(out + "/big/Images"), static_cast<size_t>(dlg->Pyramid().m_nTotalTiles));
    EXPECT_TRUE(guitest::Button(dlg, IDC_BGENERATE)->IsEnabled());
    EXPECT_TRUE(guitest::Button(dlg, IDC_BSAVE)->IsEnabled());
}

TEST_F(MakeFixture, TheDescriptorTakesTheLevelsEntryChosenDuringTheJob) {
    Choose(BigJpeg(dir, 6000, 4500));
    guitest::LevelsList(dlg)->SetStringSelection("1");
    HoldJobAt(1);
    PressMake();
    CMessageBoxDialog::AnswerNextWith(IDOK);  // the job is done
    ASSERT_TRUE(WaitForHeldJob());
    guitest::LevelsList(dlg)->SetStringSelection("3");
    wxCommandEvent change(wxEVT_CHOICE, guitest::LevelsList(dlg)->GetId());
    change.SetEventObject(guitest::LevelsList(dlg));
    guitest::LevelsList(dlg)->ProcessWindowEvent(change);
    ReleaseJob();
    ASSERT_TRUE(WaitForIdle(120000));
    const std::string xml = ReadAll(out + "/big/ImageKerfel.xml");
    const std::string view = "viewHeight=\"" + std::to_string(dlg->Pyramid().DisplayHeight(3)) + "\" viewWidth=\"" +
                             std::to_string(dlg->Pyramid().DisplayWidth(3)) + "\"";
    EXPECT_NE(xml.find(view), std::string::npos) << xml;
}

TEST_F(MakeFixture, ClosingTheDialogDuringAJobWaitsOnlyForTheCurrentTile) {
    Choose(BigJpeg(dir, 6000, 4500));
    const int total = static_cast<int>(dlg->Pyramid().m_nTotalTiles);
    HoldJobAt(1);
    gate->ReleaseOnStop(dlg->Jobs());  // the window's end stops the job, which then goes on
    PressMake();
    CMessageBoxDialog::AnswerNextWith(IDOK);  // a job that ran to its end fails the test instead of hanging it
    ASSERT_TRUE(WaitForHeldJob());
    delete dlg;  // sets the cancel flag and joins the worker
    dlg = new CKerfelDialog();
    EXPECT_LT(CountFiles(out + "/big/Images"), static_cast<size_t>(total));  // stopped, not waited for to the end
    for (auto& e : fs::directory_iterator(out + "/big/Images")) EXPECT_GT(fs::file_size(e.path()), 100u);
    EXPECT_FALSE(fs::exists(out + "/big/ImageKerfel.xml"));
}

TEST_F(MakeFixture, AFailedJobShowsTheFileAndReasonAndReturnsToIdle) {
    const std::string jpg = guitest::MakeJpeg(dir, "photo.jpg", 1000, 800);
    Choose(jpg);
    // The thumbnail is read whole first: cut under its decode, it would be refused in a box of its own.
    ASSERT_TRUE(guitest::WaitFor([&] { return dlg->ThumbnailsDone() >= 1; }));
    // The header still tells the size the table was made for; the pixels
    // are cut off before the first strip of tiles is whole.
    fs::resize_file(jpg, fs::file_size(jpg) / 10);
    PressMake();
    CMessageBoxDialog::AnswerNextWith(IDOK);  // the error box
    ASSERT_TRUE(WaitForIdle());
    EXPECT_TRUE(CMessageBoxDialog::LastText().Contains(wxString::FromUTF8(jpg))) << CMessageBoxDialog::LastText();
    EXPECT_TRUE(CMessageBoxDialog::LastText().Contains("damaged")) << CMessageBoxDialog::LastText();
    EXPECT_TRUE(guitest::Button(dlg, IDC_BGENERATE)->IsEnabled());
    EXPECT_TRUE(guitest::Button(dlg, IDC_BBROWSEFILE)->IsEnabled());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BPERVIEW)->IsEnabled());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BCLOSEBUT)->IsShown());
    EXPECT_EQ(dlg->Progress(), nullptr);
    EXPECT_EQ(CountFiles(out + "/photo/Images"), 0u);
    EXPECT_FALSE(fs::exists(out + "/photo/ImageKerfel.xml"));
}

TEST_F(MakeFixture, AColourProfileLeftUnusedIsToldWithTheNewsThatTheJobIsDone) {
    const std::string plain = ReadAll(guitest::MakeJpeg(dir, "plain.jpg", 1000, 800));
    const std::string payload = std::string("ICC_PROFILE\0\x01\x01", 14) + std::string(200, 'x');
    const size_t length = payload.size() + 2;
    const std::string jpg = dir + "/photo.jpg";
    std::ofstream(jpg, std::ios::binary) << plain.substr(0, 2) << "\xFF\xE2" << char(length >> 8) << char(length & 0xFF)
                                         << payload << plain.substr(2);
    Choose(jpg);
    PressMake();
    CMessageBoxDialog::AnswerNextWith(IDOK);  // the box that tells the job is done
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(CountFiles(out + "/photo/Images"), 22u);
    EXPECT_TRUE(CMessageBoxDialog::LastText().Contains(wxString::FromUTF8(jpg + ": the colour profile is damaged")))
        << CMessageBoxDialog::LastText();
}

TEST_F(MakeFixture, MakeChecksFolderLevelsAndSourceBeforeAsking) {
    PressMake(IDOK);  // no image chosen: nothing at all happens
    EXPECT_FALSE(dlg->JobRunning());

    Choose(guitest::MakeJpeg(dir, "photo.jpg", 1000, 800));
    guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->ChangeValue(wxString::FromUTF8(dir + "/deleted"));
    PressMake(IDOK);
    EXPECT_FALSE(dlg->JobRunning());
    EXPECT_TRUE(CMessageBoxDialog::LastText().Contains(wxString::FromUTF8(dir + "/deleted")));

    guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->ChangeValue(wxString::FromUTF8(out));
    guitest::LevelsList(dlg)->SetSelection(wxNOT_FOUND);  // no level chosen reads as 0
    PressMake(IDOK);
    EXPECT_FALSE(dlg->JobRunning());

    // A path typed by hand that is not the picture the table was made from.
    guitest::LevelsList(dlg)->SetStringSelection("1");
    const std::string other = guitest::MakeJpeg(dir, "other.jpg", 640, 480);
    guitest::Edit(dlg, IDC_ESOURCEPATH)->ChangeValue(wxString::FromUTF8(other));
    PressMake(IDOK);
    EXPECT_FALSE(dlg->JobRunning());
    guitest::Edit(dlg, IDC_ESOURCEPATH)->ChangeValue(wxString::FromUTF8(dir + "/missing.jpg"));
    PressMake(IDOK);
    EXPECT_FALSE(dlg->JobRunning());
    EXPECT_TRUE(CMessageBoxDialog::LastText().Contains("missing.jpg"));

    // Music that cannot be read is named before any tile is written.
    guitest::Edit(dlg, IDC_ESOURCEPATH)->ChangeValue(wxString::FromUTF8(dir + "/photo.jpg"));
    guitest::Edit(dlg, IDC_EMUSICPATH)->ChangeValue(wxString::FromUTF8(dir + "/gone.mp3"));
    PressMake(IDOK);
    EXPECT_FALSE(dlg->JobRunning());
    EXPECT_TRUE(CMessageBoxDialog::LastText().Contains("gone.mp3"));
    guitest::Edit(dlg, IDC_EMUSICPATH)->ChangeValue("");

    // Answering No to the confirmation writes nothing.
    guitest::Edit(dlg, IDC_ESOURCEPATH)->ChangeValue(wxString::FromUTF8(dir + "/photo.jpg"));
    PressMake(IDNO);
    EXPECT_FALSE(dlg->JobRunning());
    guitest::Pump(100);
    EXPECT_EQ(CountFiles(out), 0u);
}

}  // namespace
