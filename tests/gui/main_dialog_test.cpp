#include <gtest/gtest.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <functional>

#include "app/ui/control_ids.h"
#include "main_dialog_controls.h"
#include "app/ui/file_open_component.h"
#include "app/ui/kerfel_dialog.h"
#include "app/ui/main_dialog_layout.h"
#include "gui_test_util.h"
#include "i18n/ui/message_box_dialog.h"
#include "i18n/ui/ui_text.h"

namespace {

struct DialogFixture : ::testing::Test {
    CKerfelDialog* dlg = nullptr;
    void SetUp() override {
        dlg = new CKerfelDialog();
        dlg->Show();
        guitest::Pump(200);
    }
    void TearDown() override {
        dlg->Destroy();
        guitest::Pump(50);
    }
};

}  // namespace

TEST_F(DialogFixture, StartsWithEveryTemplateControlInPlace) {
    EXPECT_EQ(dlg->GetSize(), wxSize(570, 567));
    for (const ControlSpec& c : kMainDialogControls) {
        wxWindow* w = dlg->FindWindow(c.id);
        ASSERT_NE(w, nullptr) << c.id;
        EXPECT_EQ(w->IsShown(), c.visible) << c.id;
        if (c.kind == ControlKind::Picture || c.kind == ControlKind::CheckBox || c.kind == ControlKind::Combo)
            continue;  // sized by their content
        EXPECT_EQ(w->GetPosition(), wxPoint(DuX(c.x), DuY(c.y))) << c.id;
    }
}

TEST_F(DialogFixture, StartUpStateIsIdle) {
    EXPECT_EQ(guitest::LevelsList(dlg)->GetCount(), 1u);
    EXPECT_EQ(guitest::LevelsList(dlg)->GetStringSelection(), "1");
    EXPECT_FALSE(guitest::Button(dlg, IDC_BPERVIEW)->IsEnabled());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BSAVE)->IsEnabled());
    EXPECT_TRUE(guitest::Button(dlg, IDC_BGENERATE)->IsEnabled());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BCLOSEBUT)->IsShown());
    EXPECT_FALSE(dlg->Jobs().CancelRequested());
    EXPECT_TRUE(guitest::WaitFor([&] { return dlg->GetTitle() == " Image Kerfel"; }));
}

TEST_F(DialogFixture, ChoosingAnImageShowsSizesListAndThumbnail) {
    std::string dir = guitest::MakeTempFolder();
    std::string jpg = guitest::MakeJpeg(dir, "my photo & co.jpg", 1000, 800);
    ASSERT_FALSE(jpg.empty());
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(jpg));
    guitest::Click(guitest::Button(dlg, IDC_BBROWSEFILE));
    ASSERT_TRUE(guitest::WaitFor([&] { return guitest::LevelsList(dlg)->GetCount() == 3; }));
    EXPECT_EQ(guitest::Edit(dlg, IDC_ESOURCEPATH)->GetValue(), wxString::FromUTF8(jpg));
    EXPECT_EQ(guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->GetValue(), wxString::FromUTF8(dir));
    EXPECT_EQ(guitest::Label(dlg, IDC_LOSIZEVALUE)->GetLabel(), "1000 x 800");
    EXPECT_EQ(guitest::Label(dlg, IDC_LDSIZEVALUE)->GetLabel(), "1000 x 800");
    EXPECT_TRUE(guitest::Label(dlg, IDC_LDSIZEVALUE)->IsShown());
    EXPECT_EQ(dlg->Pyramid().m_nTotalTiles, 22);
    // The thumbnail's larger side is the frame's height, centred in the frame.
    // It comes from a worker thread, after the sizes.
    ASSERT_TRUE(guitest::WaitFor([&] { return guitest::Control<wxStaticBitmap>(dlg, IDC_STHUMBNAIL)->IsShown(); }));
    wxRect frame = guitest::Control<wxWindow>(dlg, IDC_STHUMBFRAME)->GetRect();
    wxRect pic = guitest::Control<wxStaticBitmap>(dlg, IDC_STHUMBNAIL)->GetRect();
    EXPECT_NEAR(pic.height * 1000 / 800, pic.width, 2);
    EXPECT_NEAR(pic.x + pic.width / 2, frame.x + frame.width / 2, 1);
    EXPECT_NEAR(pic.y + pic.height / 2, frame.y + frame.height / 2, 1);

    wxUIActionSimulator sim;
    guitest::LevelsList(dlg)->SetFocus();
    guitest::Pump(50);
    ASSERT_TRUE(sim.Select("2"));
    ASSERT_TRUE(guitest::WaitFor([&] { return guitest::Label(dlg, IDC_LDSIZEVALUE)->GetLabel() == "500 x 400"; }));
    EXPECT_EQ(dlg->Levels(), 2);
}

// Thumbnails are made on worker threads: a slow one of an earlier choice
// never replaces the thumbnail of the file chosen after it.
TEST_F(DialogFixture, AnEarlierChoicesThumbnailNeverReplacesALaterOne) {
    std::string dir = guitest::MakeTempFolder();
    std::string wide = guitest::MakeJpeg(dir, "wide.jpg", 3000, 1000);
    std::string tall = guitest::MakeJpeg(dir, "tall.jpg", 300, 600);
    auto* thumbnail = guitest::Control<wxStaticBitmap>(dlg, IDC_STHUMBNAIL);
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(wide));
    guitest::Click(guitest::Button(dlg, IDC_BBROWSEFILE));
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(tall));
    guitest::Click(guitest::Button(dlg, IDC_BBROWSEFILE));
    EXPECT_EQ(guitest::Label(dlg, IDC_LOSIZEVALUE)->GetLabel(), "300 x 600");  // at once, from the header
    ASSERT_TRUE(guitest::WaitFor([&] { return thumbnail->IsShown(); }));
    // Both decodes have reported back, the wide one whenever it finished.
    ASSERT_TRUE(guitest::WaitFor([&] { return dlg->ThumbnailsDone() >= 2; }, 60000));
    wxRect pic = thumbnail->GetRect();
    EXPECT_NEAR(pic.width * 2, pic.height, 2);
}

namespace {
// A JPEG whose header reads but whose picture stops halfway.
std::string CutJpeg(const std::string& dir, const std::string& name) {
    const std::string path = guitest::MakeJpeg(dir, name, 1200, 900);
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    return path;
}
}  // namespace

// A header that does not read, and one that reads over a picture cut short.
TEST_F(DialogFixture, AnUndecodableFileChangesNothing) {
    std::string dir = guitest::MakeTempFolder();
    std::string jpg = guitest::MakeJpeg(dir, "good.jpg", 600, 400);
    CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(jpg));
    guitest::Click(guitest::Button(dlg, IDC_BBROWSEFILE));
    auto* thumbnail = guitest::Control<wxStaticBitmap>(dlg, IDC_STHUMBNAIL);
    ASSERT_TRUE(guitest::WaitFor([&] { return thumbnail->IsShown(); }));
    guitest::LevelsList(dlg)->SetStringSelection("2");
    std::string broken = dir + "/broken.jpg";
    FILE* f = fopen(broken.c_str(), "wb");
    fputs("not a picture", f);
    fclose(f);
    for (const std::string& bad : {broken, CutJpeg(dir, "cut.jpg")}) {
        CFileOpenComponent::AnswerNextWith(wxString::FromUTF8(bad));
        CMessageBoxDialog::AnswerNextWith(IDOK);
        guitest::Click(guitest::Button(dlg, IDC_BBROWSEFILE));
        const wxString name = wxString::FromUTF8(bad.substr(dir.size() + 1));
        ASSERT_TRUE(guitest::WaitFor([&] { return CMessageBoxDialog::LastText().Contains(name) && thumbnail->IsShown(); }));
        EXPECT_EQ(guitest::Edit(dlg, IDC_ESOURCEPATH)->GetValue(), wxString::FromUTF8(jpg));
        EXPECT_EQ(guitest::Label(dlg, IDC_LOSIZEVALUE)->GetLabel(), "600 x 400");
        EXPECT_EQ(guitest::LevelsList(dlg)->GetStringSelection(), "2");
        EXPECT_EQ(dlg->Pyramid().SourceWidth(), 600u);
    }
}

// Refusing the first choice leaves the window empty; refusing a file chosen
// while the one before was still decoding gives that one back, decoded again.
TEST_F(DialogFixture, ARefusedFileGivesBackTheChoiceBeforeItEvenWhileThatDecodes) {
    std::string dir = guitest::MakeTempFolder();
    std::string good = guitest::MakeJpeg(dir, "good.jpg", 600, 400), cut = CutJpeg(dir, "cut1.jpg");
    std::filesystem::copy_file(cut, dir + "/cut2.jpg");
    auto* thumbnail = guitest::Control<wxStaticBitmap>(dlg, IDC_STHUMBNAIL);
    auto refused = [&](const char* name) {
        return guitest::WaitFor([&] { return CMessageBoxDialog::LastText().Contains(name) && thumbnail->IsShown(); });
    };
    CMessageBoxDialog::AnswerNextWith(IDOK);
    dlg->ChooseSource(wxString::FromUTF8(cut));
    ASSERT_TRUE(refused("cut1.jpg"));
    EXPECT_TRUE(dlg->SourcePath().empty());
    EXPECT_FALSE(guitest::Label(dlg, IDC_LOSIZEVALUE)->IsShown());
    EXPECT_EQ(guitest::LevelsList(dlg)->GetCount(), 1u);

    CMessageBoxDialog::AnswerNextWith(IDOK);
    dlg->ChooseSource(wxString::FromUTF8(good));  // no event between the two: its thumbnail is not shown yet
    dlg->ChooseSource(wxString::FromUTF8(dir + "/cut2.jpg"));
    guitest::Edit(dlg, IDC_EMUSICPATH)->ChangeValue("typed meanwhile.mp3");
    ASSERT_TRUE(refused("cut2.jpg"));
    EXPECT_EQ(dlg->SourcePath(), wxString::FromUTF8(good));
    EXPECT_EQ(guitest::Label(dlg, IDC_LOSIZEVALUE)->GetLabel(), "600 x 400");
    EXPECT_EQ(guitest::Edit(dlg, IDC_EMUSICPATH)->GetValue(), "typed meanwhile.mp3");
}

TEST_F(DialogFixture, AFileChangedSinceItWasChosenIsToldUnderItsOwnCaption) {
    std::string dir = guitest::MakeTempFolder();
    dlg->ChooseSource(wxString::FromUTF8(guitest::MakeJpeg(dir, "photo.jpg", 600, 400)));
    guitest::Edit(dlg, IDC_ESOURCEPATH)->ChangeValue(wxString::FromUTF8(guitest::MakeJpeg(dir, "other.jpg", 640, 480)));
    CMessageBoxDialog::AnswerNextWith(IDOK);
    wxCommandEvent make(wxEVT_BUTTON, IDC_BGENERATE);
    dlg->GetEventHandler()->ProcessEvent(make);
    EXPECT_EQ(CMessageBoxDialog::LastText(), kerfel::UiText("KERFELDIALOG.ONBGENERATE.MESSAGEBOX3_TEXT"));
    EXPECT_EQ(CMessageBoxDialog::LastCaption(), kerfel::UiText("KERFELDIALOG.ONBGENERATE.MESSAGEBOX3_CAPTION"));
}

namespace {
// Runs the dialog modally and lets `act` end it; returns ShowModal's result,
// or -999 when the dialog did not end within five seconds.
int RunModalAndEndWith(const std::function<void(CKerfelDialog*)>& act) {
    auto* dlg = new CKerfelDialog();
    bool ended = false;
    wxTimer guard;
    guard.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { if (!ended && dlg->IsModal()) dlg->EndModal(-999); });
    dlg->CallAfter([&] {
        guitest::Pump(200);
        act(dlg);
        guard.StartOnce(5000);
    });
    int result = dlg->ShowModal();
    ended = true;
    dlg->Destroy();
    guitest::Pump(50);
    return result;
}
}  // namespace

TEST(MainDialogClosing, CloseCrossEscapeAndCloseRequestEndIt) {
    EXPECT_EQ(RunModalAndEndWith([](CKerfelDialog* d) { guitest::Click(guitest::Button(d, IDC_BEXIT)); }), 0);
    EXPECT_EQ(RunModalAndEndWith([](CKerfelDialog* d) {
                  guitest::Click(guitest::Edit(d, IDC_ESOURCEPATH));  // the window has no manager to give it focus
                  wxUIActionSimulator().Char(WXK_ESCAPE);
              }),
              wxID_CANCEL);
    EXPECT_EQ(RunModalAndEndWith([](CKerfelDialog* d) { d->Close(); }), wxID_CANCEL);
    // The Close button (shown only around jobs) closes the tool when no job runs.
    EXPECT_EQ(RunModalAndEndWith([](CKerfelDialog* d) {
                  guitest::Button(d, IDC_BCLOSEBUT)->Show();
                  guitest::Pump(50);
                  guitest::Click(guitest::Button(d, IDC_BCLOSEBUT));
              }),
              0);
}
