#pragma once
// The desktop's own message box with a stop icon and an OK button, for the
// few messages that are not shown in the tool's message box dialog.
#include <wx/string.h>
#include <wx/window.h>

void ShowStandardErrorBox(wxWindow* parent, const wxString& text, const wxString& caption);

// Tests let the next `count` boxes pass unseen; their texts are kept.
void AnswerNextStandardBoxes(int count);
wxString LastStandardBoxText();
int StandardBoxesShown();
