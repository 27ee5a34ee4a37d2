// `kerfel` with no arguments is the desktop tool; with a command it runs
// headless and never opens a window.
#include <wx/app.h>
#include <wx/log.h>

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

int main(int argc, char** argv) {
    if (argc > 1) return kerfel::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "kerfel: no display to open the desktop tool on (see 'kerfel --help' for commands)\n");
        return 1;
    }
    return wxEntry(argc, argv);
}
