// Times the dialog's Make on one picture: the same job `kerfel make` runs,
// driven through the dialog's event table with the confirmation answered
// Yes, from the press until the dialog is back to idle (within the 10 ms
// the watching timer adds at most). Prints seconds.
//
// usage: kerfel_gui_bench PICTURE OUTPUT_FOLDER   (needs a display)
#include <wx/app.h>
#include <wx/log.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/ui/control_ids.h"
#include "app/ui/file_open_component.h"
#include "app/ui/kerfel_dialog.h"
#include "i18n/language_table.h"
#include "i18n/ui/message_box_dialog.h"

namespace {

using Clock = std::chrono::steady_clock;

void Press(CKerfelDialog* dlg, int id, wxWindow* button) {
    wxCommandEvent ev(wxEVT_BUTTON, id);
    ev.SetEventObject(button);
    dlg->GetEventHandler()->ProcessEvent(ev);
}

// The application's own event loop runs, as under the tool's modal dialog;
// a timer steps the dialog through choosing the picture and pressing Make
// and watches for the end of the job.
class BenchApp : public wxApp {
public:
    bool OnInit() override {
        if (argc != 3) {
            std::fprintf(stderr, "usage: kerfel_gui_bench PICTURE OUTPUT_FOLDER\n");
            return false;
        }
        delete wxLog::SetActiveTarget(new wxLogStderr);
        m_picture = argv[1];
        m_output = argv[2];
        m_dialog = new CKerfelDialog();
        m_dialog->Show();
        m_timer.Bind(wxEVT_TIMER, &BenchApp::OnTick, this);
        m_timer.Start(10);
        return true;
    }
    int OnExit() override { return m_result; }

private:
    void Stop(int result) {
        m_result = result;
        m_timer.Stop();
        m_dialog->Destroy();
        ExitMainLoop();
    }

    void OnTick(wxTimerEvent&) {
        switch (m_step++) {
            case 0:
                CFileOpenComponent::AnswerNextWith(m_picture);
                Press(m_dialog, IDC_BBROWSEFILE, m_dialog->FindWindow(IDC_BBROWSEFILE));
                return;
            case 1:
                // As a user would, Make is pressed once the thumbnail shows:
                // its decoding would otherwise share the cores with the job.
                if (m_dialog->SourcePath() != m_picture || !m_dialog->FindWindow(IDC_STHUMBNAIL)->IsShown()) {
                    --m_step;  // the picture is still being read
                    return;
                }
                // The job folder must not exist yet, or the overwrite question comes.
                static_cast<wxTextCtrl*>(m_dialog->FindWindow(IDC_EOUTPUTFOLDER))->ChangeValue(m_output);
                m_start = Clock::now();
                CMessageBoxDialog::AnswerNextWith(IDYES);  // "make N levels?"
                Press(m_dialog, IDC_BGENERATE, m_dialog->FindWindow(IDC_BGENERATE));
                CMessageBoxDialog::AnswerNextWith(IDOK);  // "finished" or the failure box
                return;
            default:
                if (m_dialog->JobRunning()) return;
                Report(std::chrono::duration<double>(Clock::now() - m_start).count());
        }
    }

    void Report(double seconds) {
        const wxString finished =
            wxString::FromUTF8(kerfel::GetLanguageText("KERFELDIALOG.GENERATETAILS.MESSAGEBOX2_CAPTION"));
        if (CMessageBoxDialog::LastCaption() != finished) {
            std::fprintf(stderr, "kerfel_gui_bench: the job did not finish: %s\n",
                         CMessageBoxDialog::LastText().utf8_string().c_str());
            Stop(1);
            return;
        }
        std::printf("%.2f\n", seconds);
        Stop(0);
    }

    wxString m_picture, m_output;
    CKerfelDialog* m_dialog = nullptr;
    wxTimer m_timer;
    int m_step = 0, m_result = 0;
    Clock::time_point m_start;
};

}  // namespace

wxIMPLEMENT_APP(BenchApp);
