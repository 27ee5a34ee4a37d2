#pragma once
// What a folder name typed into the folder picker means.
#include <string>

namespace kerfel {

// The full path the user meant by `typed`: an absolute path as it stands,
// "~" and "~/..." below `home`, anything else below `current` (the folder
// selected in the tree, or `home` when none is). "." and ".." are resolved
// by name and a trailing "/" is dropped. Empty when `typed` is empty or
// no absolute path results.
std::string ResolveTypedFolder(const std::string& typed, const std::string& current, const std::string& home);

}  // namespace kerfel
