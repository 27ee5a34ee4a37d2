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
#include <wx/bitmap.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/icon.h>
#include <wx/statbmp.h>
#include <wx/textctrl.h>

#include <atomic>
#include <memory>
#include <thread>

#include "engine/tile_pyramid.h"
#include "skin/ui/skin_button.h"
#include "skin/ui/skin_dialog.h"
#include "skin/ui/transparent_static.h"

class CSkinProgressCtrl;
struct CMakeJob;

class CKerfelDialog : public CSkinDialog {
public:
    explicit CKerfelDialog(wxWindow* parent = nullptr);
    ~CKerfelDialog() override;

    // Job state.
    std::atomic<int> m_bCancelRequested{0};
    std::atomic<bool> m_bJobRunning{false};
    // Make was confirmed while a stopped job was still ending: the new job
    // starts when that one has ended (kerfel_dialog_make.cpp).
    bool m_bStartPending = false;
    kerfel::TilePyramid m_pyramid;  // m_arrLevelWidth, m_arrLevelHeight, m_arrLevelIndex, m_nTotalTiles
    wxString m_strAppFolder;
    wxString m_strJobFolder;
    CSkinProgressCtrl* m_pProgress = nullptr;
    std::shared_ptr<CMakeJob> m_pMakeJob;  // the last generation started (kerfel_dialog_make.cpp)
    wxRect m_rcThumbFrame;

    // Exchanged with their controls by UpdateData.
    wxString m_strSourcePath;
    wxString m_strOutputFolder;
    wxString m_strStatus;
    wxString m_strLevels;
    wxString m_strDisplaySize;
    wxString m_strOriginalSize;
    wxString m_strMusicPath;
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
    wxStaticBitmap* m_stcThumbnail = nullptr;
    wxStaticBitmap* m_stcLogo2 = nullptr;
    wxWindow* m_stcProgressFrame = nullptr;
    wxWindow* m_stcThumbFrame = nullptr;
    wxCheckBox* m_chkClickToZoom = nullptr;
    wxCheckBox* m_chkNavigationScroll = nullptr;
    wxCheckBox* m_chkSmallMap = nullptr;
    wxCheckBox* m_chkZoomSlider = nullptr;

    // Members to controls (false) or controls to members (true).
    void UpdateData(bool saveAndValidate);
    // Dispatches the pending events of the user-interface thread; false when
    // the application is quitting.
    bool DrainMessages();

    // Source image and levels list.
    void OnBBrowseFile(wxCommandEvent& event);
    // Takes `path` as the source as Browse File does once a file is picked
    // (also how `kerfel PHOTO.jpg` starts).
    void ChooseSource(const wxString& path);
    void OnSelChangeLevels(wxCommandEvent& event);
    // Output folder and viewer options.
    void OnBBrowseFolder(wxCommandEvent& event);
    void OnOptionBox(wxCommandEvent& event);
    void OnOptionLabel(wxCommandEvent& event);
    void WriteOption(const char* valueName, wxCheckBox* box);
    void RestoreSettings();
    // Make and the generation.
    void OnBGenerate(wxCommandEvent& event);
    void GenerateTails();
    void StartGeneration();
    void ApplyJobProgress(const std::shared_ptr<CMakeJob>& job);
    void EndGeneration(const std::shared_ptr<CMakeJob>& job);
    // Publishing.
    void OnBPerview(wxCommandEvent& event);
    void OnBSave(wxCommandEvent& event);
    void OnBBrBgMusic(wxCommandEvent& event);
    // Languages, texts and the Help menu.
    void LoadLanguage(const wxString& path);
    void ApplyLanguageTexts();
    void OnBQues(wxCommandEvent& event);
    void ShowAbout();
    // Pictures of the ten bitmap buttons.
    void SkinButtons();
    // Window-level.
    void OnBCloseBut(wxCommandEvent& event);
    void OnBExit(wxCommandEvent& event);
    void OnBMinimize(wxCommandEvent& event);

protected:
    void OnPaint(wxPaintEvent& event);
    void OnCloseWindow(wxCloseEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnAboutCommand(wxCommandEvent& event);

private:
    void CreateControls();
    void SetUpDialog();
    void MakeThumbnail(const wxImage& thumb);
    void CenterThumbnail();
    void FillLevelsList();
    void EndDialog(int result);

    std::thread m_worker;
    wxDECLARE_EVENT_TABLE();
};
