// Pictures with a colour profile come out in sRGB, as vips converts them;
// sRGB and untagged pictures are left exactly as stored; a profile that
// cannot be used leaves the picture as stored and tells the user once.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli_run.h"
#include "engine/cut_pyramid.h"
#include "engine/jpeg_reader.h"
#include "engine/layout.h"
#include "engine/source_image.h"
#include "engine/source_reader.h"
#include "generator_test_util.h"
#include "test_images.h"

using kerfel::PixelBuffer;
using kerfel::SourceInfo;

namespace {

std::vector<uint8_t> Saved(cmsHPROFILE p, const char* name) {
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", name);
    cmsWriteTag(p, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(p, bytes.data(), &size);
    cmsCloseProfile(p);
    return bytes;
}

std::vector<uint8_t> RgbProfile(const char* name, cmsCIExyY white, cmsCIExyYTRIPLE primaries, double gamma) {
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE p = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    return Saved(p, name);
}

std::vector<uint8_t> GreyProfile(double gamma) {
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
    cmsHPROFILE p = cmsCreateGrayProfile(cmsD50_xyY(), curve);
    cmsFreeToneCurve(curve);
    return Saved(p, "Grey 1.8");
}

// An RGB profile made of a lookup table, whose channels mix (so no curve per
// channel and matrix describes it): red and green trade a quarter of their
// share, then sRGB.
int Mix(const cmsUInt16Number in[], cmsUInt16Number out[], void* toLab) {
    const cmsUInt16Number mixed[3] = {cmsUInt16Number((3 * in[0] + in[1]) / 4), cmsUInt16Number((in[0] + 3 * in[1]) / 4),
                                      in[2]};
    cmsDoTransform(toLab, mixed, out, 1);
    return TRUE;
}

std::vector<uint8_t> TableProfile() {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile(), lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab = cmsCreateTransform(srgb, TYPE_RGB_16, lab, TYPE_Lab_16, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsHPROFILE p = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(p, 4.3);
    cmsSetDeviceClass(p, cmsSigInputClass);
    cmsSetColorSpace(p, cmsSigRgbData);
    cmsSetPCS(p, cmsSigLabData);
    cmsWriteTag(p, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsPipeline* lut = cmsPipelineAlloc(nullptr, 3, 3);
    cmsStage* grid = cmsStageAllocCLut16bit(nullptr, 33, 3, 3, nullptr);
    cmsStageSampleCLut16bit(grid, Mix, toLab, 0);
    // A table stands between curves in a profile of this version; these change nothing.
    cmsPipelineInsertStage(lut, cmsAT_BEGIN, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsPipelineInsertStage(lut, cmsAT_END, grid);
    cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    // Colorimetric too: vips takes a profile without it as none.
    cmsWriteTag(p, cmsSigAToB0Tag, lut);
    cmsWriteTag(p, cmsSigAToB1Tag, lut);
    cmsPipelineFree(lut);
    cmsDeleteTransform(toLab);
    cmsCloseProfile(srgb);
    cmsCloseProfile(lab);
    return Saved(p, "Mixed channels");
}

bool Shell(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()) == 0; }

// A picture vips wrote as PPM (or PGM, spread to RGB).
PixelBuffer ReadNetpbm(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::string magic;
    unsigned w = 0, h = 0, max = 0;
    f >> magic;
    auto skipComments = [&] {
        while (f >> std::ws && f.peek() == '#') f.ignore(1 << 20, '\n');
    };
    skipComments();
    f >> w;
    skipComments();
    f >> h;
    skipComments();
    f >> max;
    f.get();
    const int channels = magic == "P6" ? 3 : 1;
    std::vector<char> raw(size_t(w) * h * channels);
    f.read(raw.data(), static_cast<std::streamsize>(raw.size()));
    PixelBuffer b = PixelBuffer::Make(w, h);
    for (size_t i = 0; i < size_t(w) * h * 3; ++i) b.data[i] = static_cast<uint8_t>(raw[channels == 3 ? i : i / 3]);
    return b;
}

int MaxDifference(const PixelBuffer& a, const PixelBuffer& b) {
    int most = 0;
    for (size_t i = 0; i < PixelBuffer::Bytes(a.width, a.height); ++i)
        most = std::max(most, std::abs(int(a.data[i]) - int(b.data[i])));
    return most;
}

bool SamePixels(const PixelBuffer& a, const PixelBuffer& b) {
    return a.width == b.width && a.height == b.height &&
           std::equal(a.data.get(), a.data.get() + PixelBuffer::Bytes(a.width, a.height), b.data.get());
}

class ColourProfiles : public ::testing::Test {
protected:
    std::string dir = testimg::TempFolder();
    // Colours that reach every corner of sRGB.
    std::string source = testimg::Convert("-seed 3 -size 600x400 plasma:fractal -quality 95", Path("source.jpg"));

    std::string Path(const std::string& name) const { return dir + "/" + name; }
    std::string WriteProfile(const std::string& name, const std::vector<uint8_t>& icc) const {
        testimg::WriteBytes(Path(name), icc);
        return Path(name);
    }
    // `from` turned by vips into the space of `profile` (a file, or one of vips' own names), the profile embedded.
    std::string Exported(const std::string& from, const std::string& profile, const std::string& name) const {
        return Shell("vips icc_export '" + from + "' '" + Path(name) + "' --output-profile '" + profile + "'")
                   ? Path(name) : "";
    }
    PixelBuffer Decoded(const std::string& path) const {
        PixelBuffer px;
        EXPECT_TRUE(kerfel::DecodeSource(path, px).ok()) << path;
        return px;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

}  // namespace

TEST_F(ColourProfiles, ConvertedToSrgbAsVipsConvertsThem) {
    ASSERT_FALSE(source.empty());
    const std::string adobe = WriteProfile(
        "adobe.icc", RgbProfile("Adobe-like RGB", {0.3127, 0.3290, 1}, {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}},
                                563.0 / 256));
    const std::string prophoto = WriteProfile(
        "prophoto.icc", RgbProfile("ProPhoto-like RGB", {0.3457, 0.3585, 1},
                                   {{0.7347, 0.2653, 1}, {0.1596, 0.8404, 1}, {0.0366, 0.0001, 1}}, 1.8));
    // Made for reading only: the source's numbers are taken as in its space.
    testimg::WriteBytes(Path("table.jpg"), testimg::WithIccProfile(testimg::ReadBytes(source), TableProfile()));
    const std::string grey = testimg::Convert("'" + source + "' -colorspace Gray -quality 95", Path("grey.jpg"));
    const std::string greyIcc = WriteProfile("grey.icc", GreyProfile(1.8));
    // vips writes CMYK inverted, with an "Adobe" segment.
    const std::string cmyk = Exported(source, "cmyk", "cmyk.jpg");
    const std::string cases[][2] = {
        {"p3", Exported(source, "p3", "p3.jpg")},
        {"adobe", Exported(source, adobe, "adobe.jpg")},
        {"prophoto", Exported(source, prophoto, "prophoto.jpg")},
        {"lookup table", Path("table.jpg")},
        {"cmyk", cmyk},
        {"grey", Exported(grey, greyIcc, "grey-tagged.jpg")},
    };
    for (const auto& [name, tagged] : cases) {
        SCOPED_TRACE(name);
        ASSERT_FALSE(tagged.empty());
        const std::string reference = tagged + ".ppm";
        ASSERT_TRUE(Shell("vips icc_transform '" + tagged + "' '" + reference + "' srgb"));
        SourceInfo info;
        ASSERT_TRUE(kerfel::InspectSource(tagged, info).ok());
        EXPECT_FALSE(info.colourProfile.empty());
        const PixelBuffer ours = Decoded(tagged), theirs = ReadNetpbm(reference);
        ASSERT_EQ(ours.width, theirs.width);
        ASSERT_EQ(ours.height, theirs.height);
        EXPECT_LE(MaxDifference(ours, theirs), 3);
        std::printf("%-24s against vips: mean %.2f, max %d\n", name.c_str(), gentest::MeanDifference(ours, theirs),
                    MaxDifference(ours, theirs));
    }
}

TEST_F(ColourProfiles, SrgbProfilesLeaveThePixelsAsStored) {
    ASSERT_FALSE(source.empty());
    const std::vector<uint8_t> plain = testimg::ReadBytes(source);
    const std::string vipsSrgb = Exported(source, "srgb", "vips-srgb.jpg");
    kerfel::JpegReader reader;
    ASSERT_TRUE(reader.Open(vipsSrgb).ok());
    ASSERT_FALSE(reader.Profile().Bytes().empty());
    const std::vector<uint8_t> lcmsSrgb = Saved(cmsCreate_sRGBProfile(), "sRGB built in");
    for (const auto& icc : {reader.Profile().Bytes(), lcmsSrgb}) {
        const std::string tagged = Path("tagged.jpg");
        testimg::WriteBytes(tagged, testimg::WithIccProfile(plain, icc));
        SourceInfo info;
        ASSERT_TRUE(kerfel::InspectSource(tagged, info).ok());
        EXPECT_FALSE(info.colourProfile.empty());
        EXPECT_EQ(info.colourNote, "");
        EXPECT_TRUE(SamePixels(Decoded(tagged), Decoded(source))) << info.colourProfile;
    }
}

TEST_F(ColourProfiles, AProfileThatCannotBeUsedIsToldOnceAndTheColoursTakenAsStored) {
    ASSERT_FALSE(source.empty());
    const std::vector<uint8_t> plain = testimg::ReadBytes(source);
    kerfel::JpegReader cmykReader;
    ASSERT_TRUE(cmykReader.Open(Exported(source, "cmyk", "cmyk.jpg")).ok());
    const std::vector<uint8_t> p3 = [&] {
        kerfel::JpegReader r;
        EXPECT_TRUE(r.Open(Exported(source, "p3", "p3.jpg")).ok());
        return r.Profile().Bytes();
    }();
    std::vector<uint8_t> garbled = p3;
    for (size_t i = 128; i < garbled.size(); i += 7) garbled[i] ^= 0xA5;
    struct Case {
        const char* name;
        std::vector<uint8_t> jpeg;
        const char* said;
    } cases[] = {
        {"not a profile", testimg::WithIccProfile(plain, std::vector<uint8_t>(300, 'x')), "damaged"},
        {"garbled tags", testimg::WithIccProfile(plain, garbled), ""},
        {"a segment missing", testimg::WithIccProfile(plain, p3, 200, 2), "damaged"},
        {"a CMYK profile", testimg::WithIccProfile(plain, cmykReader.Profile().Bytes()), "for CMYK pictures"},
    };
    const PixelBuffer stored = Decoded(source);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Path(std::string(c.name) + ".jpg");
        testimg::WriteBytes(path, c.jpeg);
        PixelBuffer px;
        SourceInfo info;
        ASSERT_TRUE(kerfel::DecodeSource(path, px, &info).ok());
        // A garbled profile may still read; then it converts, and that is all.
        if (std::string(c.said).empty() && info.colourNote.empty()) continue;
        EXPECT_NE(info.colourNote.find(c.said), std::string::npos) << info.colourNote;
        EXPECT_NE(info.colourNote.find("taken as sRGB"), std::string::npos) << info.colourNote;
        EXPECT_TRUE(SamePixels(px, stored));

        std::vector<std::string> notes;
        const std::string job = Path(std::string(c.name) + "-job");
        std::filesystem::create_directories(job + "/Images");
        const kerfel::TilePyramid table = kerfel::TilePyramid::Build(kerfel::NativeLayout(), px.width, px.height);
        ASSERT_TRUE(kerfel::CutPyramid(path, table, kerfel::TilePaths(table, job, c.name), 2, 0, {}, &notes).ok());
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_EQ(notes[0], path + ": " + info.colourNote);
    }

    // The command line: one warning line on stderr, and the job done.
    const std::string damaged = Path("not a profile.jpg");
    const std::string out = Path("out");
    std::filesystem::create_directory(out);
    clitest::Result made = clitest::Run({"make", damaged, out, "--quiet"});
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(std::count(made.err.begin(), made.err.end(), '\n'), 1) << made.err;
    EXPECT_EQ(made.err.rfind("kerfel: warning: " + damaged + ": the colour profile is damaged", 0), 0u) << made.err;
    clitest::Result info = clitest::Run({"info", damaged});
    EXPECT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("\nnote: the colour profile is damaged"), std::string::npos) << info.out;
    clitest::Result named = clitest::Run({"info", Path("p3.jpg"), "--json"});
    EXPECT_NE(named.out.find(R"("height":400,"colour_profile":"sP3C",)"), std::string::npos) << named.out;
}

// Rows are converted on several threads at once (run under ThreadSanitizer too).
using ColourThreads = ColourProfiles;

TEST_F(ColourThreads, EveryThreadCountAndTheThumbnailConvertAlike) {
    // A flat colour stored as Display P3 numbers: the thumbnail shows the sRGB colour vips gives it.
    const std::string flat = testimg::Convert("-size 600x400 'xc:rgb(84,197,79)' -quality 100", Path("flat.jpg"));
    const std::string p3 = Exported(flat, "p3", "flat-p3.jpg");
    ASSERT_FALSE(p3.empty());
    testimg::WriteBytes(p3, testimg::WithIccProfile(testimg::ReadBytes(flat), [&] {
        kerfel::JpegReader r;
        EXPECT_TRUE(r.Open(p3).ok());
        return r.Profile().Bytes();
    }()));
    ASSERT_TRUE(Shell("vips icc_transform '" + p3 + "' '" + p3 + ".ppm' srgb"));
    const PixelBuffer theirs = ReadNetpbm(p3 + ".ppm");
    PixelBuffer thumb;
    SourceInfo info;
    ASSERT_TRUE(kerfel::DecodeThumbnail(p3, 60, thumb, info).ok());
    EXPECT_EQ(info.colourProfile, "sP3C");
    const uint8_t* ours = thumb.Row(thumb.height / 2) + thumb.width / 2 * 3;
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(ours[c], theirs.data[c], 1) << c;
    EXPECT_GT(std::abs(ours[0] - 84), 20);  // the stored numbers were converted

    ASSERT_FALSE(source.empty());
    const std::string tagged = Exported(source, "p3", "p3.jpg");
    const kerfel::TilePyramid table = kerfel::TilePyramid::Build(kerfel::NativeLayout(), 600, 400);
    std::set<std::string> names;
    for (int threads : {-1, 3}) {
        const std::string job = Path("tiles" + std::to_string(threads));
        std::filesystem::create_directories(job + "/Images");
        ASSERT_TRUE(kerfel::CutPyramid(tagged, table, kerfel::TilePaths(table, job, "p3"), threads, 0, {}).ok());
        names = gentest::Names(job + "/Images");
    }
    ASSERT_FALSE(names.empty());
    for (const std::string& n : names)
        EXPECT_EQ(gentest::ReadAll(Path("tiles-1/Images/" + n)), gentest::ReadAll(Path("tiles3/Images/" + n))) << n;
}

// The decoder reads a band ahead while other threads convert the one
// before: however many rows are asked for at a time, and whatever the
// format, the rows are those one thread gives reading the picture at once.
TEST_F(ColourThreads, RowsAskedForInAnyCountComeOutAlike) {
    ASSERT_FALSE(source.empty());
    const std::string p3 = Exported(source, "p3", "ahead-p3.jpg");
    const std::string cmyk = Exported(source, "cmyk", "ahead-cmyk.jpg");
    const std::string png = testimg::Convert(p3 + " -quality 0", Path("ahead-p3.png"));
    for (const std::string& path : {p3, cmyk, png}) {
        std::vector<std::vector<uint8_t>> read[2];
        for (int threads : {1, 3}) {
            std::unique_ptr<kerfel::SourceReader> reader;
            ASSERT_TRUE(kerfel::OpenSource(path, reader).ok()) << path;
            EXPECT_FALSE(reader->Profile().Name().empty()) << path;
            EXPECT_EQ(reader->ColourNote(), "") << path;
            ASSERT_TRUE(reader->Start(1, threads).ok()) << path;
            const unsigned width = reader->OutputWidth(), height = reader->OutputHeight();
            auto& rows = read[threads > 1];
            rows.assign(height, std::vector<uint8_t>(size_t(width) * 3));
            std::vector<uint8_t*> at;
            for (auto& r : rows) at.push_back(r.data());
            // 7 rows, then 1, 16 and 33: bands cut anywhere.
            const unsigned counts[] = {7, 1, 16, 33};
            for (unsigned y = 0, i = 0; y < height; ++i) {
                const unsigned n = threads > 1 ? std::min(counts[i % 4], height - y) : height;
                ASSERT_TRUE(reader->ReadRows(at.data() + y, n).ok()) << path << " row " << y;
                y += n;
            }
        }
        EXPECT_TRUE(read[0] == read[1]) << path;
    }
}
