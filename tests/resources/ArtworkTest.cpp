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

namespace {

namespace fs = std::filesystem;

constexpr int kWindowW = 782;
constexpr int kWindowH = 187;

// Where the editor places each picture: resource, frames, top-left corner,
// for the preset strip the rectangle every frame must fill exactly, and for
// horizontal switches the number of positions the width divides into.
struct Placement {
    int id, frames, x, y;
    int w = 0, h = 0, positions = 0;
};

const std::vector<Placement> kPlacements = {
    {11562, 31, 642, 35}, {11520, 3, 695, 35}, {11510, 2, 706, 4}, {11512, 3, 60, 140, 0, 0, 3},
    {11518, 2, 680, 140}, {11541, 11, 21, 35}, {11543, 2, 212, 4}, {11545, 2, 240, 140},
    {11516, 5, 180, 140, 0, 0, 5}, {11571, 31, 148, 35}, {11546, 2, 336, 4}, {11577, 2, 365, 140},
    {11547, 7, 294, 140, 0, 0, 7}, {11572, 31, 271, 35}, {11548, 2, 462, 4}, {11578, 2, 489, 140},
    {11549, 7, 418, 140, 0, 0, 7}, {11573, 31, 394, 35}, {11552, 2, 585, 4},
    {11517, 5, 551, 140, 0, 0, 5}, {11579, 2, 611, 140}, {11553, 31, 517, 35},
    // Preset strip
    {19997, 5, 313, 171, 31, 14}, {19993, 3, 70, 171, 12, 14}, {19994, 3, 20, 171, 12, 14},
    {19990, 3, 32, 173, 37, 10}, {19998, 3, 150, 171, 12, 14}, {19999, 3, 91, 171, 12, 14},
    {19899, 3, 103, 173, 47, 10}, {19991, 3, 374, 171, 12, 14}, {19995, 3, 352, 171, 12, 14},
    {19992, 3, 417, 171, 12, 14}, {19996, 3, 395, 171, 12, 14}, {989, 3, 742, 171, 16, 14},
};

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
    const Picture bg = load(dir / name(11500)), splash = load(dir / name(11580));
    ASSERT_TRUE(bg.ok && splash.ok);
    EXPECT_EQ(bg.width, kWindowW);
    EXPECT_EQ(bg.height, kWindowH);
    EXPECT_GT(std::set<uint32_t>(bg.pixels.begin(), bg.pixels.end()).size(), 500u) << "blank";
    EXPECT_LE(splash.width, kWindowW);
    EXPECT_LE(splash.height, kWindowH);

    for (const auto& p : kPlacements) {
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
