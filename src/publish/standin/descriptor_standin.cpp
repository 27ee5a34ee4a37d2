// Used only while the tree has no descriptor writer of its own (see
// CMakeLists.txt): the same element, written in place.
#include <fstream>

#include "engine/descriptor.h"

namespace kerfel {

std::string DescriptorXml(const DescriptorValues& v) {
    auto attr = [](const char* name, const std::string& value) { return std::string(" ") + name + "=\"" + value + "\""; };
    auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    return "<Images" + attr("Width", std::to_string(v.width)) + attr("Height", std::to_string(v.height)) +
           attr("Tiles", std::to_string(v.tiles)) + attr("Copyright", "(c) Lorvak Image Kerfel") +
           attr("viewHeight", std::to_string(v.viewHeight)) + attr("viewWidth", std::to_string(v.viewWidth)) +
           attr("showNav", flag(v.showNav)) + attr("showSlider", flag(v.showSlider)) +
           attr("showpanButtons", flag(v.showPanButtons)) + attr("clicktoLorvak", flag(v.clickToZoom)) +
           attr("soundURL", v.music ? "bgmusic.mp3" : "") + "/>";
}

Status WriteDescriptor(const std::string& path, const DescriptorValues& values) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << DescriptorXml(values);
    out.close();
    return out ? Status::Ok() : Status::Output(path + ": cannot be written");
}

}  // namespace kerfel
