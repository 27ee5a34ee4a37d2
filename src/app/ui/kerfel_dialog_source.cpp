// Choosing the source image: header, level table, sizes, then the thumbnail.
#include <memory>

#include "app/ui/file_open_component.h"
#include "app/ui/kerfel_dialog.h"
#include "engine/source_image.h"
#include "i18n/ui/message_box_dialog.h"
#include "i18n/ui/ui_text.h"

void CKerfelDialog::OnBBrowseFile(wxCommandEvent&) {
    UpdateData(true);
    CFileOpenComponent chooser;
    chooser.Title = "Select File to Cut...";
    chooser.Filter = "JPEG Files (*.jpg , *.jpeg)|*.jpg;*.jpeg";
    chooser.DefaultExt = "*.jpg";
    chooser.FileName.clear();
    chooser.ShowOpen(this);
    if (!chooser.FileName.empty()) ChooseSource(chooser.FileName);
}

void CKerfelDialog::ChooseSource(const wxString& path) {
    ShowStatus(kerfel::StatusLine::Blank());  // an earlier job's last words no longer hold
    // The header alone gives the sizes and the levels list at once; the
    // thumbnail follows from a worker thread.
    kerfel::SourceInfo info;
    const kerfel::Status status = kerfel::InspectSource(path.utf8_string(), info);
    if (!status) {
        // Everything shown stays as it was: it still describes the last good image.
        ShowSourceError(status);
        return;
    }
    m_bJobReady = false;
    SetJobPhase(m_phase);
    m_strSourcePath = path;
    if (m_strOutputFolder.empty()) m_strOutputFolder = path.BeforeLast('/');
    m_lblOriginalSize->Show();
    m_lblOriginalSizeValue->Show();
    m_strOriginalSize = wxString::FromUTF8(kerfel::SizeText(info.width, info.height));
    UpdateData(false);
    UpdateData(true);
    m_pyramid = kerfel::TilePyramid::Build(kerfel::NativeLayout(), info.width, info.height);
    FillLevelsList();
    StartThumbnail(path);
    if (m_cmbLevels->GetCount() > 0) {
        m_lblDisplaySize->Show();
        m_lblDisplaySizeValue->Show();
        m_cmbLevels->SetSelection(0);
        m_strLevels = m_cmbLevels->GetString(0);
        int k = kerfel::ParseLevelText(m_strLevels.utf8_string());
        m_strDisplaySize = wxString::FromUTF8(kerfel::SizeText(m_pyramid.DisplayWidth(k), m_pyramid.DisplayHeight(k)));
    }
    m_status = kerfel::StatusLine::Blank();
    m_strStatus = " ";
    UpdateData(false);
}

void CKerfelDialog::ShowSourceError(const kerfel::Status& status) {
    CMessageBoxDialog box(this);
    box.Show(kerfel::UiText("KERFELDIALOG.ONBBROWSEFILE.MESSAGEBOX_TEXT") + "\n" + wxString::FromUTF8(status.message),
             kerfel::UiText("KERFELDIALOG.ONBBROWSEFILE.MESSAGEBOX_CAPTION"), MBX_OK | MBX_ICONERROR);
}

// The picture is decoded at a fraction of its size on a thread of its own,
// so a large file keeps the window responsive; only the latest choice's
// thumbnail is shown, whichever decode finishes first.
void CKerfelDialog::StartThumbnail(const wxString& path) {
    const int choice = ++m_nThumbnailChoice;
    m_stcThumbnail->Hide();
    m_rcThumbFrame = m_stcThumbFrame->GetScreenRect();
    const unsigned box = m_rcThumbFrame.height;
    m_thumbnailWorkers.Start([this, choice, box, file = path.utf8_string()] {
        auto thumb = std::make_shared<kerfel::PixelBuffer>();
        kerfel::SourceInfo info;
        const kerfel::Status s = kerfel::DecodeThumbnail(file, box, *thumb, info);
        CallAfter([this, choice, thumb, s] { ThumbnailDone(choice, thumb.get(), s); });
    });
}

void CKerfelDialog::ThumbnailDone(int choice, kerfel::PixelBuffer* thumb, const kerfel::Status& status) {
    if (choice != m_nThumbnailChoice) return;  // a later choice has its own
    if (!status) {
        ShowSourceError(status);
        return;
    }
    MakeThumbnail(wxImage(thumb->width, thumb->height, thumb->data.get(), true).Copy());
    m_stcThumbnail->Show();
}

void CKerfelDialog::FillLevelsList() {
    m_cmbLevels->Clear();
    for (int k : m_pyramid.m_arrListEntries) m_cmbLevels->Append(wxString::Format("%d", k));
}

void CKerfelDialog::MakeThumbnail(const wxImage& thumb) {
    wxRect frame = m_stcThumbFrame->GetRect();
    m_stcThumbnail->SetBitmap(wxBitmap(thumb));
    m_stcThumbnail->SetSize(thumb.GetWidth(), thumb.GetHeight());
    m_stcThumbnail->Move(frame.x + (frame.width - thumb.GetWidth()) / 2,
                         frame.y + (frame.height - thumb.GetHeight()) / 2);
    RefreshRect(frame.Inflate(50));
}

void CKerfelDialog::OnSelChangeLevels(wxCommandEvent&) {
    if (m_strSourcePath.empty()) return;
    UpdateData(true);
    m_lblDisplaySize->Show();
    m_lblDisplaySizeValue->Show();
    int selected = m_cmbLevels->GetSelection();
    m_strLevels = m_cmbLevels->GetStringSelection();
    int k = kerfel::ParseLevelText(m_strLevels.utf8_string());
    if (m_pyramid.ValidEntry(k))
        m_strDisplaySize = wxString::FromUTF8(kerfel::SizeText(m_pyramid.DisplayWidth(k), m_pyramid.DisplayHeight(k)));
    m_status = kerfel::StatusLine::Blank();
    m_strStatus = " ";
    UpdateData(false);
    m_cmbLevels->SetSelection(selected);
}
