// Test entry point. cairo and fontconfig keep process-wide font caches that
// live until exit; they are emptied after the tests so that the leak checker
// sees only what the toolkit itself failed to release.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    cairo_debug_reset_static_data();
    FcFini();
    return result;
}
