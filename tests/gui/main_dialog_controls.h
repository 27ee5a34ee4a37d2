#pragma once
// The main dialog's controls as a test reaches them: by their template ids,
// the way any tool that drives the window finds them.
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/statbmp.h>
#include <wx/textctrl.h>

#include "app/ui/control_ids.h"
#include "skin/ui/skin_button.h"
#include "skin/ui/transparent_static.h"

namespace guitest {

template <typename T>
T* Control(wxWindow* dialog, int id) {
    return static_cast<T*>(dialog->FindWindow(id));
}
inline CSkinButton* Button(wxWindow* d, int id) { return Control<CSkinButton>(d, id); }
inline wxTextCtrl* Edit(wxWindow* d, int id) { return Control<wxTextCtrl>(d, id); }
inline CTransparentStatic* Label(wxWindow* d, int id) { return Control<CTransparentStatic>(d, id); }
inline wxCheckBox* Check(wxWindow* d, int id) { return Control<wxCheckBox>(d, id); }
inline wxChoice* LevelsList(wxWindow* d) { return Control<wxChoice>(d, IDC_CLEVELS); }

}  // namespace guitest
