// Draws every picture of the editor and writes each as bmpNNNNN.png into the
// folder given on the command line (created if missing); with a scale, drawn
// that much larger as bmpNNNNN@<scale>x.png, for high-density screens.
//
//   drawArtwork OUTPUT_FOLDER [SCALE]

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "Artwork.h"

int main(int argc, char** argv) {
    const double scale = argc == 3 ? std::atof(argv[2]) : 1.0;
    if (argc < 2 || argc > 3 || !(scale >= 1.0 && scale <= 4.0)) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [SCALE from 1 to 4]\n", argc > 0 ? argv[0] : "drawArtwork");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "drawArtwork: cannot create %s: %s\n", folder.c_str(),
                     ec.message().c_str());
        return 1;
    }

    const auto pictures = art::catalogue();

    // The background comes first: the controls are drawn over pieces of it.
    cairo_surface_t* panel = nullptr;
    for (const auto& p : pictures)
        if (p.id == art::kBackgroundId) panel = art::render(p, nullptr, scale);

    int failures = 0;
    for (const auto& p : pictures) {
        cairo_surface_t* surface =
            p.id == art::kBackgroundId ? cairo_surface_reference(panel) : art::render(p, panel, scale);
        const std::string path = (folder / art::fileName(p.id, scale)).string();
        const cairo_status_t status = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS
                                          ? cairo_surface_write_to_png(surface, path.c_str())
                                          : cairo_surface_status(surface);
        if (status != CAIRO_STATUS_SUCCESS) {
            std::fprintf(stderr, "drawArtwork: %s: %s\n", path.c_str(),
                         cairo_status_to_string(status));
            ++failures;
        }
        cairo_surface_destroy(surface);
    }
    cairo_surface_destroy(panel);
    // Drop cairo's and fontconfig's caches so leak checkers see a clean exit.
    cairo_debug_reset_static_data();
    FcFini();
    return failures == 0 ? 0 : 1;
}
