// A host's window for an editor to open into, on a test's X server, with
// what a test needs to know of it: its children and its pixels.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <string>

struct ParentWindow {
    explicit ParentWindow(const std::string& display, int16_t y = 0, uint16_t w = 782, uint16_t h = 187)
        : width(w), height(h)
    {
        connection = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(connection))
            return;
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        window = xcb_generate_id(connection);
        const uint32_t values[] = {screen->black_pixel};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, y, w, h, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
        xcb_map_window(connection, window);
        // A round trip, so the server has made the window before the
        // plug-in (another client) looks for it.
        free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    ~ParentWindow()
    {
        if (window)
            xcb_destroy_window(connection, window);
        xcb_disconnect(connection);
    }
    // The windows the editor put inside the parent.
    int children()
    {
        xcb_query_tree_reply_t* tree =
            xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
        int n = tree ? xcb_query_tree_children_length(tree) : -1;
        free(tree);
        return n;
    }
    // The parent's pixels, children included.
    std::string image()
    {
        xcb_get_image_reply_t* reply = xcb_get_image_reply(
            connection,
            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, width, height, ~0u),
            nullptr);
        std::string pixels;
        if (reply)
            pixels.assign(reinterpret_cast<const char*>(xcb_get_image_data(reply)),
                          size_t(xcb_get_image_data_length(reply)));
        free(reply);
        return pixels;
    }
    // Fraction of pixels in the parent that are not plain black.
    double paintedFraction()
    {
        xcb_get_image_reply_t* image = xcb_get_image_reply(
            connection,
            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, width, height, ~0u),
            nullptr);
        if (!image)
            return 0.0;
        const uint8_t* data = xcb_get_image_data(image);
        const int length = xcb_get_image_data_length(image);
        int painted = 0;
        for (int i = 0; i + 3 < length; i += 4)
            painted += (data[i] | data[i + 1] | data[i + 2]) != 0;
        free(image);
        return painted / (length / 4.0);
    }
    void* id() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }
    uint16_t width, height;
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
};
