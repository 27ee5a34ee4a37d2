// Preview, Export and the background music.
#include <wx/filename.h>
#include "i18n/ui/ui_text.h"
#include <wx/utils.h>

#include <filesystem>

#include "app/status_line.h"
#include "app/ui/file_open_component.h"
#include "app/ui/kerfel_dialog.h"
#include "engine/descriptor.h"
#include "i18n/format_text.h"
#include "i18n/language_table.h"
#include "i18n/ui/message_box_dialog.h"
#include "engine/job_folder.h"
#include "publish/archive_copy.h"
#include "publish/archive_name.h"
#include "publish/export_job.h"
#include "publish/music_copy.h"
#include "publish/preview_files.h"
#include "publish/viewer_page.h"
#include "publish/job_files.h"
#include "publish/viewer_site.h"
#include "publish/ui/preview_dialog.h"
#include "publish/ui/standard_box.h"
#include "skin/ui/accessible.h"

namespace {

// A job file that could not be refreshed: for Export the archive cannot be
// made as asked, for Preview the job cannot be shown as it is set.
void ShowJobFileError(wxWindow* owner, const kerfel::Status& s, bool exporting) {
    CMessageBoxDialog box(owner);
    box.Show(kerfel::UiText(exporting ? "KERFELDIALOG.ONBSAVE.MESSAGEBOX5_TEXT" : "KERFELDIALOG.ONBPERVIEW.MESSAGEBOX_TEXT") +
                 "\n" + wxString::FromUTF8(s.message),
             kerfel::UiText(exporting ? "KERFELDIALOG.ONBSAVE.MESSAGEBOX5_CAPTION" : "KERFELDIALOG.ONBPERVIEW.MESSAGEBOX_CAPTION"),
             MBX_OK | MBX_ICONERROR);
}

// Entry names start with the job's own name below the output folder; when
// the output folder was changed to one that does not hold the job, the job's
// parent is the root instead of writing an archive with no entries.
std::string ArchiveRoot(const std::string& jobFolder, const std::string& outputFolder) {
    namespace fs = std::filesystem;
    fs::path job = fs::path(jobFolder).lexically_normal();
    fs::path out = fs::path(outputFolder).lexically_normal();
    fs::path rel = job.lexically_relative(out);
    if (!out.empty() && !rel.empty() && *rel.begin() != ".." && rel != ".") return out.string();
    return std::string();
}

}  // namespace

// The descriptor's values as the dialog shows them now.
kerfel::DescriptorValues CKerfelDialog::DescriptorNow() {
    UpdateData(true);
    return kerfel::PublishingOf(m_choices).values;
}

// The descriptor and the browser viewer, rewritten so that options changed
// since the generation take effect.
kerfel::Status CKerfelDialog::RefreshJobFiles(kerfel::DescriptorValues& values) {
    values = DescriptorNow();
    return kerfel::WriteJobFiles(m_strJobFolder.utf8_string(), values);
}

void CKerfelDialog::ShowStatus(const kerfel::StatusLine& line) {
    m_status = line;
    SayStatusLine();
    m_lblStatus->Update();
}

// A path too long for the label gives way in its middle, so the folder it
// ends in stays in sight; the whole line is then the label's tooltip.
void CKerfelDialog::SayStatusLine() {
    const int width = m_lblStatus->GetClientSize().x;
    const std::string said = kerfel::SayStatusWithin(m_status, width, [this](const std::string& text) {
        return m_lblStatus->GetTextExtent(wxString::FromUTF8(text)).x;
    });
    const bool changed = m_strStatus != wxString::FromUTF8(said);
    m_strStatus = wxString::FromUTF8(said);
    m_lblStatus->SetLabel(m_strStatus);
    if (changed) kerfel::a11y::Announce(m_lblStatus, wxString::FromUTF8(kerfel::SayStatus(m_status)));
    const std::string whole = kerfel::SayStatus(m_status);
    if (said == whole) m_lblStatus->UnsetToolTip();
    else m_lblStatus->SetToolTip(wxString::FromUTF8(whole));
}

// The music copy shared by Preview and Export; false when it failed (the
// boxes have been shown then). Export shows a failed copy twice, first in
// the desktop's own box.
bool CKerfelDialog::MusicStep(const kerfel::StatusLine& copying, bool exporting) {
    const std::string job = m_strJobFolder.utf8_string();
    const std::string music = m_choices.musicPath;
    if (!music.empty()) ShowStatus(copying);
    kerfel::Status s = kerfel::RefreshMusicCopy(music, job);
    if (s) return true;
    if (music.empty()) {  // an old copy that cannot be removed would still be packed
        ShowJobFileError(this, s, exporting);
        return false;
    }
    wxString text = wxString::FromUTF8(kerfel::FormatText(kerfel::GetLanguageText("KERFELDIALOG.ONBSAVE.MESSAGEBOX1_TEXT1"),
                                                          {music, kerfel::MusicCopyPath(job)})) +
                    "\n" + kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX1_TEXT2");
    wxString caption = kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX2_CAPTION");
    if (exporting) ShowStandardErrorBox(this, text, caption);
    CMessageBoxDialog box(this);
    box.Show(text, caption, MBX_OK | MBX_ICONERROR);
    ShowStatus(kerfel::StatusLine::Format("KERFELDIALOG.ONBSAVE.STATICTEXT_PROCMP3"));
    m_jobs.ClearCancel();
    return false;
}

void CKerfelDialog::OnBBrBgMusic(wxCommandEvent&) {
    CFileOpenComponent chooser;
    chooser.Title = "Select MP3 file ..";
    chooser.Filter = "MP3 Files (*.mp3)|*.mp3";
    chooser.CancelError = false;
    chooser.DefaultExt = "*.mp3";
    chooser.FileName.clear();
    chooser.ShowOpen(this);
    if (!chooser.FileName.empty()) ChooseMusic(chooser.FileName);
}

void CKerfelDialog::ChooseMusic(const wxString& path) {
    UpdateData(true);
    m_choices.musicPath = path.utf8_string();
    UpdateData(false);
}

void CKerfelDialog::OnBSave(wxCommandEvent&) {
    ShowStatus(kerfel::StatusLine::Blank());
    // A job made as one archive is exported as that archive, as it was made.
    const bool archiveJob = kerfel::IsJobArchive(m_strJobFolder.utf8_string());
    if (!archiveJob) {
        kerfel::DescriptorValues values;
        kerfel::Status refreshed = RefreshJobFiles(values);
        if (!refreshed) return ShowJobFileError(this, refreshed, true);
        if (!MusicStep(kerfel::StatusLine::Key("KERFELDIALOG.ONBSAVE.STATICTEXT_CMP3"), true)) return;
        ShowStatus(kerfel::StatusLine::Blank());
    }

    CFileOpenComponent chooser;
    chooser.Title = "Provide Output zip file name..";
    chooser.Filter = archiveJob ? "Archives (*.szi)|*.szi" : "Zip Files (*.zip)|*.zip";
    chooser.DefaultExt = archiveJob ? "*.szi" : "*.zip";
    chooser.InitDir = wxString::FromUTF8(m_choices.outputFolder);
    chooser.FileName = archiveJob ? wxFileName(m_strJobFolder).GetFullName()
                                  : wxString::FromUTF8(kerfel::ProposedArchiveName(m_choices.sourcePath));
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
        packed = kerfel::ExportJob({m_strJobFolder.utf8_string(), archive.utf8_string(),
                                     ArchiveRoot(m_strJobFolder.utf8_string(), m_choices.outputFolder), nullptr});
    }
    CMessageBoxDialog box(this);
    if (!packed) {
        box.Show(kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX4_TEXT") + "\n" + wxString::FromUTF8(packed.message),
                 kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX4_CAPTION"), MBX_OK | MBX_ICONERROR);
        return;
    }
    ShowStatus(kerfel::StatusLine::Format("KERFELDIALOG.ONBSAVE.STATICTEXT_DONE", archive.utf8_string()));
    box.Show(kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX2_TEXT"), kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX2_CAPTION"),
             MBX_OK | MBX_ICONINFORMATION);
}

// The job's files as the preview shows them: a job folder's refreshed with
// the options as they are now (false, the boxes shown, when that failed); an
// archive's as they were made, since the archive is the published file.
bool CKerfelDialog::PreviewFiles(kerfel::DescriptorValues& values) {
    if (kerfel::IsJobArchive(m_strJobFolder.utf8_string())) {
        values = DescriptorNow();
        return true;
    }
    kerfel::Status refreshed = RefreshJobFiles(values);
    if (!refreshed) {
        ShowJobFileError(this, refreshed, false);
        return false;
    }
    return MusicStep(kerfel::StatusLine::Literal("Copying MP3 File."), false);
}

void CKerfelDialog::OnBPerview(wxCommandEvent&) {
    ShowStatus(kerfel::StatusLine::Blank());
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
    if (!PreviewFiles(values)) {
        kerfel::RemovePreviewPage(page);
        return;
    }
    ShowStatus(kerfel::StatusLine::Literal("Generating HTML File."));
    const std::string job = m_strJobFolder.utf8_string();
    kerfel::Status written = kerfel::WriteViewerPage(
        {page, m_strAppFolder.utf8_string() + "/Zoom.swf", job, values.viewWidth, values.viewHeight});
    ShowStatus(kerfel::StatusLine::Blank());
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
    const std::string index = job + "/" + kerfel::kViewerPageName;
    if (kerfel::IsJobArchive(job)) {
        dlg.m_strArchivePath = m_strJobFolder;
        dlg.m_strArchivePage = kerfel::JobName(job) + "/" + kerfel::kViewerPageName;
    } else if (wxFileName::FileExists(wxString::FromUTF8(index))) {
        dlg.m_strViewerPath = wxString::FromUTF8(index);
    } else {
        dlg.m_strFallbackHtml = wxString::FromUTF8(
            kerfel::DescriptorSummaryHtml(values, std::filesystem::path(job).filename().string()));
    }
    dlg.ShowModal();
}

void CKerfelDialog::RestoreJob(const kerfel::TilePyramid& pyramid, int levels, const wxString& sourcePath,
                               const wxString& outputFolder, const wxString& jobFolder, const wxString& musicPath) {
    UpdateData(true);
    m_choices.pyramid = pyramid;
    m_choices.layout = pyramid.m_pLayout;
    m_choices.oneArchive = kerfel::IsJobArchive(jobFolder.utf8_string());
    FillLevelsList();
    m_choices.levels = levels;
    m_choices.sourcePath = sourcePath.utf8_string();
    m_choices.outputFolder = outputFolder.utf8_string();
    m_strJobFolder = jobFolder;
    m_choices.musicPath = musicPath.utf8_string();
    UpdateData(false);
    m_bJobReady = true;
    SetJobPhase(m_phase);
}
