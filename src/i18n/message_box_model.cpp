#include "i18n/message_box_model.h"

#include "base/utf8.h"

namespace kerfel {

namespace {

struct ButtonSetRow {
    MessageBoxButton left, middle, right;
};

// Indexed by button set - 1.
constexpr ButtonSetRow kButtonSets[] = {
    {{}, {true, "MESSAGEBOX.IDOK", IDOK}, {}},
    {{true, "MESSAGEBOX.IDOK", IDOK}, {true, "MESSAGEBOX.IDCANCEL", IDCANCEL}, {}},
    {{true, "MESSAGEBOX.IDRETRY", IDRETRY}, {true, "MESSAGEBOX.IDCANCEL", IDCANCEL}, {}},
    {{true, "MESSAGEBOX.IDYES", IDYES}, {true, "MESSAGEBOX.IDNO", IDNO}, {}},
    {{true, "MESSAGEBOX.IDYES", IDYES}, {true, "MESSAGEBOX.IDNO", IDNO}, {true, "MESSAGEBOX.IDCANCEL", IDCANCEL}},
    {{true, "MESSAGEBOX.IDABORT", IDABORT}, {true, "MESSAGEBOX.IDRETRY", IDRETRY},
     {true, "MESSAGEBOX.IDIGNORE", IDIGNORE}},
};

constexpr int kEscapeResults[] = {IDOK, IDCANCEL, IDCANCEL, IDNO, IDCANCEL, IDABORT};

int ClampSet(int buttonSet) { return buttonSet < 1 || buttonSet > 6 ? 1 : buttonSet; }

int ButtonCountOf(int buttonSet) { return buttonSet == 1 ? 1 : buttonSet <= 4 ? 2 : 3; }

// Base width W and label left edge L by button count, without and with icon.
struct BaseGeometry {
    int width, left;
};
constexpr BaseGeometry kBase[3][2] = {
    {{125, 15}, {150, 45}},
    {{180, 15}, {200, 50}},
    {{220, 15}, {250, 50}},
};

// The longest line by character count (the first of equal ones) and n.
void FindLongestLine(const std::string& text, std::string& longest, int& lines) {
    lines = 2;
    size_t best = 0;
    size_t start = 0;
    for (;;) {
        size_t lf = text.find('\n', start);
        std::string line = text.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
        size_t count = CharacterCount(line);
        if (start == 0 || count > best) {
            best = count;
            longest = line;
        }
        if (lf == std::string::npos) break;
        ++lines;
        start = lf + 1;
    }
}

}  // namespace

MessageBoxKind DecodeMessageBoxFlags(int flags) {
    MessageBoxKind kind;
    kind.m_nButtonSet = 0;
    for (int j = 1; j <= 10; ++j) {
        if (!(flags & (1 << (j - 1)))) continue;
        if (j <= 6) kind.m_nButtonSet = j;
        else kind.m_nIcon = j;
    }
    kind.m_nButtonSet = ClampSet(kind.m_nButtonSet);
    return kind;
}

std::array<MessageBoxButton, kButtonCount> MessageBoxButtons(int buttonSet) {
    const ButtonSetRow& row = kButtonSets[ClampSet(buttonSet) - 1];
    return {row.left, row.middle, row.right};
}

int FocusedButton(int buttonSet) { return ClampSet(buttonSet) == 1 ? 1 : 0; }

int EscapeResult(int buttonSet) { return kEscapeResults[ClampSet(buttonSet) - 1]; }

MessageBoxLayout LayOutMessageBox(const MessageBoxLayoutInput& in) {
    MessageBoxLayout out;
    out.m_kind = DecodeMessageBoxFlags(in.m_nFlags);
    const int buttons = ButtonCountOf(out.m_kind.m_nButtonSet);
    const bool icon = out.m_kind.m_nIcon != 0;

    FindLongestLine(in.m_strText, out.m_strMeasured, out.m_nLines);
    if (CharacterCount(in.m_strCaption) > CharacterCount(out.m_strMeasured)) out.m_strMeasured = in.m_strCaption;

    int W = kBase[buttons - 1][icon].width;
    int L = kBase[buttons - 1][icon].left;
    out.m_szMeasured = in.m_measure ? in.m_measure(out.m_strMeasured) : BoxSize{};
    const int cx = out.m_szMeasured.width;
    const int T = out.m_nLines * out.m_szMeasured.height;
    out.m_nTextHeight = T;

    int buttonTop = T + 15;
    int H = out.m_nLines > 2 ? T + 70 : 100;

    std::array<int, kButtonCount> x{0, 0, 0};
    switch (buttons) {
        case 1:
            if (!icon && cx > W - 15) W = cx + 35;
            if (icon && cx > W - 40) W = cx + 60;
            x[1] = W / 2 - 40;
            break;
        case 2:
            if (cx > W - 50) W = cx + (icon ? 70 : 35);
            x[1] = W / 2 + 10;
            x[0] = W / 2 - 90;
            break;
        default:
            if (cx > W - 70) W = cx + (icon ? 70 : 35);
            x[1] = W / 2 - 30;
            x[0] = W / 4 - 40;
            x[2] = (W / 4) * 3 - 20;
            break;
    }

    int X = in.m_rcOwner.x + in.m_rcOwner.width / 2 - W / 2;
    int Y = in.m_rcOwner.y + in.m_rcOwner.height / 2 - H / 2;
    if (in.m_nCaptionBarHeight > 18) H += in.m_nCaptionBarHeight - 18;

    std::array<int, kButtonCount> top{buttonTop, buttonTop, buttonTop};
    if (in.m_bLanguageChoice) {
        top[1] = 70;
        x[1] += 25;
        H = in.m_nCaptionBarHeight + 112;
        W = 180;
        L = 40;
        X = in.m_szTemplateClient.width + W / 2;
        Y = 2 * in.m_szTemplateClient.height + H / 2;
    }

    out.m_rcLabel = {L, 10, cx + 10, T};
    for (int i = 0; i < kButtonCount; ++i)
        out.m_rcButtons[i] = {x[i], top[i], kButtonSize.width, kButtonSize.height};
    out.m_rcBox = {X, Y, W, H};
    return out;
}

}  // namespace kerfel
