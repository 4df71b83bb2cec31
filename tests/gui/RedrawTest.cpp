// What idle redraws, bitmaps from the resource folder, and the pixels an
// off-screen frame ends up with.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "GuiTestSupport.h"
#include "gui/CHorizontalSwitch.h"

using namespace guitest;

TEST(Redraw, IdleRedrawsDirtyViewsOnlyOrEverythingWhenTheFrameIsDirty)
{
    // Counts its draws and marks itself clean like real controls.
    struct ProbeControl : CControl {
        using CControl::CControl;
        void draw(CDrawContext*) override
        {
            ++draws;
            setDirty(false);
        }
        int draws = 0;
    };
    FrameHolder frame(CRect(0, 0, 100, 50));
    auto* view = new ProbeControl(CRect(0, 0, 40, 40));
    auto* control = new ProbeControl(CRect(50, 0, 90, 40));
    frame->addView(view);
    frame->addView(control);

    const struct { std::function<void()> change; int viewDraws, controlDraws; } steps[] = {
        {[] {}, 1, 1}, // a new frame draws everything once
        {[] {}, 1, 1},
        {[&] { view->setDirty(true); }, 2, 1}, // only the one marked dirty
        // A control is dirty while its value differs from the one it last drew.
        {[&] { control->setValue(0.3f); }, 2, 2},
        {[&] { control->setValue(0.3f); }, 2, 2},
        {[&] { frame->setDirty(true); }, 3, 3},
        // invalid() asks for a redraw of the view's area without marking it dirty.
        {[&] { control->invalid(); }, 3, 4},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        steps[i].change();
        frame->idle();
        EXPECT_EQ(view->draws, steps[i].viewDraws) << "step " << i;
        EXPECT_EQ(control->draws, steps[i].controlDraws) << "step " << i;
    }
    EXPECT_FALSE(view->isDirty());
}

TEST(Redraw, BitmapsComeByNumberFromTheResourceFolderAndReachThePixels)
{
    ResourceFolder folder;
    // Background: a red band above a green one; a switch of three pictures.
    folder.writeStrip(100, 80, 10, {rgb(200, 0, 0), rgb(0, 200, 0)});
    folder.writeStrip(102, 30, 10, {rgb(10, 0, 0), rgb(20, 0, 0), rgb(30, 0, 0)});
    auto load = [](int id) {
        auto* bitmap = new CBitmap(id);
        const auto found = std::make_tuple(bitmap->isLoaded(), bitmap->getWidth(), bitmap->getHeight());
        bitmap->forget();
        return found;
    };
    EXPECT_EQ(load(102), std::make_tuple(true, 30., 30.));
    EXPECT_EQ(load(103), std::make_tuple(false, 0., 0.));

    FrameHolder frame(CRect(0, 0, 80, 20));
    CBitmap* bitmaps[] = {new CBitmap(100), new CBitmap(102)};
    frame->setBackground(bitmaps[0]);
    auto* sw = new CHorizontalSwitch(CRect(0, 10, 30, 20), nullptr, 2, 3, 10, 3, bitmaps[1]);
    frame->addView(sw);
    for (CBitmap* b : bitmaps)
        b->forget();
    // Values between pictures show the nearest one.
    for (const auto& [value, shown] : {std::pair{0.f, rgb(10, 0, 0)}, {1.f, rgb(30, 0, 0)}, {0.2f, rgb(10, 0, 0)},
                                       {0.3f, rgb(20, 0, 0)}}) {
        sw->setValue(value);
        cairo_surface_t* s = frame->getOffscreenSurface();
        EXPECT_EQ(pixelAt(s, 40, 5), rgb(200, 0, 0));
        EXPECT_EQ(pixelAt(s, 40, 15), rgb(0, 200, 0));
        EXPECT_EQ(pixelAt(s, 15, 15), shown) << value;
    }

    // A snapshot saved into the folder loads back as a bitmap of the frame's size.
    ASSERT_TRUE(frame->saveToPNG(folder.path + "/bmp00099.png"));
    EXPECT_EQ(load(99), std::make_tuple(true, 80., 20.));
    setResourceFolder(""); // no folder: nothing is found
    EXPECT_EQ(load(102), std::make_tuple(false, 0., 0.));
}
