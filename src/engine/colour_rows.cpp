#include "engine/colour_rows.h"

#include <new>
#include <system_error>

namespace kerfel {

std::unique_ptr<RowConverter> RowConverter::Make(std::shared_ptr<const ColourConversion> conversion, int threads) {
    std::unique_ptr<ColourTransform> own = conversion->NewTransform();
    if (!own) return nullptr;
    std::unique_ptr<RowConverter> converter(new RowConverter(std::move(conversion), std::move(own)));
    converter->m_helpers.reserve(threads > 1 ? threads - 1 : 0);
    for (int i = 1; i < threads; ++i) {
        try {
            converter->m_helpers.emplace_back(&RowConverter::Help, converter.get());
        } catch (const std::system_error&) {
            break;  // the threads there are share the work
        }
    }
    return converter;
}

RowConverter::RowConverter(std::shared_ptr<const ColourConversion> conversion, std::unique_ptr<ColourTransform> own)
    : m_conversion(std::move(conversion)), m_own(std::move(own)) {}

RowConverter::~RowConverter() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& t : m_helpers) t.join();
}

void RowConverter::TakeRows(ColourTransform& transform) {
    for (unsigned i; (i = m_nextRow.fetch_add(1)) < m_band.count;)
        transform.Convert(m_band.in[i], m_band.out[i], m_band.width);
}

void RowConverter::Begin(const uint8_t* const* in, uint8_t* const* out, unsigned count, unsigned width) {
    std::unique_lock<std::mutex> hold(m_lock);
    m_band = {in, out, count, width};
    m_nextRow = 0;
    m_shared = !m_helpers.empty() && count >= 2;
    if (!m_shared) return;
    m_helping = static_cast<unsigned>(m_helpers.size());
    ++m_round;
    hold.unlock();
    m_wake.notify_all();
}

void RowConverter::Finish() {
    TakeRows(*m_own);
    if (!m_shared) return;
    // The helpers read the band's row pointers until they say they are done.
    std::unique_lock<std::mutex> hold(m_lock);
    m_done.wait(hold, [this] { return m_helping == 0; });
    m_shared = false;
}

void RowConverter::Help() {
    std::unique_ptr<ColourTransform> transform;
    try {
        transform = m_conversion->NewTransform();
    } catch (const std::bad_alloc&) {
        // Without a transform this thread takes no rows; the others do.
    }
    std::unique_lock<std::mutex> hold(m_lock);
    unsigned long long seen = 0;
    for (;;) {
        m_wake.wait(hold, [&] { return m_stopping || m_round != seen; });
        if (m_stopping) return;
        seen = m_round;
        hold.unlock();
        if (transform) TakeRows(*transform);
        hold.lock();
        if (--m_helping == 0) m_done.notify_one();
    }
}

std::unique_ptr<RowConverter> ConverterFrom(const ColourProfile& profile, int threads, std::string& note) {
    std::shared_ptr<const ColourConversion> conversion = ColourConversion::Prepare(profile, note);
    if (!conversion) return nullptr;
    std::unique_ptr<RowConverter> converter = RowConverter::Make(std::move(conversion), threads);
    if (!converter) note = "not enough memory to convert the colours; " + ColoursTakenAs(profile.Layout());
    return converter;
}

}  // namespace kerfel
