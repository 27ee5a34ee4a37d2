// The checks before a job and the options a job publishes, as both the
// dialog and the command line take them.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/job_choices.h"
#include "engine/layout.h"
#include "generator_test_util.h"

namespace kerfel {
namespace {

struct Choices : ::testing::Test {
    std::string dir;
    JobChoices c;
    void SetUp() override {
        dir = gentest::TempFolder();
        c.sourcePath = dir + "/photo.jpg";
        gentest::WriteJpeg(c.sourcePath, gentest::Gradient(1000, 800));
        c.pyramid = TilePyramid::Build(kerfel::NativeLayout(), 1000, 800);
        c.outputFolder = dir;
        c.levels = 2;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(Choices, EachFaultStopsTheJobInItsTurn) {
    EXPECT_TRUE(CheckBeforeJob(c));

    JobChoices music = c;
    music.musicPath = dir + "/missing.mp3";
    EXPECT_EQ(CheckBeforeJob(music).fault, JobFault::MusicUnreadable);

    JobChoices levels = music;
    levels.levels = 9;  // not an entry, and checked before the music
    EXPECT_EQ(CheckBeforeJob(levels).fault, JobFault::LevelsNotOffered);
    levels.levels = 0;
    EXPECT_EQ(CheckBeforeJob(levels).fault, JobFault::LevelsNotOffered);

    JobChoices changed = levels;
    changed.pyramid = TilePyramid::Build(kerfel::NativeLayout(), 900, 800);
    EXPECT_EQ(CheckBeforeJob(changed).fault, JobFault::SourceChanged);

    JobChoices gone = changed;
    gone.sourcePath = dir + "/gone.jpg";
    const JobCheck check = CheckBeforeJob(gone);
    EXPECT_EQ(check.fault, JobFault::SourceUnreadable);
    EXPECT_NE(check.status.message.find("gone.jpg"), std::string::npos);

    gone.outputFolder = dir + "/no folder";
    EXPECT_EQ(CheckBeforeJob(gone).fault, JobFault::NoOutputFolder);
}

TEST_F(Choices, OptionsAndMusicMapOntoTheDescriptor) {
    c.options = {true, false, true, false};
    c.musicPath = dir + "/song.mp3";
    const JobPublishing p = PublishingOf(c);
    EXPECT_TRUE(p.values.showNav);
    EXPECT_FALSE(p.values.showPanButtons);
    EXPECT_TRUE(p.values.showSlider);
    EXPECT_FALSE(p.values.clickToZoom);
    EXPECT_TRUE(p.values.music);
    EXPECT_EQ(p.musicPath, c.musicPath);
    EXPECT_EQ(p.values.viewWidth, c.pyramid.DisplayWidth(2));

    // No entry chosen: the view is entry 1's, never outside the table.
    c.levels = 0;
    c.options = {false, true, false, true};
    c.musicPath.clear();
    const JobPublishing q = PublishingOf(c);
    EXPECT_EQ(q.values.viewWidth, c.pyramid.DisplayWidth(1));
    EXPECT_TRUE(q.values.showPanButtons);
    EXPECT_TRUE(q.values.clickToZoom);
    EXPECT_FALSE(q.values.music);
}

// The layout is one of the choices: the levels follow it, and what a job
// publishes names it.
TEST_F(Choices, ALayoutRebuildsTheLevelsAndKeepsTheEntryItStillOffers) {
    EXPECT_EQ(c.layout, &NativeLayout());
    const Layout& dzi = *FindLayout("dzi");
    ChooseLayout(c, dzi);
    EXPECT_EQ(c.pyramid.m_pLayout, &dzi);
    EXPECT_EQ(c.pyramid.LevelCount(), 11);  // 1000 x 800 halved up to 1 x 1
    EXPECT_EQ(c.levels, 2);                 // 500 x 400 is offered here too
    EXPECT_EQ(PublishingOf(c).values.layout, &dzi);
    EXPECT_TRUE(CheckBeforeJob(c));

    c.levels = 3;  // 250 x 200: offered by both
    ChooseLayout(c, NativeLayout());
    EXPECT_EQ(c.levels, 3);
    c.levels = 7;  // not offered by either: the first entry
    ChooseLayout(c, dzi);
    EXPECT_EQ(c.levels, 1);

    // Before any source: only the layout.
    JobChoices none;
    ChooseLayout(none, dzi);
    EXPECT_EQ(none.layout, &dzi);
    EXPECT_TRUE(none.pyramid.Empty());
}

}  // namespace
}  // namespace kerfel
