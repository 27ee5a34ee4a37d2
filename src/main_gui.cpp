// `kerfel` with no arguments is the desktop tool; with a command it runs
// headless and never opens a window.
#include <wx/app.h>
#include <wx/log.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ui/kerfel_dialog.h"
#include "cli/cli.h"

class CKerfelApp : public wxApp {
public:
    // Arguments are the command line's, not the framework's.
    bool OnInit() override { return true; }
    int OnRun() override {
        delete wxLog::SetActiveTarget(new wxLogStderr);
        auto* dlg = new CKerfelDialog();
        SetTopWindow(dlg);
        dlg->ShowModal();
        dlg->Destroy();
        return 0;
    }
};

wxIMPLEMENT_APP_NO_MAIN(CKerfelApp);

namespace {
// Whether the window system can be reached; asked through the toolkit the
// framework already loaded, so that a bad DISPLAY gets one clear line.
bool DisplayReachable() {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) return false;
    using OpenFn = void* (*)(const char*);
    using CloseFn = void (*)(void*);
    auto open = reinterpret_cast<OpenFn>(dlsym(RTLD_DEFAULT, "gdk_display_open"));
    auto close = reinterpret_cast<CloseFn>(dlsym(RTLD_DEFAULT, "gdk_display_close"));
    if (!open) return true;  // let the framework report it
    void* display = open(nullptr);
    if (!display) return false;
    if (close) close(display);
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) return kerfel::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!DisplayReachable()) {
        std::fprintf(stderr, "kerfel: no display to open the desktop tool on (see 'kerfel --help' for commands)\n");
        return 1;
    }
    return wxEntry(argc, argv);
}
