#pragma once
// Path tidying shared by every layer: paths are "/"-separated UTF-8 bytes.
#include <string>

namespace kerfel {

// Without trailing separators, except that "/" stays "/".
std::string TrimTrailingSlashes(std::string path);

// Lexically normal ("a/./b/../c" is "a/c") and without trailing separators.
std::string TidyPath(const std::string& path);

// `folder` + "/" + `name`, with no separator doubled anywhere in the result.
std::string JoinPath(const std::string& folder, const std::string& name);

bool IsAbsolutePath(const std::string& path);

// The part after the last "/" (the whole path when there is none).
std::string FileNameOf(const std::string& path);
// The folder a file of `path` lies in: "." when the path names no folder.
std::string FolderOf(const std::string& path);

// Whether something (file, folder, or what a link leads to) is there.
bool PathExists(const std::string& path);
// Whether the path names a folder ("/" and "/media/card/" do).
bool IsFolder(const std::string& path);
// Whether the path names a regular file this process may read.
bool IsReadableFile(const std::string& path);

}  // namespace kerfel
