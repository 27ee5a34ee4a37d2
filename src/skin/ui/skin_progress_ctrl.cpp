#include "skin/ui/skin_progress_ctrl.h"
#include "skin/ui/accessible.h"
#include "skin/ui/skin_bitmaps.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kRefreshMs = 500;
const wxColour kMaskColour(0, 255, 255);

// Nine 10 x 16 elements: a grey track with darker caps and a blue fill.
wxImage DefaultSkin() {
    wxImage img(90, 16);
    for (int k = 0; k < kerfel::kProgressElements; ++k) {
        const bool fill = k >= kerfel::kFillStart && k <= kerfel::kFillEnd;
        const bool cap = k == kerfel::kNearCap || k == kerfel::kFarCap;
        for (int y = 0; y < 16; ++y) {
            const int shade = 16 - std::abs(2 * y - 15);  // brighter in the middle
            unsigned char r = fill ? 40 + shade : cap ? 150 : 215 + shade;
            unsigned char g = fill ? 90 + 3 * shade : cap ? 150 : 215 + shade;
            unsigned char b = fill ? 190 + 3 * shade : cap ? 150 : 215 + shade;
            for (int x = 0; x < 10; ++x) img.SetRGB(k * 10 + x, y, r, g, b);
        }
    }
    return img;
}

// Turns a horizontal element into its vertical form: column i becomes row i.
wxImage Transpose(const wxImage& src) {
    wxImage dst(src.GetHeight(), src.GetWidth());
    for (int y = 0; y < src.GetHeight(); ++y)
        for (int x = 0; x < src.GetWidth(); ++x)
            dst.SetRGB(y, x, src.GetRed(x, y), src.GetGreen(x, y), src.GetBlue(x, y));
    return dst;
}

}  // namespace

wxBEGIN_EVENT_TABLE(CSkinProgressCtrl, wxWindow)
    EVT_PAINT(CSkinProgressCtrl::OnPaint)
    EVT_ERASE_BACKGROUND(CSkinProgressCtrl::OnEraseBackground)
    EVT_TIMER(wxID_ANY, CSkinProgressCtrl::OnTimer)
wxEND_EVENT_TABLE()

CSkinProgressCtrl::~CSkinProgressCtrl() {
    m_timer.Stop();
    m_bAlive = false;
}

bool CSkinProgressCtrl::Create(wxWindow* placeholder, int upper, const wxBitmap* skin, bool reversed) {
    if (!placeholder || !placeholder->GetParent()) return false;
    m_pPlaceholder = placeholder;
    const wxRect rect = placeholder->GetRect();
    if (!wxWindow::Create(placeholder->GetParent(), wxID_ANY, rect.GetPosition(), rect.GetSize(),
                          wxBORDER_SUNKEN | wxFULL_REPAINT_ON_RESIZE))
        return false;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetCursor(wxCursor(wxCURSOR_WAIT));
    m_bAlive = true;
    m_bVertical = rect.height > rect.width;
    m_rcPlacement = wxRect();
    if (!SetSkin(skin, false)) return false;
    m_model = kerfel::ProgressModel();
    m_model.SetRange(0, upper > 0 ? upper : 1, 1, false);
    m_bReversed = reversed;
    Reset(false);
    m_timer.SetOwner(this);
    m_timer.Start(kRefreshMs);
    kerfel::a11y::SetRole(this, kerfel::a11y::Role::ProgressBar);
    kerfel::a11y::SetValueSource(
        this, [this] { return double(m_model.GetPos(false)); }, [this] { return double(m_model.GetLower()); },
        [this] { return double(m_model.GetUpper()); });
    Refresh();
    return true;
}

bool CSkinProgressCtrl::SetSkin(const wxBitmap* skin, bool refresh) {
    wxImage img = skin && skin->IsOk() ? skin->ConvertToImage() : wxImage();
    // A skin narrower than nine pixels has no elements to draw.
    m_dSkinScale = 1;
    if (!img.IsOk() || img.GetWidth() < kerfel::kProgressElements) img = DefaultSkin();
    else m_dSkinScale = skin->GetScaleFactor();  // a skin drawn for a denser display
    m_skin = img;
    m_nElementsThickness = -1;
    BuildElements();
    m_szPainted = wxSize();  // the next paint is a full one
    if (refresh) Refresh();
    return m_elements[0].IsOk();
}

// Stretches the skin to the bar's thickness and splits it into nine elements.
void CSkinProgressCtrl::BuildElements() {
    const wxSize client = GetClientSize();
    const int thickness = std::max(1, m_bVertical ? client.x : client.y);
    if (thickness == m_nElementsThickness) return;
    m_nElementsThickness = thickness;
    // In the skin's own pixels, which a denser display shows as they are.
    const double scale = m_dSkinScale;
    const int e = m_skin.GetWidth() / kerfel::kProgressElements;
    for (int k = 0; k < kerfel::kProgressElements; ++k) {
        // Each element is stretched on its own: stretching the whole strip
        // would blend the edges of neighbouring elements into each other.
        wxImage part = m_skin.GetSubImage(wxRect(k * e, 0, e, m_skin.GetHeight()))
                           .Scale(e, std::max(1, static_cast<int>(std::lround(thickness * scale))), wxIMAGE_QUALITY_HIGH);
        if (m_bVertical) part = Transpose(part);
        wxBitmap bmp(part, -1, scale);
        bmp.SetMask(new wxMask(bmp, kMaskColour));
        m_elements[k] = bmp;
    }
    const int length = std::max(1, static_cast<int>(std::lround(e / scale)));
    m_nElementWidth = m_bVertical ? thickness : length;
    m_nElementHeight = m_bVertical ? length : thickness;
}

bool CSkinProgressCtrl::SetRange(int lower, int upper, int step, bool resample, bool refresh) {
    if (!m_model.SetRange(lower, upper, step, resample)) return false;
    if (refresh) Refresh();
    return true;
}

int CSkinProgressCtrl::SetPos(int position, bool refresh) {
    if (!Alive()) return 0;
    int previous = m_model.SetPos(position);
    if (refresh) Refresh();
    return previous;
}

int CSkinProgressCtrl::OffsetPos(int delta, bool refresh) {
    if (!Alive()) return 0;
    int previous = m_model.OffsetPos(delta);
    if (refresh) Refresh();
    return previous;
}

int CSkinProgressCtrl::SetStep(int step) { return m_model.SetStep(step); }

int CSkinProgressCtrl::StepIt(bool refresh) {
    if (!Alive()) return 0;
    int previous = m_model.StepIt();
    if (refresh) Refresh();
    return previous;
}

int CSkinProgressCtrl::SetStart(int start, bool refresh) {
    if (!Alive()) return 0;
    int previous = m_model.SetStart(start);
    if (refresh) Refresh();
    return previous;
}

int CSkinProgressCtrl::GetPos(bool percent) const { return m_model.GetPos(percent); }
int CSkinProgressCtrl::GetStart(bool percent) const { return m_model.GetStart(percent); }

int CSkinProgressCtrl::Reset(bool refresh) { return SetPos(m_model.GetLower(), refresh); }

kerfel::ProgressPixels CSkinProgressCtrl::Pixels() const {
    const wxSize client = GetClientSize();
    return kerfel::MapProgress(m_model, m_bVertical ? client.y : client.x, std::max(1, ElementLength()), m_bReversed);
}

bool CSkinProgressCtrl::Refresh() {
    if (!Alive()) return false;
    if (!IsShown()) return true;
    const wxRect rect = m_pPlaceholder->GetRect();
    if (rect != m_rcPlacement && rect.width > 2 && rect.height > 2) {
        m_rcPlacement = rect;
        SetSize(rect);
        wxWindow::Refresh(true);
    } else if (kerfel::ProgressChanged(Pixels(), m_drawn)) {
        wxWindow::Refresh(true);
    }
    // Readers hear of each new percent, not of every tile.
    if (const int percent = m_model.GetPos(true); percent != m_nToldPercent) {
        m_nToldPercent = percent;
        kerfel::a11y::ValueChanged(this);
    }
    return true;
}

void CSkinProgressCtrl::Clear() {
    if (!Alive()) return;
    m_timer.Stop();
    Hide();
    m_bAlive = false;
    if (m_pPlaceholder) m_pPlaceholder->GetParent()->RefreshRect(m_pPlaceholder->GetRect());
}

void CSkinProgressCtrl::OnEraseBackground(wxEraseEvent&) {
    // Everything is painted from the back buffer; erasing would only flicker.
    Refresh();
}

void CSkinProgressCtrl::OnPaint(wxPaintEvent&) {
    wxPaintDC screen(this);
    const wxSize client = GetClientSize();
    if (client.x <= 0 || client.y <= 0) return;
    BuildElements();
    const kerfel::ProgressPixels px = Pixels();
    const int e = std::max(1, ElementLength());
    const bool full = client != m_szPainted || !m_backBuffer.IsOk();
    if (full) m_backBuffer.CreateWithDIPSize(client, kerfel::PictureScale(this));
    wxMemoryDC dc(m_backBuffer);
    if (full) {
        dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
        dc.Clear();
    }
    const std::vector<kerfel::ProgressDraw> draws =
        full ? kerfel::FullRepaint(px, e, m_drawn) : kerfel::PartialRepaint(px, e, m_drawn);
    for (const kerfel::ProgressDraw& d : draws) {
        const wxBitmap& bmp = m_elements[d.element];
        if (m_bVertical) dc.DrawBitmap(bmp, 0, d.pixel, true);
        else dc.DrawBitmap(bmp, d.pixel, 0, true);
    }
    if (full) m_szPainted = client;
    dc.SelectObject(wxNullBitmap);
    screen.DrawBitmap(m_backBuffer, 0, 0);
}

void CSkinProgressCtrl::OnTimer(wxTimerEvent& event) {
    if (&event.GetTimer() == &m_timer) Refresh();
    event.Skip();
}
