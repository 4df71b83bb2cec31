// A store that passes a reader's calls on but holds back the window
// refreshes until the reader finishes.
#pragma once

#include <string>
#include <vector>

#include "presets/PresetBuffer.h"

// Passes a reader's calls on to the store, but holds back the window
// refreshes until the reader finishes (it ends by selecting a program). A
// reader that refuses its data midway restores the programs itself; the
// refreshes it had asked for until then are dropped, so the window keeps
// showing the programs as they are.
class HeldStore : public PresetStore {
public:
    explicit HeldStore(PresetStore& target) : store(target) {}

    int32_t uniqueID() override { return store.uniqueID(); }
    long presetNo() override { return store.presetNo(); }
    ProgramRecord* programs() override { return store.programs(); }
    bool isDummy(int index) override { return store.isDummy(index); }
    bool isDummyOld(int index) override { return store.isDummyOld(index); }
    const ProgramRecord& programTemplate() override { return store.programTemplate(); }
    void setPresetName(const char* name) override
    {
        release();
        store.setPresetName(name);
    }
    void setPresetNo(long n) override
    {
        release();
        finished = true;
        store.setPresetNo(n);
    }
    void showMenuEntry(int entry, const char* name) override { hold(Refresh::MenuEntry, entry, name); }
    void selectMenuEntry(int entry) override { hold(Refresh::SelectEntry, entry, ""); }
    void showName(const char* name) override { hold(Refresh::Name, 0, name); }

    bool readToTheEnd() const { return finished; }

private:
    enum class Refresh { MenuEntry, SelectEntry, Name };
    struct Held {
        Refresh what;
        int entry;
        std::string name;
    };

    void hold(Refresh what, int entry, const char* name)
    {
        if (released)
            apply(Held{what, entry, name});
        else
            held.push_back(Held{what, entry, name});
    }
    void apply(const Held& h)
    {
        switch (h.what) {
        case Refresh::MenuEntry: store.showMenuEntry(h.entry, h.name.c_str()); break;
        case Refresh::SelectEntry: store.selectMenuEntry(h.entry); break;
        case Refresh::Name: store.showName(h.name.c_str()); break;
        }
    }
    void release()
    {
        released = true;
        for (const Held& h : held)
            apply(h);
        held.clear();
    }

    PresetStore& store;
    std::vector<Held> held;
    bool released = false;
    bool finished = false;
};
