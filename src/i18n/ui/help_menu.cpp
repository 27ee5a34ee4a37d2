#include "i18n/ui/help_menu.h"
#include "i18n/ui/ui_text.h"

#include "i18n/language_table.h"

namespace {
int g_nextAnswer = -1;
std::vector<CHelpMenu::Item> g_lastItems;

// The toolkit takes item ids below 0x7fff only: the three fixed commands
// travel under lower ids and are given back as themselves.
constexpr int kFixedOffset = 10000;
int MenuId(int command) { return command >= ID_HELP_HELP ? command - kFixedOffset : command; }
int CommandOf(int menuId) {
    for (int fixed : {ID_HELP_HELP, ID_HELP_ABOUT, ID_HELP_ENGLISH})
        if (menuId == fixed - kFixedOffset) return fixed;
    return menuId;
}

// A menu item cannot be shown without a text: a language file that lacks the
// key keeps the built-in English one.
wxString ItemText(const char* key, const char* fallback) {
    wxString text = kerfel::UiText(key);
    return text.empty() ? wxString::FromUTF8(fallback) : text;
}
}  // namespace

CHelpMenu::CHelpMenu(const std::vector<std::string>& list, const std::string& current)
    : m_menu(std::make_unique<wxMenu>()) {
    auto add = [this](wxMenu* menu, int command, const wxString& text) {
        menu->Append(MenuId(command), text);
        m_items.push_back({command, text, false});
    };
    add(m_menu.get(), ID_HELP_HELP, ItemText("KERFELDIALOG.MENU.ID_HELP_HELP", "&Help"));

    auto* languages = new wxMenu;
    auto addLanguage = [&](int command, const wxString& name, bool ticked) {
        languages->AppendCheckItem(MenuId(command), name)->Check(ticked);
        m_items.push_back({command, name, ticked});
    };
    addLanguage(ID_HELP_ENGLISH, "English", current == "eng.txt");
    for (size_t i = 0; i < list.size(); i += 2) {
        // A list with an odd count has a last name without a file: it is
        // offered but can never be the loaded one.
        bool ticked = i + 1 < list.size() && list[i + 1] == current;
        addLanguage(ID_LANGUAGE_FIRST + static_cast<int>(i), wxString::FromUTF8(list[i]), ticked);
    }
    m_menu->AppendSubMenu(languages, ItemText("KERFELDIALOG.MENU.ID_HELP_LANGUAGE", "&Languages"));
    add(m_menu.get(), ID_HELP_ABOUT, ItemText("KERFELDIALOG.MENU.ID_HELP_ABOUT", "&About"));
}

int CHelpMenu::Choose(wxWindow* owner, const wxPoint& pos) {
    g_lastItems = m_items;
    if (g_nextAnswer >= 0) {
        int answer = g_nextAnswer;
        g_nextAnswer = -1;
        return answer;
    }
    int command = owner->GetPopupMenuSelectionFromUser(*m_menu, pos);
    return command == wxID_NONE ? 0 : CommandOf(command);
}

void CHelpMenu::AnswerNextWith(int command) { g_nextAnswer = command; }
std::vector<CHelpMenu::Item> CHelpMenu::LastItems() { return g_lastItems; }
