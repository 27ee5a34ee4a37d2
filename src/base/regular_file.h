#pragma once
// Opening a file the user named, without ever waiting: a named pipe would
// hold the open until a writer came, a device would be read forever.
#include <sys/stat.h>

#include <string>

namespace kerfel {

// A descriptor open for blocking reads on the regular file at `path`, its
// facts in `info`; or -1 with errno telling why (the open's own reason,
// EISDIR for a folder, EINVAL for a pipe, device or other non-file).
int OpenRegularFile(const std::string& path, struct stat& info);

}  // namespace kerfel
