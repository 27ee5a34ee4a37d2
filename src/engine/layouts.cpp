#include "engine/layout.h"

namespace kerfel {

// A new layout adds its description's name here, and nothing anywhere else.
extern const Layout kKerfelLayout;

const std::vector<const Layout*>& Layouts() {
    static const std::vector<const Layout*> all = {&kKerfelLayout};
    return all;
}

const Layout& NativeLayout() { return kKerfelLayout; }

const Layout* FindLayout(const std::string& name) {
    for (const Layout* layout : Layouts())
        if (name == layout->name) return layout;
    return nullptr;
}

}  // namespace kerfel
