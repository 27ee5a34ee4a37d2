#pragma once
// The folder chooser, in the common-dialog model: construct it with its
// parameters, show it with DoModal, then ask for the chosen folder's path.
// The browse window is a dialog of its own over a folder tree and an edit
// field for typing a folder; it reports its events to one event function,
// which turns them into calls of four overridable handlers.
#include <wx/dialog.h>
#include <wx/string.h>

class wxGenericDirCtrl;

// Browse flags (combined in FolderBrowseInfo::ulFlags).
enum : unsigned {
    BIF_RETURNONLYFSDIRS = 0x0001,  // only folders of the file system can be chosen
    BIF_STATUSTEXT = 0x0004,        // a status line above the tree
    BIF_EDITBOX = 0x0010,           // an edit field for typing a folder
    BIF_NEWDIALOGSTYLE = 0x0040,    // the resizable browse window
};

// Events the browse window reports to the event function.
enum class BrowseEvent { Initialized = 1, SelChanged = 2, ValidateFailed = 4, IUnknown = 5 };

// The event function: browse window, event, the event's text (the selected
// folder's path or the typed name), the interface offered (the folder tree)
// and the argument given in FolderBrowseInfo::lParam.
using BrowseCallback = int (*)(wxDialog* browse, BrowseEvent event, const wxString& text,
                               wxGenericDirCtrl* tree, void* lParam);

// The browse parameters. The tree always offers the whole file system.
struct FolderBrowseInfo {
    wxWindow* hwndOwner = nullptr;
    wxString pszDisplayName;  // name of the chosen folder after DoModal
    wxString lpszTitle;
    unsigned ulFlags = 0;
    BrowseCallback lpfn = nullptr;
    void* lParam = nullptr;
};

// Ids of the browse window's controls (OK and Cancel are wxID_OK, wxID_CANCEL).
enum {
    ID_FOLDER_TREE = 14145,
    ID_FOLDER_STATUS = 14147,
    ID_FOLDER_EDIT = 14148,
    ID_FOLDER_LABEL = 14149,
    ID_FOLDER_NEW = 14150,  // Make New Folder
};

class CFolderDialog {
public:
    // `initialFolder` may be null for none; `parent` may be null.
    CFolderDialog(const wxString& title, const wxString* initialFolder, wxWindow* parent, unsigned flags);
    virtual ~CFolderDialog() = default;
    CFolderDialog(const CFolderDialog&) = delete;
    CFolderDialog& operator=(const CFolderDialog&) = delete;

    // 1: a folder with a file-system path was chosen (see GetFolderPath);
    // 2: the window was cancelled; -1: the chosen item has no file-system path.
    virtual int DoModal();
    wxString GetFolderPath() const { return m_szFolPath; }

    // Act on the open browse window only, i.e. while a handler runs.
    void SetSelection(const wxString& path);
    void SetStatusText(const wxString& text);

    // Default: select m_szSelPath when one was given.
    virtual void OnInitialized();
    // Default: with BIF_STATUSTEXT, show the selected folder's path.
    virtual void OnSelChanged(const wxString& itemPath);
    // Default: beep and return 1, which keeps the window open; 0 closes it
    // with nothing chosen.
    virtual int OnValidateFailed(const wxString& typedName);
    // The folder tree is offered before the window is initialised, for
    // handlers that want to adjust it. Default: nothing.
    virtual void OnIUnknown(wxGenericDirCtrl* tree);

    FolderBrowseInfo m_bi;
    wxString m_szSelPath;
    wxString m_szFolPath;
    wxDialog* m_hWndBrowse = nullptr;

private:
    static int BrowseCallbackProc(wxDialog* browse, BrowseEvent event, const wxString& text,
                                  wxGenericDirCtrl* tree, void* lParam);
};
