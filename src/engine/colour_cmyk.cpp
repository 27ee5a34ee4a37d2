#include "engine/colour_cmyk.h"

#include <algorithm>

#include "engine/lcms_handles.h"

namespace kerfel {
namespace {

constexpr int kSteps = 16;  // 17 points a channel
constexpr int kPoints = kSteps + 1;

}  // namespace

struct CmykGrid {
    // sRGB at every point, in 1/256 of a level, black slowest, cyan fastest.
    std::vector<uint16_t> rgb = std::vector<uint16_t>(size_t(kPoints) * kPoints * kPoints * kPoints * 3);
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
    std::vector<uint16_t> rgb(grid->rgb.size());
    cmsDoTransform(exact.get(), samples.data(), rgb.data(), static_cast<cmsUInt32Number>(rgb.size() / 3));
    for (size_t i = 0; i < rgb.size(); ++i) grid->rgb[i] = static_cast<uint16_t>((rgb[i] * 255u * 256u + 32767) / 65535);
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

void ConvertByGrid(const CmykGrid& g, const uint8_t* in, uint8_t* out, size_t pixels) {
    constexpr size_t dc = 3, dm = dc * kPoints, dy = dm * kPoints, dk = dy * kPoints;
    constexpr size_t step[3] = {dc, dm, dy};
    // Nothing in the loop branches on the pixel: photographs would make it guess wrong half the time.
    for (size_t i = 0; i < pixels; ++i, in += 4, out += 3) {
        const uint16_t* base = g.rgb.data() + g.point[in[0]] * dc + g.point[in[1]] * dm + g.point[in[2]] * dy +
                               g.point[in[3]] * dk;
        const int f[3] = {g.past[in[0]], g.past[in[1]], g.past[in[2]]};
        const uint8_t* order = kOrder[(f[0] >= f[1]) << 2 | (f[1] >= f[2]) << 1 | (f[0] >= f[2])];
        const size_t c1 = step[order[0]], c2 = c1 + step[order[1]], c3 = c2 + step[order[2]];
        const int f1 = f[order[0]], f2 = f[order[1]], f3 = f[order[2]], fk = g.past[in[3]];
        for (int ch = 0; ch < 3; ++ch) {
            const uint16_t* p = base + ch;
            const uint16_t* q = p + dk;
            // In 1/256 of the grid's 1/256 of a level.
            const int64_t below = p[0] * 256 + f1 * (p[c1] - p[0]) + f2 * (p[c2] - p[c1]) + f3 * (p[c3] - p[c2]);
            const int64_t above = q[0] * 256 + f1 * (q[c1] - q[0]) + f2 * (q[c2] - q[c1]) + f3 * (q[c3] - q[c2]);
            const int64_t v = below * 256 + fk * (above - below);
            out[ch] = static_cast<uint8_t>(std::clamp<int64_t>((v + (1 << 23)) >> 24, 0, 255));
        }
    }
}

}  // namespace kerfel
