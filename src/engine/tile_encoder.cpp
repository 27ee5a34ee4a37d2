#include "engine/tile_encoder.h"

#include <csetjmp>
#include <cstdio>
#include <new>
#include <string>

#include "engine/tile_pyramid.h"

// The library's header needs the standard types declared first.
#include <jpeglib.h>
#include <jerror.h>

namespace kerfel {

namespace {

// The compressor writes into a growing vector instead of a file.
struct VectorDestination {
    jpeg_destination_mgr base;
    std::vector<uint8_t>* out;
};

constexpr size_t kChunk = 16384;

// Memory running out ends the encoding through the library's own error
// path: an exception must not cross its frames.
bool Resize(j_compress_ptr c, std::vector<uint8_t>& v, size_t n) {
    try {
        v.resize(n);
        return true;
    } catch (const std::bad_alloc&) {
        c->err->msg_code = JERR_OUT_OF_MEMORY;
        c->err->error_exit(reinterpret_cast<j_common_ptr>(c));
    }
    return false;
}

void InitDestination(j_compress_ptr c) {
    auto* d = reinterpret_cast<VectorDestination*>(c->dest);
    Resize(c, *d->out, kChunk);
    d->base.next_output_byte = d->out->data();
    d->base.free_in_buffer = d->out->size();
}

boolean GrowDestination(j_compress_ptr c) {
    auto* d = reinterpret_cast<VectorDestination*>(c->dest);
    const size_t used = d->out->size();
    Resize(c, *d->out, used * 2);
    d->base.next_output_byte = d->out->data() + used;
    d->base.free_in_buffer = d->out->size() - used;
    return TRUE;
}

void TermDestination(j_compress_ptr c) {
    auto* d = reinterpret_cast<VectorDestination*>(c->dest);
    d->out->resize(d->out->size() - d->base.free_in_buffer);
}

struct ErrorExit {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr c) { std::longjmp(reinterpret_cast<ErrorExit*>(c->err)->jump, 1); }
void Quiet(j_common_ptr, int) {}

}  // namespace

struct TileEncoder::Codec {
    jpeg_compress_struct info{};
    ErrorExit error;
    VectorDestination dest{};

    Codec() {
        info.err = jpeg_std_error(&error.base);
        error.base.error_exit = OnError;
        error.base.emit_message = Quiet;
        jpeg_create_compress(&info);
        dest.base.init_destination = InitDestination;
        dest.base.empty_output_buffer = GrowDestination;
        dest.base.term_destination = TermDestination;
        info.dest = &dest.base;
    }
    ~Codec() { jpeg_destroy_compress(&info); }
};

TileEncoder::TileEncoder(int quality) : m_codec(std::make_unique<Codec>()), m_quality(quality) {}
TileEncoder::~TileEncoder() = default;

Status TileEncoder::Encode(const uint8_t* rgb, unsigned width, unsigned height, std::vector<uint8_t>& jpeg) {
    return Encode(rgb, size_t(width) * 3, width, height, jpeg);
}

Status TileEncoder::Encode(const uint8_t* rgb, size_t stride, unsigned width, unsigned height,
                           std::vector<uint8_t>& jpeg) {
    if (width == 0 || height == 0) return Status::Output("a tile has no pixels");
    Codec& c = *m_codec;
    c.dest.out = &jpeg;
    if (setjmp(c.error.jump)) {
        jpeg_abort_compress(&c.info);
        return Status::Output("the JPEG encoder failed on a " + std::to_string(width) + " x " +
                              std::to_string(height) + " tile");
    }
    c.info.image_width = width;
    c.info.image_height = height;
    c.info.input_components = 3;
    c.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, m_quality, TRUE);
    jpeg_start_compress(&c.info, TRUE);
    while (c.info.next_scanline < height) {
        JSAMPROW row = const_cast<uint8_t*>(rgb + c.info.next_scanline * stride);
        jpeg_write_scanlines(&c.info, &row, 1);
    }
    jpeg_finish_compress(&c.info);
    return Status::Ok();
}

}  // namespace kerfel
