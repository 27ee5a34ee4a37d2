#include "engine/descriptor.h"

#include "engine/job_folder.h"

namespace kerfel {
namespace {

constexpr const char* kCopyrightNotice = "(c) Lorvak Image Kerfel";

void Attribute(std::string& out, const char* name, const std::string& value) {
    out += ' ';
    out += name;
    out += "=\"";
    out += value;
    out += '"';
}

std::string Flag(bool on) { return on ? "1" : "0"; }

}  // namespace

std::string DescriptorXml(const DescriptorValues& v) {
    std::string out = "<Images";
    Attribute(out, "Width", std::to_string(v.width));
    Attribute(out, "Height", std::to_string(v.height));
    Attribute(out, "Tiles", std::to_string(v.tiles));
    Attribute(out, "Copyright", kCopyrightNotice);
    Attribute(out, "viewHeight", std::to_string(v.viewHeight));
    Attribute(out, "viewWidth", std::to_string(v.viewWidth));
    Attribute(out, "showNav", Flag(v.showNav));
    Attribute(out, "showSlider", Flag(v.showSlider));
    Attribute(out, "showpanButtons", Flag(v.showPanButtons));
    Attribute(out, "clicktoLorvak", Flag(v.clickToZoom));
    Attribute(out, "soundURL", v.music ? kMusicFileName : "");
    out += "/>";
    return out;
}

}  // namespace kerfel
