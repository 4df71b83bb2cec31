// What idle redraws, bitmaps from the resource folder, and the pixels an
// off-screen frame ends up with.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/CHorizontalSwitch.h"
#include "gui/CKnob.h"

using namespace guitest;

namespace {
// A control that counts its draws and marks itself clean like real controls.
class ProbeControl : public CControl {
public:
    explicit ProbeControl(const CRect& r) : CControl(r) {}
    void draw(CDrawContext*) override
    {
        ++draws;
        setDirty(false);
    }
    int draws = 0;
};
} // namespace

TEST(Redraw, IdleRedrawsDirtyViewsOnlyOrEverythingWhenTheFrameIsDirty)
{
    FrameHolder frame(CRect(0, 0, 100, 50));
    auto* view = new ProbeView(CRect(0, 0, 40, 40));
    auto* control = new ProbeControl(CRect(50, 0, 90, 40));
    frame->addView(view);
    frame->addView(control);

    frame->idle(); // a new frame draws everything once
    EXPECT_EQ(view->draws, 1);
    EXPECT_EQ(control->draws, 1);
    frame->idle();
    EXPECT_EQ(view->draws, 1);
    EXPECT_EQ(control->draws, 1);

    view->setDirty(true);
    frame->idle();
    EXPECT_EQ(view->draws, 2);
    EXPECT_EQ(control->draws, 1);
    EXPECT_FALSE(view->isDirty());

    // A control is dirty while its value differs from the one it last drew.
    control->setValue(0.3f);
    EXPECT_TRUE(control->isDirty());
    frame->idle();
    EXPECT_EQ(control->draws, 2);
    EXPECT_FALSE(control->isDirty());
    control->setValue(0.3f);
    EXPECT_FALSE(control->isDirty());
    frame->idle();
    EXPECT_EQ(control->draws, 2);

    frame->setDirty(true);
    frame->idle();
    EXPECT_EQ(view->draws, 3);
    EXPECT_EQ(control->draws, 3);

    // invalid() asks for a redraw of the view's area without marking it dirty.
    control->invalid();
    frame->idle();
    EXPECT_EQ(control->draws, 4);
    EXPECT_EQ(view->draws, 3);
}

TEST(Redraw, BitmapsAreFoundByNumberInTheResourceFolder)
{
    ResourceFolder folder;
    folder.writeStrip(42, 6, 4, {rgb(255, 0, 0)});

    auto* found = new CBitmap(42);
    EXPECT_TRUE(found->isLoaded());
    EXPECT_EQ(found->getWidth(), 6);
    EXPECT_EQ(found->getHeight(), 4);
    found->forget();

    auto* missing = new CBitmap(43);
    EXPECT_FALSE(missing->isLoaded());
    EXPECT_EQ(missing->getWidth(), 0);
    EXPECT_EQ(missing->getHeight(), 0);
    missing->forget();

    setResourceFolder("");
    auto* unset = new CBitmap(42);
    EXPECT_FALSE(unset->isLoaded());
    unset->forget();
}

TEST(Redraw, BackgroundAndTheSubPictureForTheValueReachThePixels)
{
    ResourceFolder folder;
    // Background: a red band above a green one.
    folder.writeStrip(100, 80, 10, {rgb(200, 0, 0), rgb(0, 200, 0)});
    folder.writeStrip(101, 10, 10, {rgb(1, 1, 1), rgb(2, 2, 2), rgb(3, 3, 3)});
    folder.writeStrip(102, 30, 10, {rgb(10, 0, 0), rgb(20, 0, 0), rgb(30, 0, 0)});

    FrameHolder frame(CRect(0, 0, 80, 20));
    auto* back = new CBitmap(100);
    frame->setBackground(back);
    back->forget();
    auto* strip = new CBitmap(101);
    auto* knob = new CAnimKnob(CRect(60, 0, 70, 10), nullptr, 1, 3, 10, strip);
    strip->forget();
    frame->addView(knob);
    auto* switchStrip = new CBitmap(102);
    auto* sw = new CHorizontalSwitch(CRect(0, 10, 30, 20), nullptr, 2, 3, 10, 3, switchStrip);
    switchStrip->forget();
    frame->addView(sw);

    cairo_surface_t* s = frame->getOffscreenSurface();
    EXPECT_EQ(pixelAt(s, 40, 5), rgb(200, 0, 0));
    EXPECT_EQ(pixelAt(s, 40, 15), rgb(0, 200, 0));
    EXPECT_EQ(pixelAt(s, 65, 5), rgb(1, 1, 1));
    EXPECT_EQ(pixelAt(s, 15, 15), rgb(10, 0, 0));

    knob->setValue(0.5f);
    sw->setValue(1.f);
    s = frame->getOffscreenSurface();
    EXPECT_EQ(pixelAt(s, 65, 5), rgb(2, 2, 2));
    EXPECT_EQ(pixelAt(s, 15, 15), rgb(30, 0, 0));

    // Values between pictures show the nearest one.
    knob->setValue(0.8f);
    sw->setValue(0.2f);
    s = frame->getOffscreenSurface();
    EXPECT_EQ(pixelAt(s, 65, 5), rgb(3, 3, 3));
    EXPECT_EQ(pixelAt(s, 15, 15), rgb(10, 0, 0));
}

TEST(Redraw, MissingBitmapsLeaveAWorkingFrame)
{
    ResourceFolder folder; // empty
    RecordingEditor editor;
    FrameHolder frame(CRect(0, 0, 40, 40), &editor);
    frame->setBackgroundColor(CColor(0, 0, 90));
    auto* back = new CBitmap(11500);
    frame->setBackground(back);
    back->forget();
    auto* strip = new CBitmap(11562);
    RecordingListener listener;
    auto* knob = new CAnimKnob(CRect(0, 0, 20, 20), &listener, 6, 31, 20, strip);
    strip->forget();
    frame->addView(knob);

    mouseDown(frame.frame, 10, 2); // top centre: half way round
    mouseUp(frame.frame, 10, 2);
    frame->idle();
    EXPECT_NEAR(knob->getValue(), 0.5f, 0.01f);
    EXPECT_EQ(listener.values.size(), 1u);
    EXPECT_EQ(pixelAt(frame->getOffscreenSurface(), 10, 10), rgb(0, 0, 90));

    const std::string png = folder.path + "/snapshot.png";
    ASSERT_TRUE(frame->saveToPNG(png));
    cairo_surface_t* read = cairo_image_surface_create_from_png(png.c_str());
    EXPECT_EQ(cairo_image_surface_get_width(read), 40);
    EXPECT_EQ(cairo_image_surface_get_height(read), 40);
    cairo_surface_destroy(read);
}
