#include "i18n/language_catalogue.h"

namespace kerfel {

namespace {

// Where one key is the start of another (IDC_LLEVELS, IDC_BCLOSEBUT,
// STATICTEXT_GMF), a language file must hold the shorter one first.
constexpr CatalogueEntry kCatalogue[] = {
    {"APPLICATION.LANGUAGE_ID", nullptr},
    {"APPLICATION.HELP_ID", nullptr},

    {"KERFELDIALOG.IDC_LSELECTFILE", nullptr},
    {"KERFELDIALOG.IDC_LSELECTOUTFOLDER", nullptr},
    {"KERFELDIALOG.IDC_LLEVELS", nullptr},
    {"KERFELDIALOG.IDC_LLEVELSIDC_LOSIZE", nullptr},
    {"KERFELDIALOG.IDC_LDSIZE", nullptr},
    {"KERFELDIALOG.IDC_LBGMUSIC", nullptr},
    {"KERFELDIALOG.IDC_LLAYOUT", nullptr},
    // Each layout's name in the drop-down, "KERFELDIALOG.LAYOUT_" and the
    // layout's own name in capitals; a layout without one shows its own name.
    {"KERFELDIALOG.LAYOUT_KERFEL", nullptr},
    {"KERFELDIALOG.LAYOUT_DZI", nullptr},
    {"KERFELDIALOG.LAYOUT_IIIF3", nullptr},
    {"KERFELDIALOG.LAYOUT_IIIF2", nullptr},
    {"KERFELDIALOG.LAYOUT_SZI", "s"},  // each layout again, written as one archive: its name
    {"KERFELDIALOG.IDC_L_SMALLMAP", nullptr},
    {"KERFELDIALOG.IDC_L_NAVSCROLL", nullptr},
    {"KERFELDIALOG.IDC_L_ZOOMSLIDER", nullptr},
    {"KERFELDIALOG.IDC_L_CLICK2ZOOM", nullptr},
    {"KERFELDIALOG.IDC_BQUES", nullptr},
    {"KERFELDIALOG.IDC_BBROWSEFILE", nullptr},
    {"KERFELDIALOG.IDC_BBROWSEFOLDER", nullptr},
    {"KERFELDIALOG.IDC_BGENERATE", nullptr},
    {"KERFELDIALOG.IDC_BCLOSEBUT", nullptr},
    {"KERFELDIALOG.IDC_BCLOSEBUT1", nullptr},
    {"KERFELDIALOG.IDC_BCLOSEBUT2", nullptr},
    {"KERFELDIALOG.IDC_BBRBGMUSIC", nullptr},
    {"KERFELDIALOG.IDC_BPERVIEW", nullptr},
    {"KERFELDIALOG.IDC_BSAVE", nullptr},
    {"KERFELDIALOG.TOOLTIPTEXT_IDC_BBROWSEFILE", nullptr},
    {"KERFELDIALOG.TOOLTIPTEXT_IDC_BBROWSEFOLDER", nullptr},
    {"KERFELDIALOG.TOOLTIPTEXT_IDC_BCLOSEBUT", nullptr},
    {"KERFELDIALOG.TOOLTIPTEXT_IDC_BBRBGMUSIC", nullptr},
    {"KERFELDIALOG.TOOLTIPTEXT_IDC_BGENERATE ", nullptr},  // the key ends in a space
    {"KERFELDIALOG.TOOLTIPTEXT_IDC_BQUES", nullptr},
    {"KERFELDIALOG.TOOLTIPTEXT_IDC_BMIN", nullptr},
    {"KERFELDIALOG.TOOLTIPTEXT_IDC_BSAVE", nullptr},
    {"KERFELDIALOG.TOOLTIPTEXT_IDC_BPERVIEW", nullptr},

    {"KERFELDIALOG.MENU.ID_HELP_HELP", nullptr},
    {"KERFELDIALOG.MENU.ID_HELP_LANGUAGE", nullptr},
    {"KERFELDIALOG.MENU.ID_HELP_ABOUT", nullptr},

    {"KERFELDIALOG.ONBBROWSEFILE.MESSAGEBOX_CAPTION", nullptr},
    {"KERFELDIALOG.ONBBROWSEFILE.MESSAGEBOX_TEXT", nullptr},
    {"KERFELDIALOG.GENERATETAILS.MESSAGEBOX1_CAPTION", nullptr},
    {"KERFELDIALOG.GENERATETAILS.MESSAGEBOX1_TEXT1", "s"},  // the job's folder name
    {"KERFELDIALOG.GENERATETAILS.MESSAGEBOX1_TEXT2", nullptr},
    {"KERFELDIALOG.GENERATETAILS.MESSAGEBOX1_TEXT3", nullptr},
    {"KERFELDIALOG.GENERATETAILS.STATICTEXT_GMF", nullptr},         // followed by a path
    {"KERFELDIALOG.GENERATETAILS.STATICTEXT_GMFLEVEL", "ds"},       // level, tile path
    {"KERFELDIALOG.GENERATETAILS.STATICTEXT_CBU", ""},
    {"KERFELDIALOG.GENERATETAILS.STATICTEXT_GXML", nullptr},
    {"KERFELDIALOG.GENERATETAILS.MESSAGEBOX2_CAPTION", nullptr},
    {"KERFELDIALOG.GENERATETAILS.MESSAGEBOX2_TEXT", nullptr},
    {"KERFELDIALOG.GENERATETAILS.MESSAGEBOX3_CAPTION", nullptr},
    {"KERFELDIALOG.GENERATETAILS.MESSAGEBOX3_TEXT", nullptr},
    {"KERFELDIALOG.GENERATETAILS.MESSAGEBOX_CAPTION", nullptr},
    {"KERFELDIALOG.GENERATETAILS.MESSAGEBOX_TEXT", nullptr},
    {"KERFELDIALOG.ONBGENERATE.MESSAGEBOX1_CAPTION", nullptr},
    {"KERFELDIALOG.ONBGENERATE.MESSAGEBOX1_TEXT", nullptr},
    {"KERFELDIALOG.ONBGENERATE.MESSAGEBOX2_CAPTION", nullptr},
    {"KERFELDIALOG.ONBGENERATE.MESSAGEBOX2_TEXT1", "dd"},  // view width, view height
    {"KERFELDIALOG.ONBGENERATE.MESSAGEBOX2_TEXT2", nullptr},
    {"KERFELDIALOG.ONBGENERATE.MESSAGEBOX3_CAPTION", nullptr},
    {"KERFELDIALOG.ONBGENERATE.MESSAGEBOX3_TEXT", nullptr},
    {"KERFELDIALOG.ONBSAVE.MESSAGEBOX1_TEXT1", "ss"},  // music path, destination path
    {"KERFELDIALOG.ONBSAVE.MESSAGEBOX1_TEXT2", nullptr},
    {"KERFELDIALOG.ONBSAVE.MESSAGEBOX2_CAPTION", nullptr},
    {"KERFELDIALOG.ONBSAVE.MESSAGEBOX2_TEXT", nullptr},
    {"KERFELDIALOG.ONBSAVE.MESSAGEBOX3_CAPTION", nullptr},
    {"KERFELDIALOG.ONBSAVE.MESSAGEBOX3_TEXT1", nullptr},  // follows the archive's path
    {"KERFELDIALOG.ONBSAVE.MESSAGEBOX3_TEXT2", nullptr},
    {"KERFELDIALOG.ONBSAVE.MESSAGEBOX4_CAPTION", nullptr},
    {"KERFELDIALOG.ONBSAVE.MESSAGEBOX4_TEXT", nullptr},
    {"KERFELDIALOG.ONBSAVE.STATICTEXT_PROCMP3", ""},
    {"KERFELDIALOG.ONBSAVE.STATICTEXT_CMP3", nullptr},

    {"MESSAGEBOX.IDOK", nullptr},
    {"MESSAGEBOX.IDCANCEL", nullptr},
    {"MESSAGEBOX.IDYES", nullptr},
    {"MESSAGEBOX.IDNO", nullptr},
    {"MESSAGEBOX.IDRETRY", nullptr},
    {"MESSAGEBOX.IDABORT", nullptr},
    {"MESSAGEBOX.IDIGNORE", nullptr},

    {"ABOUTDIALOG.WINDOWTEXT", nullptr},
    {"ABOUTDIALOG.IDC_L_NAME", nullptr},
    {"ABOUTDIALOG.IDC_L_VERSION", nullptr},
    {"ABOUTDIALOG.IDC_L_CPRT", nullptr},
    {"ABOUTDIALOG.IDOK", nullptr},
    {"ABOUTDIALOG.TOOLTIPTEXT_IDOK", nullptr},

    {"PREVIEWDIALOG.IDCANCEL", nullptr},
    {"PREVIEWDIALOG.TOOLTIPTEXT_IDCCANCEL", nullptr},

    // Preview and Export when the job's viewer files cannot be refreshed; the
    // status line after Make and Export; the missing output folder; Help.
    {"KERFELDIALOG.ONBPERVIEW.MESSAGEBOX_CAPTION", nullptr},
    {"KERFELDIALOG.ONBPERVIEW.MESSAGEBOX_TEXT", nullptr},
    {"KERFELDIALOG.ONBSAVE.MESSAGEBOX5_CAPTION", nullptr},
    {"KERFELDIALOG.ONBSAVE.MESSAGEBOX5_TEXT", nullptr},
    {"KERFELDIALOG.GENERATETAILS.STATICTEXT_DONE", "s"},          // the job folder
    {"KERFELDIALOG.ONBSAVE.STATICTEXT_DONE", "s"},                // the archive
    {"KERFELDIALOG.GENERATETAILS.MESSAGEBOX_FOLDERTEXT", "s"},    // the output folder
    {"KERFELDIALOG.ONBQUES.MESSAGEBOX_CAPTION", nullptr},
    {"KERFELDIALOG.ONBQUES.MESSAGEBOX_TEXT", "s"},                // the help page
    {"FOLDERDIALOG.IDC_LFOLDER", nullptr},
    {"FOLDERDIALOG.IDC_BNEWFOLDER", nullptr},
    {"FOLDERDIALOG.NEWFOLDER", nullptr},
    // What was dropped on the main window cannot be taken there.
    {"KERFELDIALOG.ONDROPFILES.MESSAGEBOX_CAPTION", nullptr},
    {"KERFELDIALOG.ONDROPFILES.MESSAGEBOX_TEXT", nullptr},
};

}  // namespace

std::span<const CatalogueEntry> LanguageCatalogue() { return kCatalogue; }

}  // namespace kerfel
