// Runs the artwork program into a temporary folder and checks its pictures
// against how the editor uses them: which files it loads, where it puts each
// control and how it cuts frames.

#include <cairo.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "resources/Layout.h"

namespace {

namespace fs = std::filesystem;

using layout::kWindowH;
using layout::kWindowW;

// Where the editor places each picture, from the window's one layout table:
// resource, frames, top-left corner, for the preset strip the rectangle
// every frame must fill exactly, and for horizontal switches the number of
// positions the width divides into.
struct Placement {
    int id, frames, x, y;
    int w = 0, h = 0, positions = 0;
};

std::vector<Placement> placements() {
    std::vector<Placement> all{{layout::kLampBitmap, layout::kLampFrames, layout::kLampX, layout::kLampY}};
    for (const layout::Control& c : layout::kControls)
        all.push_back({c.bitmap, c.frames, c.x, c.y, 0, 0, c.kind == layout::Kind::Switch ? c.frames : 0});
    for (const layout::StripButton& b : layout::kStrip)
        all.push_back({b.bitmap, b.frames, b.at.left, b.at.top, b.at.width(), b.at.height()});
    return all;
}

// A picture's pixels, row after row.
struct Picture {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    std::vector<uint32_t> frame(int index, int frames) const {
        const auto size = pixels.size() / static_cast<size_t>(frames);
        return {pixels.begin() + index * size, pixels.begin() + (index + 1) * size};
    }
};

Picture load(const fs::path& path) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    Picture p{cairo_surface_status(s) == CAIRO_STATUS_SUCCESS, cairo_image_surface_get_width(s),
              cairo_image_surface_get_height(s), {}};
    for (int y = 0; p.ok && y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.pixels.push_back(reinterpret_cast<const uint32_t*>(
                cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s))[x]);
    cairo_surface_destroy(s);
    return p;
}

int run(const std::string& args) {
    const std::string cmd = std::string("'") + SYLVATONE_ARTWORK_PROGRAM + "' " + args +
                            " >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string name(int id) {
    const std::string digits = std::to_string(id);
    return "bmp" + std::string(5 - digits.size(), '0') + digits + ".png";
}

// Draws into a fresh folder every picture the editor loads: the background
// and splash, and the controls, whose frames divide each picture evenly, fill
// their place, stay in the window, and each show something different.
TEST(Artwork, DrawsEveryPictureToFitTheEditor) {
    std::string tmpl = (fs::temp_directory_path() / "sylvatone-artwork-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    const fs::path dir = fs::path(tmpl) / "Resources";
    struct Cleanup {
        std::string path;
        ~Cleanup() { fs::remove_all(path); }
    } cleanup{tmpl};
    ASSERT_EQ(run("'" + dir.string() + "'"), 0);
    const Picture bg = load(dir / name(layout::kBackgroundBitmap)), splash = load(dir / name(layout::kSplashBitmap));
    ASSERT_TRUE(bg.ok && splash.ok);
    EXPECT_EQ(bg.width, kWindowW);
    EXPECT_EQ(bg.height, kWindowH);
    EXPECT_GT(std::set<uint32_t>(bg.pixels.begin(), bg.pixels.end()).size(), 500u) << "blank";
    EXPECT_LE(splash.width, kWindowW);
    EXPECT_LE(splash.height, kWindowH);

    for (const auto& p : placements()) {
        SCOPED_TRACE(name(p.id));
        const Picture img = load(dir / name(p.id));
        ASSERT_TRUE(img.ok);
        ASSERT_EQ(img.height % p.frames, 0);
        const int fh = img.height / p.frames;
        if (p.w) {
            EXPECT_EQ(img.width, p.w);
            EXPECT_EQ(fh, p.h);
        }
        if (p.positions) {
            EXPECT_EQ(img.width % p.positions, 0);
        }
        EXPECT_LE(p.x + img.width, kWindowW);
        EXPECT_LE(p.y + fh, kWindowH);
        for (int a = 0; a < p.frames; ++a)
            for (int b = a + 1; b < p.frames; ++b)
                EXPECT_NE(img.frame(a, p.frames), img.frame(b, p.frames))
                    << "frames " << a << " and " << b;
    }
}

TEST(ArtworkProgram, FailsWithoutAUsableOutputFolder) {
    EXPECT_NE(run(""), 0);
    const fs::path blocker = fs::temp_directory_path() /
                             ("sylvatone-artwork-blocker-" + std::to_string(getpid()));
    std::ofstream(blocker) << "a file, not a folder";
    EXPECT_NE(run("'" + (blocker / "Resources").string() + "'"), 0);
    fs::remove(blocker);
}

}  // namespace
