#include <gtest/gtest.h>

#include <cstring>

#include "engine/decoded_source.h"
#include "engine/source_image.h"
#include "generator_test_util.h"

using namespace kerfel;

namespace {

bool SamePixels(const PixelView& a, const PixelBuffer& b) {
    return a.width == b.width && a.height == b.height &&
           std::memcmp(a.data, b.data.get(), PixelBuffer::Bytes(b.width, b.height)) == 0;
}

// Whether the source is read as DecodeSource reads it, whichever way it is held.
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
