#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/uiaction.h>

#include "base/app_folder.h"
#include "main_dialog_controls.h"
#include "app/ui/kerfel_dialog.h"
#include "app/ui/main_dialog_layout.h"
#include "gui_test_util.h"
#include "i18n/language_table.h"
#include "skin/ui/skin_bitmaps.h"
#include "skin/ui/skin_button.h"
#include "skin/ui/skin_dialog.h"
#include "skin/ui/transparent_static.h"

namespace {

// The pictures of the application folder, also when no main dialog set it up.
void UsePictures() { kerfel::SetPictureFolder(wxString::FromUTF8(kerfel::FindAppFolder()) + "/pictures"); }

wxImage ScreenImage() {
    std::string path = guitest::MakeTempFolder() + "/screen.png";
    guitest::Screenshot(path);
    return wxImage(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

wxColour PixelAt(const wxImage& img, wxPoint p) {
    return wxColour(img.GetRed(p.x, p.y), img.GetGreen(p.x, p.y), img.GetBlue(p.x, p.y));
}

wxColour PictureColour(int resourceId, wxPoint p) { return PixelAt(kerfel::LoadSkinBitmap(resourceId).ConvertToImage(), p); }

// A plain green window under the dialog: wherever the dialog is cut, the
// screen shows green.
struct Backdrop {
    wxFrame* frame;
    Backdrop() {
        frame = new wxFrame(nullptr, wxID_ANY, "backdrop", wxPoint(0, 0), wxSize(900, 800), wxBORDER_NONE);
        frame->SetBackgroundColour(wxColour(0, 200, 0));
        frame->Show();
        guitest::Pump(100);
    }
    ~Backdrop() { frame->Destroy(); }
};

struct MainDialogOnScreen : ::testing::Test {
    Backdrop backdrop;
    CKerfelDialog* dlg = nullptr;
    void SetUp() override {
        dlg = new CKerfelDialog();
        dlg->Move(100, 80);
        dlg->Show();
        guitest::Pump(300);
    }
    void TearDown() override {
        dlg->Destroy();
        guitest::Pump(50);
    }
};

// A small skinned dialog with one bitmap button that counts its clicks.
struct ButtonOnSkin : ::testing::Test {
    CSkinDialog* dlg = nullptr;
    CSkinButton* button = nullptr;
    int clicks = 0;
    wxUIActionSimulator sim;
    void SetUp() override {
        UsePictures();
        dlg = new CSkinDialog(nullptr, wxID_ANY, "buttons", wxSize(300, 160));
        dlg->SetBitmap(244);
        dlg->SetBackgroundMode(CSkinDialog::ModeStretch);
        button = new CSkinButton(dlg, 1001, "Browse &File ...", wxPoint(60, 50), wxSize(85, 22));
        button->SetBitmaps(224, 224, 225, 224, 0, CSkinButton::DrawNatural, 0, 0);
        dlg->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ++clicks; }, 1001);
        dlg->Move(200, 200);
        dlg->Show();
        sim.MouseMove(150, 150);  // start outside the button
        guitest::Pump(200);
    }
    void TearDown() override {
        dlg->Destroy();
        guitest::Pump(50);
    }
    wxPoint ButtonPoint(int x = 40, int y = 11) const { return button->ClientToScreen(wxPoint(x, y)); }
    wxPoint Outside() const { return button->ClientToScreen(wxPoint(42, 60)); }
    void MoveTo(wxPoint p) {
        sim.MouseMove(p);
        guitest::Pump(80);
    }
};

}  // namespace

TEST_F(MainDialogOnScreen, OutlineIsCutWhereTheSkinIsRed) {
    wxImage skin = kerfel::LoadSkinBitmap(244).ConvertToImage();
    ASSERT_TRUE(skin.IsOk());
    ASSERT_EQ(wxSize(skin.GetWidth(), skin.GetHeight()), dlg->GetClientSize());
    wxImage screen = ScreenImage();
    ASSERT_TRUE(screen.IsOk());
    wxPoint origin = dlg->GetScreenPosition();
    // Corners and the strip below the body are red in the picture: the
    // backdrop shows through; the body shows the picture.
    for (wxPoint p : {wxPoint(1, 1), wxPoint(568, 1), wxPoint(285, 540), wxPoint(10, 560)}) {
        ASSERT_EQ(PixelAt(skin, p), wxColour(255, 0, 0));
        EXPECT_EQ(PixelAt(screen, origin + p), wxColour(0, 200, 0)) << p.x << "," << p.y;
    }
    for (wxPoint p : {wxPoint(300, 20), wxPoint(8, 300), wxPoint(540, 480)})
        EXPECT_EQ(PixelAt(screen, origin + p), PixelAt(skin, p)) << p.x << "," << p.y;
    // Nothing of the key colour is left visible anywhere in the window.
    int red = 0;
    for (int y = 0; y < skin.GetHeight(); ++y)
        for (int x = 0; x < skin.GetWidth(); ++x)
            if (PixelAt(screen, origin + wxPoint(x, y)) == wxColour(255, 0, 0)) ++red;
    EXPECT_EQ(red, 0);
}

TEST_F(MainDialogOnScreen, DraggingTheBackgroundMovesTheWindowButNotFromAControl) {
    wxUIActionSimulator sim;
    wxPoint start = dlg->GetScreenPosition();
    wxPoint grip = start + wxPoint(30, 470);
    sim.MouseMove(grip);
    guitest::Pump(100);
    sim.MouseDown();
    guitest::Pump(100);
    for (int i = 1; i <= 5; ++i) {
        sim.MouseMove(grip + wxPoint(10 * i, 8 * i));
        guitest::Pump(60);
    }
    sim.MouseUp();
    guitest::Pump(150);
    EXPECT_EQ(dlg->GetScreenPosition(), start + wxPoint(50, 40));

    // A press on a field goes to the field: the window stays.
    start = dlg->GetScreenPosition();
    sim.MouseMove(guitest::Edit(dlg, IDC_ESOURCEPATH)->GetScreenRect().GetTopLeft() + wxPoint(20, 6));
    guitest::Pump(80);
    sim.MouseDown();
    guitest::Pump(80);
    sim.MouseMove(guitest::Edit(dlg, IDC_ESOURCEPATH)->GetScreenRect().GetTopLeft() + wxPoint(60, 40));
    guitest::Pump(80);
    sim.MouseUp();
    guitest::Pump(100);
    EXPECT_EQ(dlg->GetScreenPosition(), start);
}

TEST_F(MainDialogOnScreen, EveryTemplateTextFitsItsRectangle) {
    wxBitmap bmp(10, 10);
    wxMemoryDC dc(bmp);
    for (const ControlSpec& c : kMainDialogControls) {
        wxString text = wxControl::RemoveMnemonics(wxString::FromUTF8(c.text));
        if (text.empty() || c.kind == ControlKind::Frame) continue;
        wxWindow* w = dlg->FindWindow(c.id);
        dc.SetFont(w->GetFont());
        wxSize extent = dc.GetTextExtent(text);
        EXPECT_LE(extent.x, DuX(c.w)) << c.text;
        EXPECT_LE(extent.y, DuY(c.h) + 1) << c.text;
    }
}

TEST_F(MainDialogOnScreen, CloseDuringAJobStopsItWhateverItsCaption) {
    // A language switch during a job gives the button the caption of the job
    // state; even when the texts of closing and stopping are the same, a press
    // stops the job and keeps the tool open.
    dlg->SetJobPhase(CKerfelDialog::JobPhase::Writing);
    guitest::Button(dlg, IDC_BCLOSEBUT)->Show();
    dlg->ApplyLanguageTexts();
    EXPECT_EQ(guitest::Button(dlg, IDC_BCLOSEBUT)->GetLabel(),
              wxString::FromUTF8(kerfel::GetLanguageText("KERFELDIALOG.IDC_BCLOSEBUT1")));
    guitest::Click(guitest::Button(dlg, IDC_BCLOSEBUT));
    EXPECT_TRUE(dlg->Jobs().CancelRequested());
    EXPECT_TRUE(dlg->IsShown());
    EXPECT_FALSE(guitest::Button(dlg, IDC_BCLOSEBUT)->IsShown());
    dlg->SetJobPhase(CKerfelDialog::JobPhase::Idle);
    dlg->Jobs().ClearCancel();
}

TEST_F(ButtonOnSkin, HoverShowsTheHoverPictureAndLeavingRestoresIt) {
    const wxPoint probe(10, 11);
    wxImage before = ScreenImage();
    EXPECT_EQ(PixelAt(before, button->ClientToScreen(probe)), PictureColour(224, probe));
    EXPECT_NE(PictureColour(224, probe), PictureColour(225, probe));

    MoveTo(ButtonPoint());
    MoveTo(ButtonPoint(44, 12));
    ASSERT_TRUE(button->IsHovering());
    EXPECT_EQ(button->CurrentFace(), CSkinButton::Face::Hover);
    guitest::Pump(100);
    EXPECT_EQ(PixelAt(ScreenImage(), button->ClientToScreen(probe)), PictureColour(225, probe));

    MoveTo(Outside());
    EXPECT_FALSE(button->IsHovering());
    guitest::Pump(100);
    EXPECT_EQ(PixelAt(ScreenImage(), button->ClientToScreen(probe)), PictureColour(224, probe));
    // The red corner of the picture shows the dialog's background, not red.
    EXPECT_NE(PixelAt(ScreenImage(), button->ClientToScreen(wxPoint(0, 0))), wxColour(255, 0, 0));
}

TEST_F(ButtonOnSkin, AButtonLargerThanItsPictureShowsNoStripOfTheDialog) {
    // 224 is 86 x 22: the picture stretched over the whole button fills the
    // strips right of and below the picture drawn at its natural size.
    const wxSize size(100, 30);
    button->SetSize(size);
    guitest::Pump(150);
    wxImage stretched = kerfel::LoadSkinBitmap(224).ConvertToImage().Scale(size.x, size.y, wxIMAGE_QUALITY_NEAREST);
    wxImage screen = ScreenImage();
    wxImage under = dlg->BackgroundUnder(button->GetRect()).ConvertToImage();
    for (wxPoint p : {wxPoint(95, 11), wxPoint(92, 3), wxPoint(40, 27), wxPoint(10, 29), wxPoint(97, 28)}) {
        ASSERT_NE(PixelAt(stretched, p), wxColour(255, 0, 0)) << p.x << "," << p.y;
        EXPECT_EQ(PixelAt(screen, button->ClientToScreen(p)), PixelAt(stretched, p)) << p.x << "," << p.y;
        EXPECT_NE(PixelAt(screen, button->ClientToScreen(p)), PixelAt(under, p)) << p.x << "," << p.y;
    }
    // Inside the picture the natural-size image is drawn over the stretched one.
    const wxPoint probe(3, 11);
    EXPECT_EQ(PixelAt(screen, button->ClientToScreen(probe)), PictureColour(224, probe));
}

TEST_F(ButtonOnSkin, PressReleasedOutsideSendsNoClickAndThePushedLookFollowsTheCursor) {
    MoveTo(ButtonPoint());
    sim.MouseDown();
    guitest::Pump(80);
    EXPECT_TRUE(button->IsTracking());
    EXPECT_TRUE(button->IsPushed());
    EXPECT_FALSE(button->IsHovering());  // a press ends the hover look
    MoveTo(Outside());
    EXPECT_FALSE(button->IsPushed());
    MoveTo(ButtonPoint(20, 8));
    EXPECT_TRUE(button->IsPushed());
    MoveTo(Outside());
    sim.MouseUp();
    guitest::Pump(100);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button->IsTracking());
    EXPECT_FALSE(button->IsPushed());

    // Pressed outside and released over the button is no click either.
    sim.MouseDown();
    guitest::Pump(60);
    MoveTo(ButtonPoint());
    sim.MouseUp();
    guitest::Pump(100);
    EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonOnSkin, ClickDoubleClickAndDisabled) {
    MoveTo(ButtonPoint());
    sim.MouseClick();
    guitest::Pump(100);
    EXPECT_EQ(clicks, 1);
    // Wait out the double-click time so the next two presses pair up.
    guitest::Pump(600);
    clicks = 0;
    sim.MouseDblClick();
    guitest::Pump(200);
    EXPECT_EQ(clicks, 2);

    guitest::Pump(600);
    button->Enable(false);
    EXPECT_EQ(button->CurrentFace(), CSkinButton::Face::Disabled);
    sim.MouseClick();
    guitest::Pump(100);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonOnSkin, StatePicturesFallBackAndDrawModesClamp) {
    // No disabled picture: the normal one stands in.
    button->SetBitmaps(241, 241, 242, 0, 0, CSkinButton::DrawNatural, 0, 0);
    button->Enable(false);
    EXPECT_EQ(button->CurrentFace(), CSkinButton::Face::Disabled);
    // Without any picture the button still draws (a plain face) and clicks.
    button->Enable(true);
    button->SetBitmaps(0, 0, 0, 0, 0, 7, 0, -3);
    EXPECT_EQ(button->CurrentFace(), CSkinButton::Face::None);
    EXPECT_EQ(button->GetDrawMode(), CSkinButton::DrawTile);
    button->SetBitmaps(0, 0, 0, 0, 0, -1, 0, 0);
    EXPECT_EQ(button->GetDrawMode(), CSkinButton::DrawNatural);
    MoveTo(ButtonPoint());
    sim.MouseClick();
    guitest::Pump(100);
    EXPECT_EQ(clicks, 1);
    // The tooltip is created once and then only changes its text.
    button->SetTooltipText("first");
    wxToolTip* tip = button->GetToolTip();
    button->SetTooltipText("second");
    EXPECT_EQ(button->GetToolTip(), tip);
    EXPECT_EQ(button->GetTooltipText(), "second");
}

TEST(SkinDialog, FitModeTakesThePictureSizeOnlyWhenAPictureIsSet) {
    UsePictures();
    auto* dlg = new CSkinDialog(nullptr, wxID_ANY, "fit", wxSize(300, 200));
    dlg->SetBackgroundMode(CSkinDialog::ModeFitWindow);
    EXPECT_EQ(dlg->GetSize(), wxSize(300, 200));
    dlg->SetBitmap(247);
    EXPECT_EQ(dlg->GetSize(), wxSize(300, 200));  // setting the picture later does not resize
    dlg->SetBackgroundMode(CSkinDialog::ModeFitWindow);
    EXPECT_EQ(dlg->GetSize(), wxSize(414, 293));
    // A missing picture leaves the dialog without background and succeeds.
    EXPECT_TRUE(dlg->SetBitmap(99999));
    EXPECT_FALSE(dlg->HasSkin());
    EXPECT_TRUE(dlg->IsDragEnabled());
    dlg->Destroy();
}

TEST(SkinDialog, StretchFollowsEverySizeChange) {
    UsePictures();
    auto* dlg = new CSkinDialog(nullptr, wxID_ANY, "stretch", wxSize(570, 567));
    dlg->SetBitmap(244);
    dlg->SetBackgroundMode(CSkinDialog::ModeStretch);
    dlg->Show();
    guitest::Pump(100);
    dlg->SetSize(285, 283);
    guitest::Pump(100);
    // The bottom strip of the picture (cut) now lies at half the height.
    wxBitmap under = dlg->BackgroundUnder(wxRect(140, 270, 4, 4));
    wxImage img = under.ConvertToImage();
    EXPECT_EQ(PixelAt(img, wxPoint(1, 1)), wxColour(255, 0, 0));
    under = dlg->BackgroundUnder(wxRect(140, 100, 4, 4));
    EXPECT_NE(PixelAt(under.ConvertToImage(), wxPoint(1, 1)), wxColour(255, 0, 0));
    dlg->Destroy();
    guitest::Pump(50);
}

TEST(TransparentStatic, StyleBitsGiveTheDrawingFlags) {
    using S = CTransparentStatic;
    EXPECT_EQ(S::TextFlags(0), S::TextWordWrap);
    EXPECT_EQ(S::TextFlags(S::StyleRight), S::TextRight | S::TextWordWrap);
    EXPECT_EQ(S::TextFlags(S::StyleCenterImage | S::StyleCenter), S::TextVCenterSingleLine | S::TextCenter);
    EXPECT_EQ(S::TextFlags(S::StyleNoPrefix | S::StyleNotify), S::TextNoPrefix | S::TextWordWrap);
    EXPECT_EQ(S::TextFlags(S::StyleEndEllipsis), S::TextWordEllipsis | S::TextEndEllipsis);
    EXPECT_EQ(S::TextFlags(S::StylePathEllipsis), S::TextWordEllipsis | S::TextPathEllipsis);
    // Both ellipsis bits: each adds its own flag.
    EXPECT_EQ(S::TextFlags(S::StyleWordEllipsis), S::TextWordEllipsis | S::TextEndEllipsis | S::TextPathEllipsis);
    EXPECT_EQ(S::TextFlags(0x4) & S::TextWordWrap, 0);  // any of the 0xC20C bits stops wrapping
}

TEST(TransparentStatic, WrapsPlainLabelsAtWordsAndNotSingleLineOnes) {
    auto* dlg = new CSkinDialog(nullptr, wxID_ANY, "labels", wxSize(300, 200));
    dlg->SetBitmap(244);
    dlg->SetBackgroundMode(CSkinDialog::ModeStretch);
    auto* label = new CTransparentStatic(dlg, 1013, "Writing tile 12 of 480 of level 3", wxPoint(10, 10), wxSize(90, 60));
    label->SetFont(kerfel::SkinFont());
    wxBitmap bmp(10, 10);
    wxMemoryDC dc(bmp);
    dc.SetFont(label->GetFont());
    wxArrayString lines = label->LayoutLines(dc);
    ASSERT_GT(lines.size(), 1u);
    for (const wxString& line : lines) EXPECT_LE(dc.GetTextExtent(line).x, 90) << line;
    EXPECT_EQ(wxJoin(lines, ' ', 0), "Writing tile 12 of 480 of level 3");
    label->SetLabelStyle(CTransparentStatic::StyleCenterImage);
    EXPECT_EQ(label->LayoutLines(dc).size(), 1u);
    label->SetLabelStyle(CTransparentStatic::StyleEndEllipsis);
    lines = label->LayoutLines(dc);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].EndsWith(wxString::FromUTF8("…")) || lines[0].EndsWith("...")) << lines[0];
    dlg->Destroy();
}

TEST(TransparentStatic, NewTextLeavesNoTraceAndClicksAreReported) {
    UsePictures();
    Backdrop backdrop;
    auto* dlg = new CSkinDialog(nullptr, wxID_ANY, "labels", wxSize(570, 567));
    dlg->SetBitmap(244);
    dlg->SetBackgroundMode(CSkinDialog::ModeStretch);
    auto* label = new CTransparentStatic(dlg, 1038, "WWWWWWWWWW", wxPoint(40, 140), wxSize(200, 16), wxALIGN_LEFT, true);
    label->SetFont(kerfel::SkinFont().Bold());
    int clicks = 0;
    dlg->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) { ++clicks; }, 1038);
    dlg->Move(100, 100);
    dlg->Show();
    guitest::Pump(200);
    label->SetLabel("i");
    guitest::Pump(200);
    wxImage screen = ScreenImage();
    wxImage skin = kerfel::LoadSkinBitmap(244).ConvertToImage();
    int differing = 0;
    for (int y = 140; y < 156; ++y)
        for (int x = 60; x < 240; ++x)  // right of the new text: only the picture
            if (PixelAt(screen, dlg->ClientToScreen(wxPoint(x, y))) != PixelAt(skin, wxPoint(x, y))) ++differing;
    EXPECT_EQ(differing, 0);

    wxUIActionSimulator sim;
    sim.MouseMove(label->ClientToScreen(wxPoint(3, 8)));
    guitest::Pump(80);
    sim.MouseClick();
    guitest::Pump(100);
    EXPECT_EQ(clicks, 1);
    guitest::Pump(600);
    sim.MouseDblClick();  // two quick clicks are two clicks, as on its check box
    guitest::Pump(200);
    EXPECT_EQ(clicks, 3);
    // Pressed on the label and released elsewhere is no click.
    sim.MouseDown();
    guitest::Pump(80);
    sim.MouseMove(label->ClientToScreen(wxPoint(3, 60)));
    guitest::Pump(80);
    sim.MouseUp();
    guitest::Pump(100);
    EXPECT_EQ(clicks, 3);
    dlg->Destroy();
    guitest::Pump(50);
}
