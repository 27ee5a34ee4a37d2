#include "publish/ui/web_browser_host.h"
#include "skin/ui/accessible.h"

#include <dlfcn.h>
#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/webview.h>

wxDEFINE_EVENT(wxEVT_BROWSER_HOST, CBrowserHostEvent);

wxBEGIN_EVENT_TABLE(CWebBrowserHost, wxWindow)
    EVT_SIZE(CWebBrowserHost::OnSize)
    EVT_WEBVIEW_NAVIGATING(CWebBrowserHost::kBrowserId, CWebBrowserHost::OnNavigating)
    EVT_WEBVIEW_NAVIGATED(CWebBrowserHost::kBrowserId, CWebBrowserHost::OnNavigated)
    EVT_WEBVIEW_LOADED(CWebBrowserHost::kBrowserId, CWebBrowserHost::OnLoaded)
    EVT_WEBVIEW_ERROR(CWebBrowserHost::kBrowserId, CWebBrowserHost::OnError)
    EVT_WEBVIEW_TITLE_CHANGED(CWebBrowserHost::kBrowserId, CWebBrowserHost::OnTitle)
    EVT_WEBVIEW_NEWWINDOW(CWebBrowserHost::kBrowserId, CWebBrowserHost::OnNewWindowEvent)
wxEND_EVENT_TABLE()

namespace {

// The viewer reads its descriptor and tiles beside the page with script
// requests, which the engine refuses to pages opened from disk unless told
// otherwise. The engine's own functions are looked up at run time: the
// browser library has already loaded it, its headers are not needed.
void AllowFileAccessFromFileUrls(wxWebView* view) {
    using GetSettings = void* (*)(void*);
    using SetFlag = void (*)(void*, int);
    auto get = reinterpret_cast<GetSettings>(dlsym(RTLD_DEFAULT, "webkit_web_view_get_settings"));
    auto allow = reinterpret_cast<SetFlag>(dlsym(RTLD_DEFAULT, "webkit_settings_set_allow_file_access_from_file_urls"));
    void* native = view->GetNativeBackend();
    if (!get || !allow || !native) return;
    if (void* settings = get(native)) allow(settings, 1);
}

}  // namespace

CWebBrowserHost::~CWebBrowserHost() { m_pBrowser = nullptr; }

bool CWebBrowserHost::CreateFromStatic(wxWindow* parent, int id) {
    wxWindow* placeholder = parent ? parent->FindWindow(id) : nullptr;
    if (!placeholder || placeholder == this) return false;
    if (!wxWebView::IsBackendAvailable(wxWebViewBackendDefault)) return false;
    wxRect rect = placeholder->GetRect();
    placeholder->Destroy();
    return Create(parent, id, rect);
}

bool CWebBrowserHost::Create(wxWindow* parent, int id, const wxRect& rect) {
    m_pBrowser = nullptr;
    if (!wxWebView::IsBackendAvailable(wxWebViewBackendDefault)) return false;
    if (!wxWindow::Create(parent, id, rect.GetPosition(), rect.GetSize(), wxFULL_REPAINT_ON_RESIZE | wxBORDER_NONE))
        return false;
    wxWebView* view = wxWebView::New(this, kBrowserId, wxWebViewDefaultURLStr, wxPoint(0, 0), GetClientSize());
    if (!view) return false;  // the host stays, empty, as a child of `parent`
    AllowFileAccessFromFileUrls(view);
    // The page takes the keys, not the frame around it; a reader hears the
    // page as the window it is shown in.
    kerfel::a11y::NeverFocus(this);
    kerfel::a11y::SetName(view, wxGetTopLevelParent(parent)->GetLabel());
    view->EnableContextMenu(false);
    m_pBrowser = view;
    return true;
}

void CWebBrowserHost::Navigate(const wxString& address) {
    if (!m_pBrowser) return;
    m_pBrowser->LoadURL(address.StartsWith("/") ? wxFileSystem::FileNameToURL(wxFileName(address)) : address);
}

void CWebBrowserHost::SetPage(const wxString& html) {
    if (m_pBrowser) m_pBrowser->SetPage(html, "about:blank");
}

void CWebBrowserHost::OnSize(wxSizeEvent& event) {
    if (m_pBrowser) m_pBrowser->SetSize(0, 0, event.GetSize().x, event.GetSize().y);
    event.Skip();
}

bool CWebBrowserHost::Notify(BrowserNotice notice, const wxString& text, const wxString& target) {
    CBrowserHostEvent event(wxEVT_BROWSER_HOST, GetId());
    event.SetEventObject(this);
    event.SetInt(static_cast<int>(notice));
    event.SetString(text);
    event.Target = target;
    if (GetParent()) GetParent()->GetEventHandler()->ProcessEvent(event);
    return event.IsAllowed();
}

bool CWebBrowserHost::OnBeforeNavigate2(const wxString& url, const wxString& target) {
    return !Notify(BrowserNotice::BeforeNavigate, url, target);
}
void CWebBrowserHost::OnNavigateComplete2(const wxString& url) { Notify(BrowserNotice::NavigateComplete, url); }
void CWebBrowserHost::OnDocumentComplete(const wxString& url) { Notify(BrowserNotice::DocumentComplete, url); }
void CWebBrowserHost::OnNavigateError(const wxString& url, const wxString&) { Notify(BrowserNotice::NavigateError, url); }
void CWebBrowserHost::OnTitleChange(const wxString& title) { Notify(BrowserNotice::TitleChange, title); }
void CWebBrowserHost::OnNewWindow(const wxString& url) { Notify(BrowserNotice::NewWindow, url); }

void CWebBrowserHost::OnNavigating(wxWebViewEvent& event) {
    if (OnBeforeNavigate2(event.GetURL(), event.GetTarget())) event.Veto();
}
void CWebBrowserHost::OnNavigated(wxWebViewEvent& event) { OnNavigateComplete2(event.GetURL()); }
void CWebBrowserHost::OnLoaded(wxWebViewEvent& event) { OnDocumentComplete(event.GetURL()); }
void CWebBrowserHost::OnError(wxWebViewEvent& event) { OnNavigateError(event.GetURL(), event.GetString()); }
void CWebBrowserHost::OnTitle(wxWebViewEvent& event) { OnTitleChange(event.GetString()); }
void CWebBrowserHost::OnNewWindowEvent(wxWebViewEvent& event) { OnNewWindow(event.GetURL()); }
