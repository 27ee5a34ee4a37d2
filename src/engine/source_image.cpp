#include "engine/source_image.h"

#include <cstring>
#include <new>

#include "engine/devil.h"

namespace kerfel {
namespace {

Status Named(const std::string& path, const Status& s) {
    if (s.ok()) return s;
    return {s.fault, path + ": " + s.message};
}

// Adobe CMYK is stored inverted (255 = no ink); plain CMYK is not.
void CmykToRgb(const uint8_t* src, uint8_t* dst, size_t pixels, bool inverted) {
    for (size_t i = 0; i < pixels; ++i, src += 4, dst += 3) {
        unsigned k = inverted ? src[3] : 255 - src[3];
        for (int c = 0; c < 3; ++c) {
            unsigned v = inverted ? src[c] : 255 - src[c];
            dst[c] = static_cast<uint8_t>((v * k + 127) / 255);
        }
    }
}

// A library step failed: for want of memory (which says nothing about the
// file), or for the reason given.
Status DevilFailed(const JpegHeader& h, Status otherwise) {
    if (!TakeDevilOutOfMemory()) return otherwise;
    const bool swap = OrientationSwapsSides(h.orientation);  // the size as the user sees the picture
    return NoMemory(swap ? h.height : h.width, swap ? h.width : h.height, "picture");
}

// Leaves the bound library image as 8-bit RGB, rows top-down. Caller holds
// a DevilSession. May throw std::bad_alloc.
Status LoadIntoDevil(const std::string& path, const JpegHeader& h) {
    TakeDevilError();
    if (!ilLoad(IL_JPG, path.c_str())) return DevilFailed(h, Status::Bad("the JPEG data is damaged or incomplete"));
    const unsigned w = ilGetInteger(IL_IMAGE_WIDTH), hgt = ilGetInteger(IL_IMAGE_HEIGHT);
    if (w != h.width || hgt != h.height) return Status::Bad("the decoded size does not match the header");
    if (ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT && !iluFlipImage())
        return DevilFailed(h, Status::Bad("cannot turn the picture upright"));
    const ILint channels = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
    if (channels == 4 && h.components == 4) {
        PixelBuffer rgb = PixelBuffer::Make(w, hgt);
        CmykToRgb(ilGetData(), rgb.data.get(), size_t(w) * hgt, h.adobe);
        if (!ilTexImage(w, hgt, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, rgb.data.get()))
            return DevilFailed(h, Status::Bad("cannot convert the picture to RGB"));
        ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    } else if (!ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) {
        return DevilFailed(h, Status::Bad("cannot convert the picture to RGB"));
    }
    return Status::Ok();
}

PixelBuffer CopyOutOfDevil() {
    PixelBuffer b = PixelBuffer::Make(ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT));
    std::memcpy(b.data.get(), ilGetData(), PixelBuffer::Bytes(b.width, b.height));
    return b;
}

}  // namespace

Status InspectSource(const std::string& path, SourceInfo& info) {
    info = SourceInfo{};
    Status s;
    try {
        s = ReadJpegHeader(path, info.header);
    } catch (const std::bad_alloc&) {
        return Named(path, Status::Output("not enough memory to read the header"));
    }
    if (!s) return Named(path, s);
    const JpegHeader& h = info.header;
    if (!DecodedSizeFits(h.width, h.height, h.components))
        return Named(path, Status::Bad("the picture is too large to decode (" + std::to_string(h.width) +
                                       " x " + std::to_string(h.height) + " pixels)"));
    if (h.fileSize < MinimumCodedBytes(h.width, h.height))
        return Named(path, Status::Bad("the file is too short for the " + std::to_string(h.width) + " x " +
                                       std::to_string(h.height) + " pixels its header claims (damaged)"));
    bool swap = OrientationSwapsSides(h.orientation);
    info.width = swap ? h.height : h.width;
    info.height = swap ? h.width : h.height;
    return Status::Ok();
}

// Memory running out while a picture is decoded, copied or turned fails
// the call with a status; the library's lock and image are released on the
// way out.
Status DecodeSource(const std::string& path, PixelBuffer& out, SourceInfo* infoOut) {
    SourceInfo info;
    Status s = InspectSource(path, info);
    if (!s) return s;
    try {
        {
            DevilSession session;
            DevilImage image;
            s = LoadIntoDevil(path, info.header);
            if (!s) return Named(path, s);
            out = CopyOutOfDevil();
        }
        out = Reorient(std::move(out), info.header.orientation);
    } catch (const std::bad_alloc&) {
        out = PixelBuffer{};
        return Named(path, NoMemory(info.width, info.height, "picture"));
    }
    if (infoOut) *infoOut = info;
    return Status::Ok();
}

Status DecodeThumbnail(const std::string& path, unsigned box, PixelBuffer& thumb, SourceInfo& info) {
    Status s = InspectSource(path, info);
    if (!s) return s;
    const JpegHeader& h = info.header;
    const unsigned big = h.width > h.height ? h.width : h.height;
    const float factor = static_cast<float>(big) / static_cast<float>(box ? box : 1);
    unsigned tw = static_cast<unsigned>(h.width / factor), th = static_cast<unsigned>(h.height / factor);
    if (tw == 0) tw = 1;
    if (th == 0) th = 1;
    try {
        {
            DevilSession session;
            DevilImage image;
            s = LoadIntoDevil(path, h);
            if (!s) return Named(path, s);
            iluImageParameter(ILU_FILTER, ILU_BILINEAR);
            const bool scaled = iluScale(tw, th, 1);
            iluImageParameter(ILU_FILTER, ILU_NEAREST);
            // Unscaled, the whole picture would be copied out and shown as the thumbnail.
            if (!scaled) return Named(path, DevilFailed(h, Status::Bad("cannot make the thumbnail")));
            thumb = CopyOutOfDevil();
        }
        thumb = Reorient(std::move(thumb), h.orientation);
    } catch (const std::bad_alloc&) {
        thumb = PixelBuffer{};
        return Named(path, NoMemory(info.width, info.height, "picture"));
    }
    return Status::Ok();
}

}  // namespace kerfel
