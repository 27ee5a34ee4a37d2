#pragma once
// Template 102: every control of the main dialog with its text, rectangle
// (dialog units) and visibility at start.
#include "app/ui/control_ids.h"

// Combo: a sorted drop-down; List: one that keeps the order it is filled in.
enum class ControlKind { SkinButton, Edit, Label, LabelRight, OptionLabel, Combo, List, Picture, CheckBox, Frame };

struct ControlSpec {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, w, h;
    bool visible;
};

inline constexpr int kMainDialogWidthDu = 380;
inline constexpr int kMainDialogHeightDu = 349;

inline constexpr ControlSpec kMainDialogControls[] = {
    {IDC_BMIN, ControlKind::SkinButton, "", 332, 17, 9, 8, true},
    {IDC_BBROWSEFILE, ControlKind::SkinButton, "Browse &File ...", 289, 76, 57, 14, true},
    {IDC_ESOURCEPATH, ControlKind::Edit, "", 21, 77, 247, 12, true},
    {IDC_BEXIT, ControlKind::SkinButton, "", 350, 17, 9, 8, true},
    {IDC_BGENERATE, ControlKind::SkinButton, "&Make", 284, 129, 64, 19, true},
    {IDC_BCLOSEBUT, ControlKind::SkinButton, "&Close", 289, 175, 57, 14, false},
    {IDC_BBRBGMUSIC, ControlKind::SkinButton, "&Browse", 289, 238, 57, 14, true},
    {IDC_LOSIZEVALUE, ControlKind::Label, "", 197, 154, 52, 8, false},
    {IDC_LDSIZEVALUE, ControlKind::Label, "", 197, 166, 52, 8, false},
    {IDC_LSTATUS, ControlKind::Label, " ", 39, 216, 328, 17, true},
    {IDC_LOSIZE, ControlKind::LabelRight, "Original Size     :", 107, 154, 86, 8, false},
    {IDC_LDSIZE, ControlKind::LabelRight, "Display Size     :", 107, 166, 87, 8, false},
    {IDC_BBROWSEFOLDER, ControlKind::SkinButton, "Browse F&older", 289, 103, 57, 14, true},
    {IDC_EOUTPUTFOLDER, ControlKind::Edit, "", 21, 106, 247, 12, true},
    {IDC_LSELECTFILE, ControlKind::Label, "Import the Image to Zoom In :", 22, 67, 234, 8, true},
    {IDC_LSELECTOUTFOLDER, ControlKind::Label, "Save Tiles to folder :", 21, 95, 246, 8, true},
    {IDC_LBGMUSIC, ControlKind::Label, "Background Music :", 19, 240, 63, 8, true},
    {IDC_EMUSICPATH, ControlKind::Edit, "", 83, 239, 184, 12, true},
    {IDC_LLEVELS, ControlKind::LabelRight, "Levels to Zoom In", 115, 136, 114, 13, true},
    {IDC_CLEVELS, ControlKind::Combo, "", 230, 133, 40, 62, true},
    {IDC_STHUMBNAIL, ControlKind::Picture, "", 40, 131, 67, 62, true},
    {IDC_BPERVIEW, ControlKind::SkinButton, "&Preview", 118, 274, 54, 20, true},
    {IDC_BSAVE, ControlKind::SkinButton, "&Export", 194, 274, 54, 20, true},
    {IDC_CSMALLMAP, ControlKind::CheckBox, "", 56, 261, 8, 8, true},
    {IDC_CNAVSCROLL, ControlKind::CheckBox, "", 112, 261, 8, 8, true},
    {IDC_CZOOMSLIDER, ControlKind::CheckBox, "", 185, 261, 8, 8, true},
    {IDC_CCLICK2ZOOM, ControlKind::CheckBox, "", 245, 261, 8, 8, true},
    {IDC_L_SMALLMAP, ControlKind::OptionLabel, "Small Map", 66, 261, 41, 8, true},
    {IDC_SLOGO2, ControlKind::Picture, "", 40, 131, 67, 62, false},
    {IDC_SPROGRESSFRAME, ControlKind::Frame, "", 39, 199, 309, 14, false},
    {IDC_BQUES, ControlKind::SkinButton, "&Help", 315, 39, 45, 16, true},
    {IDC_L_NAVSCROLL, ControlKind::OptionLabel, "Navigation Scroll", 122, 261, 59, 8, true},
    {IDC_L_ZOOMSLIDER, ControlKind::OptionLabel, "Zoom Slider", 195, 261, 46, 8, true},
    {IDC_L_CLICK2ZOOM, ControlKind::OptionLabel, "Click to Zoom", 255, 261, 61, 8, true},
    {IDC_STHUMBFRAME, ControlKind::Frame, "Static", 40, 131, 67, 62, false},
    // Added to the template: the layout, under the sizes, its drop-down in
    // the column of their values and clear of the Close button.
    {IDC_LLAYOUT, ControlKind::LabelRight, "Layout:", 107, 177, 86, 13, true},
    {IDC_CLAYOUT, ControlKind::List, "", 197, 177, 90, 13, true},
};

// Labels that show a path or values rather than a caption: an "&" in them is
// shown as it is, never taken as a mnemonic.
inline constexpr int kLiteralLabels[] = {IDC_LSTATUS, IDC_LOSIZEVALUE, IDC_LDSIZEVALUE};

class wxWindow;
// Fits the native controls of the made dialog into their template rows: the
// levels drop-down to its label's height and centre line, each option box
// inside its rectangle with a gap before its label; marks the literal labels.
void FitTemplateControls(wxWindow* dialog);
