#pragma once
// A stranger's picture through the reader its first bytes choose and the
// strip cutter, as a job reads it: whatever the bytes, the picture either
// fails with one line naming it, or gives every tile of its table with the
// sizes the grid says. Each format's target starts from its own seeds.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/source_reader.h"
#include "engine/strip_pyramid.h"
#include "engine/tile_encoder.h"
#include "fuzz_support.h"
#include "../unit/whole_level_reference.h"

namespace fuzz {

struct CheckingSink : kerfel::TileSink {
    const kerfel::TilePyramid& table;
    long long tiles = 0;
    explicit CheckingSink(const kerfel::TilePyramid& t) : table(t) {}
    kerfel::Status Take(const kerfel::TileCut& t) override {
        FUZZ_CHECK(t.level >= 0 && t.level < table.LevelCount());
        const kerfel::TileRect r = kerfel::TileAt(table.m_arrLevelWidth[t.level], table.m_arrLevelHeight[t.level],
                                                  t.column, t.row, table.TileSize());
        FUZZ_CHECK(r.width == t.width && r.height == t.height);
        volatile uint8_t sum = 0;  // every pixel of the tile is readable
        for (unsigned y = 0; y < t.height; ++y) sum = sum + t.pixels[y * t.stride + t.width * 3 - 1];
        ++tiles;
        return kerfel::Status::Ok();
    }
    kerfel::Status AwaitReaders(int*) override { return kerfel::Status::Ok(); }
};

inline kerfel::Status CutAll(kerfel::SourceReader& reader, int threads = 1) {
    const kerfel::TilePyramid table = kerfel::TilePyramid::Build(kerfel::NativeLayout(), reader.Width(), reader.Height());
    for (int i = 0; i < table.LevelCount(); ++i)
        if (table.m_arrLevelWidth[i] == 0 || table.m_arrLevelHeight[i] == 0) return kerfel::Status::Ok();
    kerfel::Status s = reader.Start(1, threads);
    if (!s) return s;
    FUZZ_CHECK(reader.OutputWidth() == reader.Width() && reader.OutputHeight() == reader.Height());
    CheckingSink sink(table);
    kerfel::StripPyramid strips(table, sink);
    std::vector<uint8_t*> rows;
    while (s && !strips.Complete()) {
        s = strips.NextRows(rows);
        FUZZ_CHECK(!s || !rows.empty());
        const unsigned n = static_cast<unsigned>(std::min<size_t>(rows.size(), 5));
        if (s) s = reader.ReadRows(rows.data(), n);
        if (s) s = strips.Filled(n);
    }
    if (s) FUZZ_CHECK(sink.tiles == table.m_nTotalTiles);
    return s;
}

// Big pictures decode too slowly to fuzz; the header checks still ran.
inline bool TooBigToFuzz(const kerfel::SourceReader& reader) {
    return 1ull * reader.Width() * reader.Height() > (1u << 22) || reader.WholePictureBytes() > (64u << 20) ||
           reader.Width() > (1u << 16);
}

// A failure is one line naming the file.
inline void CheckFailure(const kerfel::Status& s, const std::string& name) {
    if (s) return;
    FUZZ_CHECK(s.message.rfind(name + ": ", 0) == 0);
    FUZZ_CHECK(s.message.find('\n') == std::string::npos);
}

// `threads` as a job gives them, for a reader that decodes on threads of its own.
inline int FuzzSource(const uint8_t* data, size_t size, const std::string& name, int threads = 1) {
    std::unique_ptr<kerfel::SourceReader> reader;
    kerfel::Status s = kerfel::OpenSourceMemory(data, size, name, reader);
    if (s) {
        FUZZ_CHECK(reader->Width() > 0 && reader->Height() > 0);
        if (TooBigToFuzz(*reader)) return 0;
        s = CutAll(*reader, threads);
    }
    CheckFailure(s, name);
    return 0;
}

}  // namespace fuzz
