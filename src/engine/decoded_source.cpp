#include "engine/decoded_source.h"

#include "engine/devil.h"

namespace kerfel {

Status DecodedSource::Load(const std::string& path) {
    Release();
    SourceInfo info;
    Status s = InspectSource(path, info);
    if (!s) return s;
    const JpegHeader& h = info.header;
    if (h.orientation != 1 || h.components != 3) {
        s = DecodeSource(path, m_owned);
        if (s) m_view = PixelView(m_owned);
        return s;
    }
    // The buffer stays valid after the lock is released: only this object
    // uses this image name, and nothing changes the image until Release.
    DevilSession session;
    ilGenImages(1, &m_library);
    ilBindImage(m_library);
    TakeDevilError();
    // Memory running out is told apart from a damaged file: the file may be fine.
    auto failed = [&](const char* reason) {
        Status f = TakeDevilOutOfMemory() ? NoMemory(h.width, h.height, "picture") : Status::Bad(reason);
        ilDeleteImages(1, &m_library);
        m_library = 0;
        f.message = path + ": " + f.message;
        return f;
    };
    if (!ilLoad(IL_JPG, path.c_str())) return failed("the JPEG data is damaged or incomplete");
    if (ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT && !iluFlipImage())
        return failed("cannot turn the picture upright");
    if ((ilGetInteger(IL_IMAGE_FORMAT) != IL_RGB || ilGetInteger(IL_IMAGE_TYPE) != IL_UNSIGNED_BYTE) &&
        !ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE))
        return failed("cannot convert the picture to RGB");
    const unsigned w = ilGetInteger(IL_IMAGE_WIDTH), hgt = ilGetInteger(IL_IMAGE_HEIGHT);
    if (w != h.width || hgt != h.height) return failed("the decoded size does not match the header");
    m_view = PixelView(ilGetData(), w, hgt);
    return Status::Ok();
}

void DecodedSource::Release() {
    m_view = PixelView();
    m_owned = PixelBuffer();
    if (m_library) {
        DevilSession session;
        ilDeleteImages(1, &m_library);
        m_library = 0;
    }
}

}  // namespace kerfel
