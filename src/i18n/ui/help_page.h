#pragma once
// The Help entry of the Help menu: the help page of the loaded language, or
// the help folder itself when the language names no page, handed to the
// desktop's "open" action (xdg-open). When the page is missing or the
// desktop cannot open it, a box says so instead of nothing happening.
#include <wx/string.h>

class wxWindow;

// The path Help opens: `appFolder` + "/help/" + the page of the loaded
// language; the folder itself (ending in "/") when the language names none.
// Empty when the language names something that is not a plain file name.
wxString HelpPagePath(const wxString& appFolder);

// Opens HelpPagePath; a failure, also one the desktop reports later, is told
// in a box owned by `owner`.
void OpenHelpPage(wxWindow* owner, const wxString& appFolder);
