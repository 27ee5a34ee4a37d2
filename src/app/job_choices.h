#pragma once
// What the user chose for one job, kept in one place for the dialog and the
// command line alike: the source with its level table, the output folder,
// the entry of the levels list, the four viewer options and the music. The
// checks made before a job and the mapping of the options into what a job
// publishes are written here once; each front end says a fault in its own
// words.
#include <string>

#include "app/job_runner.h"
#include "base/status.h"
#include "engine/tile_pyramid.h"

namespace kerfel {

struct ViewerOptions {
    bool smallMap = false;
    bool navigationScroll = false;
    bool zoomSlider = false;
    bool clickToZoom = false;
};

struct JobChoices {
    std::string sourcePath;
    TilePyramid pyramid;  // of the source as it was chosen
    std::string outputFolder;
    int levels = 1;  // entry k of the levels list; 0 when none is chosen
    ViewerOptions options;
    std::string musicPath;  // empty: no music
    std::string serviceId;  // where the job is published, for the layouts that say so; empty: a placeholder
    // How the job lies on disk; the pyramid is always built in it.
    const Layout* layout = &NativeLayout();
    // The job as one archive, OUTPUT/NAME.szi, instead of a job folder; the
    // output folder "-" sends it to standard output.
    bool oneArchive = false;
};

// Takes another layout: the chosen source's level table is built again in
// it, and the levels entry kept where the new table offers it, otherwise
// its first entry (0 when it offers none).
void ChooseLayout(JobChoices& choices, const Layout& layout);

// What stops a job before its first tile, in the order the checks run.
enum class JobFault {
    None,
    NoOutputFolder,    // the output folder is not a folder
    SourceUnreadable,  // the source cannot be read, or its table holds an empty level
    SourceChanged,     // the source's size is no longer the table's
    LevelsNotOffered,  // `levels` is not an entry of the levels list
    MusicUnreadable,   // the music file cannot be read
};

struct JobCheck {
    JobFault fault = JobFault::None;
    Status status;  // why, naming the file, for SourceUnreadable
    explicit operator bool() const { return fault == JobFault::None; }
};

JobCheck CheckBeforeJob(const JobChoices& choices);

// The descriptor's values and the music of a job made from `choices`; the
// view is that of list entry `levels`, or of entry 1 when that is no entry.
JobPublishing PublishingOf(const JobChoices& choices);

}  // namespace kerfel
