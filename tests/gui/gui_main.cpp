#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/eventfilter.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "gui_test_util.h"

namespace {
class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};
std::string g_tempRoot;
}  // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

namespace guitest {

void Pump(int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        wxEventLoopBase* loop = wxEventLoopBase::GetActive();
        while (loop && loop->Pending()) loop->Dispatch();
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        Pump(20);
    }
    return done();
}

namespace {
// Counts the releases of type `type` (a mouse button or a key) that reach
// `target` or a window inside it; any window when `target` is null.
class ReleaseCounter : public wxEventFilter {
public:
    ReleaseCounter(wxEventType type, wxWindow* target) : m_type(type), m_target(target) {
        wxEvtHandler::AddFilter(this);
    }
    ~ReleaseCounter() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override {
        if (event.GetEventType() != m_type) return Event_Skip;
        for (auto* w = wxDynamicCast(event.GetEventObject(), wxWindow); w; w = w->GetParent())
            if (!m_target || w == m_target) {
                ++m_seen;
                break;
            }
        return Event_Skip;
    }
    bool Seen() const { return m_seen > 0; }

private:
    wxEventType m_type;
    wxWindow* m_target;
    int m_seen = 0;
};
}  // namespace

// The simulated mouse goes through the display server: the click is waited
// for until the window has handled it, however busy the machine is.
void Click(wxWindow* window) {
    wxUIActionSimulator sim;
    wxRect r = window->GetScreenRect();
    ReleaseCounter released(wxEVT_LEFT_UP, window);
    sim.MouseMove(r.x + r.width / 2, r.y + r.height / 2);
    sim.MouseClick();
    WaitFor([&] { return released.Seen(); }, 30000);
    Pump(20);  // what the release posted
}

namespace {
// Counts the key releases the toolkit hands to any of its windows. A release
// aimed at a disabled control reaches no window of ours, but the toolkit
// still delivers it to the top-level window first, so this sees every one.
// The toolkit's functions come from the libraries the framework loaded.
class ToolkitKeyReleases {
public:
    ToolkitKeyReleases() {
        auto widgetType = Find<std::size_t (*)()>("gtk_widget_get_type");
        auto lookup = Find<unsigned (*)(const char*, std::size_t)>("g_signal_lookup");
        m_add = Find<AddHook>("g_signal_add_emission_hook");
        m_remove = Find<void (*)(unsigned, unsigned long)>("g_signal_remove_emission_hook");
        if (!widgetType || !lookup || !m_add || !m_remove) return;
        m_signal = lookup("key-release-event", widgetType());
        if (m_signal) m_hook = m_add(m_signal, 0, &Count, this, nullptr);
    }
    ~ToolkitKeyReleases() {
        if (m_hook) m_remove(m_signal, m_hook);
    }
    bool Seen() const { return m_seen > 0; }

private:
    using Hook = int (*)(void* hint, unsigned n, const void* values, void* data);
    using AddHook = unsigned long (*)(unsigned, unsigned, Hook, void*, void (*)(void*));
    template <typename Fn>
    static Fn Find(const char* name) {
        return reinterpret_cast<Fn>(dlsym(RTLD_DEFAULT, name));
    }
    static int Count(void*, unsigned, const void*, void* self) {
        ++static_cast<ToolkitKeyReleases*>(self)->m_seen;
        return 1;  // stay connected
    }
    AddHook m_add = nullptr;
    void (*m_remove)(unsigned, unsigned long) = nullptr;
    unsigned m_signal = 0;
    unsigned long m_hook = 0;
    int m_seen = 0;
};
}  // namespace

// The press, the release and any modifier come in one batch: once a release
// has reached the toolkit, the rest is in the queue that Pump empties.
void PressKey(int key, int modifiers) {
    ReleaseCounter released(wxEVT_KEY_UP, nullptr);
    ToolkitKeyReleases delivered;
    wxUIActionSimulator().Char(key, modifiers);
    WaitFor([&] { return released.Seen() || delivered.Seen(); }, 10000);
    Pump(20);
}

void ClickToTakeFocus(wxWindow* window) {
    wxUIActionSimulator sim;
    wxRect r = window->GetScreenRect();
    wxWindow* before = wxWindow::FindFocus();
    sim.MouseMove(r.x + r.width / 2, r.y + r.height / 2);
    sim.MouseClick();
    WaitFor([&] { return wxWindow::FindFocus() != before; }, 30000);
}

std::string MakeTempFolder() {
    static int n = 0;
    std::string dir = g_tempRoot + "/t" + std::to_string(++n);
    std::filesystem::create_directories(dir);
    return dir;
}

void Screenshot(const std::string& path) {
    std::string cmd = "import -window root '" + path + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) wxLogMessage("screenshot failed: %s", path);
}

std::string MakeJpeg(const std::string& folder, const std::string& name, int width, int height) {
    std::string path = folder + "/" + name;
    std::string cmd = "convert -size " + std::to_string(width) + "x" + std::to_string(height) +
                      " plasma:fractal -seed 7 -quality 85 '" + path + "'";
    if (std::system(cmd.c_str()) != 0) return std::string();
    return path;
}

}  // namespace guitest

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    // Settings and temporary files of a test run never touch the user's own.
    char tmpl[] = "/tmp/kerfel-gui-XXXXXX";
    g_tempRoot = mkdtemp(tmpl);
    setenv("XDG_CONFIG_HOME", (g_tempRoot + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (g_tempRoot + "/data").c_str(), 1);  // the desktop's recent files
    wxApp::SetInstance(new TestApp);
    int wxArgc = 1;
    if (!wxEntryStart(wxArgc, argv)) {
        std::fprintf(stderr, "gui tests: cannot open a display\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    // A failed framework assertion fails the test instead of opening a modal
    // box that nobody will close.
    wxSetAssertHandler([](const wxString& file, int line, const wxString& func, const wxString& cond,
                          const wxString& msg) {
        ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " in " << func.utf8_string() << " ("
                      << file.utf8_string() << ":" << line << "): " << msg.utf8_string();
    });
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxInitAllImageHandlers();
    int rc;
    {
        wxEventLoop loop;
        wxEventLoopActivator activate(&loop);
        rc = RUN_ALL_TESTS();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    std::filesystem::remove_all(g_tempRoot);
    return rc;
}
