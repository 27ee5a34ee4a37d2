#include "app/ui/main_dialog_layout.h"

#include <wx/checkbox.h>
#include <wx/choice.h>

#include <algorithm>

#include "skin/ui/native_style.h"
#include "skin/ui/transparent_static.h"

namespace {

const ControlSpec& Spec(int id) {
    for (const ControlSpec& c : kMainDialogControls)
        if (c.id == id) return c;
    return kMainDialogControls[0];
}

wxRect TemplateRect(int id) {
    const ControlSpec& c = Spec(id);
    return wxRect(DuX(c.x), DuY(c.y), DuX(c.w), DuY(c.h));
}

// The theme's drop-down and check box are taller and wider than the
// template's; these rules bring them to the template's sizes.
constexpr char kLevelsStyle[] =
    "#kerfel-levels button { min-height: 0; padding-top: 1px; padding-bottom: 1px; }";
constexpr char kOptionStyle[] =
    "#kerfel-option { padding: 0; margin: 0; min-height: 0; }"
    "#kerfel-option check { margin: 0; min-width: 10px; min-height: 10px; }";  // 12 with its border

// A drop-down is as tall as its label's row and shares its centre line
// (the style rules above let the theme draw it that small).
void FitDropDown(wxWindow* dialog, int comboId, int labelId) {
    auto* combo = static_cast<wxChoice*>(dialog->FindWindow(comboId));
    auto* label = static_cast<CTransparentStatic*>(dialog->FindWindow(labelId));
    kerfel::ApplyNativeStyle(combo, "kerfel-levels", kLevelsStyle);
    const wxRect row = TemplateRect(labelId);
    label->SetLabelStyle(label->GetLabelStyle() | CTransparentStatic::StyleCenterImage);
    const int height = row.height;
    const int centre = row.y + row.height / 2;
    combo->SetSize(TemplateRect(comboId).x, centre - height / 2, TemplateRect(comboId).width, height);
    label->SetSize(row.x, centre - row.height / 2, row.width, row.height);
}

// Each box inside its rectangle, centred on it; its label starts after it.
void FitOptionBoxes(wxWindow* dialog) {
    for (int id : {IDC_CSMALLMAP, IDC_CNAVSCROLL, IDC_CZOOMSLIDER, IDC_CCLICK2ZOOM}) {
        wxWindow* box = dialog->FindWindow(id);
        kerfel::ApplyNativeStyle(box, "kerfel-option", kOptionStyle);
        const wxRect r = TemplateRect(id);
        // The theme applies the rules when it next lays out, so the box's
        // own best size may still be the larger one now.
        const wxSize size(std::min(box->GetBestSize().x, r.width), std::min(box->GetBestSize().y, r.width));
        box->SetSize(r.x + (r.width - size.x) / 2, r.y + (r.height - size.y) / 2, size.x, size.y);
    }
}

}  // namespace

void FitTemplateControls(wxWindow* dialog) {
    for (int id : kLiteralLabels) {
        auto* label = static_cast<CTransparentStatic*>(dialog->FindWindow(id));
        label->SetLabelStyle(label->GetLabelStyle() | CTransparentStatic::StyleNoPrefix);
    }
    FitDropDown(dialog, IDC_CLEVELS, IDC_LLEVELS);
    FitDropDown(dialog, IDC_CLAYOUT, IDC_LLAYOUT);
    FitOptionBoxes(dialog);
}
