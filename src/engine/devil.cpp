#include "engine/devil.h"

namespace kerfel {

std::mutex& DevilMutex() {
    static std::mutex m;
    return m;
}

DevilSession::DevilSession() : m_lock(DevilMutex()) {
    static bool initialised = false;
    if (!initialised) {
        ilInit();
        iluInit();
        // Leaving the origin unset keeps decoded rows top-down as viewed; any
        // other setting makes crops silently come from the bottom of the picture.
        ilDisable(IL_ORIGIN_SET);
        ilEnable(IL_FILE_OVERWRITE);
        initialised = true;
    }
}

ILenum TakeDevilError() {
    ILenum first = IL_NO_ERROR;
    for (ILenum e = ilGetError(); e != IL_NO_ERROR; e = ilGetError())
        if (first == IL_NO_ERROR) first = e;
    return first;
}

bool TakeDevilOutOfMemory() {
    bool out = false;
    for (ILenum e = ilGetError(); e != IL_NO_ERROR; e = ilGetError()) out = out || e == IL_OUT_OF_MEMORY;
    return out;
}

}  // namespace kerfel
