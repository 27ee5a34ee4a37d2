#include "app/ui/kerfel_dialog.h"
#include "i18n/ui/ui_text.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/menu.h>
#include <wx/settings.h>

#include "base/app_folder.h"
#include "app/ui/main_dialog_layout.h"
#include "i18n/language_list.h"
#include "i18n/language_table.h"
#include "skin/ui/accessible.h"
#include "skin/ui/skin_bitmaps.h"

wxBEGIN_EVENT_TABLE(CKerfelDialog, CSkinDialog)
    EVT_BUTTON(IDC_BBROWSEFILE, CKerfelDialog::OnBBrowseFile)
    EVT_BUTTON(IDC_BBROWSEFOLDER, CKerfelDialog::OnBBrowseFolder)
    EVT_BUTTON(IDC_BEXIT, CKerfelDialog::OnBExit)
    EVT_BUTTON(IDC_BMIN, CKerfelDialog::OnBMinimize)
    EVT_BUTTON(IDC_BGENERATE, CKerfelDialog::OnBGenerate)
    EVT_BUTTON(IDC_BCLOSEBUT, CKerfelDialog::OnBCloseBut)
    EVT_CHOICE(IDC_CLEVELS, CKerfelDialog::OnSelChangeLevels)
    EVT_CHOICE(IDC_CLAYOUT, CKerfelDialog::OnSelChangeLayout)
    EVT_BUTTON(IDC_BBRBGMUSIC, CKerfelDialog::OnBBrBgMusic)
    EVT_BUTTON(IDC_BPERVIEW, CKerfelDialog::OnBPerview)
    EVT_BUTTON(IDC_BSAVE, CKerfelDialog::OnBSave)
    EVT_BUTTON(IDC_BQUES, CKerfelDialog::OnBQues)
    EVT_BUTTON(IDC_L_SMALLMAP, CKerfelDialog::OnOptionLabel)
    EVT_BUTTON(IDC_L_NAVSCROLL, CKerfelDialog::OnOptionLabel)
    EVT_BUTTON(IDC_L_ZOOMSLIDER, CKerfelDialog::OnOptionLabel)
    EVT_BUTTON(IDC_L_CLICK2ZOOM, CKerfelDialog::OnOptionLabel)
    EVT_CHECKBOX(IDC_CSMALLMAP, CKerfelDialog::OnOptionBox)
    EVT_CHECKBOX(IDC_CNAVSCROLL, CKerfelDialog::OnOptionBox)
    EVT_CHECKBOX(IDC_CZOOMSLIDER, CKerfelDialog::OnOptionBox)
    EVT_CHECKBOX(IDC_CCLICK2ZOOM, CKerfelDialog::OnOptionBox)
    EVT_BUTTON(wxID_CANCEL, CKerfelDialog::OnCancel)
    EVT_MENU(IDM_ABOUTBOX, CKerfelDialog::OnAboutCommand)
    EVT_CONTEXT_MENU(CKerfelDialog::OnContextMenu)
    EVT_CLOSE(CKerfelDialog::OnCloseWindow)
    EVT_CHAR_HOOK(CKerfelDialog::OnCharHook)
wxEND_EVENT_TABLE()

namespace {
wxFont DialogFont() { return kerfel::SkinFont(); }

// Tab visits the controls in reading order, row by row from the top and
// left to right in a row, not in the template's order.
constexpr int kTabOrder[] = {
    IDC_BMIN,        IDC_BEXIT,       IDC_BQUES,                         // title band
    IDC_ESOURCEPATH, IDC_BBROWSEFILE, IDC_EOUTPUTFOLDER, IDC_BBROWSEFOLDER,
    IDC_CLEVELS,     IDC_BGENERATE,   IDC_CLAYOUT,       IDC_BCLOSEBUT,  // levels, Make, layout, Close
    IDC_EMUSICPATH,  IDC_BBRBGMUSIC,                                     // music
    IDC_CSMALLMAP,   IDC_CNAVSCROLL,  IDC_CZOOMSLIDER,   IDC_CCLICK2ZOOM, // the option boxes
    IDC_BPERVIEW,    IDC_BSAVE,
};
}  // namespace

CKerfelDialog::CKerfelDialog(wxWindow* parent)
    : CSkinDialog(parent, wxID_ANY, " Image Kerfel", wxSize(DuX(kMainDialogWidthDu), DuY(kMainDialogHeightDu))) {
    m_strAppFolder = wxString::FromUTF8(kerfel::FindAppFolder());
    kerfel::SetPictureFolder(m_strAppFolder + "/pictures");
    wxBitmap icon = kerfel::LoadSkinBitmap(128);
    if (icon.IsOk()) m_hIcon.CopyFromBitmap(icon);
    SetFont(DialogFont());
    CreateControls();
    SetUpDialog();
}

// A running job finishes the tile it is writing, then stops: the job
// controller stops and joins it.
CKerfelDialog::~CKerfelDialog() = default;

void CKerfelDialog::CreateControls() {
    for (const ControlSpec& c : kMainDialogControls) {
        wxPoint pos(DuX(c.x), DuY(c.y));
        wxSize size(DuX(c.w), DuY(c.h));
        wxString text = wxString::FromUTF8(c.text);
        wxWindow* w = nullptr;
        switch (c.kind) {
            case ControlKind::SkinButton: w = new CSkinButton(this, c.id, text, pos, size); break;
            case ControlKind::Edit: w = new wxTextCtrl(this, c.id, text, pos, size, wxTE_DONTWRAP); break;
            case ControlKind::Label: w = new CTransparentStatic(this, c.id, text, pos, size); break;
            case ControlKind::LabelRight: w = new CTransparentStatic(this, c.id, text, pos, size, wxALIGN_RIGHT); break;
            case ControlKind::OptionLabel:
                w = new CTransparentStatic(this, c.id, text, pos, size, wxALIGN_LEFT, true);
                break;
            case ControlKind::Combo:
                w = new wxChoice(this, c.id, pos, wxSize(size.x, wxDefaultCoord), 0, nullptr, wxCB_SORT);
                break;
            case ControlKind::List: w = new wxChoice(this, c.id, pos, wxSize(size.x, wxDefaultCoord)); break;
            case ControlKind::Picture:
                w = new wxStaticBitmap(this, c.id, kerfel::LoadSkinBundle(219), pos, wxDefaultSize);
                break;
            case ControlKind::CheckBox: {
                // The toolkit's box is larger than the template's: centred on
                // its rectangle it lines up with the option label beside it.
                w = new wxCheckBox(this, c.id, text, pos, wxDefaultSize);
                wxSize box = w->GetSize();
                w->Move(pos.x + (size.x - box.x) / 2, pos.y + (size.y - box.y) / 2);
                break;
            }
            case ControlKind::Frame: w = new wxWindow(this, c.id, pos, size); break;
        }
        w->Show(c.visible);
    }
    auto button = [this](int id) { return static_cast<CSkinButton*>(FindWindow(id)); };
    auto label = [this](int id) { return static_cast<CTransparentStatic*>(FindWindow(id)); };
    auto edit = [this](int id) { return static_cast<wxTextCtrl*>(FindWindow(id)); };
    auto check = [this](int id) { return static_cast<wxCheckBox*>(FindWindow(id)); };
    m_btnMinimize = button(IDC_BMIN);
    m_btnBrowseFile = button(IDC_BBROWSEFILE);
    m_btnExit = button(IDC_BEXIT);
    m_btnMake = button(IDC_BGENERATE);
    m_btnClose = button(IDC_BCLOSEBUT);
    m_btnBrowseMusic = button(IDC_BBRBGMUSIC);
    m_btnBrowseFolder = button(IDC_BBROWSEFOLDER);
    m_btnPreview = button(IDC_BPERVIEW);
    m_btnExport = button(IDC_BSAVE);
    m_btnHelp = button(IDC_BQUES);
    m_editSourcePath = edit(IDC_ESOURCEPATH);
    m_editOutputFolder = edit(IDC_EOUTPUTFOLDER);
    m_editMusicPath = edit(IDC_EMUSICPATH);
    m_lblOriginalSizeValue = label(IDC_LOSIZEVALUE);
    m_lblDisplaySizeValue = label(IDC_LDSIZEVALUE);
    m_lblStatus = label(IDC_LSTATUS);
    m_lblOriginalSize = label(IDC_LOSIZE);
    m_lblDisplaySize = label(IDC_LDSIZE);
    m_lblSourceFile = label(IDC_LSELECTFILE);
    m_lblOutputFolder = label(IDC_LSELECTOUTFOLDER);
    m_lblMusic = label(IDC_LBGMUSIC);
    m_lblLevels = label(IDC_LLEVELS);
    m_lblSmallMap = label(IDC_L_SMALLMAP);
    m_lblNavigationScroll = label(IDC_L_NAVSCROLL);
    m_lblZoomSlider = label(IDC_L_ZOOMSLIDER);
    m_lblClickToZoom = label(IDC_L_CLICK2ZOOM);
    m_cmbLevels = static_cast<wxChoice*>(FindWindow(IDC_CLEVELS));
    m_lblLayout = label(IDC_LLAYOUT);
    m_cmbLayout = static_cast<wxChoice*>(FindWindow(IDC_CLAYOUT));
    m_stcThumbnail = static_cast<wxStaticBitmap*>(FindWindow(IDC_STHUMBNAIL));
    m_stcLogo2 = static_cast<wxStaticBitmap*>(FindWindow(IDC_SLOGO2));
    m_stcProgressFrame = FindWindow(IDC_SPROGRESSFRAME);
    m_stcThumbFrame = FindWindow(IDC_STHUMBFRAME);
    m_chkSmallMap = check(IDC_CSMALLMAP);
    m_chkNavigationScroll = check(IDC_CNAVSCROLL);
    m_chkZoomSlider = check(IDC_CZOOMSLIDER);
    m_chkClickToZoom = check(IDC_CCLICK2ZOOM);
    FitTemplateControls(this);
    DescribeForReaders();
    AcceptDrops();

    wxWindow* previous = nullptr;
    for (int id : kTabOrder) {
        wxWindow* w = FindWindow(id);
        if (previous) w->MoveAfterInTabOrder(previous);
        previous = w;
    }
}

// Each field is named by the caption beside it; the status line is read out
// when it changes; the picture is an image named after its file.
void CKerfelDialog::DescribeForReaders() {
    namespace a11y = kerfel::a11y;
    m_lblSourceFile->Names(m_editSourcePath);
    m_lblOutputFolder->Names(m_editOutputFolder);
    m_lblMusic->Names(m_editMusicPath);
    m_lblLevels->Names(m_cmbLevels);
    m_lblLayout->Names(m_cmbLayout);
    m_lblSmallMap->Names(m_chkSmallMap);
    m_lblNavigationScroll->Names(m_chkNavigationScroll);
    m_lblZoomSlider->Names(m_chkZoomSlider);
    m_lblClickToZoom->Names(m_chkClickToZoom);
    a11y::Relate(m_lblOriginalSize, m_lblOriginalSizeValue);
    a11y::Relate(m_lblDisplaySize, m_lblDisplaySizeValue);
    a11y::SetRole(m_lblStatus, a11y::Role::StatusBar);
    for (wxWindow* frame : {m_stcProgressFrame, m_stcThumbFrame}) a11y::NeverFocus(frame);
    a11y::SetName(this, GetTitle());
    for (wxStaticBitmap* picture : {m_stcThumbnail, m_stcLogo2}) {
        a11y::SetRole(picture, a11y::Role::Image);
        a11y::SetName(picture, GetTitle());
    }
}

void CKerfelDialog::SetUpDialog() {
    if (m_hIcon.IsOk()) SetIcon(m_hIcon);
    SetBitmap(244);
    SetBackgroundMode(ModeStretch);
    EnableDrag(true);
    SetTransparentColor(wxColour(255, 0, 0), true);

    wxFont bold = GetFont();
    bold.SetWeight(wxFONTWEIGHT_EXTRABOLD);
    for (CSkinButton* b : {m_btnMake, m_btnExport, m_btnPreview}) b->SetFont(bold);

    SkinButtons();
    SetJobPhase(JobPhase::Idle);

    m_lblOriginalSizeValue->SetTextColor(*wxBLACK);
    m_lblStatus->SetTextColor(*wxBLACK);
    m_lblOriginalSize->SetTextColor(*wxBLACK);
    m_lblDisplaySizeValue->SetTextColor(wxColour(254, 0, 0));
    m_lblDisplaySize->SetTextColor(wxColour(254, 0, 0));

    m_rcThumbFrame = wxRect();
    m_cmbLevels->Append("1");
    m_cmbLevels->SetSelection(0);
    m_lblLayout->SetTextColor(*wxBLACK);
    FillLayoutList();
    m_choices.levels = 1;

    RestoreSettings();
    kerfel::LoadLanguageList(m_strAppFolder.utf8_string() + "/LanguageFiles/lan.txt");
    LoadLanguage(wxString());
    ApplyLanguageTexts();
    CenterThumbnail();
    m_btnBrowseFile->SetFocus();
}

void CKerfelDialog::CenterThumbnail() {
    wxRect frame = m_stcThumbFrame->GetRect();
    wxSize pic = m_stcThumbnail->GetSize();
    m_stcThumbnail->Move(frame.x + (frame.width - pic.x) / 2, frame.y + (frame.height - pic.y) / 2);
}

void CKerfelDialog::UpdateData(bool save) {
    struct Field { std::string* member; wxTextCtrl* control; };
    const Field fields[] = {{&m_choices.sourcePath, m_editSourcePath},
                            {&m_choices.outputFolder, m_editOutputFolder},
                            {&m_choices.musicPath, m_editMusicPath}};
    struct Option { bool* member; wxCheckBox* control; };
    kerfel::ViewerOptions& o = m_choices.options;
    const Option options[] = {{&o.smallMap, m_chkSmallMap}, {&o.navigationScroll, m_chkNavigationScroll},
                              {&o.zoomSlider, m_chkZoomSlider}, {&o.clickToZoom, m_chkClickToZoom}};
    if (save) {
        for (const Field& f : fields) *f.member = f.control->GetValue().utf8_string();
        for (const Option& b : options) *b.member = b.control->GetValue();
        // The list holds entries as text; the choice is its number.
        m_choices.levels = kerfel::ParseLevelText(m_cmbLevels->GetStringSelection().utf8_string());
        return;
    }
    for (const Field& f : fields) {
        const wxString value = wxString::FromUTF8(*f.member);
        if (f.control->GetValue() != value) f.control->ChangeValue(value);
    }
    for (const Option& b : options) b.control->SetValue(*b.member);
    if (m_choices.levels > 0) m_cmbLevels->SetStringSelection(wxString::Format("%d", m_choices.levels));
    // The layout is taken from the list by its handler alone: the levels follow it.
    // The list holds every layout, then every layout as one archive.
    const auto& layouts = kerfel::Layouts();
    for (size_t i = 0; i < layouts.size(); ++i) {
        const int entry = static_cast<int>(i + (m_choices.oneArchive ? layouts.size() : 0));
        if (std::string(layouts[i]->name) == m_choices.layout->name && m_cmbLayout->GetSelection() != entry)
            m_cmbLayout->SetSelection(entry);
    }
    struct Text { const wxString* member; wxWindow* control; };
    const Text texts[] = {
        {&m_strStatus, m_lblStatus},                {&m_strDisplaySize, m_lblDisplaySizeValue},
        {&m_strOriginalSize, m_lblOriginalSizeValue}, {&m_strSmallMapLabel, m_lblSmallMap},
        {&m_strNavigationScrollLabel, m_lblNavigationScroll}, {&m_strZoomSliderLabel, m_lblZoomSlider},
        {&m_strClickToZoomLabel, m_lblClickToZoom},
    };
    for (const Text& t : texts)
        if (t.control->GetLabel() != *t.member) t.control->SetLabel(*t.member);
}

bool CKerfelDialog::DrainMessages() {
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (!loop) return true;
    while (loop->Pending()) {
        if (!loop->Dispatch()) return false;
    }
    if (wxTheApp) wxTheApp->ProcessPendingEvents();
    return true;
}

void CKerfelDialog::EndDialog(int result) {
    if (IsModal()) EndModal(result);
    else Destroy();
}

void CKerfelDialog::OnBExit(wxCommandEvent&) { EndDialog(0); }
void CKerfelDialog::OnCancel(wxCommandEvent&) { EndDialog(wxID_CANCEL); }
void CKerfelDialog::OnCloseWindow(wxCloseEvent&) { EndDialog(wxID_CANCEL); }

// Escape is the standard cancel command; the dialog has no native Cancel
// button for the framework to press, so it is handled here.
void CKerfelDialog::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE && !event.HasAnyModifiers()) {
        wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
        ProcessWindowEvent(cancel);
        return;
    }
    event.Skip();
}
void CKerfelDialog::OnBMinimize(wxCommandEvent&) { Iconize(true); }

// Without a window-manager system menu, the same about item is offered on a
// right click of the dialog's background.
void CKerfelDialog::OnContextMenu(wxContextMenuEvent&) {
    wxMenu menu;
    menu.Append(IDM_ABOUTBOX, "&About Kerfel...");
    PopupMenu(&menu);
}

void CKerfelDialog::OnAboutCommand(wxCommandEvent&) { ShowAbout(); }

void CKerfelDialog::OnBCloseBut(wxCommandEvent&) {
    // The job's own state decides, not the caption: after a language switch
    // the caption may no longer tell a running job from an idle one.
    if (!JobRunning()) {
        EndDialog(0);
        return;
    }
    m_jobs.RequestCancel();
    m_bStartPending = false;  // a job waiting for the stopped one is stopped too
    m_bJobReady = false;
    SetJobPhase(JobPhase::Stopping);
    // Said at once: the worker may still be finishing its tile.
    ShowStatus(kerfel::StatusLine::Format("KERFELDIALOG.GENERATETAILS.STATICTEXT_CBU"));
}
