#pragma once
// Rows whose colours are converted one band ahead of those asked for. The
// decoder is the one part of a job that cannot be shared out; were it to
// wait while each band it decoded was converted, the conversion would
// lengthen the whole job. Here the decoder reads the next band while the
// converter's helpers turn this one into RGB, and the rows asked for are
// copied out of bands already converted.
#include <cstdint>
#include <functional>
#include <vector>

#include "base/status.h"
#include "engine/colour_rows.h"

namespace kerfel {

class RowsAhead {
public:
    // Fills `count` rows with the next stored rows, in the converter's layout.
    using Decode = std::function<Status(uint8_t* const* rows, unsigned count)>;

    // Rows of `width` pixels, `height` of them in all, from `decode`. Throws
    // std::bad_alloc when its two bands do not fit. The converter outlives it.
    RowsAhead(RowConverter& converter, unsigned width, unsigned height, Decode decode);
    ~RowsAhead();
    RowsAhead(const RowsAhead&) = delete;
    RowsAhead& operator=(const RowsAhead&) = delete;

    // The next `count` RGB rows, width * 3 bytes each.
    Status Read(uint8_t* const* rows, unsigned count);

private:
    struct Band {
        std::vector<uint8_t> stored, rgb;
        std::vector<uint8_t*> storedRows, rgbRows;
        unsigned count = 0;
    };
    Status DecodeInto(int band);
    void Begin(int band);

    RowConverter& m_converter;
    Decode m_decode;
    unsigned m_width;
    unsigned m_left;  // rows not decoded yet
    Band m_bands[2];
    int m_given = -1;     // the converted band rows are copied from
    unsigned m_taken = 0;  // its rows copied so far
    int m_converting = -1;  // the band handed to the converter
};

}  // namespace kerfel
