#pragma once
// What a screen reader learns of a window: its role, name, description,
// relations and, for bitmap controls the toolkit cannot describe, the
// "click" action and the value. On GTK these go to the widget's ATK object;
// the skinned controls are custom widgets, so their ATK object gets the
// role and the action from here. Every call is harmless where the toolkit
// offers no accessibility.
#include <wx/string.h>

#include <functional>

class wxWindow;

namespace kerfel::a11y {

enum class Role {
    Alert = 2,
    CheckBox = 7,
    ComboBox = 11,
    Dialog = 16,
    Image = 26,
    Label = 28,
    Panel = 38,
    ProgressBar = 41,
    PushButton = 42,
    StatusBar = 53,
    Text = 60,
    Tree = 64,
};

void SetRole(wxWindow* w, Role role);
// The name as a reader says it: a caption's mnemonic marks are left out.
void SetName(wxWindow* w, const wxString& name);
void SetDescription(wxWindow* w, const wxString& text);
// `label` names `control`: label-for one way, labelled-by the other.
void Relate(wxWindow* label, wxWindow* control);
// Said at once by a screen reader, as a live region's change is.
void Announce(wxWindow* w, const wxString& text);
// The window is never a stop of the keyboard, for the toolkit either.
void NeverFocus(wxWindow* w);

// The "click" action of a control the toolkit does not know as a button;
// `click` runs later on the user-interface thread, never inside the reader's call.
void SetClickAction(wxWindow* w, std::function<void()> click);
// The value of a progress bar: its current position in `lower`..`upper`.
void SetValueSource(wxWindow* w, std::function<double()> current, std::function<double()> lower,
                    std::function<double()> upper);
// Tells readers that the value changed.
void ValueChanged(wxWindow* w);

}  // namespace kerfel::a11y
