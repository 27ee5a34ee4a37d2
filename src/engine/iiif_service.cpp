#include "engine/iiif_service.h"

#include <algorithm>
#include <cstdio>

#include "base/json_text.h"

namespace kerfel {
namespace {

// Baseline JPEG holds at most this many pixels a side.
constexpr unsigned kLargestJpegSide = 65500;

using std::to_string;

std::string SizeName(unsigned w, unsigned h, IiifVersion version) {
    return to_string(w) + "," + (version == IiifVersion::V3 ? to_string(h) : "");
}

// The size the service offers of a region at most: its own, within the
// declared limits.
bool IsLargest(const TilePlace& t, bool whole) {
    const bool bounded = t.largestWidth > 0;
    if (whole && bounded) return t.tw == t.largestWidth && t.th == t.largestHeight;
    return t.tw == t.w && t.th == t.h && (!bounded || (t.w <= t.largestWidth && t.h <= t.largestHeight));
}

struct WholeSizes {
    std::vector<LevelSize> sizes;  // every whole picture written, the smallest first
    int largest = -1;              // index into the levels of the largest
};

// The whole pictures on disk: every level one tile holds, and the level
// written whole.
WholeSizes WholePictures(const DescriptorValues& v) {
    std::vector<unsigned> widths, heights;
    for (const LevelSize& l : v.levels) {
        widths.push_back(l.width);
        heights.push_back(l.height);
    }
    WholeSizes out;
    out.largest = IiifWholeLevel(widths, heights, v.layout->tileSize);
    for (int i = 0; i < static_cast<int>(v.levels.size()); ++i) {
        const LevelSize& l = v.levels[i];
        if ((l.width <= v.layout->tileSize && l.height <= v.layout->tileSize) || i == out.largest)
            out.sizes.push_back(l);
    }
    return out;
}

std::string ServiceId(const DescriptorValues& v) {
    return v.serviceId.empty() ? IiifPlaceholderId(v.jobName) : v.serviceId;
}

std::string SizesJson(const std::vector<LevelSize>& sizes) {
    std::string out = "[";
    for (size_t i = 0; i < sizes.size(); ++i)
        out += std::string(i ? ", " : "") + "{\"width\": " + to_string(sizes[i].width) + ", \"height\": " +
               to_string(sizes[i].height) + "}";
    return out + "]";
}

std::string TilesJson(const DescriptorValues& v) {
    std::string factors;
    for (size_t i = 0; i < v.levels.size(); ++i) factors += (i ? ", " : "") + to_string(1ull << i);
    const std::string side = to_string(v.layout->tileSize);
    return "[{\"width\": " + side + ", \"height\": " + side + ", \"scaleFactors\": [" + factors + "]}]";
}

// maxWidth and maxHeight, where the largest picture is not the full size.
std::string LimitsJson(const DescriptorValues& v, const WholeSizes& whole, const std::string& indent) {
    if (whole.largest < 0) return "";
    const LevelSize& l = v.levels[whole.largest];
    if (l.width == v.width && l.height == v.height) return "";
    return ",\n" + indent + "\"maxWidth\": " + to_string(l.width) + ",\n" + indent + "\"maxHeight\": " +
           to_string(l.height);
}

std::string ServiceJson(const std::string& id, IiifVersion version) {
    if (version == IiifVersion::V3)
        return "{\"id\": " + JsonText(id) + ", \"type\": \"ImageService3\", \"profile\": \"level0\"}";
    return "{\"@id\": " + JsonText(id) +
           ", \"@type\": \"ImageService2\", \"profile\": \"http://iiif.io/api/image/2/level0.json\"}";
}

// The picture a viewer shows small: the largest whole one a tile holds.
LevelSize Thumbnail(const WholeSizes& whole, unsigned tileSize) {
    LevelSize best = whole.sizes.front();
    for (const LevelSize& s : whole.sizes)
        if (s.width <= tileSize && s.height <= tileSize) best = s;
    return best;
}

}  // namespace

int IiifWholeLevel(std::span<const unsigned> widths, std::span<const unsigned> heights, unsigned tileSize) {
    if (widths.empty() || heights.size() != widths.size()) return -1;
    const unsigned needW = std::min(tileSize, widths.back()), needH = std::min(tileSize, heights.back());
    int chosen = -1;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (widths[i] > kLargestJpegSide || heights[i] > kLargestJpegSide) break;
        chosen = static_cast<int>(i);
        if (widths[i] >= needW && heights[i] >= needH) break;
    }
    return chosen;
}

std::vector<std::string> IiifOtherNames(const TilePlace& t, IiifVersion version) {
    const bool whole = t.x == 0 && t.y == 0 && t.w == t.width && t.h == t.height;
    const std::string region =
        whole ? "full" : to_string(t.x) + "," + to_string(t.y) + "," + to_string(t.w) + "," + to_string(t.h);
    const std::string tail = "/0/default.jpg";
    std::vector<std::string> names;
    if (whole) names.push_back("full/" + SizeName(t.tw, t.th, version) + tail);
    if (IsLargest(t, whole)) names.push_back(region + "/max" + tail);
    if (version == IiifVersion::V2 && t.tw == t.w && t.th == t.h) names.push_back(region + "/full" + tail);
    return names;
}

std::string IiifInfoJson(const DescriptorValues& v, IiifVersion version) {
    const WholeSizes whole = WholePictures(v);
    const std::string id = JsonText(ServiceId(v));
    const std::string size = "  \"width\": " + to_string(v.width) + ",\n  \"height\": " + to_string(v.height);
    const std::string common = "  \"sizes\": " + SizesJson(whole.sizes) + ",\n  \"tiles\": " + TilesJson(v) + "\n}\n";
    if (version == IiifVersion::V3)
        return "{\n  \"@context\": \"http://iiif.io/api/image/3/context.json\",\n  \"id\": " + id +
               ",\n  \"type\": \"ImageService3\",\n  \"protocol\": \"http://iiif.io/api/image\",\n"
               "  \"profile\": \"level0\",\n" +
               size + LimitsJson(v, whole, "  ") + ",\n" + common;
    return "{\n  \"@context\": \"http://iiif.io/api/image/2/context.json\",\n  \"@id\": " + id +
           ",\n  \"protocol\": \"http://iiif.io/api/image\",\n" + size +
           ",\n  \"profile\": [\n    \"http://iiif.io/api/image/2/level0.json\",\n"
           "    {\n      \"formats\": [\"jpg\"],\n      \"qualities\": [\"default\"]" +
           LimitsJson(v, whole, "      ") + "\n    }\n  ],\n" + common;
}

std::string IiifManifestJson(const DescriptorValues& v, IiifVersion version) {
    const WholeSizes whole = WholePictures(v);
    const std::string id = ServiceId(v);
    const std::string service = ServiceJson(id, version);
    const LevelSize thumb = Thumbnail(whole, v.layout->tileSize);
    const LevelSize largest = whole.largest >= 0 ? v.levels[whole.largest] : thumb;
    auto image = [&](const std::string& size, const LevelSize& s) {
        return "{\"id\": " + JsonText(id + "/full/" + size + "/0/default.jpg") +
               ", \"type\": \"Image\", \"format\": \"image/jpeg\", \"width\": " + to_string(s.width) +
               ", \"height\": " + to_string(s.height) + ", \"service\": [" + service + "]}";
    };
    const std::string canvas = id + "/canvas/1";
    // On the canvas too: viewers take a page's thumbnail from there, and
    // would otherwise ask the service for a size level 0 need not have.
    const std::string thumbnail = "[" + image(SizeName(thumb.width, thumb.height, version), thumb) + "]";
    return "{\n  \"@context\": \"http://iiif.io/api/presentation/3/context.json\",\n  \"id\": " +
           JsonText(id + "/manifest.json") + ",\n  \"type\": \"Manifest\",\n  \"label\": {\"none\": [" +
           JsonText(v.jobName) + "]},\n  \"thumbnail\": " + thumbnail +
           ",\n  \"items\": [{\n    \"id\": " + JsonText(canvas) + ",\n    \"type\": \"Canvas\",\n    \"thumbnail\": " +
           thumbnail + ",\n    \"width\": " +
           to_string(v.width) + ",\n    \"height\": " + to_string(v.height) + ",\n    \"items\": [{\n      \"id\": " +
           JsonText(canvas + "/page") + ",\n      \"type\": \"AnnotationPage\",\n      \"items\": [{\n        \"id\": " +
           JsonText(canvas + "/page/image") +
           ",\n        \"type\": \"Annotation\",\n        \"motivation\": \"painting\",\n        \"target\": " +
           JsonText(canvas) + ",\n        \"body\": " + image("max", largest) + "\n      }]\n    }]\n  }]\n}\n";
}

std::string IiifPlaceholderId(const std::string& jobName) {
    std::string out = "https://example.org/iiif/";
    for (unsigned char c : jobName) {
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '.' || c == '_' || c == '~') out += static_cast<char>(c);
        else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            out += escaped;
        }
    }
    return out;
}

}  // namespace kerfel
