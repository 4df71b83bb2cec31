#include "presets/XPlatAlert.h"

#include "gui/CAlertBox.h"

void XPlatAlert::show(const std::string& text, CFrame* frame)
{
    dialog.poll();
    if (dialog.running())
        return;
    ChildProcess::Options options;
    options.captureOutput = false;
    if (!dialog.start({"zenity", "--error", "--no-markup", "--text=" + text}, options))
        CAlertBox::show(frame, text);
}
