#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "app/settings_store.h"

using kerfel::SettingsStore;
namespace fs = std::filesystem;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

struct SettingsStoreTest : ::testing::Test {
    std::string root;
    std::string folder;
    std::string path;
    void SetUp() override {
        char tmpl[] = "/tmp/kerfel-settings-XXXXXX";
        root = mkdtemp(tmpl);
        folder = root + "/Lorvak Image Kerfel";
        path = folder + "/settings.ini";
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root, ec);
    }
    // A store whose file exists with the given text.
    SettingsStore Prepared(const std::string& text) {
        fs::create_directories(folder);
        WriteFile(path, text);
        SettingsStore s(path);
        EXPECT_TRUE(s.Open());
        return s;
    }
    int FilesInFolder() {
        int n = 0;
        for ([[maybe_unused]] auto& e : fs::directory_iterator(folder)) ++n;
        return n;
    }
};

}  // namespace

TEST(SettingsStorePath, FollowsXdgConfigHomeAndFallsBackToHome) {
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    std::string saved = oldXdg ? oldXdg : "";
    const char* home = std::getenv("HOME");
    setenv("XDG_CONFIG_HOME", "/srv/conf", 1);
    EXPECT_EQ(SettingsStore::DefaultPath(), "/srv/conf/Lorvak Image Kerfel/settings.ini");
    // A relative or empty XDG_CONFIG_HOME is ignored, as the XDG rules say.
    for (const char* ignored : {"relative/conf", ""}) {
        setenv("XDG_CONFIG_HOME", ignored, 1);
        if (home && home[0] == '/') {
            EXPECT_EQ(SettingsStore::DefaultPath(), std::string(home) + "/.config/Lorvak Image Kerfel/settings.ini");
        }
    }
    if (oldXdg) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
}

TEST_F(SettingsStoreTest, AMissingStoreNeitherOpensNorIsCreatedByReadsOrWrites) {
    SettingsStore s(path);
    EXPECT_FALSE(s.Open());
    std::string text;
    uint32_t n = 7;
    EXPECT_FALSE(s.ReadString("OutputPath", text));
    EXPECT_FALSE(s.ReadInt("SmallMap", n));
    EXPECT_EQ(n, 7u);
    EXPECT_FALSE(s.WriteInt("SmallMap", 1));
    EXPECT_FALSE(s.WriteString("OutputPath", "/x"));
    EXPECT_FALSE(fs::exists(folder));

    EXPECT_TRUE(s.CreateIfMissing());
    EXPECT_TRUE(fs::is_regular_file(path));
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_FALSE(s.ReadInt("SmallMap", n));
    // Creating again keeps what is there.
    ASSERT_TRUE(s.WriteInt("SmallMap", 1));
    EXPECT_TRUE(SettingsStore(path).CreateIfMissing());
    EXPECT_EQ(ReadFile(path), "SmallMap=1\n");
    EXPECT_FALSE(SettingsStore("").CreateIfMissing());
}

TEST_F(SettingsStoreTest, StringsAndIntegersRoundTripAsNameValueLines) {
    SettingsStore s = Prepared("");
    const std::string longPath = "/home/ann/" + std::string(3000, 'x') + "/Bilder Übersicht/写真 é";
    ASSERT_TRUE(s.WriteString("OutputPath", longPath));
    ASSERT_TRUE(s.WriteInt("SmallMap", 1));
    ASSERT_TRUE(s.WriteInt("ZoomSlider", 256));
    ASSERT_TRUE(s.WriteInt("ClickToZoom", 0xFFFFFFFFu));
    ASSERT_TRUE(s.WriteString("Language", ""));
    ASSERT_TRUE(s.WriteInt("SmallMap", 0));  // replaces, never duplicates

    EXPECT_EQ(ReadFile(path), "OutputPath=" + longPath + "\nSmallMap=0\nZoomSlider=256\nClickToZoom=4294967295\nLanguage=\n");
    SettingsStore again(path);
    ASSERT_TRUE(again.Open());
    std::string text;
    uint32_t n = 99;
    EXPECT_TRUE(again.ReadString("OutputPath", text));
    EXPECT_EQ(text, longPath);
    EXPECT_TRUE(again.ReadString("Language", text));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(again.ReadInt("SmallMap", n));
    EXPECT_EQ(n, 0u);
    EXPECT_TRUE(again.ReadInt("ClickToZoom", n));
    EXPECT_EQ(n, 0xFFFFFFFFu);
    EXPECT_FALSE(again.ReadInt("NavigationScroll", n));
    // Names match without regard to case, as registry value names do.
    EXPECT_TRUE(again.ReadInt("zoomslider", n));
    EXPECT_EQ(n, 256u);
    ASSERT_TRUE(again.WriteInt("ZOOMSLIDER", 1));
    EXPECT_EQ(ReadFile(path), "OutputPath=" + longPath + "\nSmallMap=0\nZOOMSLIDER=1\nClickToZoom=4294967295\nLanguage=\n");
}

TEST_F(SettingsStoreTest, LineBreaksAndBackslashesInValuesCannotForgeLines) {
    SettingsStore s = Prepared("");
    const std::string tricky = "/tmp/a\nSmallMap=1\r\nb\\n\\";
    ASSERT_TRUE(s.WriteString("OutputPath", tricky));
    EXPECT_EQ(ReadFile(path), "OutputPath=/tmp/a\\nSmallMap=1\\r\\nb\\\\n\\\\\n");
    uint32_t n;
    EXPECT_FALSE(s.ReadInt("SmallMap", n));
    std::string back;
    ASSERT_TRUE(s.ReadString("OutputPath", back));
    EXPECT_EQ(back, tricky);
    // Values with "=" and outer spaces are kept exactly.
    ASSERT_TRUE(s.WriteString("Language", " a=b "));
    ASSERT_TRUE(s.ReadString("Language", back));
    EXPECT_EQ(back, " a=b ");
}

TEST_F(SettingsStoreTest, BadNamesAndNonTextValuesAreRefusedAndChangeNothing) {
    SettingsStore s = Prepared("SmallMap=1\n");
    EXPECT_FALSE(s.WriteInt("", 1));
    EXPECT_FALSE(s.WriteInt("Small=Map", 1));
    EXPECT_FALSE(s.WriteInt("Small\nMap", 1));
    EXPECT_FALSE(s.WriteString("OutputPath", std::string("/a\0b", 4)));
    EXPECT_FALSE(s.WriteString("OutputPath", "/caf\xE9"));  // Latin-1, not UTF-8
    EXPECT_EQ(ReadFile(path), "SmallMap=1\n");
}

TEST_F(SettingsStoreTest, HandEditedFilesReadSensiblyAndKeepTheirOtherLines) {
    SettingsStore s = Prepared(
        "\xEF\xBB\xBFSmallMap=1\r\n"
        "# my settings\r\n"
        "  ZoomSlider  = 7 \r\n"
        "Unknown=keep me\n"
        "Bad=\xFF\xFE\n"
        "SmallMap=257\n"
        "=orphan\n"
        "ClickToZoom=0x10\n"
        "NavigationScroll=+1\n"
        "OutputPath=C:\\temp");
    uint32_t n = 0;
    EXPECT_TRUE(s.ReadInt("SmallMap", n));  // the later line wins
    EXPECT_EQ(n, 257u);
    EXPECT_TRUE(s.ReadInt("ZoomSlider", n));
    EXPECT_EQ(n, 7u);
    EXPECT_FALSE(s.ReadInt("ClickToZoom", n));
    EXPECT_FALSE(s.ReadInt("NavigationScroll", n));
    std::string text;
    EXPECT_FALSE(s.ReadString("Bad", text));
    EXPECT_TRUE(s.ReadString("OutputPath", text));
    EXPECT_EQ(text, "C:\\temp");  // an unknown escape stands as written

    ASSERT_TRUE(s.WriteInt("SmallMap", 0));
    EXPECT_EQ(ReadFile(path),
              "SmallMap=0\n"
              "# my settings\r\n"
              "  ZoomSlider  = 7 \r\n"
              "Unknown=keep me\n"
              "Bad=\xFF\xFE\n"
              "=orphan\n"
              "ClickToZoom=0x10\n"
              "NavigationScroll=+1\n"
              "OutputPath=C:\\temp\n");
}

TEST_F(SettingsStoreTest, IntegersOutOfRangeOrMalformedReadAsAbsent) {
    SettingsStore s = Prepared("A=4294967296\nB=-1\nC=-2147483648\nD=-2147483649\nE=\nF=1 2\nG=12abc\n");
    uint32_t n = 5;
    EXPECT_FALSE(s.ReadInt("A", n));
    EXPECT_TRUE(s.ReadInt("B", n));
    EXPECT_EQ(n, 0xFFFFFFFFu);
    EXPECT_TRUE(s.ReadInt("C", n));
    EXPECT_EQ(n, 0x80000000u);
    for (const char* bad : {"D", "E", "F", "G"}) EXPECT_FALSE(s.ReadInt(bad, n)) << bad;
}

TEST(SettingsOptionState, OnlyTheLowestByteIsTheCheckState) {
    EXPECT_FALSE(kerfel::OptionChecked(0));
    EXPECT_TRUE(kerfel::OptionChecked(1));
    EXPECT_FALSE(kerfel::OptionChecked(256));
    EXPECT_TRUE(kerfel::OptionChecked(257));
    EXPECT_FALSE(kerfel::OptionChecked(0xFFFFFF00u));
    EXPECT_TRUE(kerfel::OptionChecked(0xFFu));
}

TEST_F(SettingsStoreTest, OnlyAnExistingFolderIsRestorable) {
    fs::create_directories(folder);
    WriteFile(path, "");
    EXPECT_TRUE(kerfel::IsRestorableFolder(folder));
    EXPECT_FALSE(kerfel::IsRestorableFolder(path));
    EXPECT_FALSE(kerfel::IsRestorableFolder(folder + "/gone"));
    EXPECT_FALSE(kerfel::IsRestorableFolder(""));
}

TEST_F(SettingsStoreTest, CorruptFilesReadAsAbsentAndAWriteKeepsThemAside) {
    static const char kBinary[] = "SmallMap=1\n\0\x01\x02ZoomSlider=1\n";
    std::string binary(kBinary, sizeof kBinary - 1);
    std::string huge = "SmallMap=1\n" + std::string(2 << 20, 'z') + "\n";
    for (const std::string& content : {binary, huge}) {
        SettingsStore s = Prepared(content);
        uint32_t n;
        EXPECT_FALSE(s.ReadInt("SmallMap", n));
        EXPECT_FALSE(s.ReadInt("ZoomSlider", n));
        ASSERT_TRUE(s.WriteInt("ClickToZoom", 1));
        EXPECT_EQ(ReadFile(path), "ClickToZoom=1\n");
        EXPECT_EQ(ReadFile(path + kerfel::kCorruptSuffix), content);
        // Once the file is ours again, later writes leave the kept bytes alone.
        ASSERT_TRUE(s.WriteInt("SmallMap", 1));
        EXPECT_EQ(ReadFile(path + kerfel::kCorruptSuffix), content);
    }
}

TEST_F(SettingsStoreTest, AStoreThatCannotBeWrittenDoesNotOpen) {
    // The folder is a file.
    WriteFile(root + "/notafolder", "");
    SettingsStore underFile(root + "/notafolder/settings.ini");
    EXPECT_FALSE(underFile.CreateIfMissing());
    // The file is a folder.
    fs::create_directories(path);
    SettingsStore s(path);
    EXPECT_FALSE(s.CreateIfMissing());
    EXPECT_FALSE(s.WriteInt("SmallMap", 1));
    fs::remove(path);

    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    SettingsStore ro = Prepared("SmallMap=1\n");
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_FALSE(ro.Open());
    std::string text;
    EXPECT_FALSE(ro.ReadString("SmallMap", text));  // nothing is read either
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(ro.Open());
}

TEST_F(SettingsStoreTest, WritesReplaceTheFileAtomicallyAndKeepItsModeAndLink) {
    SettingsStore s = Prepared("SmallMap=1\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    struct stat before {}, after {};
    ::stat(path.c_str(), &before);
    ASSERT_TRUE(s.WriteInt("ZoomSlider", 1));
    ::stat(path.c_str(), &after);
    EXPECT_NE(before.st_ino, after.st_ino);  // a new file was renamed into place
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(FilesInFolder(), 1);  // no temporary file left behind

    // A linked settings file stays a link; the target gets the bytes.
    std::string real = root + "/real.ini";
    fs::rename(path, real);
    fs::create_symlink(real, path);
    SettingsStore linked(path);
    ASSERT_TRUE(linked.Open());
    ASSERT_TRUE(linked.WriteInt("ClickToZoom", 1));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(ReadFile(real), "SmallMap=1\nZoomSlider=1\nClickToZoom=1\n");
}

TEST_F(SettingsStoreTest, AWriteThatFailsHalfWayLeavesTheOldFileWhole) {
    SettingsStore s = Prepared("SmallMap=1\nOutputPath=/home/ann\n");
    // A file-size limit makes the disk "full" after 64 bytes, even for root.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool wrote = s.WriteString("OutputPath", "/" + std::string(500, 'p'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(wrote);
    EXPECT_EQ(ReadFile(path), "SmallMap=1\nOutputPath=/home/ann\n");
    EXPECT_EQ(FilesInFolder(), 1);
    std::string text;
    EXPECT_TRUE(s.ReadString("OutputPath", text));
    EXPECT_EQ(text, "/home/ann");
}

TEST_F(SettingsStoreTest, WritersRunningAtOnceKeepEachOthersValues) {
    Prepared("");
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([this, t] {
            SettingsStore s(path);
            ASSERT_TRUE(s.Open());
            for (uint32_t i = 0; i < 25; ++i) ASSERT_TRUE(s.WriteInt("Value" + std::to_string(t * 25 + i), i));
        });
    }
    for (auto& w : writers) w.join();
    SettingsStore s(path);
    ASSERT_TRUE(s.Open());
    for (int n = 0; n < 100; ++n) {
        uint32_t v = 99;
        EXPECT_TRUE(s.ReadInt("Value" + std::to_string(n), v)) << n;
        EXPECT_EQ(v, uint32_t(n % 25));
    }
}
