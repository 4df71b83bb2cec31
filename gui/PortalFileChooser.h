// The desktop portal's file chooser (org.freedesktop.portal.FileChooser on
// the session bus), asked through GIO without ever waiting: every call is
// asynchronous, and its answers are dispatched on a private main context
// that poll() iterates without blocking. The selector's first choice.
// UI thread only.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct FileDialogRequest {
    bool save = false;
    bool multiple = false;
    std::string title;
    std::string folder;       // may be empty
    std::string name;         // a suggested name when saving; may be empty
    // (description, extension without the dot); the first one is selected.
    std::vector<std::pair<std::string, std::string>> filters;
    unsigned long parentWindow = 0;  // the X11 window asked from, 0 for none
};

class PortalFileChooser {
public:
    enum class State { Idle, Pending, Answered, Unavailable };

    PortalFileChooser() = default;
    // Closes a dialog still open.
    ~PortalFileChooser() { cancel(); }
    PortalFileChooser(const PortalFileChooser&) = delete;
    PortalFileChooser& operator=(const PortalFileChooser&) = delete;

    // Starts asking: false at once when no session bus is reachable.
    // Whether the portal is there (its name owned, its file chooser
    // present) is found out on the way; a later poll() says Unavailable
    // when it is not, and the caller takes another dialog.
    bool start(const FileDialogRequest& request);
    // Dispatches what has arrived, never waiting. Pending until the portal
    // has answered (Answered, with chosen() filled: empty when cancelled)
    // or has turned out to be missing or failing (Unavailable).
    State poll();
    const std::vector<std::string>& chosen() const { return files; }
    // Asks the portal to close an open dialog and lets go of the bus.
    void cancel();

    // The session bus's address: DBUS_SESSION_BUS_ADDRESS, else the
    // user's bus socket in XDG_RUNTIME_DIR; empty when there is neither.
    static std::string sessionBusAddress();

    struct Session;

private:
    void finish();

    Session* session = nullptr;
    State state = State::Idle;
    std::vector<std::string> files;
};
