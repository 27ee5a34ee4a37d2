#pragma once
// The preview: a skinned dialog, a title band over its whole width and white
// below, whose embedded browser shows the published job, opened half a
// second after the dialog is set up. Destroying the dialog removes its page
// and the page's private folder.
#include <wx/timer.h>

#include <string>

#include "skin/ui/skin_button.h"
#include "skin/ui/skin_dialog.h"

class CWebBrowserHost;

class CPreviewDialog : public CSkinDialog {
public:
    enum { IDD = 206, IDC_BROWSER = 1047, IDC_LOGO = 1050, kStartTimer = 100 };

    CPreviewDialog();
    ~CPreviewDialog() override;

    wxRect m_rcViewer;          // (0, 0) to (display width + 31, display height + 20)
    wxString m_strPagePath;     // "Lorvak.html" in the preview folder
    wxString m_strViewerPath;   // the job's browser viewer, when it has one
    // A job kept in one archive: the archive, and its entry that is the
    // job's page, which the browser reads out of it (in place of m_strViewerPath).
    wxString m_strArchivePath;
    std::string m_strArchivePage;
    wxString m_strFallbackHtml; // shown instead when it has none
    CWebBrowserHost* m_wndBrowser = nullptr;
    CSkinButton* m_btnClose = nullptr;
    int m_nTimer = 0;

    // Skins and lays the dialog out from m_rcViewer, starts the page timer; ShowModal calls it first.
    bool SetUpDialog();
    int ShowModal() override;

protected:
    void OnTimer(wxTimerEvent& event);
    void OnShow(wxShowEvent& event);
    void OnClose(wxCommandEvent& event);

private:
    void Place();
    void ServeArchive();
    wxTimer m_timer;
    bool m_bInitialised = false;
    wxDECLARE_EVENT_TABLE();
};
