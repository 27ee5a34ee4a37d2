#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/settings_store.h"
#include "i18n/language_choice.h"

namespace fs = std::filesystem;
using kerfel::ChooseLanguageFile;
using kerfel::LanguageChoice;
using kerfel::SettingsStore;

namespace {

struct LanguageChoiceTest : ::testing::Test {
    fs::path root;
    std::string app;
    std::string settings;
    // A listed "English" can never be chosen: the built-in one comes first.
    std::vector<std::string> list{"Deutsch", "deu.txt", "Français", "fra.txt", "Deutsch", "deu-ch.txt",
                                  "English", "fra.txt"};
    int asked = 0;
    std::string answer;

    void SetUp() override {
        root = fs::temp_directory_path() /
               ("kerfel-choice-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        app = (root / "app").string();
        fs::create_directories(app + "/LanguageFiles");
        for (const char* f : {"eng.txt", "deu.txt", "fra.txt", "deu-ch.txt"}) std::ofstream(app + "/LanguageFiles/" + f);
        settings = (root / "config" / "settings.ini").string();
    }
    void TearDown() override { fs::remove_all(root); }

    // A store that opens, remembering `value` when given.
    SettingsStore Store(const std::string* value = nullptr) {
        SettingsStore store(settings);
        EXPECT_TRUE(store.CreateIfMissing());
        if (value) {
            EXPECT_TRUE(store.WriteString("Language", *value));
        }
        return store;
    }
    LanguageChoice Choose(SettingsStore& store) {
        return ChooseLanguageFile(store, app, list, [this] {
            ++asked;
            return answer;
        });
    }
    std::string Remembered() {
        SettingsStore store(settings);
        std::string value;
        return store.Open() && store.ReadString("Language", value) ? value : "<nothing>";
    }
    std::string Path(const std::string& file) { return app + "/LanguageFiles/" + file; }
};

}  // namespace

TEST_F(LanguageChoiceTest, NothingRememberedTakesEnglishWithoutAskingAndRemembersIt) {
    SettingsStore store = Store();
    LanguageChoice c = Choose(store);
    EXPECT_EQ(c.m_strPath, Path("eng.txt"));
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(c.m_bWriteFailed);
    EXPECT_EQ(Remembered(), Path("eng.txt"));
}

TEST_F(LanguageChoiceTest, AStoreThatDoesNotOpenGivesEnglishAndRemembersNothing) {
    SettingsStore store(settings);  // no file: it does not open
    LanguageChoice c = Choose(store);
    EXPECT_EQ(c.m_strPath, Path("eng.txt"));
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(c.m_bWriteFailed);
    EXPECT_FALSE(fs::exists(settings));
}

TEST_F(LanguageChoiceTest, ARememberedFileThatExistsIsTakenAndWrittenAgain) {
    std::string fra = Path("fra.txt");
    SettingsStore store = Store(&fra);
    LanguageChoice c = Choose(store);
    EXPECT_EQ(c.m_strPath, fra);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(Remembered(), fra);
}

TEST_F(LanguageChoiceTest, ARememberedFileThatIsGoneAsksAndRemembersTheAnswer) {
    struct Case {
        const char* answer;
        std::string expected;
    };
    const Case cases[] = {
        {"English", "eng.txt"},
        {"Français", "fra.txt"},
        {"Deutsch", "deu-ch.txt"},  // of two equal names the later one
        {"Klingon", "eng.txt"},     // typed, not in the list
        {"", "eng.txt"},
        {"deutsch", "eng.txt"},     // names compare exactly
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.answer);
        std::string gone = Path("removed.txt");
        SettingsStore store = Store(&gone);
        answer = k.answer;
        asked = 0;
        LanguageChoice c = Choose(store);
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(c.m_bAsked);
        EXPECT_EQ(c.m_strPath, Path(k.expected));
        EXPECT_EQ(Remembered(), Path(k.expected));
    }
}

TEST_F(LanguageChoiceTest, AnEmptyPathOrAFolderCountsAsGone) {
    for (std::string remembered : {std::string(), app + "/LanguageFiles"}) {
        SettingsStore store = Store(&remembered);
        answer = "Français";
        asked = 0;
        EXPECT_EQ(Choose(store).m_strPath, Path("fra.txt"));
        EXPECT_EQ(asked, 1);
    }
}

TEST_F(LanguageChoiceTest, AByteOrderMarkInTheFirstNameStillMatches) {
    list = {"\xEF\xBB\xBF" "Deutsch", "deu.txt"};
    std::string gone = Path("removed.txt");
    SettingsStore store = Store(&gone);
    answer = "\xEF\xBB\xBF" "Deutsch";  // the chooser shows and returns it as listed
    EXPECT_EQ(Choose(store).m_strPath, Path("deu.txt"));
}

TEST_F(LanguageChoiceTest, ANameThatLeavesTheLanguageFolderGivesEnglish) {
    list = {"Up", "../../secret.txt", "Abs", "/etc/passwd", "Empty", "", "Dot", ".", "Here", "deu.txt"};
    for (const char* name : {"Up", "Abs", "Empty", "Dot"}) {
        SCOPED_TRACE(name);
        std::string gone = Path("removed.txt");
        SettingsStore store = Store(&gone);
        answer = name;
        EXPECT_EQ(Choose(store).m_strPath, Path("eng.txt"));
    }
    EXPECT_EQ(kerfel::LanguagePath(app, "deu.txt"), Path("deu.txt"));
    EXPECT_EQ(kerfel::LanguagePath(app, "sub/deu.txt"), "");
    EXPECT_TRUE(kerfel::IsPlainFileName("eng.html"));
    EXPECT_FALSE(kerfel::IsPlainFileName(".."));
}
