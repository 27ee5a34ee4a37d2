// Make: the checks, the confirmation, and the window's side of a job. The
// job itself runs in kerfel::JobController, which never touches a window.
#include "app/ui/kerfel_dialog.h"

#include "app/job_runner.h"
#include "i18n/format_text.h"
#include "i18n/ui/message_box_dialog.h"
#include "i18n/ui/ui_text.h"
#include "publish/music_copy.h"
#include "skin/ui/skin_bitmaps.h"
#include "skin/ui/skin_progress_ctrl.h"

namespace {

void ShowBox(wxWindow* owner, const wxString& text, const char* captionKey, int flags) {
    CMessageBoxDialog box(owner);
    box.Show(text, kerfel::UiText(captionKey), flags);
}

// What the user may do in each phase of a job.
struct PhaseButtons {
    bool inputs;       // Browse File, Browse Folder, Make, Browse Music
    bool publishing;   // Preview and Export, when a finished job is there
    bool close;        // the Close button that stops the job
    const char* closeKey;  // its caption; null keeps the caption
};

PhaseButtons ButtonsOf(CKerfelDialog::JobPhase phase) {
    using P = CKerfelDialog::JobPhase;
    switch (phase) {
        case P::Idle: return {true, true, false, nullptr};
        case P::Asking: return {false, false, false, "KERFELDIALOG.IDC_BCLOSEBUT1"};
        case P::Writing: return {false, false, true, "KERFELDIALOG.IDC_BCLOSEBUT1"};
        case P::Stopping: return {true, false, false, "KERFELDIALOG.IDC_BCLOSEBUT2"};
        case P::WaitingToStart: return {false, false, false, nullptr};
    }
    return {true, false, false, nullptr};
}

}  // namespace

void CKerfelDialog::SetJobPhase(JobPhase phase) {
    m_phase = phase;
    const PhaseButtons b = ButtonsOf(phase);
    for (CSkinButton* input : {m_btnBrowseFile, m_btnBrowseFolder, m_btnMake, m_btnBrowseMusic}) input->Enable(b.inputs);
    m_cmbLayout->Enable(b.inputs);
    m_btnPreview->Enable(b.publishing && m_bJobReady);
    m_btnExport->Enable(b.publishing && m_bJobReady);
    if (b.closeKey) m_btnClose->SetLabel(kerfel::UiText(b.closeKey));
    m_btnClose->Show(b.close);
}

void CKerfelDialog::OnBGenerate(wxCommandEvent&) {
    if (m_choices.sourcePath.empty()) return;  // no picture chosen yet
    ShowStatus(kerfel::StatusLine::Blank());  // a stopped job's line no longer holds
    UpdateData(true);
    if (const kerfel::JobCheck check = kerfel::CheckBeforeJob(m_choices); !check) return RefuseJob(check);
    const kerfel::TilePyramid& p = m_choices.pyramid;
    const unsigned w = p.DisplayWidth(m_choices.levels), h = p.DisplayHeight(m_choices.levels);
    m_strDisplaySize = wxString::FromUTF8(kerfel::SizeText(w, h));

    const std::string first = kerfel::FormatText(kerfel::GetLanguageText("KERFELDIALOG.ONBGENERATE.MESSAGEBOX2_TEXT1"), {w, h});
    const int givenBack = m_nSourcesGivenBack;
    CMessageBoxDialog box(this);
    int answer = box.Show(wxString::FromUTF8(first) + "\n" + kerfel::UiText("KERFELDIALOG.ONBGENERATE.MESSAGEBOX2_TEXT2"),
                          kerfel::UiText("KERFELDIALOG.ONBGENERATE.MESSAGEBOX2_CAPTION"), MBX_YESNO | MBX_ICONQUESTION);
    // The file asked about may have been refused while the box was open.
    if (answer == IDYES && givenBack == m_nSourcesGivenBack) StartGeneration();
}

// Each check that stops a job, told in the language's box for it.
void CKerfelDialog::RefuseJob(const kerfel::JobCheck& check) {
    using F = kerfel::JobFault;
    const int error = MBX_OK | MBX_ICONERROR;
    switch (check.fault) {
        case F::NoOutputFolder:
            return ShowBox(this,
                           wxString::FromUTF8(kerfel::FormatText(
                               kerfel::GetLanguageText("KERFELDIALOG.GENERATETAILS.MESSAGEBOX_FOLDERTEXT"),
                               {m_choices.outputFolder})),
                           "KERFELDIALOG.GENERATETAILS.MESSAGEBOX_CAPTION", error);
        case F::SourceUnreadable:
            return ShowBox(this,
                           kerfel::UiText("KERFELDIALOG.ONBBROWSEFILE.MESSAGEBOX_TEXT") + "\n" +
                               wxString::FromUTF8(check.status.message),
                           "KERFELDIALOG.ONBBROWSEFILE.MESSAGEBOX_CAPTION", error);
        case F::SourceChanged:
            return ShowBox(this, kerfel::UiText("KERFELDIALOG.ONBGENERATE.MESSAGEBOX3_TEXT"),
                           "KERFELDIALOG.ONBGENERATE.MESSAGEBOX3_CAPTION", error);
        case F::LevelsNotOffered:
            return ShowBox(this, kerfel::UiText("KERFELDIALOG.ONBGENERATE.MESSAGEBOX1_TEXT"),
                           "KERFELDIALOG.ONBGENERATE.MESSAGEBOX1_CAPTION", error);
        case F::MusicUnreadable: {
            const std::string job = kerfel::JobFolderFor(m_choices.outputFolder, m_choices.sourcePath);
            return ShowBox(this,
                           wxString::FromUTF8(kerfel::FormatText(
                               kerfel::GetLanguageText("KERFELDIALOG.ONBSAVE.MESSAGEBOX1_TEXT1"),
                               {m_choices.musicPath, kerfel::MusicCopyPath(job)})) +
                               "\n" + kerfel::UiText("KERFELDIALOG.ONBSAVE.MESSAGEBOX1_TEXT2"),
                           "KERFELDIALOG.ONBSAVE.MESSAGEBOX2_CAPTION", error);
        }
        case F::None: break;
    }
}

void CKerfelDialog::StartGeneration() {
    // After a stop the buttons come back at once, while the stopped job may
    // still be finishing a tile, a level or the decoding of a huge picture:
    // waiting for it here would freeze the window, so the new job starts
    // from that job's end instead.
    if (m_jobs.Running()) {
        m_bStartPending = true;
        SetJobPhase(JobPhase::WaitingToStart);
        return;
    }
    if (m_pProgress) {
        m_pProgress->Clear();
        m_pProgress->Destroy();
        m_pProgress = nullptr;
    }
    kerfel::GeneratorJob job{m_choices.sourcePath, m_choices.outputFolder, m_choices.pyramid};
    job.oneArchive = m_choices.oneArchive;
    const int levelsEntry = m_choices.levels;
    kerfel::JobController::Window window;
    window.tell = [this](const kerfel::JobEvent& e) {
        if (e.kind == kerfel::JobEvent::Kind::Started) OnJobStarted(e.folder);
    };
    window.update = [this](const std::optional<kerfel::StatusLine>& status, int done) {
        // A stopped job's last tiles no longer speak over the stopped line.
        if (status && m_phase != JobPhase::Stopping) ShowStatus(*status);
        if (m_pProgress) m_pProgress->SetPos(done, true);
    };
    window.mayWriteInto = [this](const std::string& folder) {
        CMessageBoxDialog box(this);
        // Only an explicit Yes overwrites: a box closed any other way keeps the files.
        return box.Show(wxString::FromUTF8(kerfel::OverwriteQuestion(folder)),
                        wxString::FromUTF8(kerfel::OverwriteCaption()), MBX_YESNO | MBX_ICONQUESTION) == IDYES;
    };
    window.publishing = [this, levelsEntry] { return PublishingNow(levelsEntry); };
    window.ended = [this](const kerfel::JobResult& result) { OnJobEnded(result); };
    // A job folder being written is no place for Preview or Export.
    SetJobPhase(JobPhase::Asking);
    m_jobs.Start(job, std::move(window));
}

// The options, music and levels entry as they are now, not as they were
// when Make was pressed: the list stays usable during a job.
kerfel::JobPublishing CKerfelDialog::PublishingNow(int levelsEntry) {
    UpdateData(true);
    kerfel::JobChoices now = m_choices;
    if (!now.pyramid.ValidEntry(now.levels)) now.levels = levelsEntry;
    return kerfel::PublishingOf(now);
}

void CKerfelDialog::OnJobStarted(const std::string& folder) {
    m_strJobFolder = wxString::FromUTF8(folder);
    auto* bar = new CSkinProgressCtrl();
    wxBitmap skin = kerfel::LoadSkinBitmap(260, kerfel::PictureScale(this));
    if (bar->Create(m_stcProgressFrame, static_cast<int>(m_choices.pyramid.m_nTotalTiles), skin.IsOk() ? &skin : nullptr, false)) {
        m_pProgress = bar;
    } else {
        bar->Destroy();  // the job goes on without a bar
    }
    if (m_phase == JobPhase::Asking) SetJobPhase(JobPhase::Writing);
}

void CKerfelDialog::OnJobEnded(const kerfel::JobResult& r) {
    if (m_pProgress) {
        m_pProgress->Clear();
        m_pProgress->Destroy();
        m_pProgress = nullptr;
    }
    switch (r.end) {
        case kerfel::JobEnd::Finished: {
            ShowStatus(kerfel::StatusLine::Format("KERFELDIALOG.GENERATETAILS.STATICTEXT_DONE", r.jobFolder));
            // A note (a colour profile left unused) comes with the news that the job is done.
            wxString text = kerfel::UiText("KERFELDIALOG.GENERATETAILS.MESSAGEBOX2_TEXT");
            for (const std::string& note : r.notes) text += "\n" + wxString::FromUTF8(note);
            ShowBox(this, text, "KERFELDIALOG.GENERATETAILS.MESSAGEBOX2_CAPTION",
                    MBX_OK | (r.notes.empty() ? MBX_ICONINFORMATION : MBX_ICONWARNING));
            m_btnClose->SetLabel("&Close");
            m_jobs.ClearCancel();
            m_bJobReady = true;
            break;
        }
        case kerfel::JobEnd::Declined:
            // The earlier job folder is still whole.
            m_btnClose->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_BCLOSEBUT2"));
            break;
        case kerfel::JobEnd::Cancelled:
            // The status line keeps the cancelled text.
            m_bJobReady = false;
            break;
        case kerfel::JobEnd::Failed:
            ShowStatus(kerfel::StatusLine::Blank());
            m_btnClose->SetLabel("&Close");
            m_bJobReady = false;
            SetJobPhase(JobPhase::Idle);
            m_jobs.ClearCancel();
            ShowBox(this, kerfel::UiText("KERFELDIALOG.GENERATETAILS.MESSAGEBOX3_TEXT") + "\n" + wxString::FromUTF8(r.status.message),
                    "KERFELDIALOG.GENERATETAILS.MESSAGEBOX3_CAPTION", MBX_OK | MBX_ICONERROR);
            break;
    }
    SetJobPhase(JobPhase::Idle);
    if (m_bStartPending) {
        m_bStartPending = false;
        StartGeneration();
    }
}
