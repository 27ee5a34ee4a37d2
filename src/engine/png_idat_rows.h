#pragma once
// The rows of a plain PNG (8 or 16 bits, grey or RGB with or without alpha,
// not interlaced) read from its IDAT chunks without libpng. Inflating is
// most of a PNG's decoding and only one thread can do it: ISA-L inflates
// half again as fast as zlib, and given a thread it inflates the next band
// of rows while the caller unfilters this one. Every chunk's CRC and the
// stream's checksum are still checked. Rows come out as libpng would hand
// them: unfiltered, 16 bits scaled to 8.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/status.h"
#include "engine/source_bytes.h"

namespace kerfel {

class PngIdatRows {
public:
    // `offset`: where the first IDAT chunk's length stands; `samples`: a
    // row's samples (width times channels); `channels`: per pixel.
    PngIdatRows(const SourceBytes& bytes, uint64_t offset, unsigned rows, size_t samples, unsigned channels,
                int depth);
    ~PngIdatRows();

    // Inflates on a thread of its own from now on; false if none could be had.
    bool InflateAhead();
    // The next row, `samples` 8-bit samples.
    Status Next(uint8_t* into);

private:
    struct Band {
        std::vector<uint8_t> rows;  // filter byte and samples, row after row
        unsigned count = 0;         // rows in it
        bool full = false;          // the inflater has filled it, the caller not yet taken it
        Status status;              // why the inflater stopped after `count` rows
    };
    void InflateBands();
    Status InflateBand(uint8_t* out, unsigned& count);
    Status Inflate(uint8_t* out, size_t count);
    Status Refill();
    Status NextChunk();
    Status EndChunk();
    void TakeBand();

    // Read by the inflater only, once it runs.
    struct Inflater;
    const SourceBytes& m_bytes;
    uint64_t m_offset;         // the next byte of the file to read
    uint64_t m_chunkLeft = 0;  // data bytes of the current IDAT not yet read
    uint32_t m_crc = 0;        // of the current chunk's type and data so far
    bool m_chunksEnded = false;
    std::unique_ptr<Inflater> m_inflater;
    std::vector<uint8_t> m_input;  // compressed bytes read, not yet inflated

    const unsigned m_rows;
    const size_t m_samples;
    const size_t m_stored;  // bytes of a row as stored, with its filter byte
    const unsigned m_bytesPerPixel;
    const bool m_wide;  // 16 bits a sample
    const unsigned m_bandRows;  // rows a band holds, with a thread or without
    Band m_bands[2];
    int m_current = 0;        // the band the caller reads
    unsigned m_inBand = 0;    // rows of it taken
    unsigned m_given = 0;     // rows handed out
    bool m_holding = false;   // the caller has a band from the inflater
    unsigned m_inflated = 0;  // rows the inflater has filled bands with
    std::vector<uint8_t> m_previous;  // the row above, unfiltered

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace kerfel
