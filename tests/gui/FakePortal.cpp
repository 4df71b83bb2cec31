// A stand-in for the desktop portal's file chooser on a private session bus:
// owns org.freedesktop.portal.Desktop, logs every OpenFile, SaveFile and
// Close it gets (one line each), and answers each dialog after a delay with
// the response and URIs it was started with. Prints "ready" once it owns
// the name.
//
//     fake_portal LOG RESPONSE DELAY_MS [URI...]
//     fake_portal --no-file-chooser LOG   (owns the name, offers no chooser)
#include <gio/gio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kXml =
    "<node>"
    " <interface name='org.freedesktop.portal.FileChooser'>"
    "  <method name='OpenFile'><arg type='s' direction='in'/><arg type='s' direction='in'/>"
    "   <arg type='a{sv}' direction='in'/><arg type='o' direction='out'/></method>"
    "  <method name='SaveFile'><arg type='s' direction='in'/><arg type='s' direction='in'/>"
    "   <arg type='a{sv}' direction='in'/><arg type='o' direction='out'/></method>"
    "  <property name='version' type='u' access='read'/>"
    " </interface>"
    " <interface name='org.freedesktop.portal.Request'>"
    "  <method name='Close'/>"
    " </interface>"
    "</node>";

GDBusNodeInfo* node = nullptr;
std::string logPath;
guint32 response = 0;
guint delayMs = 0;
std::vector<std::string> uris;

void note(const std::string& line)
{
    if (FILE* f = fopen(logPath.c_str(), "a")) {
        fprintf(f, "%s\n", line.c_str());
        fclose(f);
    }
}

// One open dialog: its request object and the answer still to come.
struct Request {
    GDBusConnection* connection;
    std::string caller;
    std::string path;
    guint object = 0;
    guint timer = 0;
};

void endRequest(Request* r)
{
    if (r->timer)
        g_source_remove(r->timer);
    g_dbus_connection_unregister_object(r->connection, r->object);
}

gboolean answer(gpointer data)
{
    auto* r = static_cast<Request*>(data);
    r->timer = 0;
    GVariantBuilder results;
    g_variant_builder_init(&results, G_VARIANT_TYPE_VARDICT);
    if (response == 0) {
        GVariantBuilder list;
        g_variant_builder_init(&list, G_VARIANT_TYPE("as"));
        for (const std::string& u : uris)
            g_variant_builder_add(&list, "s", u.c_str());
        g_variant_builder_add(&results, "{sv}", "uris", g_variant_builder_end(&list));
    }
    g_dbus_connection_emit_signal(r->connection, r->caller.c_str(), r->path.c_str(), "org.freedesktop.portal.Request",
                                  "Response", g_variant_new("(ua{sv})", response, &results), nullptr);
    endRequest(r);
    return G_SOURCE_REMOVE;
}

void onRequestCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method, GVariant*,
                   GDBusMethodInvocation* invocation, gpointer data)
{
    if (strcmp(method, "Close") == 0) {
        note("Close");
        endRequest(static_cast<Request*>(data));
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

const GDBusInterfaceVTable kRequestVTable = {onRequestCall, nullptr, nullptr, {}};

void onChooserCall(GDBusConnection* connection, const gchar* sender, const gchar*, const gchar*, const gchar* method,
                   GVariant* parameters, GDBusMethodInvocation* invocation, gpointer)
{
    const gchar* parent = nullptr;
    const gchar* title = nullptr;
    GVariant* options = nullptr;
    g_variant_get(parameters, "(&s&s@a{sv})", &parent, &title, &options);
    gchar* printed = g_variant_print(options, FALSE);
    note(std::string(method) + " parent=" + parent + " title=" + title + " options=" + printed);
    g_free(printed);

    const gchar* token = "none";
    g_variant_lookup(options, "handle_token", "&s", &token);
    std::string caller = sender + 1;
    for (char& c : caller)
        if (c == '.')
            c = '_';
    auto* r = new Request{connection, sender, std::string("/org/freedesktop/portal/desktop/request/") + caller + "/" +
                                                  token};
    r->object = g_dbus_connection_register_object(connection, r->path.c_str(), node->interfaces[1], &kRequestVTable,
                                                  r, [](gpointer d) { delete static_cast<Request*>(d); }, nullptr);
    r->timer = g_timeout_add(delayMs, answer, r);
    g_variant_unref(options);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", r->path.c_str()));
}

GVariant* onChooserProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GError**,
                            gpointer)
{
    return g_variant_new_uint32(3);
}

const GDBusInterfaceVTable kChooserVTable = {onChooserCall, onChooserProperty, nullptr, {}};

}  // namespace

int main(int argc, char** argv)
{
    int first = 1;
    const bool offersChooser = !(argc > 1 && strcmp(argv[1], "--no-file-chooser") == 0);
    if (!offersChooser)
        ++first;
    if (argc <= first) {
        fprintf(stderr, "usage: fake_portal [--no-file-chooser] LOG [RESPONSE DELAY_MS URI...]\n");
        return 2;
    }
    logPath = argv[first];
    if (argc > first + 2) {
        response = static_cast<guint32>(atoi(argv[first + 1]));
        delayMs = static_cast<guint>(atoi(argv[first + 2]));
        for (int i = first + 3; i < argc; ++i)
            uris.push_back(argv[i]);
    }

    GError* error = nullptr;
    GDBusConnection* connection = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!connection) {
        fprintf(stderr, "fake_portal: %s\n", error->message);
        return 1;
    }
    node = g_dbus_node_info_new_for_xml(kXml, nullptr);
    if (offersChooser)
        g_dbus_connection_register_object(connection, "/org/freedesktop/portal/desktop", node->interfaces[0],
                                          &kChooserVTable, nullptr, nullptr, nullptr);
    g_bus_own_name_on_connection(
        connection, "org.freedesktop.portal.Desktop", G_BUS_NAME_OWNER_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, gpointer) {
            printf("ready\n");
            fflush(stdout);
        },
        [](GDBusConnection*, const gchar*, gpointer) { exit(1); }, nullptr, nullptr);
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop);
    return 0;
}
