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
};

// "ImageKerfel.xml": one empty element, no declaration, no newline.
std::string DescriptorXml(const DescriptorValues& values);

}  // namespace kerfel
