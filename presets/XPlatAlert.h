// A message with one "OK" button that nothing waits for: the desktop's own
// dialog (zenity --error, a program left running beside the host), or,
// without zenity, a box drawn in the editor's window. UI thread.
#pragma once

#include <string>

#include "gui/ChildProcess.h"

class CFrame;

class XPlatAlert {
public:
    // Shows text and returns at once. Without zenity the box goes over
    // frame (when there is one). While the previous message is still open
    // on the desktop, a new one is not shown.
    void show(const std::string& text, CFrame* frame);
    // From the idle: takes up a dialog that was closed.
    void poll() { dialog.poll(); }
    // Closes a dialog still open (the window it belongs to is closing).
    void stop() { dialog.stop(); }
    bool onDesktop() const { return dialog.running(); }

private:
    ChildProcess dialog;
};
