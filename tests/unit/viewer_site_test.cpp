#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "publish/viewer_site.h"

namespace fs = std::filesystem;
using kerfel::DescriptorValues;
using kerfel::Fault;

namespace {

class ViewerSite : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kerfel-site-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        job = root / "Harbour & Dock";
        fs::create_directories(job / "Images");
        Write(job / "ImageKerfel.xml", "<Images/>");
        Write(job / "Images" / "0-0-0.jpg", "tile");
    }
    void TearDown() override { fs::remove_all(root); }

    static void Write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // The viewer's files as the build assembles them beside the tool.
    static std::string BuiltViewer() { return (fs::path(KERFEL_BINARY).parent_path() / "viewer").string(); }

    // A viewer folder of our own with every file the writer copies.
    fs::path FakeViewer() {
        fs::path v = root / "app-viewer";
        fs::create_directories(v / "images");
        Write(v / "page.html", "<title>{{title}}</title><script>{{job}}</script>");
        for (const char* f : {"openseadragon.min.js", "kerfel-viewer.js", "kerfel-viewer.css", "kerfel-archive.js",
                              "images/zoomin.png"})
            Write(v / f, f);
        return v;
    }

    static DescriptorValues Values() {
        DescriptorValues v;
        v.levels = {{500, 400}, {1000, 800}};
        v.width = 1000;
        v.height = 800;
        v.tiles = 22;
        v.viewWidth = 500;
        v.viewHeight = 400;
        v.showNav = true;
        v.clickToZoom = true;
        v.music = true;
        return v;
    }

    fs::path root, job;
};

// The descriptor's values under its names, and the layout's tile grid and
// the job's name, so the viewer repeats no rule of the layout's; a name
// that could end the script element is escaped.
TEST_F(ViewerSite, PageCarriesTheEscapedTitleAndTheJobValues) {
    const std::string tmpl = "<title>{{title}}</title>\n<script>{{job}}</script>{{unknown}} {{";
    std::string page = kerfel::ViewerPageHtml(tmpl, Values(), "R&D <\"big\"> \\'one' {{job}}</script>");
    EXPECT_EQ(page,
              "<title>R&amp;D &lt;&quot;big&quot;&gt; \\&#39;one&#39; {{job}}&lt;/script&gt;</title>\n<script>"
              "{\"Width\":1000,\"Height\":800,\"Tiles\":22,\"Copyright\":\"(c) Lorvak Image Kerfel\","
              "\"viewHeight\":400,\"viewWidth\":500,\"showNav\":true,\"showSlider\":false,\"showpanButtons\":false,"
              "\"clicktoLorvak\":true,\"soundURL\":\"bgmusic.mp3\","
              "\"name\":\"R&D \\u003c\\\"big\\\"> \\\\'one' {{job}}\\u003c/script>\","
              "\"tilePath\":\"Images/{level}-{column}-{row}.jpg\",\"tileSize\":256,\"overlap\":0,"
              "\"levels\":[[500,400],[1000,800]]}</script>{{unknown}} {{");

    DescriptorValues quiet = Values();
    quiet.music = false;
    quiet.showSlider = quiet.showPanButtons = true;
    quiet.showNav = quiet.clickToZoom = false;
    page = kerfel::ViewerPageHtml("{{job}}", quiet, "");
    EXPECT_NE(page.find("\"showNav\":false,\"showSlider\":true,\"showpanButtons\":true,\"clicktoLorvak\":false"),
              std::string::npos) << page;
    EXPECT_NE(page.find("\"soundURL\":\"\","), std::string::npos) << page;
}

// The job folder must work on its own, copied anywhere or opened from disk.
TEST_F(ViewerSite, ShippedPageLoadsOnlyRelativeFilesThatTheJobFolderHolds) {
    ASSERT_TRUE(fs::exists(fs::path(BuiltViewer()) / "openseadragon.min.js"))
        << "the viewer's library is missing; run scripts/setup";
    kerfel::Status s = kerfel::WriteViewerSiteFrom(BuiltViewer(), job.string(), Values(), "Harbour & Dock");
    ASSERT_TRUE(s.ok()) << s.message;

    const std::string page = Read(job / kerfel::kViewerPageName);
    EXPECT_NE(page.find("<title>Harbour &amp; Dock</title>"), std::string::npos);
    EXPECT_EQ(page.find("{{"), std::string::npos) << "a placeholder was left unfilled";
    const std::regex ref(R"re((?:src|href)="([^"]*)")re");
    int refs = 0;
    for (std::sregex_iterator it(page.begin(), page.end(), ref), end; it != end; ++it, ++refs) {
        std::string target = (*it)[1];
        if (target.rfind("data:", 0) == 0) continue;
        EXPECT_EQ(target.find(':'), std::string::npos) << target << " is not relative";
        EXPECT_NE(target.front(), '/') << target << " is not relative";
        EXPECT_TRUE(fs::is_regular_file(job / target)) << target << " is missing from the job folder";
    }
    EXPECT_GE(refs, 3);
    EXPECT_EQ(page.find(root.string()), std::string::npos) << "the page names a local path";

    // Real files, not links into the build or install folder.
    for (const auto& e : fs::recursive_directory_iterator(job / kerfel::kViewerAssetsFolder))
        EXPECT_FALSE(e.is_symlink()) << e.path();
    EXPECT_TRUE(fs::is_regular_file(job / "viewer" / "images" / "zoomin_rest.png"));
}

// What generation, Preview and Export call: it finds the viewer by itself,
// here from a test program in the build tree.
TEST_F(ViewerSite, FindsTheToolsOwnViewerFiles) {
    kerfel::Status s = kerfel::WriteViewerSite(job.string(), Values(), "Harbour & Dock");
    ASSERT_TRUE(s.ok()) << s.message;
    EXPECT_EQ(Read(job / "viewer" / "kerfel-viewer.js"), Read(fs::path(BuiltViewer()) / "kerfel-viewer.js"));
}

TEST_F(ViewerSite, RewritingReplacesThePageAndLeavesTheJobAlone) {
    const fs::path viewer = FakeViewer();
    ASSERT_TRUE(kerfel::WriteViewerSiteFrom(viewer.string(), job.string(), Values(), "a").ok());
    Write(job / "viewer" / "kerfel-viewer.js", "stale");
    DescriptorValues changed = Values();
    changed.showSlider = true;
    ASSERT_TRUE(kerfel::WriteViewerSiteFrom(viewer.string(), job.string(), changed, "b").ok());

    const std::string page = Read(job / "index.html");
    EXPECT_NE(page.find("<title>b</title>"), std::string::npos);
    EXPECT_NE(page.find("\"showSlider\":true"), std::string::npos);
    EXPECT_EQ(Read(job / "viewer" / "kerfel-viewer.js"), "kerfel-viewer.js");
    EXPECT_EQ(Read(job / "viewer" / "images" / "zoomin.png"), "images/zoomin.png");
    EXPECT_EQ(Read(job / "ImageKerfel.xml"), "<Images/>");
    EXPECT_EQ(Read(job / "Images" / "0-0-0.jpg"), "tile");
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(job)) names.push_back(e.path().filename().string());
    // No temporary is left, and any a killed job leaves is hidden, so no archive packs it.
    EXPECT_EQ(std::count_if(names.begin(), names.end(), [](const std::string& n) { return n.starts_with("."); }), 0);
}

TEST_F(ViewerSite, FailuresAreReportedAndLeaveNoPageBehind) {
    const fs::path viewer = FakeViewer();

    kerfel::Status s = kerfel::WriteViewerSiteFrom(viewer.string(), (root / "gone").string(), Values(), "a");
    EXPECT_EQ(s.fault, Fault::BadInput);
    EXPECT_NE(s.message.find("gone"), std::string::npos);
    EXPECT_FALSE(fs::exists(root / "gone"));

    // A broken installation: nothing is written, and the message names the file.
    fs::remove(viewer / "openseadragon.min.js");
    s = kerfel::WriteViewerSiteFrom(viewer.string(), job.string(), Values(), "a");
    EXPECT_EQ(s.fault, Fault::OutputFailed);
    EXPECT_NE(s.message.find("openseadragon.min.js"), std::string::npos) << s.message;
    EXPECT_FALSE(fs::exists(job / "index.html"));
    EXPECT_FALSE(fs::exists(job / "viewer"));
    fs::remove(viewer / "page.html");
    s = kerfel::WriteViewerSiteFrom(viewer.string(), job.string(), Values(), "a");
    EXPECT_EQ(s.fault, Fault::OutputFailed);
    EXPECT_NE(s.message.find("page.html"), std::string::npos) << s.message;

    // Something in the way of the assets folder or of the page.
    const fs::path good = FakeViewer();
    Write(job / "viewer", "a file");
    s = kerfel::WriteViewerSiteFrom(good.string(), job.string(), Values(), "a");
    EXPECT_EQ(s.fault, Fault::OutputFailed);
    EXPECT_FALSE(fs::exists(job / "index.html"));
    fs::remove(job / "viewer");
    fs::create_directories(job / "index.html" / "inside");
    s = kerfel::WriteViewerSiteFrom(good.string(), job.string(), Values(), "a");
    EXPECT_EQ(s.fault, Fault::OutputFailed);
    EXPECT_NE(s.message.find("index.html"), std::string::npos) << s.message;
    for (const auto& e : fs::directory_iterator(job)) EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
}

}  // namespace
