// Choosing the source image: header, level table, sizes, then the thumbnail;
// a file whose picture cannot be decoded gives back what was shown before.
#include <cctype>
#include <memory>
#include <utility>

#include "app/ui/file_open_component.h"
#include "app/ui/kerfel_dialog.h"
#include "app/ui/recent_files.h"
#include "i18n/format_text.h"
#include "engine/source_image.h"
#include "i18n/ui/message_box_dialog.h"
#include "i18n/ui/ui_text.h"
#include "skin/ui/accessible.h"
#include "skin/ui/skin_bitmaps.h"

void CKerfelDialog::OnBBrowseFile(wxCommandEvent&) {
    CFileOpenComponent chooser;
    chooser.Title = "Select File to Cut...";
    // The readers go by a file's first bytes; the names only narrow the list.
    chooser.Filter =
        "Pictures (*.jpg, *.jpeg, *.tif, *.tiff, *.png)|*.jpg;*.jpeg;*.JPG;*.JPEG;*.tif;*.tiff;*.TIF;*.TIFF;*.png;*.PNG|"
        "JPEG Files (*.jpg , *.jpeg)|*.jpg;*.jpeg|TIFF Files (*.tif, *.tiff)|*.tif;*.tiff|PNG Files (*.png)|*.png";
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
    kerfel::AddToRecentFiles(path.utf8_string());
    UpdateData(true);  // what was typed stays, and is given back with the rest
    KeepShownSource();
    m_strChosenFile = path;
    m_bJobReady = false;
    SetJobPhase(m_phase);
    m_choices.sourcePath = path.utf8_string();
    if (m_choices.outputFolder.empty()) m_choices.outputFolder = path.BeforeLast('/').utf8_string();
    m_lblOriginalSize->Show();
    m_lblOriginalSizeValue->Show();
    m_strOriginalSize = wxString::FromUTF8(kerfel::SizeText(info.width, info.height));
    m_choices.pyramid = kerfel::TilePyramid::Build(*m_choices.layout, info.width, info.height);
    FillLevelsList();
    StartThumbnail(path);
    const auto& entries = m_choices.pyramid.m_arrListEntries;
    m_choices.levels = entries.empty() ? 0 : entries.front();
    if (!entries.empty()) {
        m_lblDisplaySize->Show();
        m_lblDisplaySizeValue->Show();
        ShowDisplaySize();
    }
    m_status = kerfel::StatusLine::Blank();
    m_strStatus = " ";
    UpdateData(false);
}

void CKerfelDialog::ShowDisplaySize() {
    const kerfel::TilePyramid& p = m_choices.pyramid;
    const int k = m_choices.levels;
    if (p.ValidEntry(k)) m_strDisplaySize = wxString::FromUTF8(kerfel::SizeText(p.DisplayWidth(k), p.DisplayHeight(k)));
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
    // In the display's pixels: sharp on a display of twice the density too.
    const unsigned box = static_cast<unsigned>(m_rcThumbFrame.height * kerfel::PictureScale(this));
    m_thumbnailWorkers.Start([this, choice, box, file = path.utf8_string()] {
        auto thumb = std::make_shared<kerfel::PixelBuffer>();
        kerfel::SourceInfo info;
        const kerfel::Status s = kerfel::DecodeThumbnail(file, box, *thumb, info);
        CallAfter([this, choice, thumb, s] { ThumbnailDone(choice, thumb.get(), s); });
    });
}

void CKerfelDialog::ThumbnailDone(int choice, kerfel::PixelBuffer* thumb, const kerfel::Status& status) {
    ++m_nThumbnailsDone;
    if (choice != m_nThumbnailChoice) return;  // a later choice has its own
    if (!status) {
        // A job already cutting the file fails on it and says so; the window
        // keeps describing that job meanwhile.
        if (!JobRunning()) GiveBackEarlierSource();
        ShowSourceError(status);
        return;
    }
    m_bSourceUndecided = false;
    m_undecidedSource.reset();
    MakeThumbnail(wxImage(thumb->width, thumb->height, thumb->data.get(), true).Copy());
    NameThumbnail();
    m_stcThumbnail->Show();
}

CKerfelDialog::ShownSource CKerfelDialog::ShownNow() const {
    return {m_strChosenFile,
            m_choices,
            m_strOriginalSize,
            m_strDisplaySize,
            m_cmbLevels->GetStrings(),
            m_lblOriginalSizeValue->IsShown(),
            m_lblDisplaySizeValue->IsShown(),
            m_bJobReady};
}

// Called as a file is chosen. What is shown then is good unless a decode is
// still pending; such a state is kept apart, to be decoded again if needed.
void CKerfelDialog::KeepShownSource() {
    if (m_bSourceUndecided) {
        m_undecidedSource = ShownNow();
    } else {
        m_goodSource = ShownNow();
        m_undecidedSource.reset();
    }
    m_bSourceUndecided = true;
}

void CKerfelDialog::ShowAgain(const ShownSource& shown) {
    ++m_nSourcesGivenBack;
    UpdateData(true);  // what was typed meanwhile into the other fields stays
    m_strChosenFile = shown.chosen;
    m_choices.sourcePath = shown.choices.sourcePath;
    m_choices.outputFolder = shown.choices.outputFolder;
    m_choices.pyramid = shown.choices.pyramid;
    m_choices.levels = shown.choices.levels;
    m_strOriginalSize = shown.originalSize;
    m_strDisplaySize = shown.displaySize;
    m_cmbLevels->Set(shown.levelsList);
    for (wxWindow* w : {m_lblOriginalSize, m_lblOriginalSizeValue}) w->Show(shown.sizesShown);
    for (wxWindow* w : {m_lblDisplaySize, m_lblDisplaySizeValue}) w->Show(shown.displayShown);
    m_bJobReady = shown.jobReady;
    SetJobPhase(m_phase);
    UpdateData(false);
    NameThumbnail();
}

// The logo is named as the window, a thumbnail after its picture's file.
void CKerfelDialog::NameThumbnail() {
    kerfel::a11y::SetName(m_stcThumbnail, m_strChosenFile.empty() ? GetTitle() : m_strChosenFile.AfterLast('/'));
}

// The refused file leaves no trace: the window shows what it showed before
// the choice, with the thumbnail of then, which a failed decode never replaced.
void CKerfelDialog::GiveBackEarlierSource() {
    if (!m_undecidedSource) {
        ShowAgain(m_goodSource);
        m_stcThumbnail->Show();
        m_bSourceUndecided = false;
        return;
    }
    // The file chosen before was still being decoded: its decode starts again
    // and decides in turn.
    const ShownSource earlier = std::move(*m_undecidedSource);
    m_undecidedSource.reset();
    ShowAgain(earlier);
    StartThumbnail(earlier.chosen);
}

void CKerfelDialog::FillLevelsList() {
    m_cmbLevels->Clear();
    for (int k : m_choices.pyramid.m_arrListEntries) m_cmbLevels->Append(wxString::Format("%d", k));
}

void CKerfelDialog::MakeThumbnail(const wxImage& thumb) {
    wxRect frame = m_stcThumbFrame->GetRect();
    const wxBitmap picture(thumb, -1, kerfel::PictureScale(this));
    const wxSize size = picture.GetLogicalSize();
    m_stcThumbnail->SetBitmap(picture);
    m_stcThumbnail->SetSize(size);
    m_stcThumbnail->Move(frame.x + (frame.width - size.x) / 2, frame.y + (frame.height - size.y) / 2);
    RefreshRect(frame.Inflate(50));
}

void CKerfelDialog::FillLayoutList() {
    const int chosen = m_cmbLayout->GetSelection();
    wxArrayString names;
    for (const kerfel::Layout* layout : kerfel::Layouts()) {
        // A layout without a name in the language is shown by its own.
        std::string key = std::string("KERFELDIALOG.LAYOUT_") + layout->name;
        for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const std::string text = kerfel::GetLanguageText(key);
        names.Add(text.empty() ? wxString::FromUTF8(layout->name) : wxString::FromUTF8(text));
    }
    // Then each again, written as one archive file.
    const std::string archive = kerfel::GetLanguageText("KERFELDIALOG.LAYOUT_SZI");
    for (size_t i = 0, count = names.size(); i < count; ++i)
        names.Add(archive.empty() ? names[i] + " (.szi)"
                                  : wxString::FromUTF8(kerfel::FormatText(archive, {names[i].utf8_string()})));
    m_cmbLayout->Set(names);
    m_cmbLayout->SetSelection(chosen == wxNOT_FOUND ? 0 : chosen);
}

void CKerfelDialog::OnSelChangeLevels(wxCommandEvent&) {
    if (m_choices.sourcePath.empty()) return;  // no picture chosen yet
    UpdateData(true);
    m_lblDisplaySize->Show();
    m_lblDisplaySizeValue->Show();
    ShowDisplaySize();
    ShowStatus(kerfel::StatusLine::Blank());  // its tooltip goes with the line
    UpdateData(false);
}
