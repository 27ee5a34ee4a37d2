// The generation worker looks texts up while the Help menu replaces the
// table. Built a second time under ThreadSanitizer (target
// language_table_tsan_test), where an overlap shows as a reported race.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "i18n/language_list.h"
#include "i18n/language_table.h"
#include "base/utf8.h"

namespace {

std::u16string Table(const std::string& status, int filler) {
    // Large enough that a lookup is still scanning when a swap happens.
    std::string text;
    for (int i = 0; i < filler; ++i) text += "FILLER." + std::to_string(i) + "=some text\r\n";
    text += "KERFELDIALOG.GENERATETAILS.STATICTEXT_GXML=" + status + "\r\n";
    return kerfel::Utf8ToUtf16(text);
}

}  // namespace

TEST(LanguageTableThreads, LookupsDuringReplacementsSeeOneWholeTable) {
    const std::u16string english = Table("Writing the descriptor...", 400);
    const std::u16string german = Table("Beschreibung wird geschrieben...", 50);
    kerfel::SetLanguageTable(english);

    std::atomic<bool> stop{false};
    std::atomic<int> lookups{0}, torn{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 3; ++w) {
        workers.emplace_back([&] {
            while (!stop) {
                std::string t = kerfel::GetLanguageText("KERFELDIALOG.GENERATETAILS.STATICTEXT_GXML");
                // Empty while the table of a missing file is in place.
                if (!t.empty() && t != "Writing the descriptor..." && t != "Beschreibung wird geschrieben...")
                    ++torn;
                ++lookups;
            }
        });
    }
    for (int i = 0; i < 2000; ++i) {
        kerfel::SetLanguageTable(i % 2 ? english : german);
        if (i % 100 == 0) kerfel::LoadLanguageTable("/nonexistent/kerfel/eng.txt");
    }
    // Let the readers overlap at least a few replacements before stopping.
    while (lookups < 300) {
        kerfel::SetLanguageTable(lookups % 2 ? english : german);
        std::this_thread::yield();
    }
    stop = true;
    for (auto& t : workers) t.join();
    EXPECT_EQ(torn, 0);
    kerfel::SetLanguageTable({});
}

TEST(LanguageTableThreads, TheListCanBeReadWhileItIsSet) {
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop) {
            auto list = kerfel::LanguageList();
            ASSERT_TRUE(list.empty() || list.size() == 2);
        }
    });
    for (int i = 0; i < 500; ++i)
        kerfel::SetLanguageList(i % 2 ? std::vector<std::string>{"Deutsch", "deu.txt"} : std::vector<std::string>{});
    stop = true;
    reader.join();
    kerfel::SetLanguageList({});
}
