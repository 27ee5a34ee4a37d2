// Choosing, remembering and loading the language file.
#include <wx/msgdlg.h>

#include "app/settings_store.h"
#include "app/ui/kerfel_dialog.h"
#include "i18n/language_choice.h"
#include "i18n/language_list.h"
#include "i18n/language_table.h"
#include "i18n/ui/message_box_dialog.h"

void CKerfelDialog::LoadLanguage(const wxString& path) {
    if (!path.empty()) {
        kerfel::LoadLanguageTable(path.utf8_string());
        return;
    }
    kerfel::SettingsStore store;
    kerfel::LanguageChoice choice =
        kerfel::ChooseLanguageFile(store, m_strAppFolder.utf8_string(), kerfel::LanguageList(), [this] {
            CMessageBoxDialog box(this);
            box.m_bLanguageChoice = 1;
            box.Show(kerfel::kSelectLanguage, kerfel::kSelectLanguage, MBX_OK);
            return box.m_strLanguage.utf8_string();
        });
    // Reported in the desktop's own box: no language is loaded yet.
    if (choice.m_bWriteFailed) wxMessageBox("Unable to write to Registry.", "Error", wxOK | wxICON_ERROR, this);
    kerfel::LoadLanguageTable(choice.m_strPath);
}
