// The published viewer inside the embedded browser (WebKit), opened from disk:
// a one-colour picture of odd size must come out as one colour, with every
// tile drawn and no seam between tiles.
#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/image.h>
#include <wx/webview.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "engine/generator.h"
#include "gui_test_util.h"
#include "publish/viewer_site.h"

namespace fs = std::filesystem;

namespace {

constexpr unsigned char kRed = 0x20, kGreen = 0x80, kBlue = 0xc0;

// Every tile of every level, each one flat colour, named as the tool names them.
bool CutFlatTiles(const std::string& images, const kerfel::TilePyramid& p) {
    for (int l = 0; l < p.LevelCount(); ++l) {
        for (int c = 0; c < p.Columns(l); ++c)
            for (int r = 0; r < p.Rows(l); ++r) {
                std::ostringstream cmd;
                cmd << "convert -size " << p.ColumnSpan(l, c).size << "x" << p.RowSpan(l, r).size
                    << " xc:'#2080c0' -quality 95 '" << images << "/" << l << "-" << c << "-" << r << ".jpg'";
                if (std::system(cmd.str().c_str()) != 0) return false;
            }
    }
    return true;
}

wxString Script(wxWebView* web, const wxString& js) {
    wxString out;
    return web->RunScript(js, &out) ? out : wxString("(failed)");
}

bool FullyLoaded(wxWebView* web) {
    return Script(web, "(function(){var k=window.KerfelViewer; var i=k&&k.viewer.world.getItemAt(0);"
                       "var v=k&&k.viewer.viewport;"
                       "return !!(i&&i.getFullyLoaded()&&Math.abs(v.getZoom(true)-v.getZoom())<1e-9);})()") == "true";
}

}  // namespace

TEST(ViewerInWebKit, FlatPictureComesOutFlatFromDisk) {
    if (!wxWebView::IsBackendAvailable(wxWebViewBackendDefault)) GTEST_SKIP() << "no web view backend";
    const std::string job = guitest::MakeTempFolder() + "/flat";
    fs::create_directories(job + "/Images");
    const kerfel::TilePyramid p = kerfel::TilePyramid::Build(kerfel::NativeLayout(), 1025, 771);
    ASSERT_TRUE(CutFlatTiles(job + "/Images", p));
    const kerfel::DescriptorValues v = kerfel::DescribePyramid(p, 2);
    const std::string viewer = (fs::path(KERFEL_BINARY).parent_path() / "viewer").string();
    kerfel::Status s = kerfel::WriteViewerSiteFrom(viewer, job, v, "flat");
    ASSERT_TRUE(s.ok()) << s.message;

    wxDialog dlg(nullptr, wxID_ANY, "viewer", wxPoint(0, 0), wxSize(600, 460), wxBORDER_NONE);
    wxWebView* web = wxWebView::New(&dlg, wxID_ANY);
    web->SetSize(dlg.GetClientSize());
    dlg.Show();
    web->LoadURL(wxFileSystem::FileNameToURL(wxFileName(wxString::FromUTF8(job + "/index.html"))));
    ASSERT_TRUE(guitest::WaitFor([&] { return FullyLoaded(web); }, 15000));

    // Between two levels and off centre, so tile edges fall between screen pixels.
    Script(web, "var vp = KerfelViewer.viewer.viewport; vp.zoomTo(vp.getMinZoom() * 1.37);"
                "vp.panBy(new OpenSeadragon.Point(0.0123, 0.0071)); vp.applyConstraints(); true;");
    guitest::Pump(300);
    ASSERT_TRUE(guitest::WaitFor([&] { return FullyLoaded(web); }, 15000));
    guitest::Pump(500);

    long left = 0, top = 0, width = 0, height = 0;
    const wxString rect = Script(web, "(function(){var r=document.getElementById('kv-frame').getBoundingClientRect();"
                                      "return [Math.ceil(r.left),Math.ceil(r.top),Math.floor(r.width),"
                                      "Math.floor(r.height)].join(',');})()");
    wxArrayString parts = wxSplit(rect, ',');
    ASSERT_EQ(parts.size(), 4u) << rect;
    parts[0].ToLong(&left), parts[1].ToLong(&top), parts[2].ToLong(&width), parts[3].ToLong(&height);
    EXPECT_EQ(width, static_cast<long>(v.viewWidth));

    const fs::path shots = fs::path(KERFEL_BINARY).parent_path() / "viewer-test-shots";
    fs::create_directories(shots);
    const std::string shot = (shots / "webkit-flat.png").string();
    guitest::Screenshot(shot);
    wxImage img(wxString::FromUTF8(shot));
    ASSERT_TRUE(img.IsOk());
    const wxPoint origin = web->GetScreenPosition();
    int off = 0;
    for (long y = top + 1; y < top + height - 1; ++y)
        for (long x = left + 1; x < left + width - 1; ++x) {
            const int sx = origin.x + static_cast<int>(x), sy = origin.y + static_cast<int>(y);
            if (std::abs(img.GetRed(sx, sy) - kRed) + std::abs(img.GetGreen(sx, sy) - kGreen) +
                    std::abs(img.GetBlue(sx, sy) - kBlue) > 24)
                ++off;
        }
    EXPECT_EQ(off, 0) << "pixels off the picture's colour (seams or missing tiles); see " << shot;
    dlg.Hide();
}
