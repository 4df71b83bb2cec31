#include "host/Plot.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <cstdlib>

#include <algorithm>
#include <cmath>
#include <memory>

#include "host/AudioFile.h"
#include "host/HostError.h"

namespace {

constexpr int kWidth = 900, kHeight = 450;
constexpr double kLeft = 62, kRight = 24, kTop = 52, kBottom = 40;
constexpr double kMinHz = 20, kMaxHz = 20000;
constexpr double kRangeDb = 24;

struct Frame {
    double x0 = kLeft, y0 = kTop, w = kWidth - kLeft - kRight, h = kHeight - kTop - kBottom;

    double x(double hz) const { return x0 + w * std::log(hz / kMinHz) / std::log(kMaxHz / kMinHz); }
    double y(double db) const
    {
        db = std::clamp(db, -kRangeDb, kRangeDb);
        return y0 + h * (kRangeDb - db) / (2 * kRangeDb);
    }
};

void text(cairo_t* cr, double x, double y, const std::string& s, double alignX)
{
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    cairo_move_to(cr, x - e.width * alignX - e.x_bearing, y);
    cairo_show_text(cr, s.c_str());
}

void drawGrid(cairo_t* cr, const Frame& f)
{
    cairo_set_font_size(cr, 11);
    cairo_set_line_width(cr, 1);
    for (double db : {-18.0, -12.0, -6.0, -3.0, 0.0, 3.0, 6.0, 12.0, 18.0}) {
        double y = std::round(f.y(db)) + 0.5;
        double shade = db == 0 ? 0.55 : 0.82;
        cairo_set_source_rgb(cr, shade, shade, shade);
        cairo_move_to(cr, f.x0, y);
        cairo_line_to(cr, f.x0 + f.w, y);
        cairo_stroke(cr);
        char label[16];
        snprintf(label, sizeof label, db == 0 ? "0 dB" : "%+.0f", db);
        cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
        text(cr, f.x0 - 6, y + 4, label, 1.0);
    }
    const struct {
        double hz;
        const char* label;
    } marks[] = {{20, "20"},  {50, "50"},  {100, "100"}, {200, "200"}, {500, "500"},
                 {1e3, "1k"}, {2e3, "2k"}, {5e3, "5k"},  {1e4, "10k"}, {2e4, "20k"}};
    for (const auto& m : marks) {
        double x = std::round(f.x(m.hz)) + 0.5;
        cairo_set_source_rgb(cr, 0.82, 0.82, 0.82);
        cairo_move_to(cr, x, f.y0);
        cairo_line_to(cr, x, f.y0 + f.h);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
        text(cr, x, f.y0 + f.h + 16, m.label, 0.5);
    }
    text(cr, f.x0 + f.w, f.y0 + f.h + 32, "Hz", 1.0);
    cairo_set_source_rgb(cr, 0.45, 0.45, 0.45);
    cairo_rectangle(cr, f.x0 + 0.5, f.y0 + 0.5, f.w - 1, f.h - 1);
    cairo_stroke(cr);
}

void setCurveStyle(cairo_t* cr, PlotCurve::Style style)
{
    if (style == PlotCurve::kFirst) {
        cairo_set_source_rgb(cr, 0.10, 0.30, 0.65);
    } else {
        cairo_set_source_rgb(cr, 0.85, 0.40, 0.10);
        const double dash[] = {6.0, 4.0};
        cairo_set_dash(cr, dash, 2, 0);
    }
    cairo_set_line_width(cr, 2);
}

void drawCurve(cairo_t* cr, const Frame& f, const PlotCurve& c)
{
    if (c.points.empty())
        return;
    cairo_save(cr);
    cairo_rectangle(cr, f.x0, f.y0, f.w, f.h);
    cairo_clip(cr);
    setCurveStyle(cr, c.style);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    bool first = true;
    for (const auto& p : c.points) {
        if (p.first < kMinHz || p.first > kMaxHz * 1.001)
            continue;
        if (first)
            cairo_move_to(cr, f.x(p.first), f.y(p.second));
        else
            cairo_line_to(cr, f.x(p.first), f.y(p.second));
        first = false;
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

void drawLegend(cairo_t* cr, const Frame& f, const std::vector<PlotCurve>& curves)
{
    double x = f.x0 + f.w - 10;
    cairo_set_font_size(cr, 11);
    for (auto c = curves.rbegin(); c != curves.rend(); ++c) {
        if (c->label.empty())
            continue;
        cairo_text_extents_t e;
        cairo_text_extents(cr, c->label.c_str(), &e);
        double y = f.y0 - 10;
        cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
        text(cr, x, y, c->label, 1.0);
        x -= e.x_advance + 6;
        cairo_save(cr);
        setCurveStyle(cr, c->style);
        cairo_move_to(cr, x - 18, y - 4);
        cairo_line_to(cr, x, y - 4);
        cairo_stroke(cr);
        cairo_restore(cr);
        x -= 32;
    }
}

// Cairo and fontconfig keep their font caches until the process ends; they
// are released at exit so that leak checkers see a clean run.
void releaseFontCaches()
{
    cairo_debug_reset_static_data();
    FcFini();
}

cairo_status_t writeToFd(void* closure, const unsigned char* data, unsigned int length)
{
    int fd = *static_cast<int*>(closure);
    while (length > 0) {
        ssize_t n = ::write(fd, data, length);
        if (n <= 0)
            return CAIRO_STATUS_WRITE_ERROR;
        data += n;
        length -= static_cast<unsigned int>(n);
    }
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

void plotResponse(const std::string& path, const std::string& title, const std::string& subtitle,
                  const std::vector<PlotCurve>& curves)
{
    static const bool releaseAtExit = atexit(releaseFontCaches) == 0;
    (void)releaseAtExit;
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight), &cairo_surface_destroy);
    cairo_t* cr = cairo_create(surface.get());
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);

    Frame frame;
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_set_font_size(cr, 16);
    text(cr, frame.x0, 22, title, 0.0);
    cairo_set_source_rgb(cr, 0.4, 0.4, 0.4);
    cairo_set_font_size(cr, 11);
    text(cr, frame.x0, 40, subtitle, 0.0);
    drawGrid(cr, frame);
    for (const PlotCurve& c : curves)
        drawCurve(cr, frame, c);
    drawLegend(cr, frame, curves);
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);

    if (status == CAIRO_STATUS_SUCCESS) {
        PendingFile file(path);
        int fd = file.fd();
        status = cairo_surface_write_to_png_stream(surface.get(), writeToFd, &fd);
        if (status == CAIRO_STATUS_SUCCESS) {
            file.commit();
            return;
        }
    }
    throw HostError("cannot write " + path + ": " + cairo_status_to_string(status));
}
