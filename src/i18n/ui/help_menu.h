#pragma once
// The Help button's popup: Help, a Languages submenu (English and every
// language of the language list, the loaded one ticked) and About. It is
// built afresh for every press, so it shows the language loaded then.
#include <wx/menu.h>

#include <memory>
#include <string>
#include <vector>

enum HelpMenuCommand : int {
    ID_LANGUAGE_FIRST = 20000,  // + position of the display name in the language list
    ID_HELP_HELP = 32780,
    ID_HELP_ABOUT = 32782,
    ID_HELP_ENGLISH = 32783,
};

class CHelpMenu {
public:
    struct Item {
        int command;
        wxString text;
        bool checked;
    };

    // `languageList` alternates display names and file names; `current` is
    // the loaded file's own name.
    CHelpMenu(const std::vector<std::string>& languageList, const std::string& current);

    // Shows the popup at `pos` (client coordinates of `owner`) and waits for
    // the choice: its command, 0 when the menu was dismissed.
    int Choose(wxWindow* owner, const wxPoint& pos);

    const std::vector<Item>& Items() const { return m_items; }

    // Tests answer the next menu with a command instead of showing it; the
    // items it would have shown are kept for them.
    static void AnswerNextWith(int command);
    static std::vector<Item> LastItems();

private:
    std::unique_ptr<wxMenu> m_menu;
    std::vector<Item> m_items;
};
