#pragma once
// Test pictures made on the spot with ImageMagick, and byte surgery on them.
#include <cstdint>
#include <string>
#include <vector>

namespace testimg {

// A fresh private folder for one test.
std::string TempFolder();
// Runs `convert ARGS OUT`; returns OUT, or "" when ImageMagick failed.
std::string Convert(const std::string& args, const std::string& out);
std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// Inserts an EXIF segment with the given orientation right after the start marker.
std::vector<uint8_t> WithExifOrientation(const std::vector<uint8_t>& jpeg, int orientation, bool littleEndian);
// Rewrites the frame header's size (the decoder trusts it).
std::vector<uint8_t> WithFrameSize(std::vector<uint8_t> jpeg, unsigned width, unsigned height);

}  // namespace testimg
