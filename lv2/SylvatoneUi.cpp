// The LV2 edition's window: the VST edition's editor, opened inside the
// host's parent window and driven by the host's idle calls. It reaches the
// running effect through instance-access. Controls moved in the window go to
// the host through its write function (with touch gestures where offered);
// port values the host changes reach the effect, and so the window; after a
// program change in the window the host's ports are brought in line.
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "lv2/EffectHost.h"
#include "lv2/Lv2Uris.h"
#include "plugin/Sylvatone.h"
#include "gui/CFrame.h"
#include "shell/AEffGUIEditor.h"

EffectHost& effectHostOf(LV2_Handle handle);

namespace {

class Window : public UiLink {
public:
    Window(EffectHost& h, LV2UI_Write_Function w, LV2UI_Controller c)
        : host(h), effect(h.plugin()), write(w), controller(c), thread(std::this_thread::get_id())
    {
        for (int c = 0; c < host.controlCount(); ++c)
            portValue[c] = currentValue(c);
    }

    bool open(void* parent, LV2UI_Widget* widget)
    {
        host.attachUi(this);
        if (!effect.getEditor() || !effect.dispatcher(effEditOpen, 0, 0, parent, 0.0f)) {
            host.attachUi(nullptr);
            return false;
        }
        ERect* rect = nullptr;
        effect.dispatcher(effEditGetRect, 0, 0, &rect, 0.0f);
        if (rect)
            resize(rect->right - rect->left, rect->bottom - rect->top);
        *widget = windowId();
        return true;
    }

    ~Window() override
    {
        host.attachUi(nullptr);
        effect.dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
    }

    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
    {
        const int c = static_cast<int>(port) - lv2ports::kFirstControl;
        if (format != 0 || size != sizeof(float) || c < 0 || c >= host.controlCount())
            return;
        const float value = *static_cast<const float*>(buffer);
        // Only news: an echo of what the window wrote changes nothing.
        if (value == portValue[c])
            return;
        portValue[c] = value;
        if (currentValue(c) != value)
            effect.setParameter(host.control(c).param, lv2ports::toNormalised(host.control(c), value));
    }

    int idle()
    {
        if (programDirty.exchange(false, std::memory_order_acq_rel))
            for (int c = 0; c < host.controlCount(); ++c)
                send(c, currentValue(c));
        effect.dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);
        return 0;
    }

    void setResize(const LV2UI_Resize* r) { resizer = r; }
    void setTouch(const LV2UI_Touch* t) { toucher = t; }

    // UiLink: edits made in the window.
    void parameterEdited(int param, float normalised) override
    {
        if (std::this_thread::get_id() != thread)
            return;
        const int c = host.controlOf(param);
        send(c, lv2ports::fromNormalised(host.control(c), normalised));
    }

    void gesture(int param, bool begin) override
    {
        if (toucher && std::this_thread::get_id() == thread)
            toucher->touch(toucher->handle, static_cast<uint32_t>(lv2ports::kFirstControl + host.controlOf(param)),
                           begin);
    }

    void programChanged() override { programDirty.store(true, std::memory_order_release); }

    bool resize(int width, int height) override
    {
        return resizer && resizer->ui_resize(resizer->handle, width, height) == 0;
    }

private:
    float currentValue(int c)
    {
        return lv2ports::fromNormalised(host.control(c), effect.getParameter(host.control(c).param));
    }

    void send(int c, float value)
    {
        if (value == portValue[c])
            return;
        portValue[c] = value;
        write(controller, static_cast<uint32_t>(lv2ports::kFirstControl + c), sizeof(float), 0, &value);
    }

    LV2UI_Widget windowId()
    {
        auto* editor = dynamic_cast<VSTGUIEditorInterface*>(effect.getEditor());
        const CFrame* frame = editor ? editor->getFrame() : nullptr;
        return reinterpret_cast<LV2UI_Widget>(static_cast<uintptr_t>(frame ? frame->getWindowId() : 0));
    }

    EffectHost& host;
    Sylvatone& effect;
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    std::thread::id thread;
    const LV2UI_Resize* resizer = nullptr;
    const LV2UI_Touch* toucher = nullptr;
    std::atomic<bool> programDirty{false};
    // The value the host holds for each control port, as far as the window
    // knows: what it wrote or was told last.
    float portValue[lv2ports::kMaxControls] = {};
};

const void* feature(const LV2_Feature* const* features, const char* uri)
{
    for (int i = 0; features && features[i]; ++i)
        if (strcmp(features[i]->URI, uri) == 0)
            return features[i]->data;
    return nullptr;
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    const void* instance = feature(features, LV2_INSTANCE_ACCESS_URI);
    void* parent = const_cast<void*>(feature(features, LV2_UI__parent));
    if (strcmp(pluginUri, lv2uris::kPlugin) != 0 || !instance || !parent || !write)
        return nullptr;
    auto* window = new Window(effectHostOf(const_cast<void*>(instance)), write, controller);
    window->setResize(static_cast<const LV2UI_Resize*>(feature(features, LV2_UI__resize)));
    window->setTouch(static_cast<const LV2UI_Touch*>(feature(features, LV2_UI__touch)));
    if (!window->open(parent, widget)) {
        delete window;
        return nullptr;
    }
    return window;
}

void cleanup(LV2UI_Handle handle)
{
    delete static_cast<Window*>(handle);
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    static_cast<Window*>(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle)
{
    return static_cast<Window*>(handle)->idle();
}

const void* extensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idleInterface = {idle};
    return strcmp(uri, LV2_UI__idleInterface) == 0 ? &idleInterface : nullptr;
}

const LV2UI_Descriptor kDescriptor = {lv2uris::kUi, instantiate, cleanup, portEvent, extensionData};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
