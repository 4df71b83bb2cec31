// The LV2 bundle's library as an LV2 host drives it: the plug-in's state
// saved and restored (and refused), and its window opened into a host window
// on a private X server with instance-access, the host's write function,
// touch and resize recording what the window asks of the host.
#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/FactoryPresets.h"
#include "lv2/Ports.h"
#include "plugin/Sylvatone.h"
#include "tests/support/ParentWindow.h"
#include "tests/support/Xvfb.h"

namespace {

const char* const kUri = "https://zym-audio.net/plugins/sylvatone";

intptr_t quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// What the library exports, loaded once.
struct Library {
    void* handle = dlopen(SYLVATONE_LV2_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    const LV2_Descriptor* dsp = handle ? reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(
                                             dlsym(handle, "lv2_descriptor"))(0)
                                       : nullptr;
    const LV2UI_Descriptor* window = handle ? reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(
                                                  dlsym(handle, "lv2ui_descriptor"))(0)
                                            : nullptr;
};

const Library& library()
{
    static Library lib;
    return lib;
}

// A host's URID map and a state store holding one value.
struct Host {
    LV2_URID map(const char* uri) { return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second; }

    LV2_URID_Map urid{this, [](LV2_URID_Map_Handle h, const char* uri) { return static_cast<Host*>(h)->map(uri); }};
    LV2_Feature mapFeature{LV2_URID__map, &urid};
    const LV2_Feature* features[2] = {&mapFeature, nullptr};
    std::map<std::string, LV2_URID> ids;

    std::vector<char> value;
    LV2_URID key = 0, type = 0;
};

LV2_State_Status storeValue(LV2_State_Handle h, uint32_t key, const void* data, size_t size, uint32_t type,
                            uint32_t)
{
    auto* host = static_cast<Host*>(h);
    host->key = key;
    host->type = type;
    host->value.assign(static_cast<const char*>(data), static_cast<const char*>(data) + size);
    return LV2_STATE_SUCCESS;
}

const void* retrieveValue(LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
{
    auto* host = static_cast<Host*>(h);
    *size = host->value.size();
    *type = host->type;
    *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return key == host->key ? host->value.data() : nullptr;
}

// One plug-in instance with every port connected, controls at the
// description's defaults.
struct Instance {
    explicit Instance(Host& h) : host(h)
    {
        const Library& lib = library();
        handle = lib.dsp->instantiate(lib.dsp, 48000.0, "", host.features);
        if (!handle)
            return;
        state = static_cast<const LV2_State_Interface*>(lib.dsp->extension_data(LV2_STATE__interface));
        ports = lv2ports::controlPorts(&count);
        for (int c = 0; c < count; ++c) {
            controls[c] = lv2ports::fromNormalised(ports[c], factoryPrograms()[0].params[ports[c].param]);
            lib.dsp->connect_port(handle, static_cast<uint32_t>(lv2ports::kFirstControl + c), &controls[c]);
        }
        for (uint32_t p = 0; p < 4; ++p)
            lib.dsp->connect_port(handle, p, audio[p].data());
        lib.dsp->connect_port(handle, lv2ports::kLatency, &latency);
        lib.dsp->activate(handle);
        run();
    }
    ~Instance()
    {
        if (handle)
            library().dsp->cleanup(handle);
    }
    void run() { library().dsp->run(handle, 64); }
    std::vector<char> save()
    {
        EXPECT_EQ(state->save(handle, storeValue, &host, 0, nullptr), LV2_STATE_SUCCESS);
        return host.value;
    }
    LV2_State_Status restore(const std::vector<char>& value, LV2_URID type)
    {
        host.value = value;
        host.type = type;
        host.key = host.map((std::string(kUri) + "#programs").c_str());
        return state->restore(handle, retrieveValue, &host, 0, nullptr);
    }
    int port(const char* symbol) const
    {
        for (int c = 0; c < count; ++c)
            if (strcmp(ports[c].symbol, symbol) == 0)
                return c;
        return -1;
    }

    Host& host;
    LV2_Handle handle = nullptr;
    const LV2_State_Interface* state = nullptr;
    const lv2ports::ControlPort* ports = nullptr;
    int count = 0;
    float controls[lv2ports::kMaxControls] = {};
    std::vector<float> audio[4] = {std::vector<float>(64), std::vector<float>(64), std::vector<float>(64),
                                   std::vector<float>(64)};
    float latency = -1;
};

// A program store as the VST edition writes it: program 3 selected, renamed
// and changed, to compare with what the LV2 edition restores and saves.
std::vector<char> renamedStore()
{
    Sylvatone fx(quietHost);
    fx.setPresetNo(3);
    char name[] = "Upright room";
    fx.setProgramName(name);
    fx.setParameter(kParamLfGain, 40.0f / 60.0f);
    void* data = nullptr;
    const int32_t size = fx.getChunk(&data, false);
    return std::vector<char>(static_cast<char*>(data), static_cast<char*>(data) + size);
}

}  // namespace

TEST(Lv2Host, StateCarriesTheWholeProgramStoreAndRefusedStateChangesNothing)
{
    ASSERT_TRUE(library().dsp && library().window) << dlerror();
    Host host;
    Instance a(host);
    ASSERT_TRUE(a.handle);
    EXPECT_EQ(a.latency, 48.0f) << "the latency port at 48 kHz";

    const std::vector<char> store = renamedStore();
    const LV2_URID chunk = host.map(LV2_ATOM__Chunk);
    ASSERT_EQ(a.restore(store, chunk), LV2_STATE_SUCCESS);
    a.run();  // ports unchanged: the restored program stays as it is
    host.key = 0;
    EXPECT_EQ(a.save(), store);
    EXPECT_EQ(host.key, host.map((std::string(kUri) + "#programs").c_str()));

    // Another instance restores it to the byte, as a reopened session does.
    Instance b(host);
    ASSERT_EQ(b.restore(store, chunk), LV2_STATE_SUCCESS);
    EXPECT_EQ(b.save(), store);

    // Damaged, cut short within its header, or mistyped state is refused and
    // leaves it alone.
    std::vector<char> damaged = store;
    damaged[0] ^= 0x55;
    const std::vector<char> truncated(store.begin(), store.begin() + 12);
    EXPECT_NE(b.restore(damaged, chunk), LV2_STATE_SUCCESS);
    EXPECT_NE(b.restore(truncated, chunk), LV2_STATE_SUCCESS);
    EXPECT_EQ(b.restore(store, host.map(LV2_ATOM__String)), LV2_STATE_ERR_BAD_TYPE);
    EXPECT_NE(b.restore({}, chunk), LV2_STATE_SUCCESS);
    EXPECT_EQ(b.save(), store);

    // A port the host changes afterwards reaches the current program.
    b.controls[b.port("lfgain")] = -4.5f;
    b.run();
    Sylvatone probe(quietHost);
    std::vector<char> saved = b.save();
    ASSERT_GE(probe.setChunk(saved.data(), static_cast<int32_t>(saved.size()), false), 0);
    EXPECT_FLOAT_EQ(probe.getParameterValue(kParamLfGain), -4.5f);
    char name[32] = {};
    probe.getProgramName(name);
    EXPECT_STREQ(name, "Upright room");
}

TEST(Lv2Host, TheWindowWritesEditsAndProgramChangesToTheHostsPorts)
{
    Xvfb x;
    if (!x.running())
        GTEST_SKIP() << "Xvfb is not installed";
    setenv("DISPLAY", x.name().c_str(), 1);
    ParentWindow parent(x.name());
    Host host;
    Instance dsp(host);
    ASSERT_TRUE(dsp.handle);

    struct Calls {
        std::vector<std::pair<int, float>> writes;
        std::vector<std::pair<int, bool>> touches;
        int width = 0, height = 0;
    } calls;
    auto write = [](LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
        ASSERT_EQ(size, sizeof(float));
        ASSERT_EQ(format, 0u);
        static_cast<Calls*>(c)->writes.emplace_back(static_cast<int>(port) - lv2ports::kFirstControl,
                                                    *static_cast<const float*>(buffer));
    };
    LV2UI_Resize resize{&calls, [](LV2UI_Feature_Handle h, int w, int hgt) {
                            static_cast<Calls*>(h)->width = w;
                            static_cast<Calls*>(h)->height = hgt;
                            return 0;
                        }};
    LV2UI_Touch touch{&calls, [](LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
                          static_cast<Calls*>(h)->touches.emplace_back(
                              static_cast<int>(port) - lv2ports::kFirstControl, grabbed);
                      }};
    LV2_Feature access{LV2_INSTANCE_ACCESS_URI, dsp.handle}, parentFeature{LV2_UI__parent, parent.id()},
        resizeFeature{LV2_UI__resize, &resize}, touchFeature{LV2_UI__touch, &touch};
    const LV2_Feature* features[] = {&access, &parentFeature, &resizeFeature, &touchFeature, nullptr};
    const LV2UI_Descriptor* ui = library().window;
    const LV2_Feature* noAccess[] = {&parentFeature, nullptr};
    LV2UI_Widget widget = nullptr;
    EXPECT_EQ(ui->instantiate(ui, kUri, "", write, &calls, &widget, noAccess), nullptr)
        << "without instance-access there is no window";

    LV2UI_Handle window = ui->instantiate(ui, kUri, "", write, &calls, &widget, features);
    ASSERT_TRUE(window);
    EXPECT_NE(widget, nullptr);
    EXPECT_EQ(parent.children(), 1);
    EXPECT_EQ(std::make_pair(calls.width, calls.height), std::make_pair(782, 187));
    auto* idle = static_cast<const LV2UI_Idle_Interface*>(ui->extension_data(LV2_UI__idleInterface));
    ASSERT_TRUE(idle);
    auto idleFor = [&](int n) {
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(idle->idle(window), 0);
            dsp.run();
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    };
    idleFor(3);
    EXPECT_TRUE(calls.writes.empty()) << "opening writes nothing";

    const std::string click = "xdotool mousemove --window " + std::to_string(reinterpret_cast<uintptr_t>(widget)) + " ";
    // The LF switch: one write, inside a touch.
    const int lf = dsp.port("lf");
    ASSERT_EQ(system((click + "225 12 click 1").c_str()), 0);
    idleFor(3);
    ASSERT_EQ(calls.writes.size(), 1u);
    EXPECT_EQ(calls.writes[0], std::make_pair(lf, 0.0f));
    EXPECT_EQ(calls.touches, (std::vector<std::pair<int, bool>>{{lf, true}, {lf, false}}));

    // The host echoes the value: nothing more is written. A value the host
    // sets reaches the effect and is not written back.
    const int output = dsp.port("output");
    float off = 0.0f, loud = 4.5f;
    ui->port_event(window, lv2ports::kFirstControl + lf, sizeof(float), 0, &off);
    ui->port_event(window, lv2ports::kFirstControl + output, sizeof(float), 0, &loud);
    idleFor(2);
    EXPECT_EQ(calls.writes.size(), 1u);

    // The next program, chosen in the window: every port whose value differs
    // is written, with the program's values.
    calls.writes.clear();
    ASSERT_EQ(system((click + "337 178 click 1").c_str()), 0);
    idleFor(3);
    const lv2ports::ControlPort* ports = dsp.ports;
    const ProgramRecord& next = factoryPrograms()[1];
    std::vector<std::pair<int, float>> expected;
    for (int c = 0; c < dsp.count; ++c) {
        const float value = lv2ports::fromNormalised(ports[c], next.params[ports[c].param]);
        const float before = c == lf ? 0.0f : c == output ? 4.5f : dsp.controls[c];
        if (value != before)
            expected.emplace_back(c, value);
    }
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(calls.writes, expected);

    ui->cleanup(window);
    EXPECT_EQ(parent.children(), 0);
    dsp.run();
}
