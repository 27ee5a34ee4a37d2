// Every shipped text fits the window that shows it, in every shipped
// language, and every window of the tool uses one type size.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/timer.h>

#include <functional>
#include <string>

#include "app/ui/kerfel_dialog.h"
#include "base/app_folder.h"
#include "gui_test_util.h"
#include "main_dialog_controls.h"
#include "i18n/language_table.h"
#include "i18n/message_box_flags.h"
#include "i18n/ui/about_dialog.h"
#include "i18n/ui/message_box_dialog.h"
#include "publish/ui/folder_dialog.h"
#include "publish/ui/preview_dialog.h"

namespace {

wxString Text(const char* key) { return wxString::FromUTF8(kerfel::GetLanguageText(key)); }
int Width(wxDC& dc, const wxFont& font, const wxString& text) {
    dc.SetFont(font);
    return dc.GetTextExtent(wxControl::RemoveMnemonics(text)).x;
}

// The font of the first modal window that `open` shows, closed at once.
template <typename Open>
wxFont ModalFont(Open open) {
    wxFont font;
    wxTimer probe;
    probe.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        for (wxWindow* w : wxTopLevelWindows)
            if (auto* d = dynamic_cast<wxDialog*>(w); d && d->IsModal()) {
                // The largest type of the window and its controls.
                font = d->GetFont();
                std::function<void(wxWindow*)> visit = [&](wxWindow* c) {
                    if (c->GetFont().GetPointSize() > font.GetPointSize()) font = c->GetFont();
                    for (wxWindow* child : c->GetChildren()) visit(child);
                };
                visit(d);
                d->EndModal(wxID_CANCEL);
            }
    });
    probe.Start(150);
    open();
    return font;
}

constexpr int kAboutMarkLeft = 286;  // the mark on the about box's card

}  // namespace

TEST(ShippedTexts, FitTheAboutBoxPreviewMessageBoxAndFolderPickerInEveryLanguage) {
    wxBitmap bmp(10, 10);
    wxMemoryDC dc(bmp);
    const std::string folder = kerfel::FindAppFolder() + "/LanguageFiles/";
    for (const char* language : {"eng.txt", "deu.txt", "fra.txt"}) {
        kerfel::LoadLanguageTable(folder + language);
        ASSERT_EQ(kerfel::GetLanguageText("APPLICATION.LANGUAGE_ID"), language);
        CAboutDialog about(nullptr);
        for (CTransparentStatic* label : {about.m_lblName, about.m_lblVersion, about.m_lblCprt}) {
            dc.SetFont(label->GetFont());
            wxArrayString lines = label->LayoutLines(dc);
            EXPECT_LE(static_cast<int>(lines.size()) * dc.GetCharHeight(), label->GetSize().y + 1) << language << label->GetLabel();
            for (const wxString& line : lines) EXPECT_LE(dc.GetTextExtent(line).x, label->GetSize().x) << language << line;
            EXPECT_LE(label->GetRect().GetRight(), kAboutMarkLeft - 4) << language;
        }
        EXPECT_LE(Width(dc, about.m_btnOK->GetFont(), about.m_btnOK->GetLabel()), about.m_btnOK->GetSize().x - 4) << language;
        EXPECT_LE(24 + Width(dc, about.GetFont().Bold(), about.GetTitle()), about.GetSize().x - 24) << language;

        CPreviewDialog preview;
        EXPECT_LE(Width(dc, preview.m_btnClose->GetFont(), Text("PREVIEWDIALOG.IDCANCEL")), 76 - 4) << language;
        // The message box's buttons are 80 pixels wide.
        for (const char* key : {"MESSAGEBOX.IDOK", "MESSAGEBOX.IDCANCEL", "MESSAGEBOX.IDYES", "MESSAGEBOX.IDNO",
                                "MESSAGEBOX.IDRETRY", "MESSAGEBOX.IDABORT", "MESSAGEBOX.IDIGNORE"})
            EXPECT_LE(Width(dc, preview.GetFont(), Text(key)), 80 - 12) << language << key;
        // The picker's row of buttons fits its window (420 wide).
        wxButton probe(&about, wxID_ANY, Text("FOLDERDIALOG.IDC_BNEWFOLDER"));
        probe.SetFont(preview.GetFont());
        EXPECT_LE(probe.GetBestSize().x + 2 * 90, 420 - 40) << language;
    }
    kerfel::LoadLanguageTable(folder + "eng.txt");
}

TEST(ShippedTexts, EveryWindowUsesOneTypeSize) {
    auto* main = new CKerfelDialog();
    const int size = main->GetFont().GetPointSize();
    CAboutDialog about(nullptr);
    EXPECT_EQ(about.GetFont().GetPointSize(), size);
    EXPECT_EQ(about.m_lblName->GetFont().GetPointSize(), size);
    CPreviewDialog preview;
    EXPECT_EQ(preview.m_btnClose->GetFont().GetPointSize(), size);
    wxFont box = ModalFont([&] {
        CMessageBoxDialog message(main);
        message.Show("text", "caption", MBX_OK);
    });
    EXPECT_EQ(box.GetPointSize(), size);
    wxFont picker = ModalFont([&] {
        CFolderDialog chooser("Select Output Folder.", nullptr, main, 0x51);
        chooser.DoModal();
    });
    EXPECT_EQ(picker.GetPointSize(), size);
    main->Destroy();
    guitest::Pump(50);
}
