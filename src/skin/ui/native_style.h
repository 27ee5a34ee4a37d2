#pragma once
// Style rules of the toolkit for one native control (a check box, a
// drop-down), so that it fits the rectangle of its template: the toolkit's
// theme draws these larger than the skinned dialogs were laid out for.
class wxWindow;

namespace kerfel {

// Names the control's native widget `name` and installs `css` (rules that
// select "#name") for the whole display, once per name. Does nothing where
// the toolkit offers no style rules.
void ApplyNativeStyle(wxWindow* control, const char* name, const char* css);

}  // namespace kerfel
