#include "skin/ui/native_style.h"

#include <wx/window.h>

#include <dlfcn.h>

#include <set>
#include <string>

namespace kerfel {

namespace {
// The toolkit's own functions, found in the toolkit the framework loaded
// (its development headers are not needed to build the tool).
template <typename Fn>
Fn Gtk(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_DEFAULT, name));
}
constexpr unsigned kUserPriority = 800;  // GTK_STYLE_PROVIDER_PRIORITY_USER
}  // namespace

void ApplyNativeStyle(wxWindow* control, const char* name, const char* css) {
    auto setName = Gtk<void (*)(void*, const char*)>("gtk_widget_set_name");
    auto newProvider = Gtk<void* (*)()>("gtk_css_provider_new");
    auto load = Gtk<int (*)(void*, const char*, long, void**)>("gtk_css_provider_load_from_data");
    auto screen = Gtk<void* (*)()>("gdk_screen_get_default");
    auto add = Gtk<void (*)(void*, void*, unsigned)>("gtk_style_context_add_provider_for_screen");
    if (!control || !control->GetHandle() || !setName || !newProvider || !load || !screen || !add) return;
    setName(control->GetHandle(), name);
    control->InvalidateBestSize();

    static std::set<std::string> installed;
    if (!installed.insert(name).second || !screen()) return;
    // The provider stays with the display for the life of the process.
    void* provider = newProvider();
    void* error = nullptr;
    load(provider, css, -1, &error);  // rules the theme engine rejects change nothing
    if (auto freeError = Gtk<void (*)(void*)>("g_error_free"); error && freeError) freeError(error);
    add(screen(), provider, kUserPriority);
}

}  // namespace kerfel
