// Choosing, remembering and loading the language file.
#include "app/ui/kerfel_dialog.h"

void CKerfelDialog::LoadLanguage(const wxString&) {}
