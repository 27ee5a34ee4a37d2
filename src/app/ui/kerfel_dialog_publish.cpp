// Preview, Export and the background music.
#include <wx/filename.h>
#include "i18n/ui/ui_text.h"
#include <wx/utils.h>

#include <filesystem>

#include "app/ui/file_open_component.h"
#include "app/ui/kerfel_dialog.h"
#include "engine/descriptor.h"
#include "i18n/format_text.h"
#include "i18n/language_table.h"
#include "i18n/ui/message_box_dialog.h"
#include "publish/archive_name.h"
#include "publish/export_job.h"
#include "publish/music_copy.h"
#include "publish/preview_files.h"
#include "publish/viewer_page.h"
#include "publish/viewer_site.h"
#include "publish/ui/preview_dialog.h"
#include "publish/ui/standard_box.h"

namespace {


std::string JobFolder(const CKerfelDialog& d) { return d.m_strJobFolder.utf8_string(); }

// The descriptor's values as the dialog shows them now.
kerfel::DescriptorValues DescriptorFromDialog(const CKerfelDialog& d) {
    kerfel::DescriptorValues v;
    const kerfel::TilePyramid& p = d.m_pyramid;
    v.width = p.SourceWidth();
    v.height = p.SourceHeight();
    v.tiles = p.m_nTotalTiles;
    int k = kerfel::ParseLevelText(d.m_strLevels.utf8_string());
    if (!p.ValidEntry(k)) k = kerfel::ParseLevelText(d.m_cmbLevels->GetStringSelection().utf8_string());
    if (!p.ValidEntry(k)) k = 1;  // never an index outside the level table
    if (!p.Empty()) {
        v.viewWidth = p.DisplayWidth(k);
        v.viewHeight = p.DisplayHeight(k);
    }
    v.showNav = d.m_chkSmallMap->GetValue();
    v.showSlider = d.m_chkZoomSlider->GetValue();
    v.showPanButtons = d.m_chkNavigationScroll->GetValue();
    v.clickToZoom = d.m_chkClickToZoom->GetValue();
    v.music = !d.m_editMusicPath->GetValue().empty();
    return v;
}

// The descriptor and the browser viewer, rewritten so that options changed
// since the generation take effect.
kerfel::Status RefreshJobFiles(const CKerfelDialog& d, kerfel::DescriptorValues& values) {
    values = DescriptorFromDialog(d);
    const std::string job = JobFolder(d);
    kerfel::Status s = kerfel::WriteDescriptor(job + "/ImageKerfel.xml", values);
    if (!s) return s;
    return kerfel::WriteViewerSite(job, values, std::filesystem::path(job).filename().string());
}

enum class Command { Preview, Export };

// A job file that could not be refreshed: for Export the archive cannot be
// made as asked, for Preview the job cannot be shown as it is set.
void ShowJobFileError(CKerfelDialog& d, const kerfel::Status& s, Command command) {
    const bool exporting = command == Command::Export;
    CMessageBoxDialog box(&d);
    box.Show(kerfel::UiText(exporting ? "KERFELDIALOG.ONBSAVE.MESSAGEBOX4_TEXT" : "KERFELDIALOG.GENERATETAILS.MESSAGEBOX3_TEXT") +
                 "\n" + wxString::FromUTF8(s.message),
             kerfel::UiText(exporting ? "KERFELDIALOG.ONBSAVE.MESSAGEBOX4_CAPTION" : "KERFELDIALOG.GENERATETAILS.MESSAGEBOX3_CAPTION"),
             MBX_OK | MBX_ICONERROR);
}

void SetStatus(CKerfelDialog& d, const wxString& text) {
    d.m_strStatus = text;
    d.m_lblStatus->SetLabel(text);
    d.m_lblStatus->Update();
}

// The music copy shared by Preview and Export; false when it failed (the
// boxes have been shown then). Export shows a failed copy twice, first in
// the desktop's own box.
bool MusicStep(CKerfelDialog& d, const wxString& copyingText, Command command) {
    const std::string job = JobFolder(d);
    const std::string music = d.m_strMusicPath.utf8_string();
    if (!music.empty()) SetStatus(d, copyingText);
    kerfel::Status s = kerfel::RefreshMusicCopy(music, job);
    if (s) return true;
    if (music.empty()) {  // an old copy that cannot be removed would still be packed
        ShowJobFileError(d, s, command);
        return false;
    }
    wxString text = wxString::FromUTF8(kerfel::FormatText(kerfel::GetLanguageText("KERFELDIALOG.ONBSAVE.MESSAGEBOX1_TEXT1"),
                                                          {music, kerfel::MusicCopyPath(job)})) +
                    "\n" + kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX1_TEXT2");
    wxString caption = kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX2_CAPTION");
    if (command == Command::Export) ShowStandardErrorBox(&d, text, caption);
    CMessageBoxDialog box(&d);
    box.Show(text, caption, MBX_OK | MBX_ICONERROR);
    SetStatus(d, wxString::FromUTF8(kerfel::FormatText(kerfel::GetLanguageText("KERFELDIALOG.ONBSAVE.STATICTEXT_PROCMP3"), {})));
    d.m_bCancelRequested = 0;
    return false;
}

// Entry names start with the job's own name below the output folder; when
// the output folder was changed to one that does not hold the job, the job's
// parent is the root instead of writing an archive with no entries.
std::string ArchiveRoot(const CKerfelDialog& d) {
    namespace fs = std::filesystem;
    fs::path job = fs::path(JobFolder(d)).lexically_normal();
    fs::path out = fs::path(d.m_strOutputFolder.utf8_string()).lexically_normal();
    fs::path rel = job.lexically_relative(out);
    if (!out.empty() && !rel.empty() && *rel.begin() != ".." && rel != ".") return out.string();
    return std::string();
}

}  // namespace

void CKerfelDialog::OnBBrBgMusic(wxCommandEvent&) {
    UpdateData(true);
    CFileOpenComponent chooser;
    chooser.Title = "Select MP3 file ..";
    chooser.Filter = "MP3 Files (*.mp3)|*.mp3";
    chooser.CancelError = false;
    chooser.DefaultExt = "*.mp3";
    chooser.FileName.clear();
    chooser.ShowOpen(this);
    if (chooser.FileName.empty()) return;
    m_strMusicPath = chooser.FileName;
    UpdateData(false);
}

void CKerfelDialog::OnBSave(wxCommandEvent&) {
    kerfel::DescriptorValues values;
    kerfel::Status refreshed = RefreshJobFiles(*this, values);
    UpdateData(true);
    if (!refreshed) return ShowJobFileError(*this, refreshed, Command::Export);
    if (!MusicStep(*this, kerfel::UiText("KERFELDIALOG.ONBSAVE.STATICTEXT_CMP3"), Command::Export)) return;
    SetStatus(*this, " ");

    CFileOpenComponent chooser;
    chooser.Title = "Provide Output zip file name..";
    chooser.Filter = "Zip Files (*.zip)|*.zip";
    chooser.DefaultExt = "*.zip";
    chooser.InitDir = m_strOutputFolder;
    chooser.FileName = wxString::FromUTF8(kerfel::ProposedArchiveName(m_strSourcePath.utf8_string()));
    chooser.CancelError = true;
    chooser.ShowSave(this);
    const wxString error = chooser.ErrorText.Left(100);
    const wxString archive = chooser.FileName;
    if (archive.empty() || !error.empty()) return;

    if (wxFileName::Exists(archive)) {
        CMessageBoxDialog box(this);
        int answer = box.Show(archive + kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX3_TEXT1") + "\n" +
                                  kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX3_TEXT2"),
                              kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX3_CAPTION"), MBX_YESNO | MBX_ICONWARNING);
        if (answer == IDNO) return;
    }
    kerfel::Status packed;
    {
        wxBusyCursor wait;
        packed = kerfel::ExportJob({JobFolder(*this), archive.utf8_string(), ArchiveRoot(*this), nullptr});
    }
    CMessageBoxDialog box(this);
    if (!packed) {
        box.Show(kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX4_TEXT") + "\n" + wxString::FromUTF8(packed.message),
                 kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX4_CAPTION"), MBX_OK | MBX_ICONERROR);
        return;
    }
    box.Show(kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX2_TEXT"), kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX2_CAPTION"),
             MBX_OK | MBX_ICONINFORMATION);
}

void CKerfelDialog::OnBPerview(wxCommandEvent&) {
    std::string folder;
    kerfel::Status made = kerfel::MakePreviewFolder(folder);
    if (!made) {
        ShowStandardErrorBox(this,
                             wxString::Format("Unable to export to file %s.\n Error: %s \n Please retry.",
                                              wxString::FromUTF8(folder), wxString::FromUTF8(made.message)),
                             "Error");
        return;
    }
    const std::string page = folder + "/" + kerfel::kPreviewPageName;
    kerfel::DescriptorValues values;
    kerfel::Status refreshed = RefreshJobFiles(*this, values);
    UpdateData(true);
    if (!refreshed) {
        kerfel::RemovePreviewPage(page);
        return ShowJobFileError(*this, refreshed, Command::Preview);
    }
    if (!MusicStep(*this, "Copying MP3 File.", Command::Preview)) {
        kerfel::RemovePreviewPage(page);
        return;
    }
    SetStatus(*this, "Generating HTML File.");
    const std::string job = JobFolder(*this);
    kerfel::Status written = kerfel::WriteViewerPage(
        {page, m_strAppFolder.utf8_string() + "/Zoom.swf", job, values.viewWidth, values.viewHeight});
    SetStatus(*this, " ");
    if (!written) {
        kerfel::RemovePreviewPage(page);
        ShowStandardErrorBox(this,
                             wxString::Format("Unable to export to file %s.\n Error: %s \n Please retry.",
                                              wxString::FromUTF8(page), wxString::FromUTF8(written.message)),
                             "Error");
        return;
    }
    CPreviewDialog dlg;
    dlg.m_rcViewer = wxRect(wxPoint(0, 0), wxPoint(int(values.viewWidth) + 31, int(values.viewHeight) + 20));
    dlg.m_strPagePath = wxString::FromUTF8(page);
    const std::string index = job + "/" + kerfel::kViewerIndexName;
    if (wxFileName::FileExists(wxString::FromUTF8(index))) dlg.m_strViewerPath = wxString::FromUTF8(index);
    else
        dlg.m_strFallbackHtml = wxString::FromUTF8(
            kerfel::DescriptorSummaryHtml(values, std::filesystem::path(job).filename().string()));
    dlg.ShowModal();
}
