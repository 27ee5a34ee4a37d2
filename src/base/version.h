#pragma once
// The program's version, as the build's project() line gives it.
namespace kerfel {

const char* ProgramVersion();

}  // namespace kerfel
