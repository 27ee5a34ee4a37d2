#pragma once
// Dialog units of the template font to pixels: every window's layout is
// kept in the units its template was drawn in.
namespace kerfel {

inline int DuX(int du) { return du * 3 / 2; }
inline int DuY(int du) { return du * 13 / 8; }

}  // namespace kerfel
