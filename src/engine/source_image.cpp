#include "engine/source_image.h"

#include <cstring>

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

// Leaves the bound library image as 8-bit RGB, rows top-down. Caller holds
// a DevilSession.
Status LoadIntoDevil(const std::string& path, const JpegHeader& h) {
    TakeDevilError();
    if (!ilLoad(IL_JPG, path.c_str())) {
        TakeDevilError();
        return Status::Bad("the JPEG data is damaged or incomplete");
    }
    const unsigned w = ilGetInteger(IL_IMAGE_WIDTH), hgt = ilGetInteger(IL_IMAGE_HEIGHT);
    if (w != h.width || hgt != h.height) return Status::Bad("the decoded size does not match the header");
    if (ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT) iluFlipImage();
    const ILint channels = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
    if (channels == 4 && h.components == 4) {
        PixelBuffer rgb = PixelBuffer::Make(w, hgt);
        CmykToRgb(ilGetData(), rgb.data.get(), size_t(w) * hgt, h.adobe);
        ilTexImage(w, hgt, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, rgb.data.get());
        ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    } else if (!ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) {
        TakeDevilError();
        return Status::Bad("cannot convert the picture to RGB");
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
    Status s = ReadJpegHeader(path, info.header);
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

Status DecodeSource(const std::string& path, PixelBuffer& out, SourceInfo* infoOut) {
    SourceInfo info;
    Status s = InspectSource(path, info);
    if (!s) return s;
    {
        DevilSession session;
        DevilImage image;
        s = LoadIntoDevil(path, info.header);
        if (!s) return Named(path, s);
        out = CopyOutOfDevil();
    }
    out = Reorient(std::move(out), info.header.orientation);
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
    {
        DevilSession session;
        DevilImage image;
        s = LoadIntoDevil(path, h);
        if (!s) return Named(path, s);
        iluImageParameter(ILU_FILTER, ILU_BILINEAR);
        iluScale(tw, th, 1);
        iluImageParameter(ILU_FILTER, ILU_NEAREST);
        thumb = CopyOutOfDevil();
    }
    thumb = Reorient(std::move(thumb), h.orientation);
    return Status::Ok();
}

}  // namespace kerfel
