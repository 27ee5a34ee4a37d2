#include "skin/ui/button_mnemonics.h"

#include <wx/button.h>
#include <wx/event.h>
#include <wx/window.h>

#include <vector>

#include "skin/ui/skin_button.h"

namespace kerfel {

namespace {

bool IsPushButton(wxWindow* w) { return dynamic_cast<CSkinButton*>(w) || dynamic_cast<wxButton*>(w); }

void CollectButtons(wxWindow* parent, wxUniChar letter, std::vector<wxWindow*>& out) {
    for (wxWindow* child : parent->GetChildren()) {
        if (child->IsTopLevel() || !child->IsShown() || !child->IsEnabled()) continue;
        if (IsPushButton(child)) {
            if (MnemonicOf(child->GetLabel()) == letter) out.push_back(child);
        } else {
            CollectButtons(child, letter, out);
        }
    }
}

}  // namespace

wxUniChar MnemonicOf(const wxString& caption) {
    for (size_t i = 0; i + 1 < caption.length(); ++i) {
        if (caption[i] != '&') continue;
        wxUniChar next = caption[i + 1];
        if (next == '&') {
            ++i;
            continue;
        }
        return wxToupper(next);
    }
    return 0;
}

wxUniChar LetterOf(const wxKeyEvent& event) {
    wxChar c = event.GetUnicodeKey();
    if (c == WXK_NONE || c <= ' ' || c == WXK_DELETE) return 0;
    return wxToupper(c);
}

bool PressMnemonic(wxWindow* dialog, wxUniChar letter) {
    if (!letter) return false;
    std::vector<wxWindow*> buttons;
    CollectButtons(dialog, letter, buttons);
    if (buttons.empty()) return false;
    if (buttons.size() > 1) {
        wxWindow* focus = wxWindow::FindFocus();
        size_t next = 0;
        for (size_t i = 0; i < buttons.size(); ++i)
            if (buttons[i] == focus) next = (i + 1) % buttons.size();
        buttons[next]->SetFocus();
        return true;
    }
    wxWindow* button = buttons.front();
    button->SetFocus();
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
    return true;
}

}  // namespace kerfel
