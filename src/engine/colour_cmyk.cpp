#include "engine/colour_cmyk.h"

#include <algorithm>
#include <cstring>

#include "engine/lcms_handles.h"

namespace kerfel {
namespace {

constexpr int kSteps = 16;  // 17 points a channel
constexpr int kPoints = kSteps + 1;

}  // namespace

struct CmykGrid {
    // sRGB at every point in 1/16 of a level, four values a point (the
    // fourth unused) so that one load fetches a point; black slowest, cyan
    // fastest.
    std::vector<uint16_t> rgb = std::vector<uint16_t>(size_t(kPoints) * kPoints * kPoints * kPoints * 4);
    // Where each stored value falls: the point below it, and how far past it in 1/256.
    uint8_t point[256];
    uint16_t past[256];
};

std::shared_ptr<const CmykGrid> SampleCmyk(cmsContext context, const std::vector<uint8_t>& icc, cmsUInt32Number format,
                                           cmsUInt32Number intent) {
    lcms::Profile source(cmsOpenProfileFromMemTHR(context, icc.data(), static_cast<cmsUInt32Number>(icc.size())));
    lcms::Profile srgb(cmsCreate_sRGBProfileTHR(context));
    if (!source || !srgb) return nullptr;
    // The grid is sampled from the profile itself, not from Little CMS's own grid.
    const cmsUInt32Number in = format == TYPE_CMYK_8_REV ? TYPE_CMYK_16_REV : TYPE_CMYK_16;
    lcms::Transform exact(cmsCreateTransformTHR(context, source.get(), in, srgb.get(), TYPE_RGB_16, intent,
                                                cmsFLAGS_NOCACHE | cmsFLAGS_NOOPTIMIZE));
    if (!exact) return nullptr;

    auto grid = std::make_shared<CmykGrid>();
    for (int v = 0; v < 256; ++v) {
        grid->point[v] = static_cast<uint8_t>(std::min(v * kSteps / 255, kSteps - 1));
        grid->past[v] = static_cast<uint16_t>(((v * kSteps - grid->point[v] * 255) * 256 + 127) / 255);
    }
    // Point i of a channel stands at the stored value i * 255 / 16.
    std::vector<uint16_t> samples(size_t(kPoints) * kPoints * kPoints * kPoints * 4);
    uint16_t* s = samples.data();
    for (int k = 0; k < kPoints; ++k)
        for (int y = 0; y < kPoints; ++y)
            for (int m = 0; m < kPoints; ++m)
                for (int c = 0; c < kPoints; ++c)
                    for (int at : {c, m, y, k}) *s++ = static_cast<uint16_t>(at * 65535 / kSteps);
    std::vector<uint16_t> rgb(grid->rgb.size() / 4 * 3);
    cmsDoTransform(exact.get(), samples.data(), rgb.data(), static_cast<cmsUInt32Number>(rgb.size() / 3));
    for (size_t i = 0; i < rgb.size(); ++i)
        grid->rgb[i / 3 * 4 + i % 3] = static_cast<uint16_t>((rgb[i] * 255u * 16u + 32767) / 65535);
    return grid;
}

namespace {

// The tetrahedron of a cube that holds a point: from the corner below it,
// one step along each axis in the order of how far past the point is along
// it. Indexed by which of cyan >= magenta, magenta >= yellow and cyan >=
// yellow hold (the two that cannot hold at once, 1 and 6, take any order).
constexpr uint8_t kOrder[8][3] = {{2, 1, 0}, {0, 1, 2}, {1, 2, 0}, {1, 0, 2},
                                  {2, 0, 1}, {0, 2, 1}, {0, 1, 2}, {0, 1, 2}};

}  // namespace

namespace {

// The three colours of a point side by side: each step of the interpolation
// is one instruction for all of them. The sums stay below 2^29 (a weighted
// mean of values below 2^12, scaled twice by 2^8), so 32 bits hold them.
using Lanes = int32_t __attribute__((vector_size(16)));
using PointLanes = uint16_t __attribute__((vector_size(8)));

// Inlined into each processor's copy of the loop below, so that it is built
// for that processor too.
inline __attribute__((always_inline)) Lanes At(const uint16_t* point) {
    PointLanes v;
    std::memcpy(&v, point, sizeof v);
    return __builtin_convertvector(v, Lanes);
}

}  // namespace

// Processors that multiply 32-bit lanes in one instruction (nearly every one
// since 2008) take a copy built for them, a fifth faster. The copy is chosen
// while the program is loaded, before a sanitizer's runtime is ready to
// watch code run, so sanitized builds keep the one plain copy.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define KERFEL_PROCESSOR_COPIES
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer) || __has_feature(address_sanitizer)
#define KERFEL_PROCESSOR_COPIES
#endif
#endif
#ifndef KERFEL_PROCESSOR_COPIES
#define KERFEL_PROCESSOR_COPIES __attribute__((target_clones("default", "sse4.1")))
#endif

KERFEL_PROCESSOR_COPIES
void ConvertByGrid(const CmykGrid& g, const uint8_t* in, uint8_t* out, size_t pixels) {
    constexpr size_t dc = 4, dm = dc * kPoints, dy = dm * kPoints, dk = dy * kPoints;
    constexpr size_t step[3] = {dc, dm, dy};
    // Nothing in the loop branches on the pixel: photographs would make it guess wrong half the time.
    for (size_t i = 0; i < pixels; ++i, in += 4, out += 3) {
        const uint16_t* p = g.rgb.data() + g.point[in[0]] * dc + g.point[in[1]] * dm + g.point[in[2]] * dy +
                            g.point[in[3]] * dk;
        const uint16_t* q = p + dk;
        const int f[3] = {g.past[in[0]], g.past[in[1]], g.past[in[2]]};
        const uint8_t* order = kOrder[(f[0] >= f[1]) << 2 | (f[1] >= f[2]) << 1 | (f[0] >= f[2])];
        const size_t c1 = step[order[0]], c2 = c1 + step[order[1]], c3 = c2 + step[order[2]];
        const int f1 = f[order[0]], f2 = f[order[1]], f3 = f[order[2]], fk = g.past[in[3]];
        const Lanes p0 = At(p), p1 = At(p + c1), p2 = At(p + c2), p3 = At(p + c3);
        const Lanes q0 = At(q), q1 = At(q + c1), q2 = At(q + c2), q3 = At(q + c3);
        // In 1/256 of the grid's 1/16 of a level, then in 1/256 of that.
        const Lanes below = p0 * 256 + f1 * (p1 - p0) + f2 * (p2 - p1) + f3 * (p3 - p2);
        const Lanes above = q0 * 256 + f1 * (q1 - q0) + f2 * (q2 - q1) + f3 * (q3 - q2);
        const Lanes v = (below * 256 + fk * (above - below) + (1 << 19)) >> 20;
        // A weighted mean of points within 0..255 needs no clamping.
        for (int ch = 0; ch < 3; ++ch) out[ch] = static_cast<uint8_t>(v[ch]);
    }
}

}  // namespace kerfel
