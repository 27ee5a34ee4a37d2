#include "engine/jpeg_profile_segments.h"

#include <algorithm>
#include <cstring>

namespace kerfel {
namespace {

constexpr char kTag[] = "ICC_PROFILE";  // with its closing zero, 12 bytes
constexpr size_t kTagBytes = sizeof kTag;
// A segment numbers its place in the profile in one byte.
constexpr int kMostSegments = 255;

bool IsProfileSegment(const jpeg_marker_struct& m) {
    return m.marker == JPEG_APP0 + 2 && m.data_length >= kTagBytes && std::memcmp(m.data, kTag, kTagBytes) == 0;
}

// Our sources (a file, bytes in memory) never suspend: at the end of the
// data they hand over an end marker, so the reading goes on to an error.
bool Read(j_decompress_ptr info, JOCTET* to, size_t bytes) {
    jpeg_source_mgr* src = info->src;
    while (bytes > 0) {
        if (src->bytes_in_buffer == 0 && !src->fill_input_buffer(info)) return false;
        const size_t n = std::min(bytes, src->bytes_in_buffer);
        std::memcpy(to, src->next_input_byte, n);
        src->next_input_byte += n;
        src->bytes_in_buffer -= n;
        to += n;
        bytes -= n;
    }
    return true;
}

// Called with only C frames below it: whatever fails leaves through the
// decoder's error handler, so nothing here may need a destructor.
boolean KeepProfileSegment(j_decompress_ptr info) {
    JOCTET size[2], tag[kTagBytes];
    if (!Read(info, size, 2)) return FALSE;
    const long length = long(size[0] << 8 | size[1]) - 2;
    if (length <= 0) return TRUE;
    const size_t head = std::min<size_t>(static_cast<size_t>(length), kTagBytes);
    if (!Read(info, tag, head)) return FALSE;
    jpeg_saved_marker_ptr* tail = &info->marker_list;
    int kept = 0;
    for (; *tail; tail = &(*tail)->next) kept += IsProfileSegment(**tail);
    if (head < kTagBytes || std::memcmp(tag, kTag, kTagBytes) != 0 || kept >= kMostSegments) {
        if (length > long(head)) info->src->skip_input_data(info, length - long(head));
        return TRUE;
    }
    auto* m = static_cast<jpeg_saved_marker_ptr>(
        info->mem->alloc_large(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, sizeof(jpeg_marker_struct) + length));
    m->next = nullptr;
    m->marker = JPEG_APP0 + 2;
    m->original_length = m->data_length = static_cast<unsigned>(length);
    m->data = reinterpret_cast<JOCTET*>(m + 1);
    std::memcpy(m->data, tag, head);
    if (!Read(info, m->data + head, static_cast<size_t>(length) - head)) return FALSE;
    *tail = m;
    return TRUE;
}

}  // namespace

void KeepProfileSegments(j_decompress_ptr info) { jpeg_set_marker_processor(info, JPEG_APP0 + 2, KeepProfileSegment); }

bool AnnouncesProfile(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        if (IsProfileSegment(*m)) return true;
    return false;
}

}  // namespace kerfel
