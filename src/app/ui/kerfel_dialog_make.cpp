// Make: the checks, the confirmation and the generation worker.
#include "app/ui/kerfel_dialog.h"

void CKerfelDialog::OnBGenerate(wxCommandEvent&) {}
void CKerfelDialog::GenerateTails() {}
