#pragma once
// What a job tells whoever runs it, and what it asks. One type from the
// encoders up to the window: the generator and the job runner pass events
// on without knowing them, so a new event is a new kind here, told where it
// happens and handled where it is shown.
#include <functional>
#include <string>

#include "base/status.h"

namespace kerfel {

struct JobEvent {
    enum class Kind {
        Started,      // writing begins in `folder` (or the archive); `tile` is the smallest level's first tile
        TileStarted,  // a tile is cut and handed to an encoder: `tile` is its file
        TileWritten,  // that tile is on disk under its name (or in the archive); `done` of `total` tiles so far
        Publishing,   // the tiles are done; the descriptor files are being written
        Cancelled,    // the job stopped at a request, keeping what it wrote
    };
    Kind kind = Kind::Started;
    std::string folder;  // the job folder, or the job's archive
    std::string tile;    // a tile's file
    int level = 0, column = 0, row = 0;
    int done = 0, total = 0;
};

// Each may be left empty; all are called on the job's thread.
struct JobEvents {
    // Everything that happens, in the order it happens.
    std::function<void(const JobEvent& event)> tell;
    // Polled between tiles; true stops the job there.
    std::function<bool()> stopRequested;
    // The job folder exists already: may the job write into it? Empty: yes.
    std::function<bool(const std::string& jobFolder)> mayWriteInto;
    // The job holds the existing folder it may write into and has written
    // nothing yet: remove what an earlier job left there that the engine
    // does not know of (its descriptor files and tiles go next). An error
    // fails the job. Empty: nothing more to remove.
    std::function<Status(const std::string& jobFolder)> clearFolder;

    void Tell(const JobEvent& event) const {
        if (tell) tell(event);
    }
    bool StopRequested() const { return stopRequested && stopRequested(); }
};

}  // namespace kerfel
