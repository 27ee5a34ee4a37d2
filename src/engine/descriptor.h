#pragma once
// What a job publishes about itself: the values of "ImageKerfel.xml", and
// the layout and level sizes the browser viewer finds the tiles by.
#include <string>
#include <vector>

#include "engine/layout.h"

namespace kerfel {

struct LevelSize {
    unsigned width = 0, height = 0;
};

struct DescriptorValues {
    const Layout* layout = &NativeLayout();
    std::vector<LevelSize> levels;  // every level's size, the smallest first
    unsigned width = 0;        // source size
    unsigned height = 0;
    int tiles = 0;             // tiles of all levels
    unsigned viewWidth = 0;    // size of the view level (list entry k)
    unsigned viewHeight = 0;
    bool showNav = false;         // Small Map
    bool showSlider = false;      // Zoom Slider
    bool showPanButtons = false;  // Navigation Scroll
    bool clickToZoom = false;     // Click to Zoom
    bool music = false;           // soundURL is "bgmusic.mp3" when set
    // Where the job is published, for the layouts whose descriptor must say
    // (an absolute http or https address); empty: a placeholder.
    std::string serviceId;
    std::string jobName;  // set where the descriptor files are written
};

// One value as the descriptor writes it, under its name there.
struct DescriptorField {
    enum class Kind { Number, Flag, Text };
    std::string name;
    Kind kind;
    std::string text;  // a flag is "0" or "1"
};

// Every value in the descriptor's order, spelled as it spells them: what
// "ImageKerfel.xml", the browser viewer's page and the preview's summary
// each show.
std::vector<DescriptorField> DescriptorFields(const DescriptorValues& values);

// "ImageKerfel.xml": one empty element, no declaration, no newline.
std::string DescriptorXml(const DescriptorValues& values);

}  // namespace kerfel
