#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_spec.h"
#include "engine/source_image.h"
#include "engine/tile_pyramid.h"

namespace kerfel {
namespace {

// The profile's name and the format's are printable ASCII (the readers keep no other).
std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return quoted + "\"";
}

void PrintJson(const TilePyramid& p, const SourceInfo& info) {
    std::printf("{\"width\":%u,\"height\":%u,", p.SourceWidth(), p.SourceHeight());
    if (!info.colourProfile.empty()) std::printf("\"colour_profile\":%s,", JsonString(info.colourProfile).c_str());
    std::printf("\"format\":%s,", JsonString(info.format).c_str());
    std::printf("\"levels\":[");
    for (int i = 0; i < p.LevelCount(); ++i) {
        unsigned w = p.m_arrLevelWidth[i], h = p.m_arrLevelHeight[i];
        std::printf("%s{\"index\":%d,\"width\":%u,\"height\":%u,\"tiles\":%lld}", i ? "," : "", i, w, h,
                    p.LevelTiles(i));
    }
    std::printf("],\"total_tiles\":%lld,\"levels_list\":[", p.m_nTotalTiles);
    for (size_t i = 0; i < p.m_arrListEntries.size(); ++i)
        std::printf("%s%d", i ? "," : "", p.m_arrListEntries[i]);
    std::printf("]}\n");
}

void PrintText(const std::string& path, const TilePyramid& p, const SourceInfo& info) {
    std::printf("%s: %s pixels, %s\n", path.c_str(), SizeText(p.SourceWidth(), p.SourceHeight()).c_str(),
                info.format.c_str());
    std::printf("colour profile: %s\n", info.colourProfile.empty() ? "none (sRGB)" : info.colourProfile.c_str());
    if (!info.colourNote.empty()) std::printf("note: %s\n", info.colourNote.c_str());
    std::printf("%d levels, %lld tiles\n", p.LevelCount(), p.m_nTotalTiles);
    for (int i = 0; i < p.LevelCount(); ++i) {
        unsigned w = p.m_arrLevelWidth[i], h = p.m_arrLevelHeight[i];
        std::printf("  level %d: %s, %lld tiles\n", i, SizeText(w, h).c_str(), p.LevelTiles(i));
    }
    if (p.m_arrListEntries.empty()) {
        std::printf("levels to zoom in: none (both sides are below 250 pixels)\n");
        return;
    }
    std::printf("levels to zoom in:\n");
    for (int k : p.m_arrListEntries)
        std::printf("  %d: display size %s\n", k, SizeText(p.DisplayWidth(k), p.DisplayHeight(k)).c_str());
}

}  // namespace

int RunInfo(const std::vector<std::string>& args) {
    CLI::App app("", "kerfel info");
    InfoOptions o;
    DescribeInfo(app, o);
    if (int rc = ParseCommand(app, args); rc >= 0) return rc;
    std::string refusal;
    const Layout& layout = ChosenLayout(o.layout, o.tileSize, o.overlap, refusal);
    if (!refusal.empty()) return UsageError("kerfel info", refusal);
    const std::string& path = o.image;
    const bool json = o.json;
    // The header alone: sizes and levels come at once, however large the
    // picture; a damaged scan is found by `make`, before its first tile.
    SourceInfo info;
    Status s = InspectSource(path, info);
    if (!s) return ReportError(s);
    TilePyramid p = TilePyramid::Build(layout, info.width, info.height);
    if (json) PrintJson(p, info);
    else PrintText(path, p, info);
    return 0;
}

}  // namespace kerfel
