// The command line as Unix tools are: help on stdout, a version, new options
// checked where they are parsed.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/version.h"
#include "cli/cli_spec.h"
#include "cli_run.h"
#include "i18n/version_text.h"

TEST(CommandLineHelp, HelpAndVersionGoToStdoutWithStatusZero) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"help", "make"}, {"make", "--help"}, {"make", "-h"}}) {
        clitest::Result r = clitest::Run(args);
        EXPECT_EQ(r.status, 0) << args[0];
        EXPECT_TRUE(r.err.empty()) << r.err;
        EXPECT_NE(r.out.find("--memory-limit SIZE"), std::string::npos) << r.out;
    }
    clitest::Result exp = clitest::Run({"export", "--help"});
    EXPECT_NE(exp.out.find("--root FOLDER"), std::string::npos) << exp.out;
    clitest::Result all = clitest::Run({"help"});
    EXPECT_EQ(all.status, 0);
    for (const char* word : {"kerfel info", "kerfel make", "kerfel export", "kerfel PHOTO.jpg", "--version"})
        EXPECT_NE(all.out.find(word), std::string::npos) << word;

    clitest::Result version = clitest::Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("kerfel ") + kerfel::ProgramVersion() + "\n");

    clitest::Result unknown = clitest::Run({"help", "frobnicate"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(unknown.out.empty());
}

TEST(CommandLineHelp, UsageErrorsAreOneLineNamingTheOptionThenTheUsage) {
    struct Case {
        std::vector<std::string> args;
        const char* named;
    } cases[] = {
        {{"make", "a.jpg", "out", "--threads", "-1"}, "--threads"},
        {{"make", "a.jpg", "out", "--threads", "5000"}, "--threads"},
        {{"make", "a.jpg", "out", "--memory-limit", "lots"}, "--memory-limit"},
        {{"make", "a.jpg", "out", "--levels", "+2"}, "--levels"},
        {{"make", "a.jpg", "out", "--layout", "Kerfel"}, "--layout"},
        {{"info", "a.jpg", "--layout", ""}, "--layout"},
        {{"make", "a.jpg", "out", "--layout", "iiif3", "--id", "example.org/iiif/a"}, "--id"},
        {{"make", "a.jpg", "out", "--layout", "iiif2", "--id", "ftp://example.org/a"}, "--id"},
        {{"make", "a.jpg", "out", "--layout", "iiif3", "--id", "https:///a"}, "--id"},
        {{"make", "a.jpg", "out", "--layout", "iiif3", "--id", "https://example.org/a b"}, "--id"},
        {{"export", "job", "a.zip", "--root", ""}, "--root"},
    };
    for (const Case& c : cases) {
        clitest::Result r = clitest::Run(c.args);
        EXPECT_EQ(r.status, 1) << c.named;
        const std::string first = r.err.substr(0, r.err.find('\n'));
        EXPECT_EQ(first.rfind("kerfel " + c.args[0] + ": ", 0), 0u) << first;
        EXPECT_NE(first.find(c.named), std::string::npos) << first;
        EXPECT_EQ(r.err.substr(first.size()), "\nTry 'kerfel help " + c.args[0] + "'.\n");
    }
}

TEST(CommandLineHelp, SynopsisListsArgumentsThenOptionsWrapped) {
    auto make = kerfel::CommandParser("make");
    const std::string text = kerfel::Synopsis(*make);
    EXPECT_EQ(text.rfind("kerfel make IMAGE.jpg OUTPUT_FOLDER [--levels K] [--small-map]", 0), 0u) << text;
    EXPECT_NE(text.find("[--threads N] [--memory-limit SIZE]\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("--help"), std::string::npos);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        EXPECT_LE(end - start, 100u);
        if (start > 0) {
            EXPECT_EQ(text.compare(start, 12, std::string(12, ' ')), 0);  // under the first argument
        }
        start = end + 1;
    }
    EXPECT_EQ(kerfel::CommandParser("frobnicate"), nullptr);
}

TEST(ByteSize, UnitsArePowersOf1024AndNonsenseIsRefused) {
    const std::pair<const char*, unsigned long long> good[] = {
        {"0", 0},          {"300000000", 300000000}, {"512M", 512ULL << 20}, {"4G", 4ULL << 30},
        {"4g", 4ULL << 30}, {"64KiB", 64ULL << 10},  {"2TB", 2ULL << 40},    {"17B", 17},
        {"8388608T", 1ULL << 63},
    };
    for (const auto& [text, bytes] : good) {
        unsigned long long got = 1;
        EXPECT_TRUE(kerfel::ParseByteSize(text, got)) << text;
        EXPECT_EQ(got, bytes) << text;
    }
    for (const char* bad : {"", "G", "-1G", "1.5G", "4 G", "4GG", "4P", "8388609T", "99999999999999999999",
                            "0x10"}) {
        unsigned long long got = 7;
        EXPECT_FALSE(kerfel::ParseByteSize(bad, got)) << bad;
        EXPECT_EQ(got, 7u) << bad;
    }
}

TEST(VersionLine, TheLanguageFilesWordsWithTheProgramsNumber) {
    EXPECT_EQ(kerfel::VersionLine("Version 1.0", "2.3.1"), "Version 2.3.1");
    EXPECT_EQ(kerfel::VersionLine("Versión 0.9 ", "2.3"), "Versión 2.3");
    EXPECT_EQ(kerfel::VersionLine("Version", "2.3"), "Version 2.3");
    EXPECT_EQ(kerfel::VersionLine("1.0", "2.3"), "2.3");
    EXPECT_EQ(kerfel::VersionLine("Build 1.0b", "2.3"), "Build 1.0b 2.3");
    EXPECT_EQ(kerfel::VersionLine("", "2.3"), "");
}
