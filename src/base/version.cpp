#include "base/version.h"

namespace kerfel {

// Defined for this file alone by the build, so a new version rebuilds one file.
const char* ProgramVersion() { return KERFEL_VERSION; }

}  // namespace kerfel
