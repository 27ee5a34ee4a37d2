#pragma once
// What a picture that cannot stream may take: it is sized from its header
// before anything large is allocated, and refused above a limit rather than
// left to run the machine out of memory part way through a job.
#include <string>

#include "base/status.h"

namespace kerfel {

// Half of the machine's physical memory.
unsigned long long DefaultMemoryLimit();

// "1.5 GiB", "340 MiB", "12 KiB".
std::string MemoryText(unsigned long long bytes);

// Ok when `needed` fits in `limit` (0: the default limit); otherwise one
// line naming the file and the memory it would need.
Status CheckMemoryRule(const std::string& path, unsigned long long needed, unsigned long long limit);

// Ok when the strips of every level of a picture `width` pixels wide (and
// the reader's rows beside them) fit in half of the machine's memory;
// otherwise one line naming the file and the memory they would need.
// Memory grows with the width only, so this is the one size that can be
// too large for a picture that streams. The user's limit is for what
// cannot stream, and leaves this alone.
Status CheckStripMemory(const std::string& path, unsigned width);

}  // namespace kerfel
