#pragma once
// The main dialog: it holds the whole state of one job and every command of
// the tool is one of its handlers. Handlers live in files by area:
//   kerfel_dialog.cpp           start-up, layout, paint, close, data exchange
//   kerfel_dialog_source.cpp    choosing the source image, the levels list
//   kerfel_dialog_options.cpp   output folder and the four viewer options
//   kerfel_dialog_make.cpp      Make and the generation worker
//   kerfel_dialog_publish.cpp   Preview, Export, background music
//   kerfel_dialog_language.cpp  loading a language
//   kerfel_dialog_menu.cpp      texts on the dialog, Help menu
//   kerfel_dialog_drop.cpp      files dropped on the window
#include <wx/bitmap.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/icon.h>
#include <wx/statbmp.h>
#include <wx/textctrl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/dropped_files.h"
#include "app/job_choices.h"
#include "app/job_controller.h"
#include "base/status.h"
#include "engine/pixel_buffer.h"
#include "engine/tile_pyramid.h"
#include "skin/ui/skin_button.h"
#include "skin/ui/skin_dialog.h"
#include "skin/ui/transparent_static.h"

class CSkinProgressCtrl;

// Threads that decode thumbnails, one per choice of a file; finished ones
// are joined at the next choice, the rest when the dialog goes.
class ThumbnailWorkers {
public:
    ThumbnailWorkers() = default;
    ThumbnailWorkers(const ThumbnailWorkers&) = delete;
    ThumbnailWorkers& operator=(const ThumbnailWorkers&) = delete;
    ~ThumbnailWorkers() {
        for (Worker& w : m_workers) w.thread.join();
    }
    void Start(std::function<void()> work) {
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            if (!it->done->load()) {
                ++it;
                continue;
            }
            it->thread.join();
            it = m_workers.erase(it);
        }
        auto done = std::make_shared<std::atomic<bool>>(false);
        m_workers.push_back({std::thread([work = std::move(work), done] {
                                 work();
                                 done->store(true);
                             }),
                             done});
    }

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Worker> m_workers;
};

class CKerfelDialog : public CSkinDialog {
public:
    explicit CKerfelDialog(wxWindow* parent = nullptr);
    ~CKerfelDialog() override;

    // Where the job stands; it alone decides which buttons work.
    enum class JobPhase {
        Idle,            // no job: Preview and Export work when a finished job is there
        Asking,          // a job started and may ask about an existing folder
        Writing,         // tiles are being written; Close stops the job
        Stopping,        // stopped: the inputs are back while the job ends its tile
        WaitingToStart,  // Make was confirmed while a stopped job was still ending
    };
    void SetJobPhase(JobPhase phase);
    bool JobRunning() const { return m_phase != JobPhase::Idle; }
    kerfel::JobController& Jobs() { return m_jobs; }

    // What the window holds of the job, for those that drive it (the tests).
    const kerfel::JobChoices& Choices() const { return m_choices; }
    const kerfel::TilePyramid& Pyramid() const { return m_choices.pyramid; }
    CSkinProgressCtrl* Progress() const { return m_pProgress; }
    wxString SourcePath() const { return wxString::FromUTF8(m_choices.sourcePath); }
    wxString OutputFolder() const { return wxString::FromUTF8(m_choices.outputFolder); }
    const wxString& JobFolder() const { return m_strJobFolder; }
    wxString MusicPath() const { return wxString::FromUTF8(m_choices.musicPath); }
    const wxString& AppFolder() const { return m_strAppFolder; }
    int Levels() const { return m_choices.levels; }
    const wxString& DisplaySize() const { return m_strDisplaySize; }
    bool StartPending() const { return m_bStartPending; }
    // Thumbnail decodes that have reported back, shown or not.
    int ThumbnailsDone() const { return m_nThumbnailsDone; }
    // Puts a finished job's folder back in the window as Make leaves it,
    // so that Preview and Export work on it.
    void RestoreJob(const kerfel::TilePyramid& pyramid, int levels, const wxString& sourcePath,
                    const wxString& outputFolder, const wxString& jobFolder, const wxString& musicPath);

    // Takes `path` as the source as Browse File does once a file is picked
    // (also how `kerfel PHOTO.jpg` starts and what a dropped picture does).
    void ChooseSource(const wxString& path);
    // Takes the folder as Browse Folder does once one is picked, and
    // remembers it in the settings.
    void ChooseOutputFolder(const wxString& folder);
    // Takes the music file as the music's Browse does once one is picked.
    void ChooseMusic(const wxString& path);

    // The one exchange of the window and what the user chose: the user's
    // edits of the fields, levels list and option boxes into m_choices
    // (true), or m_choices and the texts shown onto the controls (false).
    void UpdateData(bool saveAndValidate);
    // Languages and the texts of the window.
    void LoadLanguage(const wxString& path);
    void ApplyLanguageTexts();

private:
    // Make was confirmed while a stopped job was still ending: the new job
    // starts when that one has ended (kerfel_dialog_make.cpp).
    bool m_bStartPending = false;
    // What the user chose: the source with its level table, the output
    // folder, the levels entry, the viewer options and the music; the
    // command line fills the same choices from its arguments.
    kerfel::JobChoices m_choices;
    wxString m_strAppFolder;
    wxString m_strJobFolder;
    CSkinProgressCtrl* m_pProgress = nullptr;
    wxRect m_rcThumbFrame;

    // Texts shown, written to their controls by UpdateData.
    wxString m_strStatus;
    wxString m_strDisplaySize;
    wxString m_strOriginalSize;
    wxString m_strSmallMapLabel{"Small Map"};
    wxString m_strNavigationScrollLabel{"Navigation Scroll"};
    wxString m_strZoomSliderLabel{"Zoom Slider"};
    wxString m_strClickToZoomLabel{"Click to Zoom"};
    wxIcon m_hIcon;

    // Controls of template 102.
    CSkinButton* m_btnMinimize = nullptr;
    CSkinButton* m_btnBrowseFile = nullptr;
    CSkinButton* m_btnExit = nullptr;
    CSkinButton* m_btnMake = nullptr;
    CSkinButton* m_btnClose = nullptr;
    CSkinButton* m_btnBrowseMusic = nullptr;
    CSkinButton* m_btnBrowseFolder = nullptr;
    CSkinButton* m_btnPreview = nullptr;
    CSkinButton* m_btnExport = nullptr;
    CSkinButton* m_btnHelp = nullptr;
    wxTextCtrl* m_editSourcePath = nullptr;
    wxTextCtrl* m_editOutputFolder = nullptr;
    wxTextCtrl* m_editMusicPath = nullptr;
    CTransparentStatic* m_lblOriginalSizeValue = nullptr;
    CTransparentStatic* m_lblDisplaySizeValue = nullptr;
    CTransparentStatic* m_lblStatus = nullptr;
    CTransparentStatic* m_lblOriginalSize = nullptr;
    CTransparentStatic* m_lblDisplaySize = nullptr;
    CTransparentStatic* m_lblSourceFile = nullptr;
    CTransparentStatic* m_lblOutputFolder = nullptr;
    CTransparentStatic* m_lblMusic = nullptr;
    CTransparentStatic* m_lblLevels = nullptr;
    CTransparentStatic* m_lblSmallMap = nullptr;
    CTransparentStatic* m_lblNavigationScroll = nullptr;
    CTransparentStatic* m_lblZoomSlider = nullptr;
    CTransparentStatic* m_lblClickToZoom = nullptr;
    wxChoice* m_cmbLevels = nullptr;
    CTransparentStatic* m_lblLayout = nullptr;
    wxChoice* m_cmbLayout = nullptr;  // every layout, in the order they are listed
    wxStaticBitmap* m_stcThumbnail = nullptr;
    wxStaticBitmap* m_stcLogo2 = nullptr;
    wxWindow* m_stcProgressFrame = nullptr;
    wxWindow* m_stcThumbFrame = nullptr;
    wxCheckBox* m_chkClickToZoom = nullptr;
    wxCheckBox* m_chkNavigationScroll = nullptr;
    wxCheckBox* m_chkSmallMap = nullptr;
    wxCheckBox* m_chkZoomSlider = nullptr;

    // Dispatches the pending events of the user-interface thread; false when
    // the application is quitting.
    bool DrainMessages();

    // Source image and levels list.
    void OnBBrowseFile(wxCommandEvent& event);
    void OnSelChangeLevels(wxCommandEvent& event);
    // The layout: the levels follow it; it is remembered in the settings.
    void OnSelChangeLayout(wxCommandEvent& event);
    void FillLayoutList();  // each layout's name in the language loaded now
    // Output folder and viewer options.
    void OnBBrowseFolder(wxCommandEvent& event);
    // Files dropped on the window, on the output folder's field or on the
    // music field (kerfel_dialog_drop.cpp).
    void AcceptDrops();
    bool TakeDrop(kerfel::DropZone zone, const std::vector<std::string>& paths);
    void TakeDropChoice(const kerfel::DropChoice& choice);
    void OnOptionBox(wxCommandEvent& event);
    void OnOptionLabel(wxCommandEvent& event);
    void WriteOption(const char* valueName, bool checked);
    void RestoreSettings();
    // Make and the generation.
    void OnBGenerate(wxCommandEvent& event);
    void StartGeneration();
    void RefuseJob(const kerfel::JobCheck& check);
    // What a job publishes, from the choices as they are now (the levels
    // entry `levelsEntry` when none is chosen).
    kerfel::JobPublishing PublishingNow(int levelsEntry);
    // Preview and Export (kerfel_dialog_publish.cpp).
    kerfel::DescriptorValues DescriptorNow();
    kerfel::Status RefreshJobFiles(kerfel::DescriptorValues& values);
    bool PreviewFiles(kerfel::DescriptorValues& values);
    bool MusicStep(const kerfel::StatusLine& copying, bool exporting);
    // The status line, said in the language loaded now.
    void ShowStatus(const kerfel::StatusLine& line);
    void SayStatusLine();  // m_status into the label, fitted to its width
    // Publishing.
    void OnBPerview(wxCommandEvent& event);
    void OnBSave(wxCommandEvent& event);
    void OnBBrBgMusic(wxCommandEvent& event);
    // Languages, texts and the Help menu.
    void OnBQues(wxCommandEvent& event);
    void ShowAbout();
    // Pictures of the ten bitmap buttons.
    void SkinButtons();
    // Window-level.
    void OnBCloseBut(wxCommandEvent& event);
    void OnBExit(wxCommandEvent& event);
    void OnBMinimize(wxCommandEvent& event);

    void OnCloseWindow(wxCloseEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnAboutCommand(wxCommandEvent& event);

    void CreateControls();
    void DescribeForReaders();
    void SetUpDialog();
    void MakeThumbnail(const wxImage& thumb);
    void StartThumbnail(const wxString& path);
    void ShowSourceError(const kerfel::Status& status);
    void ThumbnailDone(int choice, kerfel::PixelBuffer* thumb, const kerfel::Status& status);

    // What the window shows of the chosen image (kerfel_dialog_source.cpp).
    // A chosen file shows at once from its header; when its picture then
    // proves undecodable, the window shows again what it showed before.
    struct ShownSource {
        wxString chosen;  // the file the thumbnail is (or will be) of
        kerfel::JobChoices choices;
        wxString originalSize, displaySize;
        wxArrayString levelsList;
        bool sizesShown = false, displayShown = false, jobReady = false;
    };
    ShownSource ShownNow() const;
    void KeepShownSource();
    void ShowAgain(const ShownSource& shown);
    void GiveBackEarlierSource();
    void CenterThumbnail();
    void NameThumbnail();
    void FillLevelsList();
    void ShowDisplaySize();  // of the chosen levels entry
    void EndDialog(int result);

    void OnJobStarted(const std::string& jobFolder);
    void OnJobEnded(const kerfel::JobResult& result);

    kerfel::StatusLine m_status;  // what the status line says, to say it again after a language switch
    JobPhase m_phase = JobPhase::Idle;
    bool m_bJobReady = false;  // the job folder of the last Make is finished
    kerfel::JobController m_jobs{[this](std::function<void()> f) { CallAfter(std::move(f)); }};
    int m_nThumbnailChoice = 0;  // which choice of a file the shown sizes belong to
    int m_nThumbnailsDone = 0;
    wxString m_strChosenFile;    // the file of that choice
    bool m_bSourceUndecided = false;             // its picture is still being decoded
    ShownSource m_goodSource;                    // shown last while no decode was pending
    std::optional<ShownSource> m_undecidedSource;  // shown when a file was chosen during another's decode
    int m_nSourcesGivenBack = 0;                 // counts refused choices undone
    ThumbnailWorkers m_thumbnailWorkers;  // last member: joined before the others go
    wxDECLARE_EVENT_TABLE();
};
