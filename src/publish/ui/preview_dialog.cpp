#include "publish/ui/preview_dialog.h"
#include "skin/ui/accessible.h"

#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/statbmp.h>

#include <algorithm>
#include <memory>

#include "i18n/language_table.h"
#include "i18n/ui/ui_text.h"
#include "publish/preview_files.h"
#include "publish/ui/archive_web_handler.h"
#include "publish/ui/web_browser_host.h"
#include "skin/ui/skin_bitmaps.h"

wxBEGIN_EVENT_TABLE(CPreviewDialog, CSkinDialog)
    EVT_TIMER(CPreviewDialog::kStartTimer, CPreviewDialog::OnTimer)
    EVT_SHOW(CPreviewDialog::OnShow)
    EVT_BUTTON(wxID_CANCEL, CPreviewDialog::OnClose)
wxEND_EVENT_TABLE()

namespace {
// The Close button keeps this margin from the window's right edge.
constexpr int kCloseMargin = 10;
constexpr int kCloseWidth = 76, kCloseHeight = 24;

// The title band across the whole window, whatever its width: the logo tab
// (207) at the left, the band's middle (208) repeated, its rounded right end
// (209); white below, where the page is shown.
// Drawn at the pictures' density for `scale`.
wxBitmap BandBackground(const wxSize& size, double scale) {
    wxBitmap logo = kerfel::LoadSkinBitmap(207, scale), middle = kerfel::LoadSkinBitmap(208, scale),
             end = kerfel::LoadSkinBitmap(209, scale);
    wxBitmap out;
    out.CreateWithDIPSize(size, logo.IsOk() ? logo.GetScaleFactor() : 1.0, 24);
    wxMemoryDC dc(out);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    int endX = end.IsOk() ? size.x - end.GetLogicalWidth() : size.x;
    if (middle.IsOk())
        for (int x = 0; x < endX; x += middle.GetLogicalWidth()) dc.DrawBitmap(middle, x, 0);
    if (end.IsOk()) dc.DrawBitmap(end, endX, 0);
    if (logo.IsOk()) dc.DrawBitmap(logo, 0, 0);
    dc.SelectObject(wxNullBitmap);
    return out;
}
}  // namespace

CPreviewDialog::CPreviewDialog() : CSkinDialog(nullptr, IDD, " Image Kerfel", wxSize(250, 60)), m_timer(this, kStartTimer) {
    SetFont(kerfel::SkinFont());
    // The template: a frame the browser replaces, the logo picture, Close.
    new wxWindow(this, IDC_BROWSER, wxPoint(0, 0), wxSize(250, 60));
    auto* logo = new wxStaticBitmap(this, IDC_LOGO, kerfel::LoadSkinBundle(207), wxPoint(0, 0));
    kerfel::a11y::SetRole(logo, kerfel::a11y::Role::Image);
    kerfel::a11y::SetName(logo, GetTitle());
    kerfel::a11y::SetName(this, GetTitle());
    m_btnClose = new CSkinButton(this, wxID_CANCEL, "&Close", wxPoint(170, 10), wxSize(76, 24));
    // Escape closes, also while the page has the keyboard: the Close button
    // is drawn by the tool, so the framework does not find it as the dialog's
    // cancel button. Other keys go on to the page and the button mnemonics.
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        if (event.GetKeyCode() == WXK_ESCAPE && !event.HasAnyModifiers()) {
            wxCommandEvent close(wxEVT_BUTTON, wxID_CANCEL);
            OnClose(close);
        } else {
            event.Skip();
        }
    });
}

CPreviewDialog::~CPreviewDialog() {
    m_timer.Stop();
    if (!m_strPagePath.empty()) kerfel::RemovePreviewPage(m_strPagePath.utf8_string());
}

int CPreviewDialog::ShowModal() {
    if (!m_bInitialised) SetUpDialog();
    return CSkinDialog::ShowModal();
}

bool CPreviewDialog::SetUpDialog() {
    m_bInitialised = true;
    EnableDrag(true);
    SetBitmap(207);
    SetBackgroundMode(ModeFitWindow);
    SetTransparentColor(wxColour(255, 0, 0), true);

    m_btnClose->SetTextColor(*wxBLACK);
    m_btnClose->SetTooltipText(kerfel::UiText("PREVIEWDIALOG.TOOLTIPTEXT_IDCCANCEL"));
    m_btnClose->SetBitmaps(210, 210, 211, 210, 2);

    m_wndBrowser = new CWebBrowserHost();
    if (!m_wndBrowser->CreateFromStatic(this, IDC_BROWSER)) {
        // Without a browser the dialog opens with no page; a host window
        // that was made belongs to the dialog and goes with it.
        if (!m_wndBrowser->GetHandle()) delete m_wndBrowser;
        m_wndBrowser = nullptr;
    }
    ServeArchive();
    m_timer.StartOnce(500);
    m_nTimer = kStartTimer;
    Place();
    m_btnClose->SetLabel(kerfel::UiText("PREVIEWDIALOG.IDCANCEL"));
    m_btnClose->Raise();
    // Enter, Space and Escape close the preview from the start.
    m_btnClose->SetFocus();
    return true;
}

void CPreviewDialog::ServeArchive() {
    if (m_strArchivePath.empty() || !m_wndBrowser || !m_wndBrowser->Browser()) return;
    auto archive = std::make_unique<kerfel::ArchiveReader>();
    // An archive that cannot be read shows as a page that cannot be found.
    if (!archive->Open(m_strArchivePath.utf8_string())) return;
    auto* handler = new CArchiveWebHandler(std::move(archive));
    m_strViewerPath = handler->AddressOf(m_strArchivePage);
    m_wndBrowser->Browser()->RegisterHandler(wxSharedPtr<wxWebViewHandler>(handler));
}

// Sizes come from the view size; a view larger than the screen is kept on
// the screen so that the Close button stays reachable.
void CPreviewDialog::Place() {
    wxSize size(m_rcViewer.GetRight() - 25, m_rcViewer.GetBottom() + 35);
    int display = wxDisplay::GetFromWindow(this);
    wxRect area = wxDisplay(display == wxNOT_FOUND ? 0 : unsigned(display)).GetClientArea();
    if (area.width > 0 && size.x > area.width) size.x = area.width;
    if (area.height > 0 && size.y > area.height) size.y = area.height;
    SetSize(size);
    CentreOnScreen();
    // The band is laid out for the final width; the window keeps its outline.
    SetBitmap(BandBackground(GetClientSize(), kerfel::PictureScale(this)));
    if (m_wndBrowser) {
        m_wndBrowser->SetSize(m_rcViewer.GetLeft() + 2, m_rcViewer.GetTop() + 50, size.x - 3, size.y - 51);
        m_wndBrowser->Refresh();
    }
    // Fully inside the window, however narrow the view.
    int closeX = std::max(0, GetClientSize().x - kCloseWidth - kCloseMargin);
    m_btnClose->SetSize(closeX, m_rcViewer.GetTop() + 10, kCloseWidth, kCloseHeight);
    m_btnClose->Show();
}

void CPreviewDialog::OnTimer(wxTimerEvent& event) {
    m_timer.Stop();
    if (event.GetId() != kStartTimer || !m_wndBrowser) return;
    if (!m_strViewerPath.empty()) m_wndBrowser->Navigate(m_strViewerPath);
    else if (!m_strFallbackHtml.empty()) m_wndBrowser->SetPage(m_strFallbackHtml);
    else m_wndBrowser->Navigate(m_strPagePath);
}

void CPreviewDialog::OnShow(wxShowEvent& event) {
    event.Skip();
    if (m_nTimer == 0 && event.IsShown()) {
        m_timer.StartOnce(500);
        m_nTimer = kStartTimer;
    }
}


void CPreviewDialog::OnClose(wxCommandEvent&) {
    if (IsModal()) EndModal(wxID_CANCEL);
    else Destroy();
}
