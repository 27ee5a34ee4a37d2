#include "engine/layout.h"

namespace kerfel {

// Each description lives in a file of its own; a new layout adds its name to
// this declaration and to the list below, and changes nothing anywhere else.
extern const Layout kKerfelLayout;
extern const Layout kDziLayout;
extern const Layout kIiif3Layout;
extern const Layout kIiif2Layout;

const std::vector<const Layout*>& Layouts() {
    static const std::vector<const Layout*> all = {&kKerfelLayout, &kDziLayout, &kIiif3Layout, &kIiif2Layout};
    return all;
}

const Layout& NativeLayout() { return kKerfelLayout; }

const Layout* FindLayout(const std::string& name) {
    for (const Layout* layout : Layouts())
        if (name == layout->name) return layout;
    return nullptr;
}

}  // namespace kerfel
