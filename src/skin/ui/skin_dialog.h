#pragma once
// A borderless dialog that draws a picture as its background, takes the
// picture's outline (the transparent colour is see-through and lets clicks
// through) and moves when its background is dragged.
//
// Keyboard: Alt+letter presses the bitmap button whose caption marks that
// letter with "&" (the bare letter too while the focus is on a button of a
// dialog without text fields). Focus cues on the bitmap buttons stay hidden
// until the keyboard is used to move around the dialog (Tab, arrows, Alt),
// so a dialog worked with the mouse keeps its look.
#include <wx/bitmap.h>
#include <wx/dialog.h>

class CSkinDialog : public wxDialog {
public:
    enum BackgroundMode { ModeNormal = 0, ModeTile = 1, ModeCenter = 2, ModeStretch = 3, ModeFitWindow = 4 };

    CSkinDialog(wxWindow* parent, wxWindowID id, const wxString& title, const wxSize& size);

    // The picture of a resource number; a missing picture leaves the dialog
    // without background and still succeeds.
    bool SetBitmap(int resourceId);
    // The picture itself; wxNullBitmap removes the background.
    bool SetBitmap(const wxBitmap& bitmap);
    // Mode 4 resizes the window to the picture when one is set.
    void SetBackgroundMode(int mode);
    void EnableDrag(bool enable) { m_bDrag = enable; }
    // Pixels of the background in exactly this colour are cut out of the
    // window; false when the window system cannot shape windows.
    bool SetTransparentColor(const wxColour& colour, bool enable);

    int GetBackgroundMode() const { return m_nMode; }
    bool IsDragEnabled() const { return m_bDrag; }
    bool HasSkin() const { return m_bmpSkin.IsOk(); }

    bool ShowsKeyboardCues() const { return m_bKeyboardCues; }
    void ShowKeyboardCues();

    // What the background shows under a rectangle of the client area, for
    // children that draw over the picture.
    wxBitmap BackgroundUnder(const wxRect& rect);

protected:
    // Drawn over the background on every paint (e.g. a caption).
    virtual void PaintOverBackground(wxDC&) {}

    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnActivate(wxActivateEvent& event);
    // Runs after the derived dialogs' own key hooks when they pass a key on.
    void OnCharHook(wxKeyEvent& event);

private:
    void RenderBackground();
    void ApplyShape();
    bool TakesBareMnemonics() const;

    bool m_bDrag = true;
    wxBitmap m_bmpSkin;        // the picture as given
    wxBitmap m_bmpBackground;  // the picture laid out over the client area
    int m_nMode = ModeNormal;
    bool m_bTransparent = false;
    wxColour m_clrTransparent{255, 0, 0};
    bool m_bDragging = false;
    wxPoint m_ptDragOffset;
    bool m_bKeyboardCues = false;
    wxDECLARE_EVENT_TABLE();
};
