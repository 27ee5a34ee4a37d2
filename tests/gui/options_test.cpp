#include <gtest/gtest.h>
#include <sys/resource.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/settings_store.h"
#include "main_dialog_controls.h"
#include "app/ui/kerfel_dialog.h"
#include "gui_test_util.h"

namespace fs = std::filesystem;

namespace {

// Answers the platform's message boxes instead of showing them, keeping what
// they would have said.
struct MessageBoxCatcher : wxModalDialogHook {
    int count = 0;
    wxString text, caption;
    long style = 0;
    MessageBoxCatcher() { Register(); }
    ~MessageBoxCatcher() override { Unregister(); }
    int Enter(wxDialog* dialog) override {
        auto* box = dynamic_cast<wxMessageDialogBase*>(dialog);
        if (!box) return wxID_NONE;
        ++count;
        text = box->GetMessage();
        caption = box->GetTitle();
        style = box->GetMessageDialogStyle();
        return wxID_OK;
    }
};

// Each test has a settings folder of its own, so that nothing it stores
// reaches another test's dialog.
struct OptionsTest : ::testing::Test {
    std::string savedConfig;
    std::string config;
    std::string file;
    CKerfelDialog* dlg = nullptr;

    void SetUp() override {
        savedConfig = std::getenv("XDG_CONFIG_HOME");
        config = guitest::MakeTempFolder() + "/config";
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        file = config + "/Lorvak Image Kerfel/settings.ini";
    }
    void TearDown() override {
        Stop();
        setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    }
    void Start() {
        Stop();
        dlg = new CKerfelDialog();
        dlg->Show();
        guitest::Pump(150);
    }
    void Stop() {
        if (!dlg) return;
        dlg->Destroy();
        dlg = nullptr;
        guitest::Pump(30);
    }
    void Prepare(const std::string& text) {
        fs::create_directories(fs::path(file).parent_path());
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    }
    std::string FileText() {
        std::ifstream in(file, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    // The stored value, or -1 when it does not read.
    long long Stored(const char* name) {
        kerfel::SettingsStore store(file);
        uint32_t v = 0;
        return store.Open() && store.ReadInt(name, v) ? static_cast<long long>(v) : -1;
    }
    std::vector<bool> Checks() {
        return {guitest::Check(dlg, IDC_CSMALLMAP)->GetValue(), guitest::Check(dlg, IDC_CNAVSCROLL)->GetValue(),
                guitest::Check(dlg, IDC_CZOOMSLIDER)->GetValue(), guitest::Check(dlg, IDC_CCLICK2ZOOM)->GetValue()};
    }
};

}  // namespace

TEST_F(OptionsTest, RestoresAPreparedFileAndRemembersALabelClickAcrossARestart) {
    std::string out = guitest::MakeTempFolder() + "/Ausgabe ü";
    fs::create_directories(out);
    Prepare("OutputPath=" + out + "\nSmallMap=1\nZoomSlider=256\n");
    Start();
    EXPECT_EQ(guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->GetValue(), wxString::FromUTF8(out));
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false, false, false}));

    guitest::Click(guitest::Label(dlg, IDC_L_NAVSCROLL));
    EXPECT_TRUE(guitest::Check(dlg, IDC_CNAVSCROLL)->GetValue());
    EXPECT_EQ(Stored("NavigationScroll"), 1);
    EXPECT_NE(FileText().find("\nNavigationScroll=1\n"), std::string::npos);

    Start();
    EXPECT_EQ(guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->GetValue(), wxString::FromUTF8(out));
    EXPECT_EQ(Checks(), (std::vector<bool>{true, true, false, false}));
}

TEST_F(OptionsTest, LabelsAndBoxesKeepTheStoredValueInStep) {
    Start();
    struct Option { wxCheckBox* box; CTransparentStatic* label; const char* name; };
    const Option options[] = {
        {guitest::Check(dlg, IDC_CSMALLMAP), guitest::Label(dlg, IDC_L_SMALLMAP), "SmallMap"},
        {guitest::Check(dlg, IDC_CNAVSCROLL), guitest::Label(dlg, IDC_L_NAVSCROLL), "NavigationScroll"},
        {guitest::Check(dlg, IDC_CZOOMSLIDER), guitest::Label(dlg, IDC_L_ZOOMSLIDER), "ZoomSlider"},
        {guitest::Check(dlg, IDC_CCLICK2ZOOM), guitest::Label(dlg, IDC_L_CLICK2ZOOM), "ClickToZoom"},
    };
    for (const Option& o : options) {
        SCOPED_TRACE(o.name);
        guitest::Click(o.label);
        guitest::Click(o.label);
        EXPECT_FALSE(o.box->GetValue());
        EXPECT_EQ(Stored(o.name), 0);
        // Box, label, box in turn.
        const std::pair<wxWindow*, bool> steps[] = {{o.box, true}, {o.label, false}, {o.box, true}};
        for (const auto& [control, expected] : steps) {
            guitest::Click(control);
            EXPECT_EQ(o.box->GetValue(), expected);
            EXPECT_EQ(Stored(o.name), expected ? 1 : 0);
        }
    }
    EXPECT_EQ(Checks(), (std::vector<bool>{true, true, true, true}));
}

TEST_F(OptionsTest, FirstStartCreatesTheFileAndGoneOrFileFoldersAreIgnored) {
    Start();
    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->GetValue(), "");
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false, false}));

    std::string base = guitest::MakeTempFolder();
    std::string gone = base + "/gone";
    std::string plain = base + "/plain.txt";
    std::ofstream(plain) << "x";
    for (const std::string& ignored : {gone, plain}) {
        Prepare("OutputPath=" + ignored + "\n");
        Start();
        EXPECT_EQ(guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->GetValue(), "") << ignored;
    }
    // Far past the 129 characters a registry buffer once allowed.
    std::string deep = base + "/" + std::string(150, 'a') + "/Größe 写真/" + std::string(150, 'b');
    fs::create_directories(deep);
    Prepare("OutputPath=" + deep + "\n");
    Start();
    EXPECT_EQ(guitest::Edit(dlg, IDC_EOUTPUTFOLDER)->GetValue(), wxString::FromUTF8(deep));
}

TEST_F(OptionsTest, AnUnopenableStoreIsSilentAndAFailedWriteShowsTheErrorBox) {
    MessageBoxCatcher boxes;
    // The settings folder is a file: the store cannot open.
    fs::create_directories(config);
    std::ofstream(config + "/Lorvak Image Kerfel") << "not a folder";
    Start();
    guitest::Click(guitest::Label(dlg, IDC_L_SMALLMAP));
    EXPECT_TRUE(guitest::Check(dlg, IDC_CSMALLMAP)->GetValue());
    EXPECT_EQ(boxes.count, 0);
    fs::remove(config + "/Lorvak Image Kerfel");

    Prepare("SmallMap=0\n");
    Start();
    const std::string before = FileText();
    // A file-size limit makes the write fail after the store opened.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = old;
    tiny.rlim_cur = 4;
    setrlimit(RLIMIT_FSIZE, &tiny);
    guitest::Click(guitest::Label(dlg, IDC_L_ZOOMSLIDER));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(boxes.count, 1);
    EXPECT_EQ(boxes.text, "Unable to write to Registry.");
    EXPECT_EQ(boxes.caption, "Error");
    EXPECT_TRUE(boxes.style & wxICON_ERROR);
    EXPECT_TRUE(guitest::Check(dlg, IDC_CZOOMSLIDER)->GetValue());  // the change stays for this run
    EXPECT_EQ(FileText(), before);
}

// The layout drop-down lists every layout, the native one first and chosen
// at first start, then each as one archive file; a choice rebuilds the
// levels in its rule, is stored, and comes back at the next start.
TEST_F(OptionsTest, TheLayoutIsRememberedAndTheLevelsFollowIt) {
    Start();
    auto* layout = guitest::Control<wxChoice>(dlg, IDC_CLAYOUT);
    ASSERT_EQ(layout->GetCount(), 2 * kerfel::Layouts().size());
    EXPECT_EQ(layout->GetString(kerfel::Layouts().size() + 1), "Deep Zoom (.szi)");
    EXPECT_EQ(layout->GetSelection(), 0);
    EXPECT_EQ(dlg->Choices().layout, &kerfel::NativeLayout());
    const std::string dir = guitest::MakeTempFolder();
    dlg->ChooseSource(wxString::FromUTF8(guitest::MakeJpeg(dir, "photo.jpg", 1000, 800)));
    EXPECT_EQ(dlg->Pyramid().LevelCount(), 4);

    layout->SetSelection(1);
    wxCommandEvent chosen(wxEVT_CHOICE, IDC_CLAYOUT);
    chosen.SetEventObject(layout);
    chosen.SetInt(1);
    layout->GetEventHandler()->ProcessEvent(chosen);
    EXPECT_STREQ(dlg->Pyramid().m_pLayout->name, "dzi");
    EXPECT_EQ(dlg->Pyramid().LevelCount(), 11);  // down to 1 x 1
    EXPECT_EQ(guitest::LevelsList(dlg)->GetCount(), 3u);
    EXPECT_NE(FileText().find("Layout=dzi\n"), std::string::npos) << FileText();

    Start();
    EXPECT_EQ(guitest::Control<wxChoice>(dlg, IDC_CLAYOUT)->GetSelection(), 1);
    EXPECT_STREQ(dlg->Choices().layout->name, "dzi");
    EXPECT_FALSE(dlg->Choices().oneArchive);
    // The same layout as one archive keeps the levels and is stored too.
    const int archive = static_cast<int>(kerfel::Layouts().size()) + 1;
    auto* again = guitest::Control<wxChoice>(dlg, IDC_CLAYOUT);
    again->SetSelection(archive);
    wxCommandEvent asArchive(wxEVT_CHOICE, IDC_CLAYOUT);
    asArchive.SetEventObject(again);
    asArchive.SetInt(archive);
    again->GetEventHandler()->ProcessEvent(asArchive);
    EXPECT_TRUE(dlg->Choices().oneArchive);
    EXPECT_NE(FileText().find("OneFile=1\n"), std::string::npos) << FileText();
    Start();
    EXPECT_EQ(guitest::Control<wxChoice>(dlg, IDC_CLAYOUT)->GetSelection(), archive);
    EXPECT_TRUE(dlg->Choices().oneArchive);
    // A layout this version does not know leaves the native one.
    Prepare("Layout=tiff-pyramid\n");
    Start();
    EXPECT_EQ(dlg->Choices().layout, &kerfel::NativeLayout());
    EXPECT_EQ(guitest::Control<wxChoice>(dlg, IDC_CLAYOUT)->GetSelection(), 0);
    fs::remove_all(dir);
}
