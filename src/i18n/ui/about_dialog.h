#pragma once
// The about box: product name, version, copyright line and an OK button over
// its own picture, every caption from the loaded language. A fresh box is
// made for every opening, so it shows the language loaded at that moment.
#include "skin/ui/skin_button.h"
#include "skin/ui/skin_dialog.h"
#include "skin/ui/transparent_static.h"

class CAboutDialog : public CSkinDialog {
public:
    enum { IDC_L_NAME = 1055, IDC_L_CPRT = 1056, IDC_L_VERSION = 1057 };

    explicit CAboutDialog(wxWindow* parent = nullptr);

    CSkinButton* m_btnOK = nullptr;
    CTransparentStatic* m_lblName = nullptr;
    CTransparentStatic* m_lblVersion = nullptr;
    CTransparentStatic* m_lblCprt = nullptr;

protected:
    // The window's caption, drawn on the picture's title band (the box has no
    // frame of its own to show it in).
    void PaintOverBackground(wxDC& dc) override;

private:
    void OnOK(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    wxDECLARE_EVENT_TABLE();
};
