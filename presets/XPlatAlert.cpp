#include "presets/XPlatAlert.h"

#include <spawn.h>
#include <sys/wait.h>

#include <string>

#include "gui/CDrawContext.h"
#include "gui/CFont.h"
#include "gui/CFrame.h"

extern char** environ;

namespace {

// A box in the window with the message; a click anywhere closes it.
class AlertView : public CView {
public:
    AlertView(const CRect& size, const std::string& text) : CView(size), text(text) {}

    void draw(CDrawContext* context) override
    {
        context->setFillColor(CColor(250, 246, 232, 255));
        context->fillRect(size);
        context->setFrameColor(CColor(60, 50, 40, 255));
        context->drawRect(size);
        context->setFont(kNormalFontSmall);
        context->setFontColor(CColor(36, 36, 32, 255));
        CRect line(size.left + 12, size.top + 10, size.right - 12, size.top + 26);
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            context->drawString(text.substr(start, end - start).c_str(), line, kLeftText, true);
            line.offset(0, 16);
            start = end + 1;
        }
        CRect ok(size.right - 52, size.bottom - 24, size.right - 12, size.bottom - 8);
        context->drawRect(ok);
        context->drawString("OK", ok, kCenterText, true);
        setDirty(false);
    }

    CMouseEventResult onMouseDown(CPoint&, const long&) override
    {
        CFrame* frame = getFrame();
        if (frame && frame->getModalView() == this) {
            frame->setModalView(nullptr);
            frame->invalid();
            forget();
        }
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }

private:
    std::string text;
};

bool runZenity(const char* text)
{
    const std::string message = std::string("--text=") + text;
    const char* argv[] = {"zenity", "--warning", "--no-markup", message.c_str(), "--ok-label=OK",
                          nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "zenity", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return false;
    int status = 0;
    if (waitpid(pid, &status, 0) < 0)
        return false;
    // 127: the shell could not find it; anything else means it was shown.
    return !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
}

}  // namespace

void XPlatDisplayAlert(const char* text, CFrame* frame)
{
    if (!text || runZenity(text) || !frame)
        return;
    const CRect area = frame->getViewSize();
    const CRect box(area.left + 140, area.top + 40, area.right - 140, area.top + 130);
    auto* view = new AlertView(box, text);
    if (!frame->setModalView(view))
        view->forget();
}
