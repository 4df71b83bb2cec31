#include "presets/CPresetSystemEditor.h"

#include <cstdlib>
#include <cstring>

#include "gui/CBitmap.h"
#include "gui/CFont.h"
#include "gui/CFrame.h"
#include "gui/CMenuItem.h"
#include "gui/CNewFileSelector.h"
#include "gui/COptionMenu.h"
#include "gui/CTextEdit.h"
#include "presets/CPSKickButton.h"
#include "presets/CPSRockerSwitch.h"
#include "presets/CSaveLoadButton.h"
#include "presets/MidiMap.h"
#include "presets/CPresetSystemEffect.h"
#include "presets/XPlatAlert.h"
#include "presets/XPlatFile.h"

namespace {

enum StripTag {
    kTagName = 92,
    kTagRocker = 93,
    kTagLoadBank = 94,
    kTagSaveBank = 95,
    kTagLoadPreset = 96,
    kTagSavePreset = 97,
    kTagMenu = 104,
    kTagDefaultBank = 105,
    kTagDefaultPreset = 106,
    kTagStoreA = 107,
    kTagStoreB = 108,
    kTagRecallA = 109,
    kTagRecallB = 110,
    kTagManual = 111,
};

enum class Button { Rocker, SaveLoad, Kick, KickDoubleClick };

// The strip's buttons in creation order: tag, class, rectangle, picture and
// its number of images.
struct StripButton {
    int tag;
    Button kind;
    CCoord left, top, right, bottom;
    int bitmap;
    int images;
};

const StripButton kStrip[] = {
    {kTagRocker, Button::Rocker, 313, 171, 344, 185, 19997, 5},
    {kTagLoadBank, Button::SaveLoad, 70, 171, 82, 185, 19993, 3},
    {kTagSaveBank, Button::SaveLoad, 20, 171, 32, 185, 19994, 3},
    {kTagDefaultBank, Button::KickDoubleClick, 32, 173, 69, 183, 19990, 3},
    {kTagLoadPreset, Button::SaveLoad, 150, 171, 162, 185, 19998, 3},
    {kTagSavePreset, Button::SaveLoad, 91, 171, 103, 185, 19999, 3},
    // Between the program buttons, at the height of the default-bank button.
    {kTagDefaultPreset, Button::KickDoubleClick, 103, 173, 150, 183, 19899, 3},
    {kTagRecallA, Button::Kick, 374, 171, 386, 185, 19991, 3},
    {kTagStoreA, Button::Kick, 352, 171, 364, 185, 19995, 3},
    {kTagRecallB, Button::Kick, 417, 171, 429, 185, 19992, 3},
    {kTagStoreB, Button::Kick, 395, 171, 407, 185, 19996, 3},
    {kTagManual, Button::Kick, 742, 171, 758, 185, 989, 3},
};

const char* kManualPath = "Documents/ZYM Audio/ZYM sylvatone/ZYM sylvatone Manual.pdf";

// The program's name as it is stored: 24 bytes, terminated.
std::string nameOf(const ProgramRecord& program)
{
    return std::string(program.name, strnlen(program.name, kProgramNameSize));
}

}  // namespace

// The store seen through the effect, refreshing the editor's window.
class CPresetSystemEditor::Store : public PresetStore {
public:
    explicit Store(CPresetSystemEditor& editor) : editor(editor) {}

    int32_t uniqueID() override { return effect().getUniqueID(); }
    long presetNo() override { return effect().getPresetNo(); }
    ProgramRecord* programs() override { return effect().committedPrograms(); }
    bool isDummy(int index) override { return effect().isDummy(index); }
    bool isDummyOld(int index) override { return effect().isDummyOld(index); }
    const ProgramRecord& programTemplate() override { return effect().templateProgram; }
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

CPresetSystemEditor::~CPresetSystemEditor()
{
    storePathsAndFilenames();
}

PresetStore& CPresetSystemEditor::presetStore()
{
    return *store;
}

bool CPresetSystemEditor::open(void* /*parent*/)
{
    if (!frame || !presetEffect)
        return false;
    // The window's background, which the derived editor has already loaded
    // for the frame; the name field and the menu show pieces of it.
    CBitmap* background = frame->getBackground();
    if (background)
        background->remember();
    else
        background = new CBitmap(CResourceDescription(11500));

    // The name field, its height centred on the font.
    const int m = (171 + 185) / 2;
    const int h = static_cast<int>(kNormalFontSmall->getSize());
    const CRect nameRect(175, m - h / 2 - 2, 292, m + h / 2 + 2);
    const long current = presetEffect->getPresetNo();
    const std::string name = nameOf(presetEffect->program(static_cast<int>(current)));
    nameDisplay = new CTextEdit(nameRect, this, kTagName, name.c_str(), background, 0);
    nameDisplay->setBackOffset(CPoint(nameRect.left, nameRect.top));
    nameDisplay->setBackColor(CColor(209, 227, 238, 255));
    nameDisplay->setFont(kNormalFontSmall);
    nameDisplay->setFontColor(CColor(36, 36, 32, 255));
    nameDisplay->setFrameColor(CColor(36, 36, 32, 255));
    nameDisplay->setHoriAlign(kCenterText);
    frame->addView(nameDisplay);

    const CRect menuRect(293, 171, 305, 185);
    programMenu = new COptionMenu(menuRect, this, kTagMenu, background, nullptr, 7680);
    programMenu->setBackOffset(CPoint(menuRect.left, menuRect.top));
    programMenu->setNbItemsPerColumn(12);
    for (int p = 0; p < kNumPrograms; ++p)
        programMenu->addEntry(nameOf(presetEffect->program(p)).c_str());
    programMenu->setCurrent(current);
    frame->addView(programMenu);

    for (const StripButton& b : kStrip) {
        CBitmap* bitmap = new CBitmap(CResourceDescription(b.bitmap));
        const CRect size(b.left, b.top, b.right, b.bottom);
        const CCoord imageHeight = static_cast<CCoord>(static_cast<int>(bitmap->getHeight() / b.images));
        CControl* control = nullptr;
        switch (b.kind) {
        case Button::Rocker:
            control = new CPSRockerSwitch(size, this, b.tag, imageHeight, bitmap, CPoint(0, 0), 0);
            break;
        case Button::SaveLoad:
            control = new CSaveLoadButton(size, this, b.tag, imageHeight, bitmap, CPoint(0, 0));
            break;
        case Button::Kick:
        case Button::KickDoubleClick: {
            auto* kick = new CPSKickButton(size, this, b.tag, imageHeight, bitmap, CPoint(0, 0),
                                           b.kind == Button::KickDoubleClick);
            if (b.tag == kTagManual)
                manualButton = kick;
            control = kick;
            break;
        }
        }
        frame->addView(control);
        bitmap->forget();
    }
    background->forget();
    return true;
}

void CPresetSystemEditor::close()
{
    nameDisplay = nullptr;
    programMenu = nullptr;
    manualButton = nullptr;
}

void CPresetSystemEditor::idle()
{
    AEffGUIEditor::idle();
}

void CPresetSystemEditor::showMenuEntry(int entry, const char* name)
{
    if (!programMenu)
        return;
    programMenu->setCurrent(entry);
    if (CMenuItem* item = programMenu->getEntry(entry))
        item->setTitle(name);
    programMenu->setDirty(true);
}

void CPresetSystemEditor::selectMenuEntry(int entry)
{
    if (programMenu) {
        programMenu->setCurrent(entry);
        programMenu->setDirty(true);
    }
}

void CPresetSystemEditor::showName(const char* name)
{
    if (nameDisplay) {
        nameDisplay->setText(name);
        nameDisplay->setDirty(true);
    }
}

void CPresetSystemEditor::showSelectedProgram()
{
    const long n = presetEffect->getPresetNo();
    const std::string name = nameOf(presetEffect->program(static_cast<int>(n)));
    showMenuEntry(static_cast<int>(n), name.c_str());
    showName(name.c_str());
    if (frame)
        frame->invalid();
}

void CPresetSystemEditor::nameChangedExternal(char* name)
{
    showName(name);
    if (programMenu)
        if (CMenuItem* item = programMenu->getCurrent())
            item->setTitle(name);
}

void CPresetSystemEditor::valueChanged(CControl* control)
{
    if (!presetEffect || !control)
        return;
    const float value = control->getValue();
    switch (control->getTag()) {
    case kTagName: {
        char text[kProgramNameSize + 1] = {};
        strncpy(text, nameDisplay ? nameDisplay->getText() : "", kProgramNameSize);
        showName(text);
        if (programMenu)
            if (CMenuItem* item = programMenu->getCurrent())
                item->setTitle(text);
        presetEffect->setPresetName(text);
        break;
    }
    case kTagRocker: {
        long n = presetEffect->getPresetNo();
        if (value > 0.0f)
            n = n + 1 > kNumPrograms - 1 ? kNumPrograms - 1 : n + 1;
        else if (value < 0.0f)
            n = n - 1 < 0 ? 0 : n - 1;
        else
            break;
        const std::string name = nameOf(presetEffect->program(static_cast<int>(n)));
        selectMenuEntry(static_cast<int>(n));
        showName(name.c_str());
        presetEffect->setPresetNo(n);
        presetEffect->setPresetName(name.c_str());
        break;
    }
    case kTagLoadBank:
        loadBank(value == 0.5f);
        break;
    case kTagSaveBank:
        saveBank();
        break;
    case kTagLoadPreset:
        loadPreset(value == 0.5f);
        break;
    case kTagSavePreset:
        savePreset();
        break;
    case kTagMenu: {
        const int i = static_cast<int>(value + 0.5f);
        if (i < 0 || i >= kNumPrograms)
            break;
        selectMenuEntry(i);
        std::string title = nameOf(presetEffect->program(i));
        if (programMenu)
            if (CMenuItem* item = programMenu->getEntry(i))
                title = item->getTitle();
        presetEffect->setPresetNo(i);
        presetEffect->setPresetName(title.c_str());
        showName(title.c_str());
        break;
    }
    case kTagDefaultBank:
        if (value >= 0.75f)
            saveDefaultBank();
        else
            resetDefaultBank();
        break;
    case kTagDefaultPreset:
        if (value >= 0.75f)
            saveDefaultPreset();
        else
            resetDefaultPreset();
        break;
    case kTagStoreA:
        storeA();
        break;
    case kTagStoreB:
        storeB();
        break;
    case kTagRecallA:
        recallA();
        break;
    case kTagRecallB:
        recallB();
        break;
    case kTagManual:
        openManual();
        break;
    default:
        break;
    }
}

std::string CPresetSystemEditor::chooseFile(bool save, const char* title, const char* description,
                                            const char* extension, const std::string& defaultName)
{
    CNewFileSelector* selector = CNewFileSelector::create(
        frame, save ? CNewFileSelector::kSelectSaveFile : CNewFileSelector::kSelectFile);
    if (!selector)
        return {};
    selector->setTitle(title);
    if (!paths.dir.empty())
        selector->setInitialDirectory(paths.dir.c_str());
    const CFileExtension type(description, extension);
    selector->addFileExtension(type);
    selector->setDefaultExtension(type);
    if (save && !defaultName.empty())
        selector->setDefaultSaveName(defaultName.c_str());
    std::string chosen;
    if (selector->runModal() && selector->getNumSelectedFiles() > 0 && selector->getSelectedFile(0))
        chosen = selector->getSelectedFile(0);
    selector->forget();
    return chosen;
}

void CPresetSystemEditor::loadBank(bool reversed)
{
    const std::string path = chooseFile(false, reversed ? "Load bank (endian-reversed)" : "Load bank",
                                        kBankFileDescription, kBankFileExtension, paths.bank);
    if (path.empty())
        return;
    XPlatGetFileNameAndDir(path, paths.bank, paths.dir);
    if (loadBankFile(*store, path, reversed))
        showSelectedProgram();
}

void CPresetSystemEditor::saveBank()
{
    const std::string path =
        chooseFile(true, "Save bank", kBankFileDescription, kBankFileExtension, paths.bank);
    if (path.empty())
        return;
    XPlatGetFileNameAndDir(path, paths.bank, paths.dir);
    saveBankFile(*store, path);
}

void CPresetSystemEditor::loadPreset(bool reversed)
{
    const std::string path =
        chooseFile(false, reversed ? "Load preset (endian-reversed)" : "Load preset",
                   kPresetFileDescription, kPresetFileExtension, paths.preset);
    if (path.empty())
        return;
    XPlatGetFileNameAndDir(path, paths.preset, paths.dir);
    if (loadPresetFile(*store, path, reversed))
        showSelectedProgram();
}

void CPresetSystemEditor::savePreset()
{
    const std::string path =
        chooseFile(true, "Save preset", kPresetFileDescription, kPresetFileExtension, paths.preset);
    if (path.empty())
        return;
    XPlatGetFileNameAndDir(path, paths.preset, paths.dir);
    savePresetFile(*store, path);
}

void CPresetSystemEditor::saveDefaultBank()
{
    ::saveDefaultBank(*store, preferences);
}

void CPresetSystemEditor::resetDefaultBank()
{
    ::resetDefaultBank(preferences);
}

void CPresetSystemEditor::saveDefaultPreset()
{
    ::saveDefaultPreset(*store, preferences);
}

void CPresetSystemEditor::resetDefaultPreset()
{
    ::resetDefaultPreset(preferences);
}

void CPresetSystemEditor::storeA()
{
    ::storeA(*store, preferences);
}

void CPresetSystemEditor::storeB()
{
    ::storeB(*store, preferences);
}

void CPresetSystemEditor::recallA()
{
    if (::recallA(*store, preferences))
        showSelectedProgram();
}

void CPresetSystemEditor::recallB()
{
    if (::recallB(*store, preferences))
        showSelectedProgram();
}

void CPresetSystemEditor::resetDefaultMidi()
{
    ::resetDefaultMidi(preferences);
}

void CPresetSystemEditor::storePathsAndFilenames()
{
    ::storePathsAndFilenames(paths, preferences);
}

void CPresetSystemEditor::recallPathsAndFilenames()
{
    ::recallPathsAndFilenames(paths, preferences);
}

void CPresetSystemEditor::loadDefaults()
{
    ::loadDefaults(*store, preferences, paths);
}

std::string CPresetSystemEditor::manualCommand()
{
    return std::string("xdg-open ~/\"") + kManualPath + "\" >/dev/null 2>&1";
}

void CPresetSystemEditor::openManual()
{
    if (system(manualCommand().c_str()) != 0) {
        const std::string message = std::string("Could not open manual file:\n~/\"") + kManualPath + "\"";
        XPlatDisplayAlert(message.c_str(), frame);
    }
    if (manualButton)
        manualButton->release();
}

void CPresetSystemEditor::BufferToBankOld(char* data, long available, bool swapped, int numPrograms,
                                          int numParams)
{
    readBankOld(*store, data, available, swapped, numPrograms, numParams);
}

void CPresetSystemEditor::BufferToBank(char* data, long available, newpresetheader* header, bool swapped)
{
    if (header)
        readBank(*store, data, available, *header, swapped);
}

long CPresetSystemEditor::BankToBuffer(char** out)
{
    return writeBank(*store, out);
}

void CPresetSystemEditor::BufferToPresetOld(char* data, long available, bool swapped, int numParams)
{
    readPresetOld(*store, data, available, swapped, numParams);
}

void CPresetSystemEditor::BufferToPreset(char* data, long available, newpresetheader* header, bool swapped)
{
    if (header)
        readPreset(*store, data, available, *header, swapped);
}

namespace {

// Assignment values through the effect's parameter interface.
class EffectMidiParameters : public MidiMapParameters {
public:
    explicit EffectMidiParameters(CPresetSystemEffect& effect) : effect(effect) {}
    float getParameter(long index) override { return effect.getParameter(static_cast<int32_t>(index)); }
    void setParameter(long index, float value) override
    {
        effect.setParameter(static_cast<int32_t>(index), value);
    }

private:
    CPresetSystemEffect& effect;
};

}  // namespace

long CPresetSystemEditor::MidiToBuffer(char** out)
{
    EffectMidiParameters params(*presetEffect);
    return writeMidiMap(*store, params, out);
}

void CPresetSystemEditor::BufferToMidi(char* data, long available, newpresetheader* header, bool swapped)
{
    EffectMidiParameters params(*presetEffect);
    if (header)
        readMidiMap(params, data, available, *header, swapped);
}

void CPresetSystemEditor::BufferToMidiOld(char* data, long available, bool swapped, int numParams)
{
    EffectMidiParameters params(*presetEffect);
    readMidiMapOld(*store, params, data, available, swapped, numParams);
}

long CPresetSystemEditor::PresetToBuffer(char** out)
{
    return writePreset(*store, out);
}
