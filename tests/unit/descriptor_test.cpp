#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/descriptor.h"
#include "engine/generator.h"
#include "publish/job_files.h"
#include "generator_test_util.h"

using namespace kerfel;

namespace {

using gentest::ReadAll;

TEST(Descriptor, BytesFollowTheAttributeOrderAndSpelling) {
    TilePyramid p = TilePyramid::Build(NativeLayout(), 1000, 800);
    DescriptorValues v = DescribePyramid(p, 1);
    EXPECT_EQ(DescriptorXml(v),
              "<Images Width=\"1000\" Height=\"800\" Tiles=\"22\" Copyright=\"(c) Lorvak Image Kerfel\" "
              "viewHeight=\"800\" viewWidth=\"1000\" showNav=\"0\" showSlider=\"0\" showpanButtons=\"0\" "
              "clicktoLorvak=\"0\" soundURL=\"\"/>");
    v = DescribePyramid(p, 3);
    v.showSlider = true;
    v.showPanButtons = true;
    const std::string xml = DescriptorXml(v);
    EXPECT_NE(xml.find("viewHeight=\"200\" viewWidth=\"250\" showNav=\"0\" showSlider=\"1\" showpanButtons=\"1\""),
              std::string::npos);
    EXPECT_EQ(xml.back(), '>');
}

TEST(Descriptor, RewritesAreAtomicAndDifferOnlyInWhatChanged) {
    const std::string dir = gentest::TempFolder();
    const std::string path = dir + "/ImageKerfel.xml";
    DescriptorValues v = DescribePyramid(TilePyramid::Build(NativeLayout(), 1000, 800), 2);
    ASSERT_TRUE(WriteDescriptorFiles(dir, v).ok());
    const std::string first = ReadAll(path);
    v.showNav = true;
    ASSERT_TRUE(WriteDescriptorFiles(dir, v).ok());
    const std::string second = ReadAll(path);
    ASSERT_EQ(first.size(), second.size());
    size_t diffs = 0;
    for (size_t i = 0; i < first.size(); ++i) diffs += first[i] != second[i];
    EXPECT_EQ(diffs, 1u);
    EXPECT_NE(second.find("showNav=\"1\""), std::string::npos);
    EXPECT_EQ(gentest::Names(dir), std::set<std::string>{"ImageKerfel.xml"});  // no temporary left
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0444, 0444u);  // readable by a web server

    // A failed write keeps the old file whole and names the path.
    Status s = WriteDescriptorFiles(dir + "/missing", v);
    EXPECT_EQ(s.fault, Fault::OutputFailed);
    EXPECT_NE(s.message.find(dir + "/missing/ImageKerfel.xml"), std::string::npos);
    std::filesystem::remove_all(dir);
}

}  // namespace
