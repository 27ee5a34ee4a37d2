#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <dlfcn.h>

#include "gui_test_util.h"
#include "skin/ui/skin_progress_ctrl.h"

namespace {

// Nine 10 x 18 elements, each one flat colour, so the screen tells which is where.
const unsigned char kColours[9][3] = {
    {200, 0, 0}, {0, 120, 0}, {0, 0, 200}, {255, 255, 0}, {0, 0, 255},
    {255, 0, 255}, {0, 200, 0}, {128, 128, 128}, {100, 50, 0},
};

wxBitmap TestSkin() {
    wxImage img(90, 18);
    for (int k = 0; k < 9; ++k)
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 10; ++x) img.SetRGB(k * 10 + x, y, kColours[k][0], kColours[k][1], kColours[k][2]);
    return wxBitmap(img);
}

struct ProgressFixture : ::testing::Test {
    wxFrame* frame = nullptr;
    wxWindow* placeholder = nullptr;
    CSkinProgressCtrl* bar = nullptr;
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "bar", wxPoint(20, 20), wxSize(420, 200), wxBORDER_NONE);
        placeholder = new wxWindow(frame, wxID_ANY, wxPoint(10, 10), wxSize(330, 24));
        placeholder->Hide();
        frame->Show();
        guitest::Pump(100);
        bar = new CSkinProgressCtrl();
    }
    void TearDown() override {
        frame->Destroy();
        guitest::Pump(50);
    }
    int Length() const { return bar->GetClientSize().x; }
};

TEST_F(ProgressFixture, CreateLaysTheBarOverThePlaceholderAndFollowsIt) {
    wxBitmap skin = TestSkin();
    ASSERT_TRUE(bar->Create(placeholder, 22, &skin, false));
    EXPECT_EQ(bar->GetRect(), placeholder->GetRect());
    EXPECT_FALSE(bar->IsVertical());
    EXPECT_EQ(bar->ElementLength(), 10);
    EXPECT_EQ(bar->GetLower(), 0);
    EXPECT_EQ(bar->GetUpper(), 22);
    EXPECT_EQ(bar->GetStep(), 1);
    EXPECT_EQ(bar->GetPos(), 0);

    for (int i = 0; i < 22; ++i) EXPECT_EQ(bar->StepIt(), i);
    EXPECT_EQ(bar->StepIt(), 22);
    EXPECT_EQ(bar->GetPos(true), 25600);
    ASSERT_TRUE(guitest::WaitFor([&] { return bar->Drawn().end == Length() - 10; }));

    // The 500 ms timer moves the bar after its placeholder.
    placeholder->Move(20, 60);
    ASSERT_TRUE(guitest::WaitFor([&] { return bar->GetPosition() == wxPoint(20, 60); }, 2000));

    bar->Clear();
    EXPECT_FALSE(bar->IsShown());
    EXPECT_EQ(bar->StepIt(), 0);  // no window: nothing happens
    EXPECT_FALSE(bar->Refresh());
}

TEST_F(ProgressFixture, TheSkinIsPaintedWhereThePositionsPutIt) {
    wxBitmap skin = TestSkin();
    ASSERT_TRUE(bar->Create(placeholder, 100, &skin, false));
    bar->SetPos(50);
    ASSERT_TRUE(guitest::WaitFor([&] { return bar->Drawn().end > 100; }));
    guitest::Pump(100);
    const std::string shot = guitest::MakeTempFolder() + "/bar.png";
    guitest::Screenshot(shot);
    wxImage img(shot);
    ASSERT_TRUE(img.IsOk());
    const wxPoint origin = bar->ClientToScreen(wxPoint(0, 0));
    const int y = origin.y + bar->GetClientSize().y / 2;
    auto colourAt = [&](int x) {
        return wxColour(img.GetRed(origin.x + x, y), img.GetGreen(origin.x + x, y), img.GetBlue(origin.x + x, y))
            .GetAsString(wxC2S_CSS_SYNTAX);
    };
    const int end = bar->Drawn().end;
    EXPECT_EQ(colourAt(end + 2), wxColour(255, 0, 255).GetAsString(wxC2S_CSS_SYNTAX));         // end of the fill
    EXPECT_EQ(colourAt(end - 25), wxColour(0, 0, 255).GetAsString(wxC2S_CSS_SYNTAX));          // the fill (away from the centre mark)
    EXPECT_EQ(colourAt(end + 35), wxColour(128, 128, 128).GetAsString(wxC2S_CSS_SYNTAX));      // empty track
    EXPECT_EQ(colourAt(Length() - 5), wxColour(100, 50, 0).GetAsString(wxC2S_CSS_SYNTAX));     // far cap

    // Going back repaints only the changed span, and the track returns.
    bar->SetPos(10);
    ASSERT_TRUE(guitest::WaitFor([&] { return bar->Drawn().end < 100; }));
    guitest::Pump(100);
    guitest::Screenshot(shot);
    img.LoadFile(shot);
    EXPECT_EQ(colourAt(end - 25), wxColour(128, 128, 128).GetAsString(wxC2S_CSS_SYNTAX));
}

TEST_F(ProgressFixture, VerticalBarsDefaultSkinsAndRanges) {
    placeholder->SetSize(wxSize(24, 200));
    ASSERT_TRUE(bar->Create(placeholder, 10, nullptr, true));  // no skin: the plain built-in one
    EXPECT_TRUE(bar->IsVertical());
    EXPECT_EQ(bar->ElementLength(), 10);
    bar->SetPos(5);
    ASSERT_TRUE(guitest::WaitFor([&] { return bar->Drawn().limit > 0; }));
    const int L = bar->GetClientSize().y;
    // Reversed: the bar fills from the far end.
    const int forwardEnd = 5 * (L - 20) / 10 + 10;
    EXPECT_EQ(bar->Drawn().limit, L - 10);
    EXPECT_EQ(bar->Drawn().end, L - 10);
    EXPECT_EQ(bar->Drawn().start, L - forwardEnd - 10);

    EXPECT_TRUE(bar->SetRange(0, 100, 5, true));
    EXPECT_EQ(bar->GetPos(), 50);
    EXPECT_EQ(bar->GetStep(), 5);
    EXPECT_FALSE(bar->SetRange(3, 3));
    EXPECT_EQ(bar->SetStart(20), 0);
    EXPECT_EQ(bar->SetPos(10), 50);
    EXPECT_EQ(bar->GetPos(), 20);
    EXPECT_EQ(bar->Reset(), 20);
    EXPECT_EQ(bar->OffsetPos(1000), 20);
    EXPECT_EQ(bar->GetPos(), 100);

    wxBitmap tiny(4, 4);  // too small to split: the built-in skin is used
    EXPECT_TRUE(bar->SetSkin(&tiny));
    EXPECT_EQ(bar->ElementLength(), 10);
}

}  // namespace

// What a screen reader asks the bar, through the toolkit's accessibility
// functions as the reader's bridge calls them.
TEST_F(ProgressFixture, AReaderFindsAProgressBarWithItsValue) {
    auto fn = [](const char* name) { return dlsym(RTLD_DEFAULT, name); };
    auto accessible = reinterpret_cast<void* (*)(void*)>(fn("gtk_widget_get_accessible"));
    auto role = reinterpret_cast<int (*)(void*)>(fn("atk_object_get_role"));
    auto valueAndText = reinterpret_cast<void (*)(void*, double*, char**)>(fn("atk_value_get_value_and_text"));
    ASSERT_TRUE(accessible && role && valueAndText);
    wxBitmap skin = TestSkin();
    ASSERT_TRUE(bar->Create(placeholder, 40, &skin, false));
    bar->SetPos(10);
    void* atk = accessible(bar->GetHandle());
    EXPECT_EQ(role(atk), 41);  // ATK_ROLE_PROGRESS_BAR
    double value = -1;
    valueAndText(atk, &value, nullptr);
    EXPECT_EQ(value, 10.0);
}
