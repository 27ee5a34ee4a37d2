// Texts on the dialog, the Help menu, the about box and the button pictures.
#include <wx/msgdlg.h>

#include "app/ui/kerfel_dialog.h"

void CKerfelDialog::ApplyLanguageTexts() {}
void CKerfelDialog::OnBQues(wxCommandEvent&) {}
void CKerfelDialog::ShowAbout() { wxMessageBox("Lorvak Image Kerfel\nVersion 1.0", "About", wxOK, this); }
void CKerfelDialog::SkinButtons() {}
