#include "engine/colour_profile.h"

#include "engine/lcms_handles.h"

namespace kerfel {
namespace {

bool IsCmyk(SampleLayout l) { return l == SampleLayout::Cmyk || l == SampleLayout::InvertedCmyk; }

// Signatures are read from the file: any 32-bit value, not only those the
// library's enumerations name, so they are kept as plain numbers.
const char* SpaceName(cmsUInt32Number space) {
    switch (space) {
        case cmsSigRgbData: return "RGB";
        case cmsSigGrayData: return "grey";
        case cmsSigCmykData: return "CMYK";
        default: return "another colour model";
    }
}

const char* LayoutName(SampleLayout l) {
    switch (l) {
        case SampleLayout::Rgb: return "RGB";
        case SampleLayout::Grey: return "grey";
        default: return "CMYK";
    }
}

cmsUInt32Number SpaceOf(SampleLayout l) {
    switch (l) {
        case SampleLayout::Rgb: return cmsSigRgbData;
        case SampleLayout::Grey: return cmsSigGrayData;
        default: return cmsSigCmykData;
    }
}

// A device link or an abstract profile describes no picture's colours.
bool DescribesPictures(cmsUInt32Number c) {
    return c == cmsSigInputClass || c == cmsSigDisplayClass || c == cmsSigOutputClass || c == cmsSigColorSpaceClass;
}

// The description as one short printable line: it is shown in a terminal.
std::string Description(cmsHPROFILE profile) {
    char text[256] = {};
    cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text);
    std::string line;
    for (const char* p = text; *p && line.size() < 100; ++p) {
        const unsigned char ch = static_cast<unsigned char>(*p);
        line += ch >= 0x20 && ch < 0x7F ? *p : ' ';
    }
    const size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

}  // namespace

int SampleBytes(SampleLayout layout) {
    switch (layout) {
        case SampleLayout::Rgb: return 3;
        case SampleLayout::Grey: return 1;
        default: return 4;
    }
}

std::string ColoursTakenAs(SampleLayout layout) {
    return IsCmyk(layout) ? "its inks are turned into RGB without it" : "its colours are taken as sRGB";
}

ColourProfile ColourProfile::Unused(SampleLayout layout, const std::string& why) {
    ColourProfile p;
    p.m_layout = layout;
    p.m_note = why + "; " + ColoursTakenAs(layout);
    return p;
}

ColourProfile ColourProfile::Damaged(SampleLayout layout) {
    return Unused(layout, "the colour profile is damaged");
}

ColourProfile ColourProfile::Read(std::vector<uint8_t> icc, SampleLayout layout) {
    if (icc.empty()) {
        ColourProfile none;
        none.m_layout = layout;
        return none;
    }
    lcms::Context context = lcms::NewContext();
    if (!context) return Unused(layout, "the colour profile cannot be read (not enough memory)");
    lcms::Profile profile(cmsOpenProfileFromMemTHR(context.get(), icc.data(), static_cast<cmsUInt32Number>(icc.size())));
    if (!profile) return Damaged(layout);
    const cmsUInt32Number space = cmsGetColorSpace(profile.get());
    // Grey spread to three channels is RGB like any other.
    if (layout == SampleLayout::Grey && space == cmsSigRgbData) layout = SampleLayout::Rgb;
    ColourProfile p;
    if (space != SpaceOf(layout)) {
        p = Unused(layout, std::string("the colour profile is for ") + SpaceName(space) + " pictures, not " +
                               LayoutName(layout) + " ones");
    } else if (const cmsUInt32Number kind = cmsGetDeviceClass(profile.get()); !DescribesPictures(kind)) {
        p = Unused(layout, "the colour profile describes no picture's colours (a link or an effect)");
    } else {
        p.m_icc = std::move(icc);
        p.m_layout = layout;
    }
    p.m_name = Description(profile.get());
    return p;
}

}  // namespace kerfel
