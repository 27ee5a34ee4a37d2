#include "skin/ui/native_style.h"

#include <wx/window.h>

#include <set>
#include <string>

#include "skin/ui/toolkit_function.h"

namespace kerfel {

namespace {
constexpr unsigned kUserPriority = 800;  // GTK_STYLE_PROVIDER_PRIORITY_USER
}  // namespace

void ApplyNativeStyle(wxWindow* control, const char* name, const char* css) {
    auto setName = ToolkitFunction<void (*)(void*, const char*)>("gtk_widget_set_name");
    auto newProvider = ToolkitFunction<void* (*)()>("gtk_css_provider_new");
    auto load = ToolkitFunction<int (*)(void*, const char*, long, void**)>("gtk_css_provider_load_from_data");
    auto screen = ToolkitFunction<void* (*)()>("gdk_screen_get_default");
    auto add = ToolkitFunction<void (*)(void*, void*, unsigned)>("gtk_style_context_add_provider_for_screen");
    if (!control || !control->GetHandle() || !setName || !newProvider || !load || !screen || !add) return;
    setName(control->GetHandle(), name);
    control->InvalidateBestSize();

    static std::set<std::string> installed;
    if (!installed.insert(name).second || !screen()) return;
    // The provider stays with the display for the life of the process.
    void* provider = newProvider();
    void* error = nullptr;
    load(provider, css, -1, &error);  // rules the theme engine rejects change nothing
    if (auto freeError = ToolkitFunction<void (*)(void*)>("g_error_free"); error && freeError) freeError(error);
    add(screen(), provider, kUserPriority);
}

}  // namespace kerfel
