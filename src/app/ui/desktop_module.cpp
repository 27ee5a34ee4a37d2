// The desktop tool, loaded by `kerfel` only when it runs without a command,
// so that the command line never loads the toolkit and the browser engine.
#include <wx/app.h>
#include <wx/log.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/ui/kerfel_dialog.h"

class CKerfelApp : public wxApp {
public:
    // Arguments are the command line's, not the framework's.
    bool OnInit() override { return true; }
    int OnRun() override {
        delete wxLog::SetActiveTarget(new wxLogStderr);
        auto* dlg = new CKerfelDialog();
        SetTopWindow(dlg);
        // `kerfel PHOTO.jpg`: chosen once the window shows, as Browse File would.
        if (argc > 1) {
            std::error_code ec;
            const std::filesystem::path photo = std::filesystem::absolute(argv[1].utf8_string(), ec);
            dlg->CallAfter([dlg, photo] { dlg->ChooseSource(wxString::FromUTF8(photo.string())); });
        }
        dlg->ShowModal();
        dlg->Destroy();
        return 0;
    }
};

wxIMPLEMENT_APP_NO_MAIN(CKerfelApp);

namespace {
// The windows cut their own outline and move themselves when their picture
// is dragged; a Wayland session leaves both to its compositor. Where the
// session also offers its X server (XWayland), the tool runs there and looks
// and behaves as on any X desktop; without one it takes Wayland itself.
// A backend the user chose stays chosen.
void PreferXWayland() {
    if (std::getenv("GDK_BACKEND") || !std::getenv("WAYLAND_DISPLAY") || !std::getenv("DISPLAY")) return;
    setenv("GDK_BACKEND", "x11,wayland", 1);
}

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

extern "C" __attribute__((visibility("default"))) int kerfel_desktop_main(int argc, char** argv) {
    PreferXWayland();
    if (!DisplayReachable()) {
        std::fprintf(stderr, "kerfel: no display to open the desktop tool on (see 'kerfel --help' for commands)\n");
        return 1;
    }
    return wxEntry(argc, argv);
}
