// Writes a job's viewer page through the tool's own writer, for test jobs cut
// without the tool:  write-site VIEWER_FOLDER JOB_FOLDER TITLE W H TILES VW VH NAV SLIDER PAN CLICK MUSIC
#include <cstdio>
#include <cstdlib>

#include "publish/viewer_site.h"

int main(int argc, char** argv) {
    if (argc != 14) {
        std::fprintf(stderr, "write-site: expected 13 arguments\n");
        return 1;
    }
    auto n = [&](int i) { return static_cast<unsigned>(std::strtoul(argv[i], nullptr, 10)); };
    kerfel::DescriptorValues v;
    v.width = n(4);
    v.height = n(5);
    v.tiles = static_cast<int>(n(6));
    v.viewWidth = n(7);
    v.viewHeight = n(8);
    v.showNav = n(9) != 0;
    v.showSlider = n(10) != 0;
    v.showPanButtons = n(11) != 0;
    v.clickToZoom = n(12) != 0;
    v.music = n(13) != 0;
    kerfel::Status s = kerfel::WriteViewerSiteFrom(argv[1], argv[2], v, argv[3]);
    if (!s) std::fprintf(stderr, "%s\n", s.message.c_str());
    return kerfel::ExitCode(s);
}
