#pragma once
// What the tool's message box shows for a flag word, and where: the decoding
// of the flags, the buttons of each set and the pixel layout that sizes the
// box to its text. Kept apart from the window so it can be checked exactly.
#include <array>
#include <functional>
#include <string>

#include "i18n/message_box_flags.h"

namespace kerfel {

// Button sets 1 (OK) to 6 (Abort, Retry, Ignore); icon kinds 7 (error) to 10
// (information), 0 for none. Within each group of bits the highest set bit
// wins. A word without a button bit gives an OK box, so that a box can
// always be closed by a button.
struct MessageBoxKind {
    int m_nButtonSet = 1;
    int m_nIcon = 0;
};
MessageBoxKind DecodeMessageBoxFlags(int flags);

// The three buttons from left to right: controls 1061, 1062, 1063.
inline constexpr int kButtonCount = 3;
struct MessageBoxButton {
    bool m_bShown = false;
    const char* m_szKey = nullptr;  // language key of the caption
    int m_nResult = 0;              // IDOK ... IDNO
};
std::array<MessageBoxButton, kButtonCount> MessageBoxButtons(int buttonSet);
// The button that has the focus when the box opens (index into the above).
int FocusedButton(int buttonSet);
// What closing the box without a button (Escape) returns: the answer that
// changes nothing: Cancel where there is one, No for Yes/No, Abort for
// Abort/Retry/Ignore and OK for a lone OK.
int EscapeResult(int buttonSet);

struct BoxRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const BoxRect&) const = default;
};
struct BoxSize {
    int width = 0, height = 0;
};

struct MessageBoxLayoutInput {
    int m_nFlags = MBX_OK;
    std::string m_strText;     // UTF-8, may hold line feeds
    std::string m_strCaption;  // UTF-8
    bool m_bLanguageChoice = false;
    // Extent of one line of text in the message label's font, in pixels.
    std::function<BoxSize(const std::string&)> m_measure;
    int m_nCaptionBarHeight = 0;
    BoxRect m_rcOwner;           // screen rectangle the box is centred on
    BoxSize m_szTemplateClient;  // client size of the box as built from its template
};

struct MessageBoxLayout {
    MessageBoxKind m_kind;
    int m_nLines = 0;            // n: two more than the line feeds
    std::string m_strMeasured;   // the longest line, or the caption when it has more characters
    BoxSize m_szMeasured;        // cx, cy
    int m_nTextHeight = 0;       // T = n x cy
    BoxRect m_rcLabel;
    std::array<BoxRect, kButtonCount> m_rcButtons;  // 80 x 25 each, shown or not
    BoxRect m_rcBox;             // outer rectangle on the screen
};

// Buttons are 80 by 25 pixels.
inline constexpr BoxSize kButtonSize{80, 25};

MessageBoxLayout LayOutMessageBox(const MessageBoxLayoutInput& in);

}  // namespace kerfel
