// What a JPEG says about itself, however much it carries before its frame
// header: cameras and editors put colour profiles and previews there.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "engine/jpeg_header.h"
#include "engine/source_image.h"
#include "test_images.h"

using kerfel::PixelBuffer;
using kerfel::SourceInfo;
using kerfel::Status;

namespace {

// `count` APP2 segments of the largest size right after the start marker.
std::vector<uint8_t> WithLargeSegments(const std::vector<uint8_t>& jpeg, int count) {
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    for (int i = 0; i < count; ++i) {
        out.insert(out.end(), {0xFF, 0xE2, 0xFF, 0xFF});
        for (int b = 0; b < 0xFFFF - 2; ++b) out.push_back(b % 2 ? 0xD9 : 0xFF);  // end markers, to a naive eye
    }
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

class JpegHeaderFile : public ::testing::Test {
protected:
    std::string dir = testimg::TempFolder();
    void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(JpegHeaderFile, MoreThanAMegabyteOfSegmentsBeforeTheFrameIsReadToTheFrame) {
    const std::string plain = testimg::Convert(
        "-size 300x200 xc:red -fill blue -draw 'rectangle 0,0 59,59' -strip -quality 95", dir + "/plain.jpg");
    ASSERT_FALSE(plain.empty());
    // 20 segments of 64 KiB: 1.3 MB before the frame, and an EXIF
    // orientation after them, beyond the first window read.
    const auto turned = testimg::WithExifOrientation(testimg::ReadBytes(plain), 6, false);
    std::vector<uint8_t> bytes = WithLargeSegments(turned, 20);
    ASSERT_GT(bytes.size(), 20u * 65535);
    const std::string path = dir + "/profiled.jpg";
    testimg::WriteBytes(path, bytes);

    SourceInfo info;
    ASSERT_TRUE(kerfel::InspectSource(path, info)) << kerfel::InspectSource(path, info).message;
    EXPECT_EQ(info.header.width, 300u);
    EXPECT_EQ(info.header.orientation, 6);
    EXPECT_EQ(info.width, 200u);
    EXPECT_EQ(info.header.fileSize, bytes.size());
    kerfel::JpegHeader fromMemory;
    ASSERT_TRUE(kerfel::ParseJpegHeader(bytes.data(), bytes.size(), fromMemory));
    EXPECT_EQ(fromMemory.orientation, 6);
    EXPECT_EQ(fromMemory.height, 200u);
    PixelBuffer px;
    ASSERT_TRUE(kerfel::DecodeSource(path, px));
    EXPECT_EQ(px.width, 200u);
    const uint8_t* corner = px.Row(10) + 190 * 3;  // the blue corner, turned to the top right
    EXPECT_GT(corner[2], 180);
    EXPECT_LT(corner[0], 80);

    // Cut inside the segments, the header is still refused as truncated, and
    // without holding the file: a segment's length reaching past the end.
    for (size_t cut : {size_t(700000), size_t(2 + 20 * 65537 + 10)}) {  // the second inside the EXIF segment
        testimg::WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
        Status s = kerfel::InspectSource(path, info);
        EXPECT_EQ(s.fault, kerfel::Fault::BadInput) << cut;
        EXPECT_NE(s.message.find("truncated JPEG header"), std::string::npos) << s.message;
    }
}

TEST_F(JpegHeaderFile, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
    const std::string pipe = dir + "/pipe.jpg";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    SourceInfo info;
    Status s = kerfel::InspectSource(pipe, info);
    EXPECT_EQ(s.fault, kerfel::Fault::BadInput);
    EXPECT_EQ(s.message, pipe + ": cannot read: not a regular file");
}

}  // namespace

// A 12-bit picture is sound but not one we read: told so, not called damaged.
TEST_F(JpegHeaderFile, ATwelveBitPictureIsCalledUnsupported) {
    const std::string plain = testimg::Convert("-size 64x48 xc:red -quality 90", dir + "/plain.jpg");
    ASSERT_FALSE(plain.empty());
    std::vector<uint8_t> bytes = testimg::ReadBytes(plain);
    for (size_t i = 2; i + 4 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 4] = 12;  // the frame's sample precision
            break;
        }
    const std::string path = dir + "/twelve.jpg";
    testimg::WriteBytes(path, bytes);
    SourceInfo info;
    const Status s = kerfel::InspectSource(path, info);
    EXPECT_NE(s.message.find("unsupported JPEG sample precision (12 bits"), std::string::npos) << s.message;
}
