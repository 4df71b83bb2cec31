#include "presets/CPresetSystemEditor.h"

#include "presets/CPresetSystemEffect.h"

// The store seen through the effect, refreshing the editor's window.
class CPresetSystemEditor::Store : public PresetStore {
public:
    explicit Store(CPresetSystemEditor& editor) : editor(editor) {}

    int32_t uniqueID() override { return effect().getUniqueID(); }
    long presetNo() override { return effect().getPresetNo(); }
    ProgramRecord* programs() override { return effect().programs.data(); }
    bool isDummy(int index) override { return effect().isDummy(index); }
    bool isDummyOld(int index) override { return effect().isDummyOld(index); }
    void initializePreset(long i) override { effect().initializePreset(i); }
    void setPresetName(const char* name) override { effect().setPresetName(name); }
    void setPresetNo(long n) override { effect().setPresetNo(n); }
    void showMenuEntry(int entry, const char* name) override { editor.showMenuEntry(entry, name); }
    void selectMenuEntry(int entry) override { editor.selectMenuEntry(entry); }
    void showName(const char* name) override { editor.showName(name); }

private:
    CPresetSystemEffect& effect() { return *editor.presetEffect; }
    CPresetSystemEditor& editor;
};

CPresetSystemEditor::CPresetSystemEditor(CPresetSystemEffect* effect)
    : AEffGUIEditor(effect), presetEffect(effect), store(new Store(*this))
{
}

CPresetSystemEditor::~CPresetSystemEditor() = default;

bool CPresetSystemEditor::open(void* /*parent*/)
{
    return frame && presetEffect;
}

void CPresetSystemEditor::close() {}

void CPresetSystemEditor::idle()
{
    AEffGUIEditor::idle();
}

void CPresetSystemEditor::valueChanged(CControl* /*control*/) {}

PresetStore& CPresetSystemEditor::presetStore()
{
    return *store;
}

void CPresetSystemEditor::BufferToBankOld(char* data, long available, bool swapped, int numPrograms,
                                          int numParams)
{
    bufferToBankOld(*store, data, available, swapped, numPrograms, numParams);
}

void CPresetSystemEditor::BufferToBank(char* data, long available, newpresetheader* header, bool swapped)
{
    if (header)
        bufferToBank(*store, data, available, *header, swapped);
}

long CPresetSystemEditor::BankToBuffer(char** out)
{
    return bankToBuffer(*store, out);
}

void CPresetSystemEditor::BufferToPresetOld(char* data, long available, bool swapped, int numParams)
{
    bufferToPresetOld(*store, data, available, swapped, numParams);
}

void CPresetSystemEditor::BufferToPreset(char* data, long available, newpresetheader* header, bool swapped)
{
    if (header)
        bufferToPreset(*store, data, available, *header, swapped);
}

long CPresetSystemEditor::PresetToBuffer(char** out)
{
    return presetToBuffer(*store, out);
}
