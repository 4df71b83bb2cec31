#include "gui/PortalFileChooser.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

const char* const kPortalName = "org.freedesktop.portal.Desktop";
const char* const kPortalPath = "/org/freedesktop/portal/desktop";
const char* const kFileChooser = "org.freedesktop.portal.FileChooser";
const char* const kRequest = "org.freedesktop.portal.Request";

// A portal that does not answer its first question within this time counts
// as missing, and another dialog is shown instead.
constexpr int kCheckTimeoutMs = 3000;
// How long letting go of the bus may take: the calls in flight report back
// (cancelled) and the portal confirms closing its dialog, normally in well
// under a millisecond.
constexpr auto kLetGoTime = std::chrono::milliseconds(200);

// Text the bus carries must be UTF-8; anything else is shown repaired.
std::string utf8(const std::string& text)
{
    gchar* valid = g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size()));
    std::string out = valid;
    g_free(valid);
    return out;
}

// The local file a file:// URI names (percent-escapes decoded, any bytes
// kept); empty for other schemes and for files on other hosts.
std::string localFileOf(const char* uri)
{
    gchar* host = nullptr;
    gchar* name = g_filename_from_uri(uri, &host, nullptr);
    const bool local = name && (!host || !*host || g_ascii_strcasecmp(host, "localhost") == 0);
    std::string file = local ? name : "";
    g_free(name);
    g_free(host);
    return file;
}

}  // namespace

// What the asynchronous calls share. The chooser holds one reference, every
// call in flight one more; callbacks run only inside poll() and the bounded
// wait of letting go, both on the UI thread. Once the chooser has let go
// (closing), callbacks only drop their reference.
struct PortalFileChooser::Session {
    int references = 1;
    bool closing = false;
    GMainContext* context = g_main_context_new();
    GCancellable* cancellable = g_cancellable_new();
    GDBusConnection* connection = nullptr;
    guint subscription = 0;
    std::string requestPath;
    FileDialogRequest request;
    State state = State::Pending;
    std::vector<std::string> files;

    ~Session()
    {
        if (connection)
            g_object_unref(connection);
        g_object_unref(cancellable);
        g_main_context_unref(context);
    }
};

namespace {

using Session = PortalFileChooser::Session;
using State = PortalFileChooser::State;

Session* hold(Session* s)
{
    ++s->references;
    return s;
}

void release(Session* s)
{
    if (--s->references == 0)
        delete s;
}

void releaseNotify(gpointer data)
{
    release(static_cast<Session*>(data));
}

void fail(Session* s)
{
    if (s->state == State::Pending)
        s->state = State::Unavailable;
}

void onResponse(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                gpointer data)
{
    Session* s = static_cast<Session*>(data);
    if (s->closing || s->state != State::Pending || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ua{sv})")))
        return;
    guint32 response = 2;
    GVariant* results = nullptr;
    g_variant_get(parameters, "(u@a{sv})", &response, &results);
    // 0: chosen; 1: cancelled; 2: ended some other way.
    const gchar** uris = nullptr;
    if (response == 0 && g_variant_lookup(results, "uris", "^a&s", &uris)) {
        for (const gchar** u = uris; *u; ++u) {
            const std::string file = localFileOf(*u);
            if (!file.empty())
                s->files.push_back(file);
        }
        g_free(uris);
    }
    g_variant_unref(results);
    s->state = State::Answered;
}

void subscribe(Session* s, const std::string& path)
{
    if (s->subscription)
        g_dbus_connection_signal_unsubscribe(s->connection, s->subscription);
    s->requestPath = path;
    s->subscription = g_dbus_connection_signal_subscribe(s->connection, kPortalName, kRequest, "Response",
                                                         path.c_str(), nullptr, G_DBUS_SIGNAL_FLAGS_NONE, onResponse,
                                                         hold(s), releaseNotify);
}

void onAsked(GObject* source, GAsyncResult* result, gpointer data)
{
    Session* s = static_cast<Session*>(data);
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (!reply) {
        g_error_free(error);
        fail(s);
    } else {
        const gchar* handle = nullptr;
        g_variant_get(reply, "(&o)", &handle);
        // Portals older than the handle token pick their own path.
        if (!s->closing && s->requestPath != handle)
            subscribe(s, handle);
        g_variant_unref(reply);
    }
    release(s);
}

GVariant* filterOf(const std::pair<std::string, std::string>& f)
{
    GVariantBuilder patterns;
    g_variant_builder_init(&patterns, G_VARIANT_TYPE("a(us)"));
    g_variant_builder_add(&patterns, "(us)", 0u, f.second.empty() ? "*" : ("*." + utf8(f.second)).c_str());
    return g_variant_new("(s@a(us))", utf8(f.first).c_str(), g_variant_builder_end(&patterns));
}

// Opens the dialog: OpenFile or SaveFile, with the answer expected on the
// request path that our unique name and the handle token make, subscribed
// before asking so that no answer can be missed.
void ask(Session* s)
{
    static unsigned counter = 0;
    const std::string token = "sylvatone" + std::to_string(++counter);
    std::string sender = g_dbus_connection_get_unique_name(s->connection);
    if (!sender.empty() && sender[0] == ':')
        sender.erase(0, 1);
    for (char& c : sender)
        if (c == '.')
            c = '_';
    subscribe(s, std::string(kPortalPath) + "/request/" + sender + "/" + token);

    const FileDialogRequest& r = s->request;
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    g_variant_builder_add(&options, "{sv}", "modal", g_variant_new_boolean(TRUE));
    if (r.multiple && !r.save)
        g_variant_builder_add(&options, "{sv}", "multiple", g_variant_new_boolean(TRUE));
    if (!r.filters.empty()) {
        GVariantBuilder filters;
        g_variant_builder_init(&filters, G_VARIANT_TYPE("a(sa(us))"));
        for (const auto& f : r.filters)
            g_variant_builder_add_value(&filters, filterOf(f));
        g_variant_builder_add_value(&filters, filterOf({"All files", ""}));
        g_variant_builder_add(&options, "{sv}", "filters", g_variant_builder_end(&filters));
        g_variant_builder_add(&options, "{sv}", "current_filter", filterOf(r.filters.front()));
    }
    // Paths are bytes (any encoding); the suggested name is shown as text.
    if (!r.folder.empty())
        g_variant_builder_add(&options, "{sv}", "current_folder", g_variant_new_bytestring(r.folder.c_str()));
    if (r.save && !r.name.empty())
        g_variant_builder_add(&options, "{sv}", "current_name", g_variant_new_string(utf8(r.name).c_str()));

    char parent[32] = "";
    if (r.parentWindow)
        snprintf(parent, sizeof parent, "x11:%lx", r.parentWindow);
    g_dbus_connection_call(s->connection, kPortalName, kPortalPath, kFileChooser, r.save ? "SaveFile" : "OpenFile",
                           g_variant_new("(ss@a{sv})", parent, utf8(r.title).c_str(), g_variant_builder_end(&options)),
                           G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, s->cancellable, onAsked,
                           hold(s));
}

void onChecked(GObject* source, GAsyncResult* result, gpointer data)
{
    Session* s = static_cast<Session*>(data);
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (!reply) {
        g_error_free(error);
        fail(s);
    } else {
        g_variant_unref(reply);
        if (!s->closing)
            ask(s);
    }
    release(s);
}

void onConnected(GObject*, GAsyncResult* result, gpointer data)
{
    Session* s = static_cast<Session*>(data);
    GError* error = nullptr;
    GDBusConnection* connection = g_dbus_connection_new_for_address_finish(result, &error);
    if (!connection) {
        g_error_free(error);
        fail(s);
    } else if (s->closing) {
        g_object_unref(connection);
    } else {
        s->connection = connection;
        g_dbus_connection_set_exit_on_close(connection, FALSE);
        // Is the portal there, with a file chooser? NO_AUTO_START: a portal
        // that is not running is not started for this; the name must have an
        // owner already.
        g_dbus_connection_call(connection, kPortalName, kPortalPath, "org.freedesktop.DBus.Properties", "Get",
                               g_variant_new("(ss)", kFileChooser, "version"), G_VARIANT_TYPE("(v)"),
                               G_DBUS_CALL_FLAGS_NO_AUTO_START, kCheckTimeoutMs, s->cancellable, onChecked, hold(s));
    }
    release(s);
}

void onClosed(GObject* source, GAsyncResult* result, gpointer data)
{
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
    if (reply)
        g_variant_unref(reply);
    release(static_cast<Session*>(data));
}

// Dispatches what is ready on the session's context, at most a bounded
// number of events, without waiting for any.
bool dispatch(Session* s)
{
    bool any = false;
    for (int i = 0; i < 64 && g_main_context_iteration(s->context, FALSE); ++i)
        any = true;
    return any;
}

}  // namespace

std::string PortalFileChooser::sessionBusAddress()
{
    const char* address = getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return address;
    // GLib would also try to start a bus through dbus-launch, which waits
    // for a program: only a socket that is already there is taken.
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime)
        return {};
    const std::string socket = std::string(runtime) + "/bus";
    struct stat st;
    if (stat(socket.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode))
        return {};
    gchar* escaped = g_dbus_address_escape_value(socket.c_str());
    const std::string result = std::string("unix:path=") + escaped;
    g_free(escaped);
    return result;
}

bool PortalFileChooser::start(const FileDialogRequest& request)
{
    cancel();
    files.clear();
    const std::string address = sessionBusAddress();
    if (address.empty())
        return false;
    session = new Session;
    session->request = request;
    state = State::Pending;
    // Callbacks of the calls started here belong to the private context.
    g_main_context_push_thread_default(session->context);
    g_dbus_connection_new_for_address(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, session->cancellable, onConnected, hold(session));
    g_main_context_pop_thread_default(session->context);
    return true;
}

PortalFileChooser::State PortalFileChooser::poll()
{
    if (!session)
        return state;
    g_main_context_push_thread_default(session->context);
    dispatch(session);
    g_main_context_pop_thread_default(session->context);
    if (session->state != State::Pending) {
        state = session->state;
        files = session->files;
        finish();
    }
    return state;
}

void PortalFileChooser::cancel()
{
    if (session)
        finish();
    state = State::Idle;
}

// Lets go of the session: a dialog still open is asked to close, the
// subscription and the calls in flight are ended, and their callbacks are
// given a short, bounded time to report back before the session goes. A bus
// that does not answer in that time keeps the session (and its context)
// for good, which is never iterated again.
void PortalFileChooser::finish()
{
    Session* s = session;
    session = nullptr;
    s->closing = true;
    g_main_context_push_thread_default(s->context);
    if (s->connection && !s->requestPath.empty() && s->state == State::Pending)
        g_dbus_connection_call(s->connection, kPortalName, s->requestPath.c_str(), kRequest, "Close", nullptr,
                               nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, 1000, nullptr, onClosed, hold(s));
    if (s->subscription)
        g_dbus_connection_signal_unsubscribe(s->connection, s->subscription);
    s->subscription = 0;
    g_cancellable_cancel(s->cancellable);
    const auto until = std::chrono::steady_clock::now() + kLetGoTime;
    while (s->references > 1 && std::chrono::steady_clock::now() < until)
        if (!dispatch(s))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    g_main_context_pop_thread_default(s->context);
    if (s->references == 1)
        release(s);
}
