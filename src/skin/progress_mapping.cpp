#include "skin/progress_mapping.h"

#include <algorithm>

namespace kerfel {

bool ProgressModel::SetRange(int lower, int upper, int step, bool resample) {
    // An empty range makes every pixel a division by zero.
    if (upper <= lower) return false;
    if (resample) {
        auto scale = [&](int v) {
            return static_cast<int>(lower + (static_cast<long long>(v) - m_nLower) * (static_cast<long long>(upper) - lower) /
                                                (static_cast<long long>(m_nUpper) - m_nLower));
        };
        m_nStart = scale(m_nStart);
        m_nPos = scale(m_nPos);
    }
    m_nLower = lower;
    m_nUpper = upper;
    m_nStep = step;
    m_nStart = std::clamp(m_nStart, lower, upper);
    m_nPos = std::clamp(m_nPos, m_nStart, upper);
    m_nPrevStart = m_nStart;
    m_nPrevPos = m_nPos;
    return true;
}

int ProgressModel::ClampPos(long long p) const {
    p = std::min<long long>(p, m_nUpper);
    p = std::max<long long>(p, m_nLower);
    return static_cast<int>(std::max<long long>(p, m_nStart));
}

int ProgressModel::SetPos(int position) {
    m_nPrevPos = m_nPos;
    m_nPos = ClampPos(position);
    return m_nPrevPos;
}

int ProgressModel::OffsetPos(int delta) {
    m_nPrevPos = m_nPos;
    m_nPos = ClampPos(static_cast<long long>(m_nPos) + delta);
    return m_nPrevPos;
}

int ProgressModel::StepIt() { return OffsetPos(m_nStep); }

int ProgressModel::SetStep(int step) {
    int previous = m_nStep;
    m_nStep = step;
    return previous;
}

int ProgressModel::SetStart(int start) {
    m_nPrevStart = m_nStart;
    m_nStart = std::min(std::clamp(start, m_nLower, m_nUpper), m_nPos);
    return m_nPrevStart;
}

int ProgressModel::Share(int value, bool percent) const {
    if (!percent) return value;
    return static_cast<int>((static_cast<long long>(value) - m_nLower) * 25600 /
                            (static_cast<long long>(m_nUpper) - m_nLower));
}

ProgressPixels MapProgress(const ProgressModel& m, int length, int e, bool reversed) {
    ProgressPixels px;
    const long long span = static_cast<long long>(m.GetUpper()) - m.GetLower();
    const long long room = length - 2LL * e;
    px.limit = length - e;
    px.end = static_cast<int>((static_cast<long long>(m.GetPos(false)) - m.GetLower()) * room / span + e);
    px.start = static_cast<int>((static_cast<long long>(m.GetStart(false)) - m.GetLower()) * room / span);
    if (px.end > px.limit) px.end = px.limit;
    if (px.start > px.end - e) px.start = px.end - e;
    if (reversed) {
        const int end = length - px.start - e;
        px.start = length - px.end - e;
        px.end = end;
    }
    return px;
}

namespace {
int RoundDown(int v, int e) { return v - v % e; }
}  // namespace

std::vector<ProgressDraw> FullRepaint(const ProgressPixels& px, int e, ProgressDrawn& drawn) {
    std::vector<ProgressDraw> out;
    if (e < 1) return out;
    int r = RoundDown(px.limit, e);
    for (; px.end < r; r -= e) out.push_back({kTrack, r});
    drawn.end = px.end;
    for (; r >= px.start; r -= e) out.push_back({kFill, r});
    drawn.start = px.start;
    for (; r >= e; r -= e) out.push_back({kTrack, r});
    out.push_back({kFillCentre, (px.start + px.end) / 2});
    if (e < px.start) out.push_back({kBeforeFill, px.start - e});
    if (px.end < px.limit - e) out.push_back({kAfterFill, px.end + e});
    out.push_back({kNearCap, 0});
    out.push_back({kFarCap, px.limit});
    out.push_back({kFillStart, px.start});
    out.push_back({kFillEnd, px.end});
    drawn.limit = px.limit;
    return out;
}

std::vector<ProgressDraw> PartialRepaint(const ProgressPixels& px, int e, ProgressDrawn& drawn) {
    std::vector<ProgressDraw> out;
    if (e < 1) return out;
    const bool endChanged = px.end != drawn.end, startChanged = px.start != drawn.start;
    if (endChanged) {
        if (px.end < drawn.end) {
            out.push_back({kTrack, drawn.end});
            for (int r = RoundDown(drawn.end, e); px.end < r; r -= e) out.push_back({kTrack, r});
        } else {
            out.push_back({kFill, drawn.end});
            for (int r = RoundDown(drawn.end + e, e); r < px.end; r += e) out.push_back({kFill, r});
        }
    }
    if (startChanged) {
        if (px.start < drawn.start) {
            out.push_back({kFill, drawn.start});
            for (int r = RoundDown(drawn.start, e); px.start < r; r -= e) out.push_back({kFill, r});
        } else {
            out.push_back({kTrack, drawn.start});
            for (int r = RoundDown(drawn.start + e, e); r < px.start; r += e) out.push_back({kTrack, r});
        }
    }
    if (startChanged || endChanged) out.push_back({kFillCentre, (px.start + px.end) / 2});
    if (startChanged && e < px.start) out.push_back({kBeforeFill, px.start - e});
    if (endChanged && px.end < px.limit - e) out.push_back({kAfterFill, px.end + e});
    if (startChanged && px.start < 2 * e) out.push_back({kNearCap, 0});
    if (endChanged && px.end > px.limit - 2 * e) out.push_back({kFarCap, px.limit});
    if (startChanged || px.end < px.start + 2 * e) {
        drawn.start = px.start;
        out.push_back({kFillStart, px.start});
    }
    if (endChanged || px.end - 2 * e < px.start) {
        drawn.end = px.end;
        out.push_back({kFillEnd, px.end});
    }
    drawn.limit = px.limit;
    return out;
}

}  // namespace kerfel
