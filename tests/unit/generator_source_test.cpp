#include <gtest/gtest.h>

#include <cstring>

#include "engine/jpeg_reader.h"
#include "engine/source_image.h"
#include "generator_test_util.h"
#include "whole_level_reference.h"

using namespace kerfel;

namespace {

// The picture read in bands of seven rows, as the job reads it.
struct DecodedSource {
    PixelBuffer pixels;
    Status Load(const std::string& path) {
        JpegReader reader;
        Status s = reader.Open(path);
        if (s) s = reader.Start();
        if (!s) return s;
        pixels = PixelBuffer::Make(reader.OutputWidth(), reader.OutputHeight());
        for (unsigned y = 0; y < pixels.height && s; y += 7) {
            std::vector<uint8_t*> rows;
            for (unsigned i = y; i < std::min(y + 7, pixels.height); ++i) rows.push_back(pixels.Row(i));
            s = reader.ReadRows(rows.data(), static_cast<unsigned>(rows.size()));
        }
        return s;
    }
    PixelView View() const { return pixels; }
    void Release() { pixels = PixelBuffer{}; }
};

bool SamePixels(const PixelView& a, const PixelBuffer& b) {
    return a.width == b.width && a.height == b.height &&
           std::memcmp(a.data, b.data.get(), PixelBuffer::Bytes(b.width, b.height)) == 0;
}

// Whether the source read in bands is what DecodeSource reads, whichever way it is stored.
TEST(DecodedSource, GivesWhatDecodeSourceGivesForColourGreyAndTurnedPictures) {
    const std::string dir = gentest::TempFolder();
    gentest::WriteJpeg(dir + "/colour.jpg", gentest::Gradient(300, 200));
    ASSERT_EQ(std::system(("convert '" + dir + "/colour.jpg' -colorspace Gray '" + dir + "/grey.jpg'").c_str()), 0);
    {
        // The same picture with an EXIF segment saying "turned 90 degrees clockwise".
        std::ifstream in(dir + "/colour.jpg", std::ios::binary);
        std::string jpeg((std::istreambuf_iterator<char>(in)), {});
        static const char exif[] = "\xFF\xE1\x00\x22" "Exif\0\0" "MM\x00\x2A\x00\x00\x00\x08" "\x00\x01"
                                   "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00" "\x00\x00\x00\x00";
        jpeg.insert(2, exif, sizeof exif - 1);
        std::ofstream(dir + "/turned.jpg", std::ios::binary) << jpeg;
    }
    for (const char* name : {"colour.jpg", "grey.jpg", "turned.jpg"}) {
        const std::string path = dir + "/" + name;
        PixelBuffer expected;
        ASSERT_TRUE(DecodeSource(path, expected).ok()) << name;
        DecodedSource source;
        ASSERT_TRUE(source.Load(path).ok()) << name;
        EXPECT_TRUE(SamePixels(source.View(), expected)) << name;
        source.Release();
        EXPECT_TRUE(source.View().Empty());
    }
    PixelBuffer turned;
    ASSERT_TRUE(DecodeSource(dir + "/turned.jpg", turned).ok());
    EXPECT_EQ(turned.width, 200u);  // upright: the sides are swapped

    std::ofstream(dir + "/broken.jpg") << "not a picture";
    DecodedSource broken;
    Status s = broken.Load(dir + "/broken.jpg");
    EXPECT_EQ(s.fault, Fault::BadInput);
    EXPECT_NE(s.message.find("broken.jpg"), std::string::npos);
    std::filesystem::remove_all(dir);
}

}  // namespace
