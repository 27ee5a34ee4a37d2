#include "engine/earlier_job.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/folder_list.h"
#include "engine/layout.h"
#include "engine/tile_paths.h"

namespace kerfel {
namespace fs = std::filesystem;
namespace {

// Whether `text` is one step of a layout's tile path written from the
// template `step`: its literal text as it is, the job's name as it is, every
// number field as digits. Digits are taken greedily: no template puts a
// digit right after a number field.
bool StepMatches(std::string_view step, std::string_view text, std::string_view jobName) {
    size_t t = 0;
    for (size_t pos = 0; pos < step.size();) {
        const size_t close = step[pos] == '{' ? step.find('}', pos) : std::string_view::npos;
        if (close == std::string_view::npos) {
            if (t >= text.size() || text[t] != step[pos]) return false;
            ++t, ++pos;
        } else if (step.substr(pos, close + 1 - pos) == "{name}") {
            if (text.substr(t, jobName.size()) != jobName) return false;
            t += jobName.size(), pos = close + 1;
        } else {
            const size_t start = t;
            while (t < text.size() && text[t] >= '0' && text[t] <= '9') ++t;
            if (t == start) return false;
            pos = close + 1;
        }
    }
    return t == text.size();
}

using TileSteps = std::vector<std::string>;

std::vector<TileSteps> EveryLayoutsSteps() {
    std::vector<TileSteps> all;
    auto add = [&](const char* path) {
        TileSteps steps;
        for (const auto& step : fs::path(path)) steps.push_back(step.string());
        all.push_back(std::move(steps));
    };
    for (const Layout* layout : Layouts()) {
        add(layout->tilePath);
        for (const char* other : layout->otherPathPatterns) add(other);
    }
    return all;
}

// Whether the path's steps below the job folder begin (or, `whole`, are) a tile path.
bool Matches(const TileSteps& pattern, const fs::path& below, bool whole, const std::string& jobName) {
    size_t i = 0;
    for (const auto& step : below) {
        if (i >= pattern.size() || !StepMatches(pattern[i], step.string(), jobName)) return false;
        ++i;
    }
    return whole ? i == pattern.size() : i < pattern.size();
}

bool AnyMatches(const std::vector<TileSteps>& all, const fs::path& below, bool whole, const std::string& jobName) {
    return std::any_of(all.begin(), all.end(), [&](const TileSteps& p) { return Matches(p, below, whole, jobName); });
}

Status Failed(const fs::path& path, const std::error_code& ec) {
    return Status::Output(path.string() + ": cannot remove what an earlier job left (" + ec.message() + ")");
}

}  // namespace

Status RemoveEarlierDescriptors(const std::string& jobFolder, const std::string& jobName) {
    std::error_code ec;
    for (const Layout* layout : Layouts())
        for (const DescriptorFile& file : layout->files) {
            const fs::path path = fs::path(jobFolder) / FillFields(file.name, {{"name", jobName}});
            if (fs::is_directory(fs::symlink_status(path, ec))) continue;  // no job wrote that
            if (!fs::remove(path, ec) && ec) return Failed(path, ec);
        }
    return Status::Ok();
}

namespace {

struct EarlierTiles {
    std::vector<fs::path> tiles, folders;
};

// Collects the tiles and tile folders below `below` (a path under the job
// folder, empty for the job folder itself). Links are neither followed nor
// taken for tiles: what they lead to is not the job's.
Status Collect(const fs::path& jobFolder, const fs::path& below, const std::vector<TileSteps>& all,
               const std::string& jobName, EarlierTiles& found) {
    const fs::path folder = jobFolder / below;
    std::vector<std::string> names;
    if (!ListFolder(folder.string(), names)) return Failed(folder, std::error_code(errno, std::generic_category()));
    for (const std::string& name : names) {
        const fs::path step = below / name, path = jobFolder / step;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) return Failed(path, std::error_code(errno, std::generic_category()));
        if (S_ISDIR(st.st_mode) && AnyMatches(all, step, false, jobName)) {
            found.folders.push_back(path);
            if (Status s = Collect(jobFolder, step, all, jobName, found); !s) return s;
        } else if (S_ISREG(st.st_mode) && AnyMatches(all, step, true, jobName)) {
            found.tiles.push_back(path);
        }
    }
    return Status::Ok();
}

}  // namespace

Status RemoveEarlierTiles(const std::string& jobFolder, const std::string& jobName) {
    EarlierTiles found;
    if (Status s = Collect(jobFolder, {}, EveryLayoutsSteps(), jobName, found); !s) return s;
    std::error_code ec;
    for (const fs::path& tile : found.tiles)
        if (!fs::remove(tile, ec) && ec) return Failed(tile, ec);
    // Deepest first; a folder that still holds something of the user's stays.
    std::sort(found.folders.begin(), found.folders.end(), [](const fs::path& a, const fs::path& b) { return a > b; });
    for (const fs::path& folder : found.folders) fs::remove(folder, ec);
    return Status::Ok();
}

}  // namespace kerfel
