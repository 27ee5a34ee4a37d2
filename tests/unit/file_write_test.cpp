#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "base/file_write.h"
#include "generator_test_util.h"

using namespace kerfel;

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

mode_t UmaskMode() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

// New files (written unnamed, then linked) and replaced ones (through a
// hidden temporary) end the same way: whole, with the umask's mode, and
// nothing else left in the folder.
TEST(ReplaceFile, NewAndReplacedFilesAreWholeWithTheUmasksModeAndNothingBeside) {
    const std::string dir = gentest::TempFolder();
    const std::string a = dir + "/a.jpg", b = dir + "/b.xml";
    ASSERT_TRUE(ReplaceFile(a, "first", 5).ok());
    ASSERT_TRUE(ReplaceFile(b, "", 0).ok());
    EXPECT_EQ(gentest::ReadAll(a), "first");
    EXPECT_EQ(gentest::ReadAll(b), "");
    EXPECT_EQ(ModeOf(a), UmaskMode());

    ::chmod(a.c_str(), 0600);
    const std::string longer(100000, 'x');
    ASSERT_TRUE(ReplaceFile(a, longer.data(), longer.size()).ok());
    EXPECT_EQ(gentest::ReadAll(a), longer);
    EXPECT_EQ(ModeOf(a), UmaskMode());

    ReplaceOptions keep;
    keep.keepMode = true;
    ::chmod(b.c_str(), 0640);
    ASSERT_TRUE(ReplaceFile(b, "kept", 4, keep).ok());
    EXPECT_EQ(ModeOf(b), 0640u);
    keep.durable = true;
    ASSERT_TRUE(ReplaceFile(dir + "/c", "new", 3, keep).ok());
    EXPECT_EQ(ModeOf(dir + "/c"), 0600u);  // newFileMode

    EXPECT_EQ(gentest::Names(dir), (std::set<std::string>{"a.jpg", "b.xml", "c"}));
    std::filesystem::remove_all(dir);
}

TEST(ReplaceFile, AFailureNamesTheFileAndLeavesNothing) {
    const std::string dir = gentest::TempFolder();
    Status s = ReplaceFile(dir + "/missing/0.jpg", "lost", 4);
    EXPECT_EQ(s.fault, Fault::OutputFailed);
    EXPECT_NE(s.message.find("missing/0.jpg"), std::string::npos) << s.message;
    std::filesystem::create_directory(dir + "/taken");
    s = ReplaceFile(dir + "/taken", "x", 1);  // a folder is in the way
    EXPECT_EQ(s.fault, Fault::OutputFailed);
    EXPECT_EQ(gentest::Names(dir), (std::set<std::string>{"taken"}));
    std::filesystem::remove_all(dir);
}

}  // namespace
