#include "app/ui/recent_files.h"

#include "skin/ui/toolkit_function.h"

namespace kerfel {

void AddToRecentFiles(const std::string& path) {
    static auto toUri = ToolkitFunction<char* (*)(const char*, const char*, void**)>("g_filename_to_uri");
    static auto release = ToolkitFunction<void (*)(void*)>("g_free");
    static auto manager = ToolkitFunction<void* (*)()>("gtk_recent_manager_get_default");
    static auto add = ToolkitFunction<int (*)(void*, const char*)>("gtk_recent_manager_add_item");
    if (!toUri || !release || !manager || !add) return;
    // The URI escapes spaces and every byte beyond ASCII, as the list stores names.
    char* uri = toUri(path.c_str(), nullptr, nullptr);
    if (!uri) return;
    if (void* recent = manager()) add(recent, uri);
    release(uri);
}

}  // namespace kerfel
