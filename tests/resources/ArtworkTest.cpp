// Runs the artwork program into a temporary folder and checks its pictures
// against what the editor does with them: which files it loads, where it puts
// each control, how it cuts frames, and what it draws over the background.

#include <cairo.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kWindowW = 782;
constexpr int kWindowH = 187;

// Where the editor places each picture: resource, frames, top-left corner,
// and for the preset strip the rectangle every frame must fill exactly.
struct Placement {
    int id, frames, x, y;
    int w = 0, h = 0;
    int positions = 0;  // horizontal switches
};

const std::vector<Placement> kPlacements = {
    {11562, 31, 642, 35}, {11520, 3, 695, 35},  {11510, 2, 706, 4},
    {11512, 3, 60, 140, 0, 0, 3},               {11518, 2, 680, 140},
    {11541, 11, 21, 35},  {11543, 2, 212, 4},   {11545, 2, 240, 140},
    {11516, 5, 180, 140, 0, 0, 5},              {11571, 31, 148, 35},
    {11546, 2, 336, 4},   {11577, 2, 365, 140}, {11547, 7, 294, 140, 0, 0, 7},
    {11572, 31, 271, 35}, {11548, 2, 462, 4},   {11578, 2, 489, 140},
    {11549, 7, 418, 140, 0, 0, 7},              {11573, 31, 394, 35},
    {11552, 2, 585, 4},   {11517, 5, 551, 140, 0, 0, 5},
    {11579, 2, 611, 140}, {11553, 31, 517, 35},
    // Preset strip
    {19997, 5, 313, 171, 31, 14}, {19993, 3, 70, 171, 12, 14},  {19994, 3, 20, 171, 12, 14},
    {19990, 3, 32, 173, 37, 10},  {19998, 3, 150, 171, 12, 14}, {19999, 3, 91, 171, 12, 14},
    {19899, 3, 103, 173, 47, 10}, {19991, 3, 374, 171, 12, 14}, {19995, 3, 352, 171, 12, 14},
    {19992, 3, 417, 171, 12, 14}, {19996, 3, 395, 171, 12, 14}, {989, 3, 742, 171, 16, 14},
};

const std::vector<int> kOnOffButtons = {11510, 11518, 11543, 11545, 11546,
                                        11548, 11552, 11577, 11578, 11579};

struct Rgb {
    double r, g, b;  // 0..255
};

double luminance(Rgb c) {
    auto lin = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(c.r) + 0.7152 * lin(c.g) + 0.0722 * lin(c.b);
}

double contrast(Rgb a, Rgb b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class Png {
public:
    explicit Png(const fs::path& path)
        : s_(cairo_image_surface_create_from_png(path.c_str())) {}
    ~Png() { cairo_surface_destroy(s_); }
    Png(const Png&) = delete;
    Png& operator=(const Png&) = delete;

    bool ok() const { return cairo_surface_status(s_) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(s_); }
    int height() const { return cairo_image_surface_get_height(s_); }

    uint32_t raw(int x, int y) const {
        const unsigned char* row =
            cairo_image_surface_get_data(s_) + y * cairo_image_surface_get_stride(s_);
        uint32_t v = reinterpret_cast<const uint32_t*>(row)[x];
        if (cairo_image_surface_get_format(s_) == CAIRO_FORMAT_RGB24) v |= 0xff000000u;
        return v;
    }
    int alpha(int x, int y) const { return raw(x, y) >> 24; }
    // Colour as shown over black (the pictures are opaque, so as drawn).
    Rgb at(int x, int y) const {
        const uint32_t v = raw(x, y);
        return {double((v >> 16) & 0xff), double((v >> 8) & 0xff), double(v & 0xff)};
    }
    // One frame's pixels, for comparing frames.
    std::vector<uint32_t> frame(int index, int frames) const {
        const int fh = height() / frames;
        std::vector<uint32_t> out;
        for (int y = index * fh; y < (index + 1) * fh; ++y)
            for (int x = 0; x < width(); ++x) out.push_back(raw(x, y));
        return out;
    }
    // Brightest pixel of a frame: luminance and x.
    std::pair<double, int> brightest(int index, int frames) const {
        const int fh = height() / frames;
        std::pair<double, int> best{-1, -1};
        for (int y = index * fh; y < (index + 1) * fh; ++y)
            for (int x = 0; x < width(); ++x)
                best = std::max(best, {luminance(at(x, y)), x});
        return best;
    }

private:
    cairo_surface_t* s_;
};

int run(const std::string& args) {
    const std::string cmd = std::string("'") + SYLVATONE_ARTWORK_PROGRAM + "' " + args +
                            " >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string name(int id) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "bmp%05d.png", id);
    return buf;
}

class Artwork : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string tmpl = (fs::temp_directory_path() / "sylvatone-artwork-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
        exit_ = run("'" + (dir_ / "Resources").string() + "'");
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }

    static fs::path path(int id) { return dir_ / "Resources" / name(id); }

    static fs::path dir_;
    static int exit_;
};

fs::path Artwork::dir_;
int Artwork::exit_ = -1;

TEST_F(Artwork, WritesEveryPictureTheEditorLoads) {
    ASSERT_EQ(exit_, 0);
    std::vector<int> ids = {11500, 11580};
    for (const auto& p : kPlacements) ids.push_back(p.id);
    for (int id : ids) {
        SCOPED_TRACE(name(id));
        ASSERT_TRUE(fs::exists(path(id)));
        EXPECT_TRUE(Png(path(id)).ok());
    }
}

TEST_F(Artwork, BackgroundFillsTheWindowWithADrawnPanel) {
    Png bg(path(11500));
    ASSERT_TRUE(bg.ok());
    EXPECT_EQ(bg.width(), kWindowW);
    EXPECT_EQ(bg.height(), kWindowH);

    // Legends and texture give many tones and some light ink on the dark panel.
    std::vector<uint32_t> tones;
    int light = 0;
    for (int y = 0; y < bg.height(); ++y)
        for (int x = 0; x < bg.width(); ++x) {
            tones.push_back(bg.raw(x, y));
            if (y < 160 && luminance(bg.at(x, y)) > 0.3) ++light;
        }
    std::sort(tones.begin(), tones.end());
    EXPECT_GT(std::unique(tones.begin(), tones.end()) - tones.begin(), 500);
    EXPECT_GT(light, 800);
}

TEST_F(Artwork, FramesDivideEvenlyAndFillTheirPlaces) {
    for (const auto& p : kPlacements) {
        SCOPED_TRACE(name(p.id));
        Png img(path(p.id));
        ASSERT_TRUE(img.ok());
        EXPECT_EQ(img.height() % p.frames, 0);
        if (p.w) {
            EXPECT_EQ(img.width(), p.w);
            EXPECT_EQ(img.height() / p.frames, p.h);
        }
        if (p.positions) {
            EXPECT_EQ(img.width() % p.positions, 0);
        }
    }
}

// A control that reaches into another would hide it or steal its clicks.
TEST_F(Artwork, ControlsStayInsideTheWindowAndApart) {
    struct Box {
        int id, l, t, r, b;
    };
    std::vector<Box> boxes;
    for (const auto& p : kPlacements) {
        Png img(path(p.id));
        ASSERT_TRUE(img.ok());
        boxes.push_back({p.id, p.x, p.y, p.x + img.width(), p.y + img.height() / p.frames});
    }
    // Name field and program menu of the strip, and the latency read-outs.
    boxes.push_back({92, 175, 171, 292, 185});
    boxes.push_back({104, 293, 171, 305, 185});
    boxes.push_back({1, 580, 171, 630, 183});
    boxes.push_back({2, 652, 171, 702, 183});
    for (size_t i = 0; i < boxes.size(); ++i) {
        const Box& a = boxes[i];
        EXPECT_TRUE(a.l >= 0 && a.t >= 0 && a.r <= kWindowW && a.b <= kWindowH) << a.id;
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            const Box& b = boxes[j];
            EXPECT_FALSE(a.l < b.r && b.l < a.r && a.t < b.b && b.t < a.b)
                << a.id << " overlaps " << b.id;
        }
    }
}

// A legend printed where a control sits would be hidden under it.
TEST_F(Artwork, LegendsStayClearOfControls) {
    Png bg(path(11500));
    ASSERT_TRUE(bg.ok());
    for (const auto& p : kPlacements) {
        if (p.w) continue;  // the strip is light itself; its keys carry their own marks
        SCOPED_TRACE(name(p.id));
        Png img(path(p.id));
        ASSERT_TRUE(img.ok());
        int ink = 0;
        for (int y = p.y; y < p.y + img.height() / p.frames; ++y)
            for (int x = p.x; x < p.x + img.width(); ++x)
                if (luminance(bg.at(x, y)) > 0.1) ++ink;
        EXPECT_EQ(ink, 0);
    }
}

// Controls are opaque and start from the panel beneath them, so they look
// the same whether the editor copies or blends them.
TEST_F(Artwork, ControlsAreOpaqueAndMatchThePanelAtTheirCorners) {
    Png bg(path(11500));
    ASSERT_TRUE(bg.ok());
    for (const auto& p : kPlacements) {
        SCOPED_TRACE(name(p.id));
        Png img(path(p.id));
        ASSERT_TRUE(img.ok());
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) ASSERT_EQ(img.alpha(x, y), 255);
        const int fh = img.height() / p.frames;
        for (auto [cx, cy] : {std::pair{0, 0}, {img.width() - 1, 0}, {0, fh - 1},
                              {img.width() - 1, fh - 1}}) {
            const Rgb c = img.at(cx, cy), w = bg.at(p.x + cx, p.y + cy);
            EXPECT_NEAR(c.r, w.r, 2) << cx << "," << cy;
            EXPECT_NEAR(c.g, w.g, 2) << cx << "," << cy;
            EXPECT_NEAR(c.b, w.b, 2) << cx << "," << cy;
        }
    }
}

TEST_F(Artwork, EveryFrameOfAPictureDiffers) {
    for (const auto& p : kPlacements) {
        SCOPED_TRACE(name(p.id));
        Png img(path(p.id));
        ASSERT_TRUE(img.ok());
        std::vector<std::vector<uint32_t>> frames;
        for (int f = 0; f < p.frames; ++f) frames.push_back(img.frame(f, p.frames));
        for (int a = 0; a < p.frames; ++a)
            for (int b = a + 1; b < p.frames; ++b)
                EXPECT_NE(frames[a], frames[b]) << "frames " << a << " and " << b;
    }
}

// The editor picks a switch position from the equal part of the width under
// the mouse, so frame i must light part i.
TEST_F(Artwork, SwitchFramesLightTheirOwnPosition) {
    for (const auto& p : kPlacements) {
        if (!p.positions) continue;
        SCOPED_TRACE(name(p.id));
        Png img(path(p.id));
        ASSERT_TRUE(img.ok());
        const double part = double(img.width()) / p.positions;
        for (int f = 0; f < p.frames; ++f) {
            const int x = img.brightest(f, p.frames).second;
            EXPECT_GE(x, f * part) << "frame " << f;
            EXPECT_LT(x, (f + 1) * part) << "frame " << f;
        }
    }
}

TEST_F(Artwork, LampsBrightenFromOffToOn) {
    for (int id : kOnOffButtons) {
        SCOPED_TRACE(name(id));
        Png img(path(id));
        ASSERT_TRUE(img.ok());
        EXPECT_GT(img.brightest(1, 2).first, img.brightest(0, 2).first + 0.2);
    }
    // Overload lamp: off, held after a clip, clipping now.
    Png clip(path(11520));
    ASSERT_TRUE(clip.ok());
    const double off = clip.brightest(0, 3).first, held = clip.brightest(1, 3).first,
                 lit = clip.brightest(2, 3).first;
    EXPECT_LT(off + 0.03, held);
    EXPECT_LT(held + 0.03, lit);
}

// The editor writes over these areas of the background: the read-outs in
// light grey (215, 215, 215), the program name in near black on its own back
// colour (209, 227, 238).
TEST_F(Artwork, TextAreasArePlainAndLegible) {
    Png bg(path(11500));
    ASSERT_TRUE(bg.ok());
    const Rgb readoutInk{215, 215, 215};
    for (int left : {580, 652}) {
        const Rgb first = bg.at(left, 171);
        for (int y = 171; y < 183; ++y)
            for (int x = left; x < left + 50; ++x) {
                const Rgb c = bg.at(x, y);
                ASSERT_NEAR(c.r, first.r, 2) << x << "," << y;
                ASSERT_NEAR(c.g, first.g, 2) << x << "," << y;
                ASSERT_NEAR(c.b, first.b, 2) << x << "," << y;
            }
        EXPECT_GE(contrast(first, readoutInk), 7.0);
    }
    for (int y = 171; y < 185; ++y)
        for (int x = 175; x < 292; ++x) {
            const Rgb c = bg.at(x, y);
            ASSERT_NEAR(c.r, 209, 2) << x << "," << y;
            ASSERT_NEAR(c.g, 227, 2) << x << "," << y;
            ASSERT_NEAR(c.b, 238, 2) << x << "," << y;
        }
}

// The about box shows the splash at the window's top-left and writes the
// version in dark grey in a 39 x 10 box, 65 px right of and 47 px above the
// picture's centre.
TEST_F(Artwork, SplashFitsTheWindowAndLeavesRoomForTheVersion) {
    Png splash(path(11580));
    ASSERT_TRUE(splash.ok());
    EXPECT_LE(splash.width(), kWindowW);
    EXPECT_LE(splash.height(), kWindowH);
    const int cx = splash.width() / 2, cy = splash.height() / 2;
    ASSERT_GE(cy - 47, 0);
    ASSERT_LE(cx + 104, splash.width());
    const Rgb versionInk{60, 60, 60};
    for (int y = cy - 47; y < cy - 37; ++y)
        for (int x = cx + 65; x < cx + 104; ++x)
            ASSERT_GE(contrast(splash.at(x, y), versionInk), 4.5) << x << "," << y;
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
