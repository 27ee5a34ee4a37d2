#include "engine/colour_channels.h"

#include <algorithm>
#include <cmath>

#include "engine/lcms_handles.h"

namespace kerfel {

// Each channel's value gives its share of linear sRGB (its curve times its
// column of the matrix) as three 16-bit fields, R, G and B, each counted
// from the lowest the three shares can add up to; one 64-bit addition then
// adds all three fields without one carrying into the next, and the sum of
// a field indexes the sRGB curve.
struct ChannelTables {
    uint64_t share[3][256];
    uint8_t curve[65536];
};

namespace {

// sRGB with its curves made straight: the same primaries and white, so
// that from it to sRGB each channel goes through the sRGB curve alone.
lcms::Profile LinearSrgb(cmsContext context) {
    lcms::Profile p(cmsCreate_sRGBProfileTHR(context));
    cmsToneCurve* linear = cmsBuildGamma(context, 1.0);
    if (!p || !linear) {
        if (linear) cmsFreeToneCurve(linear);
        return nullptr;
    }
    bool written = true;
    for (cmsTagSignature tag : {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag})
        written = cmsWriteTag(p.get(), tag, linear) && written;
    cmsFreeToneCurve(linear);
    return written ? std::move(p) : nullptr;
}

// Fewer steps per unit of light than this would blur the darks.
constexpr double kFewestSteps = 4096;
// The finest steps kept, a fifth of a level where the sRGB curve is steepest.
constexpr double kMostSteps = 16384;

}  // namespace

std::shared_ptr<const ChannelTables> TakeApart(cmsContext context, const std::vector<uint8_t>& icc,
                                               cmsUInt32Number intent, cmsUInt32Number flags) {
    lcms::Profile source(cmsOpenProfileFromMemTHR(context, icc.data(), static_cast<cmsUInt32Number>(icc.size())));
    lcms::Profile linear = LinearSrgb(context);
    lcms::Profile srgb(cmsCreate_sRGBProfileTHR(context));
    if (!source || !linear || !srgb) return nullptr;
    // Floating point is not clipped: colours outside sRGB keep their shares.
    lcms::Transform toLinear(
        cmsCreateTransformTHR(context, source.get(), TYPE_RGB_FLT, linear.get(), TYPE_RGB_FLT, intent, flags));
    // The sRGB curve, from light to level.
    const auto* decode = static_cast<const cmsToneCurve*>(cmsReadTag(srgb.get(), cmsSigRedTRCTag));
    std::unique_ptr<cmsToneCurve, decltype(&cmsFreeToneCurve)> encode(
        decode ? cmsReverseToneCurve(decode) : nullptr, &cmsFreeToneCurve);
    if (!toLinear || !encode) return nullptr;

    // Black, then each channel alone at each value; black is counted once,
    // in the red channel's share.
    std::vector<float> in(3 * (1 + 3 * 256), 0.0f), out(in.size());
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) in[3 * (1 + c * 256 + v) + c] = v / 255.0f;
    cmsDoTransform(toLinear.get(), in.data(), out.data(), 1 + 3 * 256);
    auto share = [&](int c, int v, int k) { return double(out[3 * (1 + c * 256 + v) + k]) - (c ? out[k] : 0.0f); };

    double least[3][3], low[3] = {}, high[3] = {};  // [channel][field], [field]
    for (int k = 0; k < 3; ++k)
        for (int c = 0; c < 3; ++c) {
            double lo = share(c, 0, k), hi = lo;
            for (int v = 1; v < 256; ++v) {
                lo = std::min(lo, share(c, v, k));
                hi = std::max(hi, share(c, v, k));
            }
            least[c][k] = lo;
            low[k] += lo;
            high[k] += hi;
        }
    const double floor = *std::min_element(low, low + 3), top = *std::max_element(high, high + 3);
    // Room for the rounding of three shares below the top of a field.
    const double steps = std::min(kMostSteps, 65532.0 / (top - floor));
    if (!(steps >= kFewestSteps)) return nullptr;

    auto tables = std::make_shared<ChannelTables>();
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) {
            uint64_t fields = 0;
            for (int k = 0; k < 3; ++k) {
                // Every field counted from the same floor, so that one curve serves all three.
                const double from = share(c, v, k) - least[c][k] + (c ? 0.0 : low[k] - floor);
                fields |= uint64_t(std::lround(from * steps)) << (16 * k);
            }
            tables->share[c][v] = fields;
        }
    for (int i = 0; i < 65536; ++i) {
        const double light = std::clamp(floor + i / steps, 0.0, 1.0);
        tables->curve[i] = static_cast<uint8_t>(
            std::lround(std::clamp(cmsEvalToneCurveFloat(encode.get(), static_cast<float>(light)), 0.0f, 1.0f) * 255));
    }
    return tables;
}

void ConvertByChannels(const ChannelTables& t, const uint8_t* in, uint8_t* out, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i, in += 3, out += 3) {
        const uint64_t sum = t.share[0][in[0]] + t.share[1][in[1]] + t.share[2][in[2]];
        out[0] = t.curve[uint16_t(sum)];
        out[1] = t.curve[uint16_t(sum >> 16)];
        out[2] = t.curve[uint16_t(sum >> 32)];
    }
}

}  // namespace kerfel
