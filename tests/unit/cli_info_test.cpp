#include <gtest/gtest.h>

#include <filesystem>

#include "cli_run.h"
#include "test_images.h"

namespace {

struct CliInfo : ::testing::Test {
    std::string dir = testimg::TempFolder();
    std::string Jpeg(int w, int h) {
        return testimg::Convert("-size " + std::to_string(w) + "x" + std::to_string(h) + " xc:gray",
                                dir + "/" + std::to_string(w) + "x" + std::to_string(h) + ".jpg");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

}  // namespace

TEST_F(CliInfo, JsonGivesTheLevelTable) {
    struct Case { int w, h; const char* json; } cases[] = {
        {1000, 800,
         R"({"width":1000,"height":800,"format":"JPEG","levels":[{"index":0,"width":125,"height":100,"tiles":1},)"
         R"({"index":1,"width":250,"height":200,"tiles":1},{"index":2,"width":500,"height":400,"tiles":4},)"
         R"({"index":3,"width":1000,"height":800,"tiles":16}],"total_tiles":22,"levels_list":[1,2,3]})"},
        {200, 150,
         R"({"width":200,"height":150,"format":"JPEG","levels":[{"index":0,"width":100,"height":75,"tiles":1},)"
         R"({"index":1,"width":200,"height":150,"tiles":1}],"total_tiles":2,"levels_list":[]})"},
        {195, 100,
         R"({"width":195,"height":100,"format":"JPEG","levels":[{"index":0,"width":195,"height":100,"tiles":1}],)"
         R"("total_tiles":1,"levels_list":[]})"},
        {196, 10,
         R"({"width":196,"height":10,"format":"JPEG","levels":[{"index":0,"width":98,"height":5,"tiles":1},)"
         R"({"index":1,"width":196,"height":10,"tiles":1}],"total_tiles":2,"levels_list":[]})"},
    };
    for (const Case& c : cases) {
        clitest::Result r = clitest::Run({"info", Jpeg(c.w, c.h), "--json"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, std::string(c.json) + "\n");
    }
    clitest::Result odd = clitest::Run({"info", "--json", Jpeg(1001, 801)});
    EXPECT_NE(odd.out.find(R"("width":500,"height":400)"), std::string::npos);
    EXPECT_NE(odd.out.find(R"("width":125,"height":100)"), std::string::npos);
}

TEST_F(CliInfo, TextOutputAndExitStatuses) {
    clitest::Result ok = clitest::Run({"info", Jpeg(1000, 800)});
    EXPECT_EQ(ok.status, 0);
    EXPECT_NE(ok.out.find("22 tiles"), std::string::npos) << ok.out;

    std::string odd = dir + "/it's a \"photo\" & more #1?.jpg";
    std::filesystem::copy_file(Jpeg(300, 300), odd);
    EXPECT_EQ(clitest::Run({"info", odd}).status, 0);

    clitest::Result missing = clitest::Run({"info", dir + "/nope.jpg"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("nope.jpg"), std::string::npos);
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;

    EXPECT_EQ(clitest::Run({"info"}).status, 1);
    EXPECT_EQ(clitest::Run({"info", "a.jpg", "b.jpg"}).status, 1);
    EXPECT_EQ(clitest::Run({"frobnicate"}).status, 1);
    EXPECT_EQ(clitest::Run({"--help"}).status, 0);
}
