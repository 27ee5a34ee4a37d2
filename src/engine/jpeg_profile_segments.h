#pragma once
// The APP2 segments that hold a picture's colour profile, kept while the
// decoder reads the header. libjpeg's own way keeps every APP2 segment of
// any kind, so a file made of nothing else would be held whole; here only
// the segments of a profile are kept, no more than a profile can be cut
// into, and any other is stepped over.
#include <cstdio>

// The library's header needs the standard types declared first.
#include <jpeglib.h>

namespace kerfel {

// To call before jpeg_read_header. The segments kept are in
// info->marker_list, where jpeg_read_icc_profile looks for them.
void KeepProfileSegments(j_decompress_ptr info);

// Whether the file had an APP2 segment of a colour profile, whole or not.
bool AnnouncesProfile(const jpeg_decompress_struct& info);

}  // namespace kerfel
