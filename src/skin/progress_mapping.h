#pragma once
// The skinned progress bar without any window: its range and positions,
// where they fall in pixels, and which skin elements a repaint draws where.
// The control only executes the draw lists made here.
#include <vector>

namespace kerfel {

// Skin elements, in the order of the nine-image strip.
enum ProgressElement {
    kNearCap = 0,     // pixel 0
    kBeforeFill = 1,  // one element before the start pixel
    kFillStart = 2,   // start pixel
    kFillCentre = 3,  // midpoint of start and end
    kFill = 4,        // slots between start and end
    kFillEnd = 5,     // end pixel
    kAfterFill = 6,   // one element after the end pixel
    kTrack = 7,       // slots outside the filled part
    kFarCap = 8,      // the limit pixel
};
constexpr int kProgressElements = 9;

// lower <= start <= position <= upper always holds.
class ProgressModel {
public:
    // Refuses (false) a range whose upper bound is not above its lower one.
    bool SetRange(int lower, int upper, int step, bool resample);
    int SetPos(int position);       // previous position
    int OffsetPos(int delta);       // previous position
    int StepIt();                   // previous position
    int SetStep(int step);          // previous step
    int SetStart(int start);        // previous start
    int Reset() { return SetPos(m_nLower); }
    // The value, or with `percent` its share of the range in 1/256 percent.
    int GetPos(bool percent) const { return Share(m_nPos, percent); }
    int GetStart(bool percent) const { return Share(m_nStart, percent); }
    int GetStep() const { return m_nStep; }
    int GetLower() const { return m_nLower; }
    int GetUpper() const { return m_nUpper; }
    int PreviousPos() const { return m_nPrevPos; }
    int PreviousStart() const { return m_nPrevStart; }

private:
    int Share(int value, bool percent) const;
    int ClampPos(long long position) const;
    int m_nLower = 0, m_nUpper = 100, m_nStep = 1;
    int m_nStart = 0, m_nPrevStart = 0;
    int m_nPos = 0, m_nPrevPos = 0;
};

struct ProgressPixels {
    int limit = 0;  // last pixel at which an element may start
    int start = 0;  // where the filled part begins
    int end = 0;    // where it ends
};

// Pixels for a bar `length` long whose elements are `element` long.
ProgressPixels MapProgress(const ProgressModel& model, int length, int element, bool reversed);

// What the last repaint put on screen.
struct ProgressDrawn {
    int start = -1, end = -1, limit = -1;
};

inline bool ProgressChanged(const ProgressPixels& now, const ProgressDrawn& drawn) {
    return now.limit != drawn.limit || now.start != drawn.start || now.end != drawn.end;
}

struct ProgressDraw {
    int element;
    int pixel;
    bool operator==(const ProgressDraw&) const = default;
};

// Every element of the bar, and what is drawn is remembered in `drawn`.
std::vector<ProgressDraw> FullRepaint(const ProgressPixels& px, int element, ProgressDrawn& drawn);
// Only the spans between the drawn pixels and the new ones.
std::vector<ProgressDraw> PartialRepaint(const ProgressPixels& px, int element, ProgressDrawn& drawn);

}  // namespace kerfel
