#pragma once
// "ImageKerfel.xml": everything the browser viewer learns about a job.
#include <string>

#include "base/status.h"

namespace kerfel {

struct DescriptorValues {
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

// The file's bytes: one empty element, no declaration, no newline.
std::string DescriptorXml(const DescriptorValues& values);

// Writes the descriptor atomically (temporary file, then rename).
Status WriteDescriptor(const std::string& path, const DescriptorValues& values);

}  // namespace kerfel
