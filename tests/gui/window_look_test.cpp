// How the skinned windows look and follow the user: literal paths in labels,
// hover after a modal window, disabled pictures, the levels and option rows,
// the title band's glyphs and the preview's Close caption.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include "app/ui/kerfel_dialog.h"
#include "app/ui/main_dialog_layout.h"
#include "base/app_folder.h"
#include "gui_test_util.h"
#include "main_dialog_controls.h"
#include "i18n/language_table.h"
#include "base/utf8.h"
#include "publish/ui/preview_dialog.h"
#include "skin/ui/skin_bitmaps.h"

namespace {

struct MainDialogLook : ::testing::Test {
    CKerfelDialog* dlg = nullptr;
    void SetUp() override {
        dlg = new CKerfelDialog();
        dlg->Move(60, 60);
        dlg->Show();
        guitest::Pump(200);
    }
    void TearDown() override {
        dlg->Destroy();
        guitest::Pump(50);
    }
};

// Mean saturation of a button's face on the screen.
double Saturation(CSkinButton* button) {
    std::string path = guitest::MakeTempFolder() + "/screen.png";
    guitest::Screenshot(path);
    wxImage img = wxImage(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG).GetSubImage(button->GetScreenRect());
    double sum = 0;
    int n = 0;
    for (int y = 4; y < img.GetHeight() - 4; ++y)
        for (int x = 6; x < img.GetWidth() - 6; ++x) {
            int r = img.GetRed(x, y), g = img.GetGreen(x, y), b = img.GetBlue(x, y);
            sum += std::max({r, g, b}) - std::min({r, g, b});
            ++n;
        }
    return n ? sum / n : 0;
}

}  // namespace

TEST_F(MainDialogLook, PathsShowTheirAmpersandAndDisabledButtonsLookDisabled) {
    // A path or value is drawn as it is: no "&" taken for a mnemonic.
    for (int id : kLiteralLabels) {
        auto* label = static_cast<CTransparentStatic*>(dlg->FindWindow(id));
        EXPECT_TRUE(CTransparentStatic::TextFlags(label->GetLabelStyle()) & CTransparentStatic::TextNoPrefix) << id;
    }
    // The Make picture, disabled, is washed out (its disabled picture is the normal one).
    guitest::Pump(100);
    double enabled = Saturation(guitest::Button(dlg, IDC_BGENERATE));
    guitest::Button(dlg, IDC_BGENERATE)->Enable(false);
    guitest::Button(dlg, IDC_BGENERATE)->Update();
    guitest::Pump(100);
    double disabled = Saturation(guitest::Button(dlg, IDC_BGENERATE));
    EXPECT_LT(disabled * 4, enabled) << enabled << " vs " << disabled;
    guitest::Button(dlg, IDC_BGENERATE)->Enable(true);
}

TEST_F(MainDialogLook, RowsKeepTheirControlsInsideTheirRectangles) {
    // Levels: the drop-down fits its row and shares the label's centre line.
    wxRect label = guitest::Label(dlg, IDC_LLEVELS)->GetRect(), combo = guitest::LevelsList(dlg)->GetRect();
    EXPECT_LE(std::abs((label.y + label.height / 2) - (combo.y + combo.height / 2)), 1);
    EXPECT_LE(combo.height, DuY(16)) << combo.height;
    // Options: each box inside its rectangle, a gap before its label, and the
    // row clear of the card's bottom edge (y 442 of the picture).
    const int boxes[] = {IDC_CSMALLMAP, IDC_CNAVSCROLL, IDC_CZOOMSLIDER, IDC_CCLICK2ZOOM};
    const int labels[] = {IDC_L_SMALLMAP, IDC_L_NAVSCROLL, IDC_L_ZOOMSLIDER, IDC_L_CLICK2ZOOM};
    for (int i = 0; i < 4; ++i) {
        wxRect box = dlg->FindWindow(boxes[i])->GetRect();
        wxRect text = dlg->FindWindow(labels[i])->GetRect();
        EXPECT_GE(text.x - box.GetRight(), 3) << boxes[i];
        EXPECT_LE(box.GetBottom(), 442 - 4) << boxes[i];
        EXPECT_GE(box.y, DuY(261) - 2) << boxes[i];
    }
    // Title band: minimise and close cross on one line, pictures at their size.
    EXPECT_EQ(guitest::Button(dlg, IDC_BMIN)->GetRect().y, guitest::Button(dlg, IDC_BEXIT)->GetRect().y);
    for (int id : {239, 240, 241, 242}) EXPECT_EQ(kerfel::LoadSkinBitmap(id).GetSize(), guitest::Button(dlg, IDC_BEXIT)->GetSize()) << id;
}

TEST_F(MainDialogLook, AButtonThatOpenedAModalWindowForgetsItsHoverWhenThePointerLeft) {
    // The click opens a modal window elsewhere; the pointer moves there and
    // the window closes: the button no longer looks hovered.
    wxUIActionSimulator sim;
    bool opened = false;
    dlg->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) {
        wxDialog modal(dlg, wxID_ANY, "elsewhere", wxPoint(700, 600), wxSize(200, 120));
        wxTimer step;
        int tick = 0;
        step.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            if (++tick == 1) sim.MouseMove(800, 660);
            else if (tick == 4) modal.EndModal(wxID_OK);
        });
        step.Start(100);
        opened = true;
        modal.ShowModal();
    }, IDC_BBROWSEFOLDER);
    guitest::Click(guitest::Button(dlg, IDC_BBROWSEFOLDER));
    guitest::Pump(200);
    ASSERT_TRUE(opened);
    EXPECT_FALSE(guitest::Button(dlg, IDC_BBROWSEFOLDER)->IsHovering());
    EXPECT_EQ(guitest::Button(dlg, IDC_BBROWSEFOLDER)->CurrentFace(), CSkinButton::Face::Normal);
}

TEST(PreviewLook, CloseCaptionIsEmptyWithoutItsKey) {
    kerfel::SetPictureFolder(wxString::FromUTF8(kerfel::FindAppFolder()) + "/pictures");
    kerfel::SetLanguageTable(kerfel::Utf8ToUtf16("PREVIEWDIALOG.TOOLTIPTEXT_IDCCANCEL=Close the preview\r\n"));
    CPreviewDialog preview;
    preview.m_rcViewer = wxRect(wxPoint(0, 0), wxPoint(300 + 31, 200 + 20));
    preview.SetUpDialog();
    EXPECT_EQ(preview.m_btnClose->GetLabel(), "");
    wxRect close = preview.m_btnClose->GetRect();
    EXPECT_LE(close.GetRight(), preview.GetClientSize().x - 1);
    EXPECT_EQ(close.GetSize(), wxSize(76, 24));
    // The band's rounded ends are cut at both top corners, whatever the width.
    const int w = preview.GetClientSize().x;
    for (int x : {0, w - 1}) {
        wxImage corner = preview.BackgroundUnder(wxRect(x, 0, 1, 1)).ConvertToImage();
        EXPECT_EQ(wxColour(corner.GetRed(0, 0), corner.GetGreen(0, 0), corner.GetBlue(0, 0)), wxColour(255, 0, 0)) << x;
    }
    kerfel::LoadLanguageTable(kerfel::FindAppFolder() + "/LanguageFiles/eng.txt");
}
