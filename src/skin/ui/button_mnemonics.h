#pragma once
// Mnemonics of push buttons for dialogs whose buttons the toolkit does not
// draw itself: a bitmap button gets no mnemonic handling from the toolkit,
// so its dialog passes letter keys here. A button whose caption holds "&x"
// answers to the letter x.
#include <wx/string.h>

class wxKeyEvent;
class wxWindow;

namespace kerfel {

// The letter a caption marks with "&", upper-cased; 0 when it marks none
// ("&&" is a literal ampersand).
wxUniChar MnemonicOf(const wxString& caption);

// The letter of a key event, upper-cased, when the key types a visible
// character; 0 otherwise.
wxUniChar LetterOf(const wxKeyEvent& event);

// The buttons of `dialog` (not of its child dialogs) that are enabled, shown
// and marked with `letter`, in tab order. With exactly one, it takes the
// focus and is pressed; with several, the focus moves on to the next of them
// after the focused one and nothing is pressed, so that each can be reached.
// Returns false when no button answers to the letter.
bool PressMnemonic(wxWindow* dialog, wxUniChar letter);

}  // namespace kerfel
