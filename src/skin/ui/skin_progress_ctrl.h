#pragma once
// A progress bar painted from a skin strip of nine equal images, laid over a
// placeholder control whose rectangle it follows.
#include <wx/bitmap.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <array>

#include "skin/progress_mapping.h"

class CSkinProgressCtrl : public wxWindow {
public:
    CSkinProgressCtrl() = default;
    ~CSkinProgressCtrl() override;

    // Lays the bar over `placeholder` (a sibling, usually hidden) with the range
    // 0..upper. Without a skin (or with a skin too small to split) a plain
    // built-in one is drawn. Returns false when the bar cannot be made.
    bool Create(wxWindow* placeholder, int upper, const wxBitmap* skin = nullptr, bool reversed = false);

    bool SetSkin(const wxBitmap* skin, bool refresh = true);
    bool SetRange(int lower, int upper, int step = 1, bool resample = false, bool refresh = true);
    int SetPos(int position, bool refresh = true);
    int OffsetPos(int delta, bool refresh = true);
    int SetStep(int step);
    int StepIt(bool refresh = true);
    int SetStart(int start, bool refresh = true);
    int GetPos(bool percent = false) const;
    int GetStart(bool percent = false) const;
    int GetStep() const { return m_model.GetStep(); }
    int GetLower() const { return m_model.GetLower(); }
    int GetUpper() const { return m_model.GetUpper(); }
    int Reset(bool refresh = true);
    // Follows the placeholder and repaints when the pixels changed.
    bool Refresh();
    // Hides the bar for good; the placeholder's area repaints.
    void Clear();

    bool IsVertical() const { return m_bVertical; }
    int ElementLength() const { return m_bVertical ? m_nElementHeight : m_nElementWidth; }
    // Where the last repaint put the start, the end and the limit (for tests).
    const kerfel::ProgressDrawn& Drawn() const { return m_drawn; }

private:
    bool Alive() const { return m_bAlive && GetHandle(); }
    void BuildElements();
    kerfel::ProgressPixels Pixels() const;
    void OnPaint(wxPaintEvent& event);
    void OnEraseBackground(wxEraseEvent& event);
    void OnTimer(wxTimerEvent& event);

    bool m_bVertical = false;
    kerfel::ProgressModel m_model;
    kerfel::ProgressDrawn m_drawn;
    bool m_bReversed = false;
    int m_nElementWidth = 0, m_nElementHeight = 0;
    wxRect m_rcPlacement;
    wxSize m_szPainted;
    wxImage m_skin;                                   // the skin as given (copied)
    double m_dSkinScale = 1;                          // its pixels per logical pixel
    std::array<wxBitmap, kerfel::kProgressElements> m_elements;  // stretched to the bar's thickness
    int m_nElementsThickness = -1;
    wxBitmap m_backBuffer;
    wxWindow* m_pPlaceholder = nullptr;
    wxTimer m_timer;
    bool m_bAlive = false;
    int m_nToldPercent = -1;  // the value a screen reader was last told of

    wxDECLARE_EVENT_TABLE();
};
