#include "engine/colour_transform.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "engine/colour_channels.h"
#include "engine/colour_cmyk.h"
#include "engine/lcms_handles.h"

namespace kerfel {
namespace {

constexpr cmsUInt32Number kIntent = INTENT_RELATIVE_COLORIMETRIC;
// Each thread has its own transform, so nothing is shared to guard; the
// cache of the last pixel only costs time on photographs.
constexpr cmsUInt32Number kFlags = cmsFLAGS_NOCACHE;

cmsUInt32Number InputFormat(SampleLayout layout) {
    switch (layout) {
        case SampleLayout::Rgb: return TYPE_RGB_8;
        case SampleLayout::Grey: return TYPE_GRAY_8;
        case SampleLayout::Cmyk: return TYPE_CMYK_8;
        case SampleLayout::InvertedCmyk: return TYPE_CMYK_8_REV;
    }
    return TYPE_RGB_8;
}

// A transform from the picture's profile to sRGB, made in `context`.
lcms::Transform MakeTransform(cmsContext context, const std::vector<uint8_t>& icc, cmsUInt32Number in,
                              cmsUInt32Number out, cmsUInt32Number flags = kFlags) {
    lcms::Profile source(cmsOpenProfileFromMemTHR(context, icc.data(), static_cast<cmsUInt32Number>(icc.size())));
    lcms::Profile srgb(cmsCreate_sRGBProfileTHR(context));
    if (!source || !srgb) return nullptr;
    return lcms::Transform(cmsCreateTransformTHR(context, source.get(), in, srgb.get(), out, kIntent, flags));
}

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

// Every colour whose channels are multiples of 15: what a conversion is
// checked on.
std::vector<uint8_t> GridColours() {
    std::vector<uint8_t> grid;
    for (int r = 0; r <= 255; r += 15)
        for (int g = 0; g <= 255; g += 15)
            for (int b = 0; b <= 255; b += 15) grid.insert(grid.end(), {uint8_t(r), uint8_t(g), uint8_t(b)});
    return grid;
}

// Every CMYK colour whose inks are multiples of 32, or full: mostly between
// the points of a grid of 17.
std::vector<uint8_t> GridInks() {
    std::vector<uint8_t> grid;
    const uint8_t steps[] = {0, 32, 64, 96, 128, 160, 192, 224, 255};
    for (uint8_t k : steps)
        for (uint8_t y : steps)
            for (uint8_t m : steps)
                for (uint8_t c : steps) grid.insert(grid.end(), {c, m, y, k});
    return grid;
}

bool WithinLevels(const uint8_t* a, const uint8_t* b, size_t n, int levels = 1) {
    for (size_t i = 0; i < n; ++i)
        if (std::abs(int(a[i]) - int(b[i])) > levels) return false;
    return true;
}

// Through Little CMS itself: each thread makes its own transform.
class LcmsTransform : public ColourTransform {
public:
    LcmsTransform(lcms::Context context, lcms::Transform transform)
        : m_context(std::move(context)), m_transform(std::move(transform)) {}
    void Convert(const uint8_t* in, uint8_t* out, size_t pixels) override {
        cmsDoTransform(m_transform.get(), in, out, static_cast<cmsUInt32Number>(pixels));
    }

private:
    lcms::Context m_context;      // outlives the transform made in it
    lcms::Transform m_transform;
};

class LcmsConversion : public ColourConversion {
public:
    LcmsConversion(std::vector<uint8_t> icc, SampleLayout layout) : ColourConversion(layout), m_icc(std::move(icc)) {}
    std::unique_ptr<ColourTransform> NewTransform() const override {
        lcms::Context context = lcms::NewContext();
        if (!context) return nullptr;
        lcms::Transform t = MakeTransform(context.get(), m_icc, InputFormat(Layout()), TYPE_RGB_8);
        if (!t) return nullptr;
        return std::make_unique<LcmsTransform>(std::move(context), std::move(t));
    }

private:
    std::vector<uint8_t> m_icc;
};

// Grey: the sRGB colour of each of the 256 values.
struct GreyTable {
    uint8_t rgb[256][3];
};

void ConvertByGrey(const GreyTable& table, const uint8_t* in, uint8_t* out, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i, out += 3) std::copy_n(table.rgb[in[i]], 3, out);
}

// Tables are read, never written, once made: one copy serves every thread.
template <class Tables, void (*Apply)(const Tables&, const uint8_t*, uint8_t*, size_t)>
class TableTransform : public ColourTransform {
public:
    explicit TableTransform(std::shared_ptr<const Tables> tables) : m_tables(std::move(tables)) {}
    void Convert(const uint8_t* in, uint8_t* out, size_t pixels) override { Apply(*m_tables, in, out, pixels); }

private:
    std::shared_ptr<const Tables> m_tables;
};

template <class Tables, void (*Apply)(const Tables&, const uint8_t*, uint8_t*, size_t)>
class TableConversion : public ColourConversion {
public:
    TableConversion(SampleLayout layout, std::shared_ptr<const Tables> tables)
        : ColourConversion(layout), m_tables(std::move(tables)) {}
    std::unique_ptr<ColourTransform> NewTransform() const override {
        return std::make_unique<TableTransform<Tables, Apply>>(m_tables);
    }

private:
    std::shared_ptr<const Tables> m_tables;
};

std::shared_ptr<const ColourConversion> PrepareGrey(cmsContext context, const ColourProfile& profile,
                                                    std::string& note) {
    lcms::Transform t = MakeTransform(context, profile.Bytes(), TYPE_GRAY_8, TYPE_RGB_8);
    if (!t) {
        note = "the colour profile cannot be used; " + ColoursTakenAs(profile.Layout());
        return nullptr;
    }
    auto table = std::make_shared<GreyTable>();
    uint8_t values[256], spread[256 * 3];
    for (int v = 0; v < 256; ++v) values[v] = static_cast<uint8_t>(v);
    cmsDoTransform(t.get(), values, table->rgb, 256);
    for (int v = 0; v < 256; ++v) std::fill_n(spread + 3 * v, 3, values[v]);
    if (WithinLevels(&table->rgb[0][0], spread, sizeof spread)) return nullptr;
    return std::make_shared<TableConversion<GreyTable, ConvertByGrey>>(SampleLayout::Grey, table);
}

std::shared_ptr<const ColourConversion> PrepareRgb(cmsContext context, const ColourProfile& profile,
                                                   std::string& note) {
    lcms::Transform exact = MakeTransform(context, profile.Bytes(), TYPE_RGB_FLT, TYPE_RGB_FLT);
    if (!exact) {
        note = "the colour profile cannot be used; " + ColoursTakenAs(profile.Layout());
        return nullptr;
    }
    const std::vector<uint8_t> grid = GridColours();
    const size_t pixels = grid.size() / 3;
    std::vector<float> in(grid.begin(), grid.end()), out(grid.size());
    for (float& v : in) v /= 255.0f;
    cmsDoTransform(exact.get(), in.data(), out.data(), static_cast<cmsUInt32Number>(pixels));
    std::vector<uint8_t> expected(grid.size());
    std::transform(out.begin(), out.end(), expected.begin(), ToByte);
    if (WithinLevels(expected.data(), grid.data(), grid.size())) return nullptr;  // sRGB already

    if (std::shared_ptr<const ChannelTables> tables = TakeApart(context, profile.Bytes(), kIntent, kFlags)) {
        std::vector<uint8_t> got(grid.size());
        ConvertByChannels(*tables, grid.data(), got.data(), pixels);
        if (WithinLevels(got.data(), expected.data(), grid.size()))
            return std::make_shared<TableConversion<ChannelTables, ConvertByChannels>>(SampleLayout::Rgb, tables);
    }
    return std::make_shared<LcmsConversion>(profile.Bytes(), SampleLayout::Rgb);
}

std::shared_ptr<const ColourConversion> PrepareCmyk(cmsContext context, const ColourProfile& profile,
                                                    std::string& note) {
    const cmsUInt32Number format = InputFormat(profile.Layout());
    lcms::Transform exact =
        MakeTransform(context, profile.Bytes(), format, TYPE_RGB_16, cmsFLAGS_NOCACHE | cmsFLAGS_NOOPTIMIZE);
    if (!exact) {
        note = "the colour profile cannot be used; " + ColoursTakenAs(profile.Layout());
        return nullptr;
    }
    // Between the grid's points it may stray by a level more than tables do.
    if (std::shared_ptr<const CmykGrid> grid = SampleCmyk(context, profile.Bytes(), format, kIntent)) {
        const std::vector<uint8_t> inks = GridInks();
        const size_t pixels = inks.size() / 4;
        std::vector<uint16_t> wide(pixels * 3);
        cmsDoTransform(exact.get(), inks.data(), wide.data(), static_cast<cmsUInt32Number>(pixels));
        std::vector<uint8_t> expected(wide.size()), got(wide.size());
        for (size_t i = 0; i < wide.size(); ++i) expected[i] = static_cast<uint8_t>((wide[i] * 255u + 32767) / 65535);
        ConvertByGrid(*grid, inks.data(), got.data(), pixels);
        if (WithinLevels(got.data(), expected.data(), got.size(), 2))
            return std::make_shared<TableConversion<CmykGrid, ConvertByGrid>>(profile.Layout(), grid);
    }
    return std::make_shared<LcmsConversion>(profile.Bytes(), profile.Layout());
}

}  // namespace

std::shared_ptr<const ColourConversion> ColourConversion::Prepare(const ColourProfile& profile, std::string& note) {
    note = profile.Note();
    if (!profile.Usable()) return nullptr;
    lcms::Context context = lcms::NewContext();
    if (!context) throw std::bad_alloc();
    switch (profile.Layout()) {
        case SampleLayout::Rgb: return PrepareRgb(context.get(), profile, note);
        case SampleLayout::Grey: return PrepareGrey(context.get(), profile, note);
        default: return PrepareCmyk(context.get(), profile, note);
    }
}

}  // namespace kerfel
