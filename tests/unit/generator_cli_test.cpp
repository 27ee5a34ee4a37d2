#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "generator_test_util.h"

namespace {

struct MakeCommand : ::testing::Test {
    std::string dir, image;
    void SetUp() override {
        dir = gentest::TempFolder();
        image = dir + "/photo.jpg";
        gentest::WriteJpeg(image, gentest::Gradient(1000, 800));
        std::filesystem::create_directory(dir + "/out");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Runs `kerfel make ...` with stderr kept in `err`; returns the exit status.
    int Make(const std::string& args) { return Run("", "make " + args); }
    // Any command, after shell commands (such as a memory limit) that apply to it alone.
    int Run(const std::string& before, const std::string& args) {
        const std::string cmd =
            "(" + before + std::string(KERFEL_BINARY) + " " + args + ") >/dev/null 2>'" + dir + "/err'";
        int rc = std::system(cmd.c_str());
        std::ifstream f(dir + "/err");
        std::stringstream s;
        s << f.rdbuf();
        err = s.str();
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    std::string Q(const std::string& p) { return "'" + p + "'"; }
    std::string err;
};

TEST_F(MakeCommand, ExitStatusTellsUsageBadInputAndOutputFailures) {
    EXPECT_EQ(Make(""), 1);
    EXPECT_EQ(Make(Q(image) + " " + Q(dir + "/out") + " --levels x"), 1);
    EXPECT_EQ(Make(Q(image) + " " + Q(dir + "/out") + " --bogus"), 1);
    EXPECT_EQ(Make(Q(dir + "/none.jpg") + " " + Q(dir + "/out")), 2);
    EXPECT_NE(err.find("none.jpg"), std::string::npos) << err;
    EXPECT_EQ(Make(Q(image) + " " + Q(dir + "/out") + " --levels 4"), 2);  // offered: 1 to 3
    EXPECT_NE(err.find("1 to 3"), std::string::npos) << err;
    EXPECT_EQ(Make(Q(image) + " " + Q(dir + "/out") + " --music " + Q(dir + "/no.mp3")), 2);
    EXPECT_NE(err.find("no.mp3"), std::string::npos) << err;
    EXPECT_EQ(Make(Q(image) + " " + Q(dir + "/nowhere")), 3);
    EXPECT_NE(err.find("nowhere"), std::string::npos) << err;
    EXPECT_TRUE(gentest::Names(dir + "/out").empty());  // nothing written by a refused job

    gentest::WriteJpeg(dir + "/small.jpg", gentest::Gradient(200, 150));
    EXPECT_EQ(Make(Q(dir + "/small.jpg") + " " + Q(dir + "/out")), 2);  // no level is offered
}

TEST_F(MakeCommand, WritesTheJobRefusesAnExistingOneAndOverwritesOnRequest) {
    std::ofstream(dir + "/song.mp3") << "ID3 music";
    ASSERT_EQ(Make(Q(image) + " " + Q(dir + "/out") + " --levels 2 --small-map --click-to-zoom --layout kerfel" +
                   " --music " + Q(dir + "/song.mp3")),
              0)
        << err;
    EXPECT_EQ(gentest::Names(dir + "/out/photo/Images").size(), 22u);
    std::ifstream xml(dir + "/out/photo/ImageKerfel.xml");
    std::string text((std::istreambuf_iterator<char>(xml)), {});
    EXPECT_NE(text.find("viewHeight=\"400\" viewWidth=\"500\" showNav=\"1\" showSlider=\"0\" showpanButtons=\"0\" "
                        "clicktoLorvak=\"1\" soundURL=\"bgmusic.mp3\"/>"),
              std::string::npos)
        << text;
    std::ifstream mp3(dir + "/out/photo/bgmusic.mp3");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(mp3)), {}), "ID3 music");
    EXPECT_TRUE(err.empty()) << err;  // no progress bar when stderr is not a terminal

    EXPECT_EQ(Make(Q(image) + " " + Q(dir + "/out")), 3);
    EXPECT_NE(err.find("--overwrite"), std::string::npos) << err;
    EXPECT_EQ(Make(Q(image) + " " + Q(dir + "/out") + " --overwrite --quiet"), 0) << err;
    std::ifstream again(dir + "/out/photo/ImageKerfel.xml");
    EXPECT_NE(std::string((std::istreambuf_iterator<char>(again)), {}).find("soundURL=\"\""), std::string::npos);

    std::ofstream(dir + "/job.zip") << "old";
    EXPECT_EQ(Make(Q(image) + " " + Q(dir + "/out2") + " --zip " + Q(dir + "/job.zip")), 3);
}

// A picture too large for the memory the tool may have: one line and a
// failure status, not an abort, both where it is cut and where it is read
// for its thumbnail (what Browse File does). The limit is found, not
// guessed: the smallest of a few that lets a small job run, which leaves
// far too little for the big picture's 144 MB.
TEST_F(MakeCommand, APictureTooLargeForTheMemoryFailsWithOneLineAndLeavesNothing) {
    const std::string big = dir + "/big.jpg";
    // Progressive: it cannot stream, the decoder holds all its coefficients.
    ASSERT_EQ(std::system(("convert -size 8000x6000 xc:gray50 -quality 80 -interlace JPEG " + Q(big)).c_str()), 0);
    auto limited = [&](unsigned kib, const std::string& args) {
        return Run("ulimit -v " + std::to_string(kib) + "; exec ", args);
    };
    unsigned limit = 0;
    for (unsigned kib : {32768u, 49152u, 65536u, 98304u, 131072u, 163840u, 196608u, 262144u}) {
        std::filesystem::remove_all(dir + "/out/photo");
        if (limited(kib, "make " + Q(image) + " " + Q(dir + "/out") + " --quiet") == 0) {
            limit = kib + 16384;
            break;
        }
    }
    if (limit == 0) GTEST_SKIP() << "the tool does not run under any of the limits (a sanitizer build?)";
    std::filesystem::remove_all(dir + "/out/photo");

    EXPECT_EQ(limited(limit, "make " + Q(big) + " " + Q(dir + "/out") + " --quiet"), 3) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(err.rfind("kerfel: " + big + ": ", 0), 0u) << err;
    EXPECT_NE(err.find("not enough memory"), std::string::npos) << err;
    EXPECT_TRUE(gentest::Names(dir + "/out").empty());

    // `info` reads the header alone: the same limit is plenty for it.
    EXPECT_EQ(limited(limit, "info " + Q(big)), 0) << err;
    EXPECT_EQ(err, "");
}

TEST_F(MakeCommand, InterruptStopsBetweenTilesWithStatus130AndNoDescriptor) {
    const std::string big = dir + "/big.jpg";
    gentest::WriteJpeg(big, gentest::Gradient(6000, 4000));
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        freopen("/dev/null", "w", stderr);
        execl(KERFEL_BINARY, KERFEL_BINARY, "make", big.c_str(), (dir + "/out").c_str(), "--quiet", nullptr);
        _exit(99);
    }
    const std::string images = dir + "/out/big/Images";
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (gentest::Names(images).empty() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const size_t written = gentest::Names(images).size();
    EXPECT_GE(written, 1u);
    EXPECT_LT(written, 500u);
    EXPECT_FALSE(std::filesystem::exists(dir + "/out/big/ImageKerfel.xml"));
}

}  // namespace
