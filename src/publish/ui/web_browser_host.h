#pragma once
// A child window hosting the embedded web browser (wxWebView) in place of a
// placeholder control, with the browser's events passed to the parent as
// notifications it may veto.
#include <wx/event.h>
#include <wx/window.h>

class wxWebView;
class wxWebViewEvent;

// What the browser reports; the parent receives it as a wxEVT_BROWSER_HOST
// notification (GetInt() is the kind, GetString() the address or title).
enum class BrowserNotice {
    BeforeNavigate,    // vetoing the notification cancels the navigation
    NavigateComplete,
    DocumentComplete,
    NavigateError,
    TitleChange,
    NewWindow,
};

class CBrowserHostEvent : public wxNotifyEvent {
public:
    CBrowserHostEvent(wxEventType type = wxEVT_NULL, int id = 0) : wxNotifyEvent(type, id) {}
    BrowserNotice Notice() const { return static_cast<BrowserNotice>(GetInt()); }
    wxString Target;  // the frame the event is about, when the browser names one
    wxEvent* Clone() const override { return new CBrowserHostEvent(*this); }
};
wxDECLARE_EVENT(wxEVT_BROWSER_HOST, CBrowserHostEvent);

class CWebBrowserHost : public wxWindow {
public:
    // The browser's child id (ids of this toolkit must stay below 32767).
    enum { kBrowserId = 0x6900 };

    CWebBrowserHost() = default;
    ~CWebBrowserHost() override;

    // Takes the place and id of the parent's control `id`; false when that
    // control does not exist or no browser can be made.
    bool CreateFromStatic(wxWindow* parent, int id);
    bool Create(wxWindow* parent, int id, const wxRect& rect);

    // Opens an address, or a local file given by its absolute path.
    void Navigate(const wxString& address);
    // Shows a page built in memory.
    void SetPage(const wxString& html);

    wxWebView* Browser() const { return m_pBrowser; }

protected:
    // Each sends the parent its notification; override to handle them here.
    virtual bool OnBeforeNavigate2(const wxString& url, const wxString& target);  // true cancels
    virtual void OnNavigateComplete2(const wxString& url);
    virtual void OnDocumentComplete(const wxString& url);
    virtual void OnNavigateError(const wxString& url, const wxString& reason);
    virtual void OnTitleChange(const wxString& title);
    virtual void OnNewWindow(const wxString& url);

private:
    bool Notify(BrowserNotice notice, const wxString& text, const wxString& target = wxString());
    void OnSize(wxSizeEvent& event);
    void OnNavigating(wxWebViewEvent& event);
    void OnNavigated(wxWebViewEvent& event);
    void OnLoaded(wxWebViewEvent& event);
    void OnError(wxWebViewEvent& event);
    void OnTitle(wxWebViewEvent& event);
    void OnNewWindowEvent(wxWebViewEvent& event);

    wxWebView* m_pBrowser = nullptr;
    wxDECLARE_EVENT_TABLE();
};
