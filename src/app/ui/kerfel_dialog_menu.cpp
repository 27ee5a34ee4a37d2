// Texts on the dialog, the Help menu, the about box and the button pictures.
#include <wx/msgdlg.h>
#include "i18n/ui/ui_text.h"

#include <string>
#include <vector>

#include "app/settings_store.h"
#include "app/ui/control_ids.h"
#include "app/ui/kerfel_dialog.h"
#include "i18n/language_table.h"
#include "i18n/ui/about_dialog.h"
#include "i18n/language_choice.h"
#include "i18n/language_list.h"
#include "i18n/ui/help_menu.h"
#include "i18n/ui/help_page.h"

namespace {

// Pictures of every bitmap button: normal, pressed, hover, disabled.
struct ButtonSkin {
    int id;
    int normal, pressed, hover, disabled;
};
constexpr ButtonSkin kButtonSkins[] = {
    {IDC_BBROWSEFILE, 224, 224, 225, 224}, {IDC_BBROWSEFOLDER, 226, 226, 227, 226},
    {IDC_BCLOSEBUT, 222, 222, 223, 222},   {IDC_BBRBGMUSIC, 222, 222, 223, 222},
    {IDC_BGENERATE, 229, 229, 231, 229},   {IDC_BEXIT, 239, 239, 240, 239},
    {IDC_BQUES, 245, 245, 246, 245},       {IDC_BMIN, 241, 241, 242, 239},
    {IDC_BSAVE, 233, 233, 234, 232},       {IDC_BPERVIEW, 233, 233, 234, 232},
};
}  // namespace

void CKerfelDialog::SkinButtons() {
    for (const ButtonSkin& s : kButtonSkins) {
        auto* button = static_cast<CSkinButton*>(FindWindow(s.id));
        button->SetTextColor(*wxBLACK);
        button->SetBitmaps(s.normal, s.pressed, s.hover, s.disabled, 0, CSkinButton::DrawNatural, 0, 0);
    }
}

void CKerfelDialog::ApplyLanguageTexts() {
    m_lblSourceFile->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_LSELECTFILE"));
    m_lblOutputFolder->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_LSELECTOUTFOLDER"));
    m_lblLevels->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_LLEVELS"));
    m_lblOriginalSize->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_LLEVELSIDC_LOSIZE"));
    m_lblDisplaySize->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_LDSIZE"));
    m_lblMusic->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_LBGMUSIC"));
    m_lblLayout->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_LLAYOUT"));
    FillLayoutList();

    m_strSmallMapLabel = kerfel::UiText("KERFELDIALOG.IDC_L_SMALLMAP");
    m_strNavigationScrollLabel = kerfel::UiText("KERFELDIALOG.IDC_L_NAVSCROLL");
    m_strZoomSliderLabel = kerfel::UiText("KERFELDIALOG.IDC_L_ZOOMSLIDER");
    m_strClickToZoomLabel = kerfel::UiText("KERFELDIALOG.IDC_L_CLICK2ZOOM");
    UpdateData(false);

    m_btnHelp->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_BQUES"));
    m_btnBrowseFile->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_BBROWSEFILE"));
    m_btnBrowseFolder->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_BBROWSEFOLDER"));
    m_btnMake->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_BGENERATE"));
    // During a job the button stops it and says so in the new language too;
    // its handler asks the job's state, never the caption.
    m_btnClose->SetLabel(kerfel::UiText(JobRunning() ? "KERFELDIALOG.IDC_BCLOSEBUT1" : "KERFELDIALOG.IDC_BCLOSEBUT"));
    m_btnBrowseMusic->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_BBRBGMUSIC"));
    m_btnPreview->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_BPERVIEW"));
    m_btnExport->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_BSAVE"));

    m_btnBrowseFile->SetTooltipText(kerfel::UiText("KERFELDIALOG.TOOLTIPTEXT_IDC_BBROWSEFILE"));
    m_btnBrowseFolder->SetTooltipText(kerfel::UiText("KERFELDIALOG.TOOLTIPTEXT_IDC_BBROWSEFOLDER"));
    m_btnClose->SetTooltipText(kerfel::UiText("KERFELDIALOG.TOOLTIPTEXT_IDC_BCLOSEBUT"));
    m_btnBrowseMusic->SetTooltipText(kerfel::UiText("KERFELDIALOG.TOOLTIPTEXT_IDC_BBRBGMUSIC"));
    m_btnMake->SetTooltipText(kerfel::UiText("KERFELDIALOG.TOOLTIPTEXT_IDC_BGENERATE "));
    m_btnExit->SetTooltipText(kerfel::UiText("KERFELDIALOG.TOOLTIPTEXT_IDC_BCLOSEBUT"));
    m_btnHelp->SetTooltipText(kerfel::UiText("KERFELDIALOG.TOOLTIPTEXT_IDC_BQUES"));
    m_btnMinimize->SetTooltipText(kerfel::UiText("KERFELDIALOG.TOOLTIPTEXT_IDC_BMIN"));
    m_btnExport->SetTooltipText(kerfel::UiText("KERFELDIALOG.TOOLTIPTEXT_IDC_BSAVE"));
    m_btnPreview->SetTooltipText(kerfel::UiText("KERFELDIALOG.TOOLTIPTEXT_IDC_BPERVIEW"));
    // The status line says what it said, now in this language.
    SayStatusLine();
}

void CKerfelDialog::OnBQues(wxCommandEvent&) {
    const std::vector<std::string> languages = kerfel::LanguageList();
    CHelpMenu menu(languages, kerfel::GetLanguageText("APPLICATION.LANGUAGE_ID"));
    // Below the button's left edge, one pixel under its bottom edge.
    wxRect r = m_btnHelp->GetRect();
    int command = menu.Choose(this, wxPoint(r.GetLeft(), r.GetBottom() + 2));

    wxString path;
    if (command == ID_HELP_ABOUT) {
        ShowAbout();
    } else if (command == ID_HELP_HELP) {
        OpenHelpPage(this, m_strAppFolder);
    } else if (command == ID_HELP_ENGLISH) {
        path = m_strAppFolder + "/LanguageFiles/eng.txt";
    } else if (command >= ID_LANGUAGE_FIRST) {
        size_t file = static_cast<size_t>(command - ID_LANGUAGE_FIRST + 1);
        if (file < languages.size())
            path = wxString::FromUTF8(kerfel::LanguagePath(m_strAppFolder.utf8_string(), languages[file]));
    }
    if (path.empty()) return;

    LoadLanguage(path);
    ApplyLanguageTexts();
    kerfel::SettingsStore store;
    if (store.Open() && !store.WriteString("Language", path.utf8_string()))
        wxMessageBox("Unable to write to Registry.", "Error", wxOK | wxICON_ERROR, this);
}

void CKerfelDialog::ShowAbout() {
    CAboutDialog about(this);
    about.ShowModal();
}
