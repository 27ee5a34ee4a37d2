#include <gtest/gtest.h>

#include "skin/progress_mapping.h"

using namespace kerfel;

namespace {

ProgressModel Model(int lower, int upper) {
    ProgressModel m;
    EXPECT_TRUE(m.SetRange(lower, upper, 1, false));
    return m;
}

// Paints draw lists onto a row of pixels, each element covering e pixels.
struct Canvas {
    std::vector<int> px;
    int e;
    Canvas(int length, int element) : px(length, -1), e(element) {}
    void Paint(const std::vector<ProgressDraw>& draws) {
        for (const ProgressDraw& d : draws)
            for (int i = d.pixel; i < d.pixel + e && i < static_cast<int>(px.size()); ++i)
                if (i >= 0) px[i] = d.element;
    }
};

TEST(ProgressModel, PositionsStayInsideTheRangeAndAboveTheStart) {
    ProgressModel m = Model(0, 22);
    EXPECT_EQ(m.StepIt(), 0);
    EXPECT_EQ(m.GetPos(false), 1);
    EXPECT_EQ(m.SetPos(22), 1);
    EXPECT_EQ(m.StepIt(), 22);  // past upper: stays there, returns the previous position
    EXPECT_EQ(m.GetPos(false), 22);
    EXPECT_EQ(m.SetPos(-5), 22);
    EXPECT_EQ(m.GetPos(false), 0);
    EXPECT_EQ(m.OffsetPos(2147483647), 0);  // no overflow on a huge delta
    EXPECT_EQ(m.GetPos(false), 22);

    EXPECT_EQ(m.SetStart(10), 0);
    EXPECT_EQ(m.SetPos(4), 22);
    EXPECT_EQ(m.GetPos(false), 10);  // never below the start
    EXPECT_EQ(m.SetStart(30), 10);
    EXPECT_EQ(m.GetStart(false), 10);  // never above the position
    EXPECT_EQ(m.Reset(), 10);
    EXPECT_EQ(m.GetPos(false), 10);

    EXPECT_EQ(m.SetStep(5), 1);
    EXPECT_EQ(m.GetStep(), 5);
    m.StepIt();
    EXPECT_EQ(m.GetPos(false), 15);
}

TEST(ProgressModel, PercentsResamplingAndEmptyRanges) {
    ProgressModel m = Model(100, 200);
    m.SetPos(150);
    EXPECT_EQ(m.GetPos(true), 12800);  // 50 % in 1/256 percent
    m.SetStart(125);
    EXPECT_EQ(m.GetStart(true), 6400);

    EXPECT_TRUE(m.SetRange(0, 1000, 1, true));
    EXPECT_EQ(m.GetPos(false), 500);
    EXPECT_EQ(m.GetStart(false), 250);
    EXPECT_EQ(m.PreviousPos(), 500);
    EXPECT_EQ(m.PreviousStart(), 250);
    // Large values stay exact in 64 bits.
    EXPECT_TRUE(m.SetRange(0, 2000000000, 1, true));
    EXPECT_EQ(m.GetPos(false), 1000000000);

    EXPECT_TRUE(m.SetRange(0, 10, 1, false));  // without resampling, clamped into the new range
    EXPECT_EQ(m.GetPos(false), 10);
    EXPECT_FALSE(m.SetRange(5, 5, 1, false));
    EXPECT_FALSE(m.SetRange(9, 3, 1, false));
    EXPECT_EQ(m.GetUpper(), 10);
}

TEST(ProgressMapping, EndsStartsAndReversal) {
    ProgressModel m = Model(0, 100);
    const int L = 300, e = 10;
    ProgressPixels px = MapProgress(m, L, e, false);
    EXPECT_EQ(px.limit, 290);
    EXPECT_EQ(px.end, e);  // position at lower: the caps touch the near end
    EXPECT_EQ(px.start, 0);
    m.SetPos(100);
    px = MapProgress(m, L, e, false);
    EXPECT_EQ(px.end, px.limit);
    m.SetPos(50);
    px = MapProgress(m, L, e, false);
    EXPECT_EQ(px.end, 50 * 280 / 100 + 10);
    m.SetStart(50);
    px = MapProgress(m, L, e, false);
    EXPECT_EQ(px.start, px.end - e);  // the start keeps one element before the end

    m.SetStart(20);
    ProgressPixels fwd = MapProgress(m, L, e, false), rev = MapProgress(m, L, e, true);
    EXPECT_EQ(rev.end, L - fwd.start - e);
    EXPECT_EQ(rev.start, L - fwd.end - e);

    ProgressDrawn drawn;
    EXPECT_TRUE(ProgressChanged(fwd, drawn));
    FullRepaint(fwd, e, drawn);
    EXPECT_FALSE(ProgressChanged(fwd, drawn));
}

TEST(ProgressPainting, FullRepaintCoversTheTrackAndPartialRepaintsFollowTheEnd) {
    const int L = 305, e = 10;
    ProgressModel m = Model(0, 22);
    ProgressDrawn drawn;
    Canvas c(L, e);
    ProgressPixels px = MapProgress(m, L, e, false);
    c.Paint(FullRepaint(px, e, drawn));
    EXPECT_EQ(c.px[0], kFillStart);  // drawn after the near cap: the start sits on it
    EXPECT_EQ(c.px[px.limit], kFarCap);
    for (int i = 0; i < px.limit + e; ++i) EXPECT_NE(c.px[i], -1) << i;  // nothing left unpainted
    EXPECT_EQ(c.px[px.end], kFillEnd);
    EXPECT_EQ(c.px[150], kTrack);

    for (int tile = 1; tile <= 22; ++tile) {
        m.StepIt();
        px = MapProgress(m, L, e, false);
        std::vector<ProgressDraw> draws = PartialRepaint(px, e, drawn);
        if (!ProgressChanged(px, drawn) && draws.empty()) continue;
        c.Paint(draws);
        EXPECT_EQ(drawn.end, px.end);
        EXPECT_EQ(c.px[px.end], kFillEnd) << tile;
        for (int i = px.start + e; i < px.end; ++i) {
            EXPECT_TRUE(c.px[i] == kFill || c.px[i] == kFillCentre) << tile << " at " << i;
        }
        for (int i = px.end + 2 * e; i < px.limit; ++i) EXPECT_EQ(c.px[i], kTrack) << tile << " at " << i;
    }
    EXPECT_EQ(px.end, px.limit);

    // Shrinking back gives the track again.
    m.SetPos(5);
    px = MapProgress(m, L, e, false);
    c.Paint(PartialRepaint(px, e, drawn));
    for (int i = px.end + 2 * e; i < px.limit; ++i) EXPECT_EQ(c.px[i], kTrack) << i;
    EXPECT_EQ(c.px[px.end], kFillEnd);

    // Moving the start up leaves the track behind it.
    m.SetStart(3);
    px = MapProgress(m, L, e, false);
    c.Paint(PartialRepaint(px, e, drawn));
    EXPECT_EQ(c.px[px.start], kFillStart);
    for (int i = e; i < px.start - e; ++i) EXPECT_EQ(c.px[i], kTrack) << i;

    // A zero element size (a skin too small to split) draws nothing rather than looping.
    EXPECT_TRUE(FullRepaint(px, 0, drawn).empty());
    EXPECT_TRUE(PartialRepaint(px, 0, drawn).empty());
}

TEST(ProgressPainting, UnchangedPixelsDrawNothing) {
    ProgressModel m = Model(0, 50);
    m.SetPos(20);
    ProgressDrawn drawn;
    ProgressPixels px = MapProgress(m, 400, 10, false);
    FullRepaint(px, 10, drawn);
    EXPECT_TRUE(PartialRepaint(px, 10, drawn).empty());
}

}  // namespace
