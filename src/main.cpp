// `kerfel` with no arguments is the desktop tool, and so is `kerfel PHOTO.jpg`
// (the desktop's "Open With"), which starts it with that photo chosen; with a
// command it runs headless and never opens a window. The desktop tool lives in a module
// loaded on demand, which keeps the command line small and quick to start.
#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace {

std::vector<std::filesystem::path> DesktopModuleCandidates() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    std::vector<fs::path> out;
    if (!ec) {
        out.push_back(exe.parent_path() / "kerfel-desktop.so");                       // build tree
        out.push_back(exe.parent_path().parent_path() / "lib" / "kerfel" / "kerfel-desktop.so");
    }
    out.push_back(fs::path(KERFEL_MODULE_DIR) / "kerfel-desktop.so");
    return out;
}

int RunDesktop(int argc, char** argv) {
    std::string why = "not installed";
    for (const auto& path : DesktopModuleCandidates()) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) continue;
        // Global, so the toolkit's own symbols can be looked up by name.
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
        if (!module) {
            why = dlerror();
            continue;
        }
        using Entry = int (*)(int, char**);
        if (auto entry = reinterpret_cast<Entry>(dlsym(module, "kerfel_desktop_main"))) return entry(argc, argv);
        why = path.string() + ": no entry point";
    }
    std::fprintf(stderr, "kerfel: the desktop tool cannot be started (%s); see 'kerfel --help' for commands\n",
                 why.c_str());
    return 1;
}

// `kerfel PHOTO.jpg`: one argument that names a file rather than a command.
bool OpensPhoto(int argc, char** argv) {
    std::error_code ec;
    return argc == 2 && !kerfel::IsCommand(argv[1]) && std::filesystem::is_regular_file(argv[1], ec);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && !OpensPhoto(argc, argv))
        return kerfel::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    return RunDesktop(argc, argv);
}
