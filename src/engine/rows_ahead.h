#pragma once
// Rows whose colours are converted while the decoder reads the next band.
// The decoder is the one part of a job that cannot be shared out; were it
// to wait while each band it decoded was converted, the conversion would
// lengthen the whole job. Here the converter's helpers turn the rows asked
// for into RGB, straight into the caller's rows, while the decoder reads
// the band after them.
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
    RowsAhead(const RowsAhead&) = delete;
    RowsAhead& operator=(const RowsAhead&) = delete;

    // The next `count` RGB rows, width * 3 bytes each.
    Status Read(uint8_t* const* rows, unsigned count);

private:
    struct Band {
        std::vector<uint8_t> stored;
        std::vector<uint8_t*> rows;
        unsigned count = 0, used = 0;
    };
    Status DecodeInto(Band& band);

    RowConverter& m_converter;
    Decode m_decode;
    unsigned m_width;
    unsigned m_left;  // rows not decoded yet
    Band m_bands[2];
    int m_current = 0;         // the band rows are taken from
    bool m_nextReady = false;  // the other band is decoded
};

}  // namespace kerfel
