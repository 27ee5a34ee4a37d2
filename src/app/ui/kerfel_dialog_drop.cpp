// Files dropped on the window, taken as the choosers take a picked one.
#include "app/ui/drop_zone_target.h"
#include "app/ui/kerfel_dialog.h"
#include "i18n/ui/message_box_dialog.h"
#include "i18n/ui/ui_text.h"

// The fields are drop sites of their own (the toolkit's fields take dropped
// text), so the source field is given the window's zone explicitly.
void CKerfelDialog::AcceptDrops() {
    using Zone = kerfel::DropZone;
    auto take = [this](Zone zone, const std::vector<std::string>& paths) { return TakeDrop(zone, paths); };
    SetDropTarget(new CDropZoneTarget(Zone::Window, take));
    m_editSourcePath->SetDropTarget(new CDropZoneTarget(Zone::Window, take));
    m_editOutputFolder->SetDropTarget(new CDropZoneTarget(Zone::OutputFolderField, take));
    m_editMusicPath->SetDropTarget(new CDropZoneTarget(Zone::MusicField, take));
}

bool CKerfelDialog::TakeDrop(kerfel::DropZone zone, const std::vector<std::string>& paths) {
    // Only while the choosers could be opened: no job holds the inputs and
    // no box of this window is open.
    if (!IsEnabled() || !m_btnBrowseFile->IsEnabled()) return false;
    const kerfel::DropChoice choice = kerfel::DecideDrop(zone, paths);
    // Once the toolkit's drop has ended: the file manager is not kept
    // waiting while a box asks the user.
    CallAfter([this, choice] { TakeDropChoice(choice); });
    return choice.action != kerfel::DropAction::Refuse;
}

void CKerfelDialog::TakeDropChoice(const kerfel::DropChoice& choice) {
    const wxString path = wxString::FromUTF8(choice.path);
    switch (choice.action) {
        case kerfel::DropAction::ChooseSource: return ChooseSource(path);
        case kerfel::DropAction::ChooseOutputFolder: return ChooseOutputFolder(path);
        case kerfel::DropAction::ChooseMusic: return ChooseMusic(path);
        case kerfel::DropAction::Refuse: break;
    }
    CMessageBoxDialog box(this);
    box.Show(kerfel::UiText("KERFELDIALOG.ONDROPFILES.MESSAGEBOX_TEXT"),
             kerfel::UiText("KERFELDIALOG.ONDROPFILES.MESSAGEBOX_CAPTION"), MBX_OK | MBX_ICONERROR);
}
