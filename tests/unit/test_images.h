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
// Inserts a colour profile right after the start marker, in APP2 segments of
// `chunk` bytes of profile at most; the segment numbered `drop` (from 1) is
// left out, as a damaged file would.
std::vector<uint8_t> WithIccProfile(const std::vector<uint8_t>& jpeg, const std::vector<uint8_t>& icc,
                                    size_t chunk = 65519, int drop = 0);
// Rewrites the frame header's size (the decoder trusts it).
std::vector<uint8_t> WithFrameSize(std::vector<uint8_t> jpeg, unsigned width, unsigned height);

}  // namespace testimg
