#include "gui/X11Window.h"

#include <cairo-xcb.h>
#include <cairo.h>
#include <cmath>
#include <cstdlib>
#include <string>
#include <xcb/xcb.h>

#include "gui/CView.h"

namespace {
const uint32_t kDoubleClickTime = 400; // ms
const double kDoubleClickDistance = 4; // px

xcb_visualtype_t* findVisual(xcb_screen_t* screen, xcb_visualid_t id)
{
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d))
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == id)
                return v.data;
    return nullptr;
}

xcb_screen_t* screenOfRoot(xcb_connection_t* c, xcb_window_t root)
{
    for (auto s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem; xcb_screen_next(&s))
        if (s.data->root == root)
            return s.data;
    return nullptr;
}
} // namespace

double X11Window::desktopDpi()
{
    if (!std::getenv("DISPLAY"))
        return 0.0;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    double dpi = 0.0;
    if (!xcb_connection_has_error(c)) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, screen->root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0, 1 << 16),
            nullptr);
        if (reply) {
            // Lines of "name:\tvalue"; the one that counts is Xft.dpi.
            const std::string resources(static_cast<const char*>(xcb_get_property_value(reply)),
                                        static_cast<size_t>(xcb_get_property_value_length(reply)));
            size_t at = 0;
            while (at < resources.size()) {
                size_t end = resources.find('\n', at);
                if (end == std::string::npos)
                    end = resources.size();
                const std::string line = resources.substr(at, end - at);
                if (line.compare(0, 8, "Xft.dpi:") == 0)
                    dpi = std::strtod(line.c_str() + 8, nullptr);
                at = end + 1;
            }
            std::free(reply);
        }
    }
    xcb_disconnect(c);
    return std::isfinite(dpi) && dpi > 0.0 ? dpi : 0.0;
}

std::unique_ptr<X11Window> X11Window::open(void* parent, const CRect& rect)
{
    const auto parentId = static_cast<xcb_window_t>(reinterpret_cast<uintptr_t>(parent));
    if (!parentId || reinterpret_cast<uintptr_t>(parent) > 0xffffffffu)
        return nullptr;
    if (!std::getenv("DISPLAY"))
        return nullptr;
    const int width = static_cast<int>(rect.getWidth());
    const int height = static_cast<int>(rect.getHeight());
    if (width <= 0 || height <= 0)
        return nullptr;

    std::unique_ptr<X11Window> w(new X11Window);
    w->connection = xcb_connect(nullptr, nullptr);
    xcb_connection_t* c = w->connection;
    if (xcb_connection_has_error(c))
        return nullptr;

    // The parent's geometry and visual tell which screen and visual to use;
    // a bad id fails here.
    xcb_generic_error_t* error = nullptr;
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(c, xcb_get_geometry(c, parentId), &error);
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, parentId), nullptr);
    std::free(error);
    xcb_screen_t* screen = geometry ? screenOfRoot(c, geometry->root) : nullptr;
    xcb_visualtype_t* visual = screen && attributes ? findVisual(screen, attributes->visual) : nullptr;
    const bool inputOutput = attributes && attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT;
    std::free(geometry);
    std::free(attributes);
    if (!visual || !inputOutput)
        return nullptr;

    w->window = xcb_generate_id(c);
    const uint32_t mask = XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK;
    const uint32_t values[] = {
        XCB_BACK_PIXMAP_NONE, 0,
        XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
            XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
            XCB_EVENT_MASK_LEAVE_WINDOW | XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE};
    const xcb_void_cookie_t created = xcb_create_window_checked(
        c, XCB_COPY_FROM_PARENT, w->window, parentId, static_cast<int16_t>(rect.left),
        static_cast<int16_t>(rect.top), static_cast<uint16_t>(width),
        static_cast<uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
        mask, values);
    if (xcb_generic_error_t* e = xcb_request_check(c, created)) {
        std::free(e);
        w->window = 0;
        return nullptr;
    }
    if (!w->loadKeymap())
        return nullptr;
    // A class name lets tools and test scripts find the window in a host's.
    static const char kClass[] = "sylvatone\0Sylvatone";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w->window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof kClass, kClass);

    w->surface = cairo_xcb_surface_create(c, w->window, visual, width, height);
    if (cairo_surface_status(w->surface) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    xcb_map_window(c, w->window);
    xcb_flush(c);
    if (xcb_connection_has_error(c))
        return nullptr;
    return w;
}

X11Window::~X11Window()
{
    if (surface) {
        // cairo keeps per-connection state that would otherwise be found
        // again by a later connection at the same address.
        cairo_device_t* device = cairo_device_reference(cairo_surface_get_device(surface));
        cairo_surface_finish(surface);
        cairo_surface_destroy(surface);
        if (device) {
            cairo_device_finish(device);
            cairo_device_destroy(device);
        }
    }
    if (connection) {
        if (window && !xcb_connection_has_error(connection)) {
            xcb_destroy_window(connection, window);
            xcb_flush(connection);
        }
        xcb_disconnect(connection);
    }
}

bool X11Window::isBroken() const
{
    return !connection || xcb_connection_has_error(connection);
}

bool X11Window::loadKeymap()
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    minKeycode = setup->min_keycode;
    const uint8_t count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, minKeycode, count), nullptr);
    if (!reply)
        return false;
    keysymsPerKeycode = reply->keysyms_per_keycode;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
    keymap.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(reply));
    std::free(reply);
    return true;
}

uint32_t X11Window::keysymFor(uint8_t keycode, uint16_t state) const
{
    if (keycode < minKeycode || keysymsPerKeycode <= 0)
        return 0;
    const size_t base = static_cast<size_t>(keycode - minKeycode) * keysymsPerKeycode;
    if (base >= keymap.size())
        return 0;
    const uint32_t plain = keymap[base];
    uint32_t shifted = keysymsPerKeycode > 1 ? keymap[base + 1] : 0;
    const bool letter = plain >= 'a' && plain <= 'z';
    if (!shifted)
        shifted = letter ? plain - 0x20 : plain;
    bool useShifted = (state & XCB_MOD_MASK_SHIFT) != 0;
    if (letter && (state & XCB_MOD_MASK_LOCK))
        useShifted = !useShifted;
    return useShifted ? shifted : plain;
}

bool X11Window::keysymToKeyCode(uint32_t keysym, uint16_t state, CKeyCode& key)
{
    key = CKeyCode{};
    switch (keysym) {
    case 0xff08: key.virt = kVKeyBack; break;
    case 0xff09: key.virt = kVKeyTab; break;
    case 0xff0b: key.virt = kVKeyClear; break;
    case 0xff0d: key.virt = kVKeyReturn; break;
    case 0xff13: key.virt = kVKeyPause; break;
    case 0xff1b: key.virt = kVKeyEscape; break;
    case 0xff50: key.virt = kVKeyHome; break;
    case 0xff51: key.virt = kVKeyLeft; break;
    case 0xff52: key.virt = kVKeyUp; break;
    case 0xff53: key.virt = kVKeyRight; break;
    case 0xff54: key.virt = kVKeyDown; break;
    case 0xff55: key.virt = kVKeyPageUp; break;
    case 0xff56: key.virt = kVKeyPageDown; break;
    case 0xff57: key.virt = kVKeyEnd; break;
    case 0xff60: key.virt = kVKeySelect; break;
    case 0xff61: key.virt = kVKeyPrint; break;
    case 0xff63: key.virt = kVKeyInsert; break;
    case 0xff6a: key.virt = kVKeyHelp; break;
    case 0xff8d: key.virt = kVKeyEnter; break;
    case 0xffff: key.virt = kVKeyDelete; break;
    case 0x20:
        key.virt = kVKeySpace;
        key.character = ' ';
        break;
    default:
        if ((keysym > 0x20 && keysym < 0x7f) || (keysym >= 0xa0 && keysym <= 0xff))
            key.character = static_cast<int32_t>(keysym);
        else if ((keysym & 0xff000000u) == 0x01000000u)
            key.character = static_cast<int32_t>(keysym & 0x00ffffffu);
        else if (keysym >= 0xffb0 && keysym <= 0xffb9)
            key.character = static_cast<int32_t>('0' + (keysym - 0xffb0));
        else
            return false;
    }
    if (state & XCB_MOD_MASK_SHIFT)
        key.modifier |= kModifierShift;
    if (state & XCB_MOD_MASK_CONTROL)
        key.modifier |= kModifierControl;
    if (state & XCB_MOD_MASK_1)
        key.modifier |= kModifierAlternate;
    return true;
}

long X11Window::buttonsFromState(uint16_t state) const
{
    long buttons = 0;
    if (state & XCB_BUTTON_MASK_1)
        buttons |= kLButton;
    if (state & XCB_BUTTON_MASK_2)
        buttons |= kMButton;
    if (state & XCB_BUTTON_MASK_3)
        buttons |= kRButton;
    if (state & XCB_MOD_MASK_SHIFT)
        buttons |= kShift;
    if (state & XCB_MOD_MASK_CONTROL)
        buttons |= kControl;
    if (state & XCB_MOD_MASK_1)
        buttons |= kAlt;
    return buttons;
}

void X11Window::present(cairo_surface_t* image, const std::vector<CRect>& areas)
{
    if (isBroken() || !surface || areas.empty())
        return;
    cairo_t* cr = cairo_create(surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, image, 0, 0);
    for (const CRect& r : areas)
        cairo_rectangle(cr, r.left, r.top, r.getWidth(), r.getHeight());
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    xcb_flush(connection);
}

void X11Window::pollEvents(std::vector<X11Event>& out)
{
    if (isBroken())
        return;
    while (xcb_generic_event_t* ev = xcb_poll_for_event(connection)) {
        X11Event e;
        bool keep = true;
        switch (ev->response_type & 0x7f) {
        case XCB_EXPOSE: {
            auto* x = reinterpret_cast<xcb_expose_event_t*>(ev);
            e.type = X11Event::kExpose;
            e.area = CRect(x->x, x->y, x->x + x->width, x->y + x->height);
            break;
        }
        case XCB_BUTTON_PRESS:
        case XCB_BUTTON_RELEASE: {
            auto* x = reinterpret_cast<xcb_button_press_event_t*>(ev);
            const bool press = (ev->response_type & 0x7f) == XCB_BUTTON_PRESS;
            e.where = CPoint(x->event_x, x->event_y);
            // The state holds the buttons down before this event.
            e.buttons = buttonsFromState(x->state) & ~(kLButton | kMButton | kRButton);
            if (x->detail == 4 || x->detail == 5) {
                keep = press;
                e.type = X11Event::kWheel;
                e.distance = x->detail == 4 ? 1.f : -1.f;
                break;
            }
            static const long kButtonBits[] = {0, kLButton, kMButton, kRButton};
            if (x->detail < 1 || x->detail > 3) {
                keep = false;
                break;
            }
            e.buttons |= kButtonBits[x->detail];
            e.type = press ? X11Event::kButtonDown : X11Event::kButtonUp;
            if (press) {
                const bool near = lastPressValid && lastPressButton == x->detail &&
                                  std::fabs(e.where.x - lastPressPoint.x) <= kDoubleClickDistance &&
                                  std::fabs(e.where.y - lastPressPoint.y) <= kDoubleClickDistance &&
                                  static_cast<uint32_t>(x->time - lastPressTime) <= kDoubleClickTime;
                if (near) {
                    e.buttons |= kDoubleClick;
                    lastPressValid = false; // a third click starts afresh
                } else {
                    lastPressValid = true;
                    lastPressButton = x->detail;
                    lastPressPoint = e.where;
                    lastPressTime = x->time;
                }
            }
            break;
        }
        case XCB_MOTION_NOTIFY: {
            auto* x = reinterpret_cast<xcb_motion_notify_event_t*>(ev);
            e.type = X11Event::kMotion;
            e.where = CPoint(x->event_x, x->event_y);
            e.buttons = buttonsFromState(x->state);
            break;
        }
        case XCB_ENTER_NOTIFY:
        case XCB_LEAVE_NOTIFY: {
            auto* x = reinterpret_cast<xcb_enter_notify_event_t*>(ev);
            e.type = (ev->response_type & 0x7f) == XCB_ENTER_NOTIFY ? X11Event::kEnter
                                                                    : X11Event::kLeave;
            e.where = CPoint(x->event_x, x->event_y);
            e.buttons = buttonsFromState(x->state);
            keep = x->mode == XCB_NOTIFY_MODE_NORMAL;
            break;
        }
        case XCB_KEY_PRESS:
        case XCB_KEY_RELEASE: {
            auto* x = reinterpret_cast<xcb_key_press_event_t*>(ev);
            e.type = (ev->response_type & 0x7f) == XCB_KEY_PRESS ? X11Event::kKeyDown
                                                                 : X11Event::kKeyUp;
            keep = keysymToKeyCode(keysymFor(x->detail, x->state), x->state, e.key);
            break;
        }
        case XCB_MAPPING_NOTIFY:
            loadKeymap();
            keep = false;
            break;
        default:
            keep = false;
            break;
        }
        std::free(ev);
        if (!keep)
            continue;
        // Only the latest of a run of moves matters to a drag.
        if (e.type == X11Event::kMotion && !out.empty() && out.back().type == X11Event::kMotion &&
            out.back().buttons == e.buttons)
            out.back() = e;
        else
            out.push_back(e);
    }
}
