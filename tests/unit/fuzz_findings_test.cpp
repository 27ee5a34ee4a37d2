// Inputs the fuzz targets (tests/fuzz) found to break a reader, kept as
// plain tests so the normal suite guards the fixes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/settings_store.h"

namespace fs = std::filesystem;

namespace {

struct ScratchSettings : ::testing::Test {
    std::string folder, path;
    void SetUp() override {
        char tmpl[] = "/tmp/kerfel-findings-XXXXXX";
        folder = mkdtemp(tmpl);
        path = folder + "/settings.ini";
    }
    void TearDown() override { fs::remove_all(folder); }
    void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string Read() {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
};

}  // namespace

// A name that begins with a byte-order mark was accepted, and when its line
// became the file's first (a damaged file is started afresh) the mark was
// read as the file's own and the value was lost while the write said it
// succeeded.
TEST_F(ScratchSettings, ANameStartingWithAByteOrderMarkIsRefusedNotLost) {
    const std::string bom = "\xEF\xBB\xBF";
    for (const std::string& text : {std::string("Damaged\0=x\n", 11), std::string("Other=1\n")}) {
        Write(text);
        kerfel::SettingsStore store(path);
        ASSERT_TRUE(store.Open());
        EXPECT_FALSE(store.WriteString(bom + "OutputFolder", "/srv/out"));
        EXPECT_EQ(Read(), text);
        // The same name without the mark is an ordinary name.
        ASSERT_TRUE(store.WriteString("OutputFolder", "/srv/out"));
        std::string back;
        EXPECT_TRUE(store.ReadString("OutputFolder", back));
        EXPECT_EQ(back, "/srv/out");
    }
}
