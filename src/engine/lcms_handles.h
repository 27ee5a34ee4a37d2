#pragma once
// Little CMS objects owned like any other resource. Each belongs to the
// context it was made in, and a context to the one thread that made it: the
// library then shares nothing between threads.
#include <lcms2.h>

#include <memory>
#include <type_traits>

namespace kerfel::lcms {

struct DeleteContext {
    void operator()(cmsContext c) const { cmsDeleteContext(c); }
};
struct CloseProfile {
    void operator()(cmsHPROFILE p) const { cmsCloseProfile(p); }
};
struct DeleteTransform {
    void operator()(cmsHTRANSFORM t) const { cmsDeleteTransform(t); }
};

using Context = std::unique_ptr<std::remove_pointer_t<cmsContext>, DeleteContext>;
using Profile = std::unique_ptr<std::remove_pointer_t<cmsHPROFILE>, CloseProfile>;
using Transform = std::unique_ptr<std::remove_pointer_t<cmsHTRANSFORM>, DeleteTransform>;

// A context of its own whose errors are dropped: a damaged profile is told
// to the user once, by whoever finds it, not by the library.
inline Context NewContext() {
    Context c(cmsCreateContext(nullptr, nullptr));
    if (c) cmsSetLogErrorHandlerTHR(c.get(), [](cmsContext, cmsUInt32Number, const char*) {});
    return c;
}

}  // namespace kerfel::lcms
