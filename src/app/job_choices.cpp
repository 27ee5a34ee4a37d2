#include "app/job_choices.h"

#include "base/path.h"
#include "engine/generator.h"
#include "engine/job_folder.h"

namespace kerfel {

JobCheck CheckBeforeJob(const JobChoices& c) {
    const bool toOutput = c.oneArchive && c.outputFolder == kStandardOutputName;
    if (!toOutput && !IsFolder(c.outputFolder)) return {JobFault::NoOutputFolder, Status::Ok()};
    // The path may have been typed after the table was made; the table must
    // describe the file that will be cut, and every level must hold pixels.
    bool changed = false;
    Status s = CheckPyramid(c.pyramid);
    if (s) s = CheckSourceUnchanged(c.sourcePath, c.pyramid, changed);
    if (!s) return {JobFault::SourceUnreadable, s};
    if (changed) return {JobFault::SourceChanged, Status::Ok()};
    if (!OffersLevels(c.pyramid, c.levels)) return {JobFault::LevelsNotOffered, Status::Ok()};
    // The music is copied beside the tiles at the end: a file that cannot be
    // read must stop the job before the first tile, not after the last.
    if (!c.musicPath.empty() && !IsReadableFile(c.musicPath)) return {JobFault::MusicUnreadable, Status::Ok()};
    return {};
}

void ChooseLayout(JobChoices& c, const Layout& layout) {
    c.layout = &layout;
    if (c.pyramid.Empty()) {
        c.pyramid.m_pLayout = &layout;
        return;
    }
    c.pyramid = TilePyramid::Build(layout, c.pyramid.SourceWidth(), c.pyramid.SourceHeight());
    const auto& entries = c.pyramid.m_arrListEntries;
    if (!OffersLevels(c.pyramid, c.levels)) c.levels = entries.empty() ? 0 : entries.front();
}

JobPublishing PublishingOf(const JobChoices& c) {
    // Never an index outside the level table.
    const int k = c.pyramid.ValidEntry(c.levels) ? c.levels : 1;
    JobPublishing p{DescribePyramid(c.pyramid, k), c.musicPath};
    p.values.showNav = c.options.smallMap;
    p.values.showPanButtons = c.options.navigationScroll;
    p.values.showSlider = c.options.zoomSlider;
    p.values.clickToZoom = c.options.clickToZoom;
    p.values.music = !c.musicPath.empty();
    p.values.serviceId = c.serviceId;
    return p;
}

}  // namespace kerfel
