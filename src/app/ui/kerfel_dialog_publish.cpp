// Preview, Export and the background music.
#include "app/ui/kerfel_dialog.h"

void CKerfelDialog::OnBPerview(wxCommandEvent&) {}
void CKerfelDialog::OnBSave(wxCommandEvent&) {}
void CKerfelDialog::OnBBrBgMusic(wxCommandEvent&) {}
