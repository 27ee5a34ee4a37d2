#pragma once
// A band of decoded rows converted to sRGB by several threads at once. The
// decoder reads a picture serially; converting its colours on the same
// thread would lengthen the one part of a job that cannot be shared out, so
// the rows of each band are shared among threads, each with a transform of
// its own, and the decoder takes its part too.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/colour_transform.h"

namespace kerfel {

class RowConverter {
public:
    // nullptr when not even the caller's transform can be made. `threads`
    // share each band (the caller's among them); fewer when the machine has
    // no more threads to give.
    static std::unique_ptr<RowConverter> Make(std::shared_ptr<const ColourConversion> conversion, int threads);
    ~RowConverter();
    RowConverter(const RowConverter&) = delete;
    RowConverter& operator=(const RowConverter&) = delete;

    SampleLayout Layout() const { return m_conversion->Layout(); }
    // Converts `count` rows of `width` pixels in the conversion's layout into
    // RGB rows (out[i] may be in[i] when the layout is RGB), in two steps so
    // that the caller can decode the next band while the helpers convert
    // this one: Begin hands the rows over, Finish converts those still
    // untaken on the caller's thread and returns once every row is
    // converted. The row pointers and rows stay untouched in between.
    void Begin(const uint8_t* const* in, uint8_t* const* out, unsigned count, unsigned width);
    void Finish();

private:
    struct Band {
        const uint8_t* const* in = nullptr;
        uint8_t* const* out = nullptr;
        unsigned count = 0, width = 0;
    };
    RowConverter(std::shared_ptr<const ColourConversion> conversion, std::unique_ptr<ColourTransform> own);
    void Help();
    void TakeRows(ColourTransform& transform);

    std::shared_ptr<const ColourConversion> m_conversion;
    std::unique_ptr<ColourTransform> m_own;  // the calling thread's
    std::mutex m_lock;
    std::condition_variable m_wake, m_done;
    Band m_band;
    std::atomic<unsigned> m_nextRow{0};
    unsigned long long m_round = 0;  // bands handed out so far
    unsigned m_helping = 0;          // helpers still on the current band
    bool m_shared = false;           // the current band was handed to the helpers
    bool m_stopping = false;
    std::vector<std::thread> m_helpers;
};

// The converter from a picture's profile to sRGB, on `threads` threads;
// nullptr when its samples are to be left as they are, with the reason in
// `note` when there is one worth telling (see ColourConversion::Prepare).
std::unique_ptr<RowConverter> ConverterFrom(const ColourProfile& profile, int threads, std::string& note);

}  // namespace kerfel
