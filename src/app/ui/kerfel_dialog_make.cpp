// Make: the checks, the confirmation and the generation worker.
//
// The worker never touches a window. It reports through CMakeJob: status
// text and tile count are kept there and at most one update is queued to the
// user-interface thread at a time, and at most 25 a second, so a fast job
// is never slowed by the screen and the last state shown is exact.
// Questions and reads of the option boxes go to the user-interface thread
// too; the worker waits for
// the answer while it keeps watching the cancel flag, so closing the dialog
// (which sets the flag and joins) can never deadlock.
#include <chrono>
#include "i18n/ui/ui_text.h"
#include <filesystem>
#include <future>
#include <mutex>
#include <optional>

#include "app/ui/kerfel_dialog.h"
#include "engine/generator.h"
#include "i18n/format_text.h"
#include "engine/source_image.h"
#include "i18n/language_table.h"
#include "i18n/ui/message_box_dialog.h"
#include "skin/ui/skin_bitmaps.h"
#include "skin/ui/skin_progress_ctrl.h"

struct CMakeJob {
    kerfel::GeneratorJob job;
    int levelsEntry = 1;
    bool previewWasEnabled = false, exportWasEnabled = false;

    std::mutex lock;  // guards what follows
    std::string status;
    bool statusChanged = false;
    int done = 0;
    bool updateQueued = false;
    // Updates are queued at most this often: a job writes thousands of tiles
    // a second, and repainting for each would take time from the job.
    std::chrono::steady_clock::time_point nextUpdate;
    kerfel::JobResult result;
};

namespace {


void ShowBox(wxWindow* owner, const wxString& text, const char* captionKey, int flags) {
    CMessageBoxDialog box(owner);
    box.Show(text, kerfel::UiText(captionKey), flags);
}

// Runs `ask` on the user-interface thread and waits for its result while
// watching the cancel flag; nothing when the job is being stopped.
template <typename T>
std::optional<T> AskUiThread(wxEvtHandler* ui, const std::atomic<int>& cancel, std::function<T()> ask) {
    auto promise = std::make_shared<std::promise<T>>();
    std::future<T> answer = promise->get_future();
    ui->CallAfter([promise, ask] { promise->set_value(ask()); });
    while (answer.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
        if (cancel.load()) return std::nullopt;
    try {
        return answer.get();
    } catch (const std::future_error&) {
        return std::nullopt;
    }
}

// "/" and "/media/card/" are folders like any other: a trailing separator
// does not make a folder the user chose missing.
bool IsFolder(const wxString& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(std::filesystem::path(path.utf8_string()), ec);
}

}  // namespace

void CKerfelDialog::OnBGenerate(wxCommandEvent&) {
    if (m_strSourcePath.empty()) return;
    UpdateData(true);
    if (!IsFolder(m_strOutputFolder)) {
        ShowBox(this, kerfel::UiText("KERFELDIALOG.GENERATETAILS.MESSAGEBOX_TEXT"), "KERFELDIALOG.GENERATETAILS.MESSAGEBOX_CAPTION",
                MBX_OK | MBX_ICONERROR);
        return;
    }
    UpdateData(true);
    m_strLevels = m_cmbLevels->GetStringSelection();
    const int k = kerfel::ParseLevelText(m_strLevels.utf8_string());
    if (!m_pyramid.ValidEntry(k)) {
        ShowBox(this, kerfel::UiText("KERFELDIALOG.ONBGENERATE.MESSAGEBOX1_TEXT"), "KERFELDIALOG.ONBGENERATE.MESSAGEBOX1_CAPTION",
                MBX_OK | MBX_ICONERROR);
        return;
    }
    const unsigned w = m_pyramid.DisplayWidth(k), h = m_pyramid.DisplayHeight(k);
    m_strDisplaySize = wxString::FromUTF8(kerfel::SizeText(w, h));

    // The path may have been typed after the table was made; the table must
    // describe the file that will be cut, and every level must hold pixels.
    kerfel::SourceInfo info;
    kerfel::Status s = kerfel::CheckPyramid(m_pyramid);
    if (s) s = kerfel::InspectSource(m_strSourcePath.utf8_string(), info);
    if (!s) {
        ShowBox(this, kerfel::UiText("KERFELDIALOG.ONBBROWSEFILE.MESSAGEBOX_TEXT") + "\n" + wxString::FromUTF8(s.message),
                "KERFELDIALOG.ONBBROWSEFILE.MESSAGEBOX_CAPTION", MBX_OK | MBX_ICONERROR);
        return;
    }
    if (info.width != m_pyramid.SourceWidth() || info.height != m_pyramid.SourceHeight()) {
        ShowBox(this, kerfel::UiText("KERFELDIALOG.ONBGENERATE.MESSAGEBOX3_TEXT"), "KERFELDIALOG.ONBGENERATE.MESSAGEBOX1_CAPTION",
                MBX_OK | MBX_ICONERROR);
        return;
    }

    const std::string first = kerfel::FormatText(kerfel::GetLanguageText("KERFELDIALOG.ONBGENERATE.MESSAGEBOX2_TEXT1"), {w, h});
    CMessageBoxDialog box(this);
    int answer = box.Show(wxString::FromUTF8(first) + "\n" + kerfel::UiText("KERFELDIALOG.ONBGENERATE.MESSAGEBOX2_TEXT2"),
                          kerfel::UiText("KERFELDIALOG.ONBGENERATE.MESSAGEBOX2_CAPTION"), MBX_YESNO | MBX_ICONQUESTION);
    if (answer == IDYES) StartGeneration();
}

void CKerfelDialog::StartGeneration() {
    // After a stop the buttons come back at once, while the stopped job may
    // still be finishing a tile, a level or the decoding of a huge picture:
    // waiting for it here would freeze the window, so the new job starts
    // from that job's end instead.
    if (m_bJobRunning) {
        m_bStartPending = true;
        m_btnBrowseFile->Enable(false);
        m_btnBrowseFolder->Enable(false);
        m_btnMake->Enable(false);
        m_btnBrowseMusic->Enable(false);
        return;
    }
    // Any earlier worker has queued its end; the join is immediate.
    if (m_worker.joinable()) {
        m_bCancelRequested = 1;
        m_worker.join();
    }
    if (m_pProgress) {
        m_pProgress->Clear();
        m_pProgress->Destroy();
        m_pProgress = nullptr;
    }
    auto job = std::make_shared<CMakeJob>();
    job->job = {m_strSourcePath.utf8_string(), m_strOutputFolder.utf8_string(), m_pyramid};
    job->levelsEntry = kerfel::ParseLevelText(m_strLevels.utf8_string());
    // A job folder being written is no place for Preview or Export.
    job->previewWasEnabled = m_btnPreview->IsEnabled();
    job->exportWasEnabled = m_btnExport->IsEnabled();
    m_btnPreview->Enable(false);
    m_btnExport->Enable(false);
    m_btnBrowseFile->Enable(false);
    m_btnBrowseFolder->Enable(false);
    m_btnMake->Enable(false);
    m_btnBrowseMusic->Enable(false);
    m_btnClose->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_BCLOSEBUT1"));
    m_bCancelRequested = 0;  // a request that came too late for the last job
    m_bJobRunning = true;
    m_pMakeJob = job;
    m_worker = std::thread(&CKerfelDialog::GenerateTails, this);
}

// The worker procedure.
void CKerfelDialog::GenerateTails() {
    const std::shared_ptr<CMakeJob> job = m_pMakeJob;

    auto queueUpdate = [this, job] {  // caller holds job->lock
        // What is not queued now is shown by a later update or by the end of the job.
        const auto now = std::chrono::steady_clock::now();
        if (job->updateQueued || now < job->nextUpdate) return;
        job->nextUpdate = now + std::chrono::milliseconds(40);
        job->updateQueued = true;
        CallAfter([this, job] { ApplyJobProgress(job); });
    };
    kerfel::GeneratorHooks hooks;
    hooks.status = [job, queueUpdate](const std::string& text) {
        std::lock_guard<std::mutex> hold(job->lock);
        job->status = text;
        job->statusChanged = true;
        queueUpdate();
    };
    hooks.progress = [job, queueUpdate](int done, int) {
        std::lock_guard<std::mutex> hold(job->lock);
        job->done = done;
        queueUpdate();
    };
    hooks.cancelRequested = [this] { return m_bCancelRequested.exchange(0) != 0; };
    hooks.ask = [this](const std::string& text, const std::string& caption, int flags) {
        std::optional<int> r = AskUiThread<int>(this, m_bCancelRequested, [this, text, caption, flags] {
            CMessageBoxDialog box(this);
            return box.Show(wxString::FromUTF8(text), wxString::FromUTF8(caption), flags);
        });
        return r.value_or(IDNO);
    };
    hooks.started = [this, job](const std::string& folder) {
        CallAfter([this, job, folder] {
            if (m_pMakeJob != job) return;
            m_strJobFolder = wxString::FromUTF8(folder);
            auto* bar = new CSkinProgressCtrl();
            wxBitmap skin = kerfel::LoadSkinBitmap(260);
            if (bar->Create(m_stcProgressFrame, job->job.pyramid.m_nTotalTiles, skin.IsOk() ? &skin : nullptr, false)) {
                m_pProgress = bar;
            } else {
                bar->Destroy();  // the job goes on without a bar
            }
            m_btnClose->Show();
        });
    };
    hooks.describe = [this, job](kerfel::DescriptorValues& values) {
        // The options and the levels entry as they are now, not as they were
        // when Make was pressed: the list stays usable during a job.
        std::optional<kerfel::DescriptorValues> v = AskUiThread<kerfel::DescriptorValues>(this, m_bCancelRequested, [this, job] {
            int k = kerfel::ParseLevelText(m_strLevels.utf8_string());
            if (!job->job.pyramid.ValidEntry(k)) k = job->levelsEntry;
            kerfel::DescriptorValues d = kerfel::DescribePyramid(job->job.pyramid, k);
            d.showNav = m_chkSmallMap->GetValue();
            d.showSlider = m_chkZoomSlider->GetValue();
            d.showPanButtons = m_chkNavigationScroll->GetValue();
            d.clickToZoom = m_chkClickToZoom->GetValue();
            d.music = !m_editMusicPath->GetValue().empty();
            return d;
        });
        if (!v) return kerfel::Status::Cancel();
        values = *v;
        return kerfel::Status::Ok();
    };

    kerfel::JobResult result = kerfel::GenerateTiles(job->job, hooks);
    {
        std::lock_guard<std::mutex> hold(job->lock);
        job->result = result;
    }
    CallAfter([this, job] { EndGeneration(job); });
}

void CKerfelDialog::ApplyJobProgress(const std::shared_ptr<CMakeJob>& job) {
    if (m_pMakeJob != job) return;  // a later job owns the controls now
    std::string status;
    bool statusChanged;
    int done;
    {
        std::lock_guard<std::mutex> hold(job->lock);
        job->updateQueued = false;
        status.swap(job->status);
        statusChanged = job->statusChanged;
        job->statusChanged = false;
        done = job->done;
    }
    if (statusChanged) {
        m_strStatus = wxString::FromUTF8(status);
        m_lblStatus->SetLabel(m_strStatus);
    }
    if (m_pProgress) m_pProgress->SetPos(done, true);
}

void CKerfelDialog::EndGeneration(const std::shared_ptr<CMakeJob>& job) {
    if (m_pMakeJob != job) return;  // a later job has joined this one's worker
    if (m_worker.joinable()) m_worker.join();  // its last act was to queue this call
    ApplyJobProgress(job);
    m_bJobRunning = false;
    if (m_pProgress) {
        m_pProgress->Clear();
        m_pProgress->Destroy();
        m_pProgress = nullptr;
    }
    auto backToIdle = [this] {
        m_btnBrowseFile->Enable(true);
        m_btnBrowseFolder->Enable(true);
        m_btnMake->Enable(true);
        m_btnBrowseMusic->Enable(true);
    };
    const kerfel::JobResult& r = job->result;
    switch (r.end) {
        case kerfel::JobEnd::Finished:
            m_strStatus = " ";
            m_lblStatus->SetLabel(m_strStatus);
            ShowBox(this, kerfel::UiText("KERFELDIALOG.GENERATETAILS.MESSAGEBOX2_TEXT"),
                    "KERFELDIALOG.GENERATETAILS.MESSAGEBOX2_CAPTION", MBX_OK | MBX_ICONINFORMATION);
            backToIdle();
            m_btnClose->SetLabel("&Close");
            m_btnClose->Hide();
            m_bCancelRequested = 0;
            m_btnExport->Enable(true);
            m_btnPreview->Enable(true);
            break;
        case kerfel::JobEnd::Declined:
            backToIdle();
            m_btnClose->SetLabel(kerfel::UiText("KERFELDIALOG.IDC_BCLOSEBUT2"));
            m_btnPreview->Enable(job->previewWasEnabled);  // the earlier job folder is still whole
            m_btnExport->Enable(job->exportWasEnabled);
            break;
        case kerfel::JobEnd::Cancelled:
            // The cancel request already put the buttons back; the status
            // line keeps the cancelled text.
            backToIdle();
            m_btnClose->Hide();
            break;
        case kerfel::JobEnd::Failed:
            m_strStatus = " ";
            m_lblStatus->SetLabel(m_strStatus);
            backToIdle();
            m_btnClose->SetLabel("&Close");
            m_btnClose->Hide();
            m_bCancelRequested = 0;
            ShowBox(this, kerfel::UiText("KERFELDIALOG.GENERATETAILS.MESSAGEBOX3_TEXT") + "\n" + wxString::FromUTF8(r.status.message),
                    "KERFELDIALOG.GENERATETAILS.MESSAGEBOX3_CAPTION", MBX_OK | MBX_ICONERROR);
            break;
    }
    if (m_bStartPending) {
        m_bStartPending = false;
        StartGeneration();
    }
}
