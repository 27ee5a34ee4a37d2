#pragma once
// The file chooser the dialog drives through properties: set them, show the
// Open or Save dialog, read the chosen path back from FileName.
#include <wx/string.h>
#include <wx/window.h>

// The path a chooser's answer stands for: `defaultExt` ("*.jpg") added to a
// name without an extension, unless an existing file was chosen to open.
wxString WithDefaultExtension(const wxString& chosen, const wxString& defaultExt, bool saving);

class CFileOpenComponent {
public:
    wxString Title;
    wxString Filter;        // "Description|*.a;*.b"
    wxString DefaultExt;    // "*.jpg"
    wxString InitDir;
    wxString FileName;      // written before, read after the dialog
    bool CancelError = false;

    // The chosen path in FileName; an empty FileName when nothing was chosen.
    // With CancelError set, a cancel returns false and leaves ErrorText set.
    bool ShowOpen(wxWindow* parent);
    bool ShowSave(wxWindow* parent);
    wxString ErrorText;

    // Tests answer the next dialog with a path (an empty string cancels)
    // instead of showing it.
    static void AnswerNextWith(const wxString& path);

private:
    bool Show(wxWindow* parent, long style);
};
