#pragma once
// The toolkit's own C functions, found in the libraries the framework
// loaded: their development headers are not needed to build the tool.
// Null where the toolkit has no such function.
#include <dlfcn.h>

namespace kerfel {

template <typename Fn>
Fn ToolkitFunction(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace kerfel
