#pragma once
// Shared by the GUI tests: an application object is running (gui_main.cpp),
// events are pumped by hand between steps.
#include <wx/window.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace guitest {

// Dispatches pending events for about `ms` milliseconds.
void Pump(int ms = 50);
// Pumps until `done` holds or `timeoutMs` passes; returns whether it held.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000);
// Clicks the middle of a window with the simulated mouse; returns once the
// window has handled the click.
void Click(wxWindow* window);
// The same for a window that reports no mouse events (the embedded
// browser): returns once the keyboard focus has left the window that had it.
void ClickToTakeFocus(wxWindow* window);
// Presses and releases a key with the simulated keyboard; returns once the
// release has reached a window (or after ten seconds when none takes keys).
void PressKey(int key, int modifiers = 0);
// A fresh private folder under the test run's temporary folder.
std::string MakeTempFolder();
// Saves a screenshot of the whole display to `path` (ImageMagick `import`).
void Screenshot(const std::string& path);
// Makes a JPEG of the given size with ImageMagick; returns its path.
std::string MakeJpeg(const std::string& folder, const std::string& name, int width, int height);

// While it lives, the settings are those of a fresh private folder, so that
// what one test stores reaches no other test's dialog.
class PrivateSettings {
public:
    PrivateSettings() : m_saved(std::getenv("XDG_CONFIG_HOME")) {
        setenv("XDG_CONFIG_HOME", (MakeTempFolder() + "/config").c_str(), 1);
    }
    ~PrivateSettings() { setenv("XDG_CONFIG_HOME", m_saved.c_str(), 1); }
    PrivateSettings(const PrivateSettings&) = delete;
    PrivateSettings& operator=(const PrivateSettings&) = delete;

private:
    std::string m_saved;
};

}  // namespace guitest
