#include "publish/viewer_site.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "base/app_folder.h"
#include "base/file_read.h"
#include "base/file_write.h"
#include "base/folder_list.h"
#include "base/json_text.h"
#include "publish/html_escape.h"

namespace kerfel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTemplateName = "page.html";
// What the page loads from its assets folder, as they lie in the viewer folder.
constexpr std::array<const char*, 5> kAssets = {
    "openseadragon.min.js", "images", "kerfel-viewer.js", "kerfel-viewer.css", "kerfel-archive.js"};

std::string JsonValue(const DescriptorField& f) {
    switch (f.kind) {
        case DescriptorField::Kind::Number: return f.text;
        case DescriptorField::Kind::Flag: return f.text == "1" ? "true" : "false";
        case DescriptorField::Kind::Text: return JsonText(f.text);
    }
    return "null";
}

// The descriptor's values under its own names, and what the viewer needs to
// find the tiles: the job's name, its layout's tile path, size and overlap,
// every level's size, the smallest first, and the archive they are in, if
// they are.
std::string JobJson(const DescriptorValues& v, const std::string& name, const std::string& archive) {
    std::string out = "{";
    if (!archive.empty()) out += "\"archive\":" + JsonText(archive) + ",";
    for (const DescriptorField& f : DescriptorFields(v)) out += JsonText(f.name) + ":" + JsonValue(f) + ",";
    out += "\"name\":" + JsonText(name) + ",\"tilePath\":" + JsonText(v.layout->tilePath) +
           ",\"tileSize\":" + std::to_string(v.layout->tileSize) + ",\"overlap\":" + std::to_string(v.layout->overlap) +
           ",\"levels\":[";
    for (size_t i = 0; i < v.levels.size(); ++i)
        out += (i ? ",[" : "[") + std::to_string(v.levels[i].width) + "," + std::to_string(v.levels[i].height) + "]";
    return out + "]}";
}

// Replaces each "{{name}}" in one pass, so a value that itself holds
// "{{...}}" (a title may) is never expanded again.
std::string FillTemplate(const std::string& text, const std::string& title, const std::string& job) {
    std::string out;
    size_t pos = 0;
    for (;;) {
        size_t open = text.find("{{", pos);
        size_t close = open == std::string::npos ? open : text.find("}}", open + 2);
        if (close == std::string::npos) break;
        std::string name = text.substr(open + 2, close - open - 2);
        out.append(text, pos, open - pos);
        if (name == "title") out += title;
        else if (name == "job") out += job;
        else out.append(text, open, close + 2 - open);
        pos = close + 2;
    }
    out.append(text, pos, std::string::npos);
    return out;
}

Status ReadText(const fs::path& path, std::string& out) {
    std::optional<std::string> bytes = ReadWholeFile(path.string());
    if (!bytes || bytes->empty()) return Status::Output(path.string() + ": cannot read the viewer's page template");
    out = std::move(*bytes);
    return Status::Ok();
}

Status CopyFileReplacing(const fs::path& from, const fs::path& to) {
    Status s = CopyFileAtomically(from.string(), to.string());
    // The viewer's own files are part of the tool: failing to read them is
    // not the user's bad input.
    if (s.fault == Fault::BadInput) return Status::Output(s.message);
    return s;
}

// Copies files and folders (following links, since the build tree links the
// viewer's files in place) so the job folder holds real files of its own.
Status CopyTree(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::is_directory(from, ec)) return CopyFileReplacing(from, to);
    fs::create_directories(to, ec);
    if (ec || !fs::is_directory(to, ec))
        return Status::Output(to.string() + ": folder cannot be created");
    std::vector<std::string> names;
    if (!ListFolder(from.string(), names)) return Status::Output(from.string() + ": cannot be read: " + std::strerror(errno));
    for (const std::string& name : names) {
        Status s = CopyTree(from / name, to / name);
        if (!s) return s;
    }
    return Status::Ok();
}

// The application folder's "viewer"; failing that, the installed one (the
// command line's package carries the viewer but not the application folder's
// language files), or one beside the running program or a folder above it,
// where the build tree's test programs run.
std::string FindViewerFolder() {
    std::vector<fs::path> candidates = {fs::path(FindAppFolder()) / "viewer"};
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        candidates.push_back(exe.parent_path().parent_path() / "share" / "kerfel" / "viewer");
        candidates.push_back(exe.parent_path() / "viewer");
        candidates.push_back(exe.parent_path().parent_path() / "viewer");
    }
    for (const fs::path& c : candidates)
        if (fs::is_regular_file(c / kTemplateName, ec)) return c.string();
    return candidates.front().string();  // its error names the folder the user expects
}

}  // namespace

std::string ViewerPageHtml(const std::string& pageTemplate, const DescriptorValues& values, const std::string& title,
                           const std::string& archive) {
    return FillTemplate(pageTemplate, HtmlEscape(title), JobJson(values, title, archive));
}

namespace {

// The page and its assets in `folder`, which must exist.
Status WriteSite(const std::string& viewerFolder, const std::string& folder, const DescriptorValues& values,
                 const std::string& title, const std::string& archive) {
    const fs::path source(viewerFolder);
    const fs::path job(folder);
    std::error_code ec;

    // Everything the page needs must be there before anything is written, so
    // a broken installation never leaves a page without its scripts.
    std::string pageTemplate;
    if (Status s = ReadText(source / kTemplateName, pageTemplate); !s) return s;
    for (const char* asset : kAssets)
        if (!fs::exists(source / asset, ec))
            return Status::Output((source / asset).string() + ": viewer file not found");

    const fs::path assets = job / kViewerAssetsFolder;
    fs::create_directories(assets, ec);
    if (ec || !fs::is_directory(assets, ec)) return Status::Output(assets.string() + ": folder cannot be created");
    for (const char* asset : kAssets)
        if (Status s = CopyTree(source / asset, assets / asset); !s) return s;
    // The page last: once it exists, so does everything it loads.
    // A reader never sees a half-written page, and a job killed mid-write
    // leaves only a hidden temporary, which no archive packs.
    const std::string page = ViewerPageHtml(pageTemplate, values, title, archive);
    return ReplaceFile((job / kViewerPageName).string(), page.data(), page.size());
}

}  // namespace

Status WriteViewerSiteFrom(const std::string& viewerFolder, const std::string& jobFolder,
                           const DescriptorValues& values, const std::string& title) {
    std::error_code ec;
    if (!fs::is_directory(jobFolder, ec)) return Status::Bad(jobFolder + ": job folder not found");
    return WriteSite(viewerFolder, jobFolder, values, title, "");
}

Status WriteArchiveViewerSite(const std::string& folder, const DescriptorValues& values, const std::string& title,
                              const std::string& archiveName) {
    return WriteSite(FindViewerFolder(), folder, values, title, archiveName);
}

Status WriteViewerSite(const std::string& jobFolder, const DescriptorValues& values, const std::string& title) {
    return WriteViewerSiteFrom(FindViewerFolder(), jobFolder, values, title);
}

}  // namespace kerfel
