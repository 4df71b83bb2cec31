#include "presets/CPresetSystemEditor.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "gui/CBitmap.h"
#include "gui/CFont.h"
#include "gui/CFrame.h"
#include "gui/CMenuItem.h"
#include "gui/CNewFileSelector.h"
#include "gui/COptionMenu.h"
#include "gui/CTextEdit.h"
#include "presets/CMemoryMark.h"
#include "presets/CPSKickButton.h"
#include "presets/CPSRockerSwitch.h"
#include "presets/CSaveLoadButton.h"
#include "presets/MidiMap.h"
#include "presets/CPresetSystemEffect.h"
#include "presets/XPlatFile.h"
#include "resources/Layout.h"
#include "shell/BundleReference.h"

namespace {

using namespace layout;

// The user's copy, under the home folder, and the one in the bundle.
const char* const kManualPath = "Documents/ZYM Audio/ZYM sylvatone/ZYM sylvatone Manual.pdf";
const char* const kBundleManualPath = "/Contents/Resources/ZYM sylvatone Manual.pdf";

bool isFile(const std::string& path)
{
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The program's name as it is stored: 24 bytes, terminated.
std::string nameOf(const ProgramRecord& program)
{
    return std::string(program.name, strnlen(program.name, kProgramNameSize));
}

}  // namespace

// Attached to the effect's store for the effect's whole life (the effect
// owns this object and deletes it last).
CPresetSystemEditor::CPresetSystemEditor(CPresetSystemEffect* effect) : AEffGUIEditor(effect), presetEffect(effect)
{
    if (presetEffect)
        presetEffect->setView(this);
    recallPathsAndFilenames();
}

CPresetSystemEditor::~CPresetSystemEditor()
{
    stopDesktopPrograms();
    storePathsAndFilenames();
}

PresetStore& CPresetSystemEditor::presetStore()
{
    return presetEffect->presetStore();
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
        background = new CBitmap(CResourceDescription(kBackgroundBitmap), frame->getScale());

    // The name field, its height centred on the font.
    const int m = (kNameRow.top + kNameRow.bottom) / 2;
    const int h = static_cast<int>(kNormalFontSmall->getSize());
    const CRect nameRect(kNameRow.left, m - h / 2 - 2, kNameRow.right, m + h / 2 + 2);
    const long current = presetEffect->getPresetNo();
    const std::string name = nameOf(presetEffect->program(static_cast<int>(current)));
    nameDisplay = new CTextEdit(nameRect, this, kTagName, name.c_str(), background, 0);
    nameDisplay->setBackOffset(CPoint(nameRect.left, nameRect.top));
    nameDisplay->setBackColor(CColor(209, 227, 238, 255));
    nameDisplay->setFont(kNormalFontSmall);
    nameDisplay->setFontColor(CColor(36, 36, 32, 255));
    nameDisplay->setFrameColor(CColor(36, 36, 32, 255));
    nameDisplay->setHoriAlign(kCenterText);
    // The store keeps 23 characters of a name: a 24th is refused, visibly.
    nameDisplay->setMaxLength(kProgramNameSize - 1);
    frame->addView(nameDisplay);

    const CRect menuRect(kProgramMenu.left, kProgramMenu.top, kProgramMenu.right, kProgramMenu.bottom);
    programMenu = new COptionMenu(menuRect, this, kTagMenu, background, nullptr, kMenuBitmap);
    programMenu->setBackOffset(CPoint(menuRect.left, menuRect.top));
    programMenu->setNbItemsPerColumn(12);
    for (int p = 0; p < kNumPrograms; ++p)
        programMenu->addEntry(nameOf(presetEffect->program(p)).c_str());
    programMenu->setCurrent(current);
    frame->addView(programMenu);

    for (const StripButton& b : kStrip) {
        CBitmap* bitmap = new CBitmap(CResourceDescription(b.bitmap), frame->getScale());
        const CRect size(b.at.left, b.at.top, b.at.right, b.at.bottom);
        const CCoord imageHeight = static_cast<CCoord>(static_cast<int>(bitmap->getHeight() / b.frames));
        CControl* control = nullptr;
        switch (b.kind) {
        case StripKind::Rocker:
            control = new CPSRockerSwitch(size, this, b.tag, imageHeight, bitmap, CPoint(0, 0), 0);
            break;
        case StripKind::SaveLoad:
            control = new CSaveLoadButton(size, this, b.tag, imageHeight, bitmap, CPoint(0, 0));
            break;
        case StripKind::Kick:
        case StripKind::KickDoubleClick: {
            auto* kick = new CPSKickButton(size, this, b.tag, imageHeight, bitmap, CPoint(0, 0),
                                           b.kind == StripKind::KickDoubleClick);
            if (b.tag == kTagManual)
                manualButton = kick;
            control = kick;
            break;
        }
        }
        frame->addView(control);
        bitmap->forget();
        if (b.tag == kTagRecallA || b.tag == kTagRecallB) {
            // A 3 x 3 lamp in the button's top right corner.
            auto* mark = new CMemoryMark(CRect(b.at.right - 4, b.at.top + 1, b.at.right - 1, b.at.top + 4));
            memoryMarks[b.tag == kTagRecallA ? 0 : 1] = mark;
            frame->addView(mark);
        }
    }
    showMemories();
    background->forget();
    return true;
}

void CPresetSystemEditor::showMemories()
{
    const char* keys[2] = {kPrefMemoAPreset, kPrefMemoBPreset};
    for (int i = 0; i < 2; ++i) {
        std::vector<char> value;
        if (memoryMarks[i])
            memoryMarks[i]->setLit(preferences.getBytes(keys[i], value));
    }
}

void CPresetSystemEditor::close()
{
    memoryMarks[0] = memoryMarks[1] = nullptr;
    stopDesktopPrograms();
    nameDisplay = nullptr;
    programMenu = nullptr;
    manualButton = nullptr;
}

void CPresetSystemEditor::stopDesktopPrograms()
{
    if (selector) {
        selector->cancel();
        selector->forget();
        selector = nullptr;
    }
    manualViewer.stop();
    alert.stop();
}

void CPresetSystemEditor::idle()
{
    // The answer is acted on inside poll(), through the dialog's callback.
    if (selector && !selector->poll()) {
        selector->forget();
        selector = nullptr;
    }
    if (manualViewer.running() && !manualViewer.poll() && !manualViewer.succeeded())
        alert.show(manualAlertText(), frame);
    alert.poll();
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

bool CPresetSystemEditor::chooseFile(bool save, const char* title, const char* description,
                                     const char* extension, const std::string& defaultName,
                                     std::function<void(const std::string& path)> chosen)
{
    if (selector)
        return false;
    selector = CNewFileSelector::create(frame, save ? CNewFileSelector::kSelectSaveFile
                                                    : CNewFileSelector::kSelectFile);
    selector->setTitle(title);
    if (!paths.dir.empty())
        selector->setInitialDirectory(paths.dir.c_str());
    const CFileExtension type(description, extension);
    selector->addFileExtension(type);
    selector->setDefaultExtension(type);
    if (save && !defaultName.empty())
        selector->setDefaultSaveName(defaultName.c_str());
    selector->run([chosen](const std::vector<std::string>& files) {
        if (!files.empty())
            chosen(files.front());
    });
    return true;
}

void CPresetSystemEditor::loadBank(bool reversed)
{
    chooseFile(false, reversed ? "Load bank (endian-reversed)" : "Load bank", kBankFileDescription,
               kBankFileExtension, paths.bank, [this, reversed](const std::string& path) {
                   XPlatGetFileNameAndDir(path, paths.bank, paths.dir);
                   if (loadBankFile(presetStore(), path, reversed))
                       showSelectedProgram();
               });
}

void CPresetSystemEditor::saveBank()
{
    chooseFile(true, "Save bank", kBankFileDescription, kBankFileExtension, paths.bank,
               [this](const std::string& path) {
                   XPlatGetFileNameAndDir(path, paths.bank, paths.dir);
                   saveBankFile(presetStore(), path);
               });
}

void CPresetSystemEditor::loadPreset(bool reversed)
{
    chooseFile(false, reversed ? "Load preset (endian-reversed)" : "Load preset", kPresetFileDescription,
               kPresetFileExtension, paths.preset, [this, reversed](const std::string& path) {
                   XPlatGetFileNameAndDir(path, paths.preset, paths.dir);
                   if (loadPresetFile(presetStore(), path, reversed))
                       showSelectedProgram();
               });
}

void CPresetSystemEditor::savePreset()
{
    chooseFile(true, "Save preset", kPresetFileDescription, kPresetFileExtension, paths.preset,
               [this](const std::string& path) {
                   XPlatGetFileNameAndDir(path, paths.preset, paths.dir);
                   savePresetFile(presetStore(), path);
               });
}

void CPresetSystemEditor::saveDefaultBank()
{
    const bool done = ::saveDefaultBank(presetStore(), preferences);
    tellUser(done ? "Default bank stored" : "Could not store the default bank", kTagDefaultBank);
}

void CPresetSystemEditor::resetDefaultBank()
{
    const bool done = ::resetDefaultBank(preferences);
    tellUser(done ? "Default bank removed" : "Could not remove the default bank", kTagDefaultBank);
}

void CPresetSystemEditor::saveDefaultPreset()
{
    const bool done = ::saveDefaultPreset(presetStore(), preferences);
    tellUser(done ? "Default program stored" : "Could not store the default program", kTagDefaultPreset);
}

void CPresetSystemEditor::resetDefaultPreset()
{
    const bool done = ::resetDefaultPreset(preferences);
    tellUser(done ? "Default program removed" : "Could not remove the default program", kTagDefaultPreset);
}

void CPresetSystemEditor::storeA()
{
    tellUser(::storeA(presetStore(), preferences) ? "Stored in memory A" : "Could not store memory A", kTagStoreA);
    showMemories();
}

void CPresetSystemEditor::storeB()
{
    tellUser(::storeB(presetStore(), preferences) ? "Stored in memory B" : "Could not store memory B", kTagStoreB);
    showMemories();
}

void CPresetSystemEditor::recallA()
{
    if (::recallA(presetStore(), preferences))
        showSelectedProgram();
}

void CPresetSystemEditor::recallB()
{
    if (::recallB(presetStore(), preferences))
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

std::string CPresetSystemEditor::manualFile()
{
    const char* home = getenv("HOME");
    if (home && *home) {
        const std::string own = std::string(home) + "/" + kManualPath;
        if (isFile(own))
            return own;
    }
    const std::string bundle = bundleFolder();
    if (!bundle.empty() && isFile(bundle + kBundleManualPath))
        return bundle + kBundleManualPath;
    return {};
}

std::vector<std::string> CPresetSystemEditor::manualCommand()
{
    // The path is absolute, so xdg-open (which knows no "--") cannot take it
    // for an option.
    const std::string file = manualFile();
    if (file.empty())
        return {};
    return {"xdg-open", file};
}

std::string CPresetSystemEditor::manualAlertText()
{
    return std::string("Could not open manual file:\n~/\"") + kManualPath + "\"";
}

void CPresetSystemEditor::openManual()
{
    // A viewer still starting from the last click is enough.
    if (!manualViewer.running()) {
        // The viewer xdg-open starts stays open when the window closes:
        // only xdg-open itself belongs to the window.
        ChildProcess::Options options;
        options.captureOutput = false;
        options.ownGroup = false;
        const std::vector<std::string> command = manualCommand();
        if (command.empty() || !manualViewer.start(command, options))
            alert.show(manualAlertText(), frame);
    }
    if (manualButton)
        manualButton->release();
}

void CPresetSystemEditor::BufferToBankOld(char* data, long available, bool swapped, int numPrograms,
                                          int numParams)
{
    readBankOld(presetStore(), data, available, swapped, numPrograms, numParams);
}

void CPresetSystemEditor::BufferToBank(char* data, long available, newpresetheader* header, bool swapped)
{
    if (header)
        readBank(presetStore(), data, available, *header, swapped);
}

long CPresetSystemEditor::BankToBuffer(char** out)
{
    return writeBank(presetStore(), out);
}

void CPresetSystemEditor::BufferToPresetOld(char* data, long available, bool swapped, int numParams)
{
    readPresetOld(presetStore(), data, available, swapped, numParams);
}

void CPresetSystemEditor::BufferToPreset(char* data, long available, newpresetheader* header, bool swapped)
{
    if (header)
        readPreset(presetStore(), data, available, *header, swapped);
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
    return writeMidiMap(presetStore(), params, out);
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
    readMidiMapOld(presetStore(), params, data, available, swapped, numParams);
}

long CPresetSystemEditor::PresetToBuffer(char** out)
{
    return writePreset(presetStore(), out);
}
