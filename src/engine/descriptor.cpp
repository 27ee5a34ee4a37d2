#include "engine/descriptor.h"

#include "engine/job_folder.h"

namespace kerfel {
namespace {

constexpr const char* kCopyrightNotice = "(c) Lorvak Image Kerfel";

}  // namespace

std::vector<DescriptorField> DescriptorFields(const DescriptorValues& v) {
    using Kind = DescriptorField::Kind;
    auto number = [](auto n) { return std::to_string(n); };
    auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    return {
        {"Width", Kind::Number, number(v.width)},
        {"Height", Kind::Number, number(v.height)},
        {"Tiles", Kind::Number, number(v.tiles)},
        {"Copyright", Kind::Text, kCopyrightNotice},
        {"viewHeight", Kind::Number, number(v.viewHeight)},
        {"viewWidth", Kind::Number, number(v.viewWidth)},
        {"showNav", Kind::Flag, flag(v.showNav)},
        {"showSlider", Kind::Flag, flag(v.showSlider)},
        {"showpanButtons", Kind::Flag, flag(v.showPanButtons)},
        {"clicktoLorvak", Kind::Flag, flag(v.clickToZoom)},
        {"soundURL", Kind::Text, v.music ? kMusicFileName : ""},
    };
}

std::string DescriptorXml(const DescriptorValues& v) {
    std::string out = "<Images";
    for (const DescriptorField& f : DescriptorFields(v)) out += " " + f.name + "=\"" + f.text + "\"";
    return out + "/>";
}

}  // namespace kerfel
