// The preset layer of the editor object: the preset strip in the window,
// the file dialogs and the user-wide defaults and memories. It only shows
// and drives the program store, which answers chunks and files itself.
//
// The desktop's programs (the file dialog, the manual's viewer, alerts) run
// beside the host and are never waited for: each is checked at the idle,
// and its answer acted on there. Closing the window ends those still open.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/CControl.h"
#include "gui/ChildProcess.h"
#include "presets/Preferences.h"
#include "presets/PresetBuffer.h"
#include "presets/PresetFiles.h"
#include "presets/ProgramStoreView.h"
#include "presets/XPlatAlert.h"
#include "shell/AEffGUIEditor.h"

class CNewFileSelector;
class COptionMenu;
class CPresetSystemEffect;
class CMemoryMark;
class CPSKickButton;
class CTextEdit;

class CPresetSystemEditor : public AEffGUIEditor, public CControlListener, public ProgramStoreView {
public:
    explicit CPresetSystemEditor(CPresetSystemEffect* effect);
    ~CPresetSystemEditor() override;

    // Adds the preset strip to the frame the derived editor has made;
    // false without a frame or an effect.
    bool open(void* parent) override;
    // Ends the desktop programs still open for the window.
    void close() override;
    // Takes up what the desktop programs have answered, then the frame's idle.
    void idle() override;
    // The strip's controls (tags 92 to 111); other tags are the derived
    // editor's.
    void valueChanged(CControl* control) override;

    // What the store shows while the window is open (nothing without one).
    void showMenuEntry(int entry, const char* name) override;
    void selectMenuEntry(int entry) override;
    void showName(const char* name) override;
    // Shows a program name set by the host.
    void nameChangedExternal(char* name) override;

    // The strip's actions: files through the desktop's file dialog, and the
    // user-wide defaults and memories in the preferences. The file actions
    // open the dialog and return; the file is read or written at the idle
    // that takes the answer. While a dialog is open they do nothing.
    virtual void loadBank(bool reversed);
    virtual void saveBank();
    virtual void saveDefaultBank();
    virtual void resetDefaultBank();
    virtual void loadPreset(bool reversed);
    virtual void savePreset();
    virtual void saveDefaultPreset();
    virtual void resetDefaultPreset();
    virtual void storeA();
    virtual void storeB();
    virtual void recallA();
    virtual void recallB();
    // Controller maps are not kept by this plug-in.
    virtual void endLearn() {}
    virtual void endCancel() {}
    virtual void loadMidi(bool /*reversed*/) {}
    virtual void saveMidi() {}
    virtual void saveDefaultMidi() {}
    virtual void resetDefaultMidi();
    virtual void loadDefaultMidi() {}
    virtual void storePathsAndFilenames();
    virtual void recallPathsAndFilenames();
    // Opens the manual with the desktop's viewer (xdg-open); an alert when
    // there is no manual, or, at a later idle, when the viewer fails.
    virtual void openManual();

    // The buffer operations. Readers are handed the number of bytes really
    // readable at data, and never read past it.
    virtual void BufferToBankOld(char* data, long available, bool swapped, int numPrograms, int numParams);
    virtual void BufferToBank(char* data, long available, newpresetheader* header, bool swapped);
    // A new[] buffer of all six programs in *out (the caller delete[]s it)
    // and its length; 0 and null when there is none.
    virtual long BankToBuffer(char** out);
    virtual void BufferToPresetOld(char* data, long available, bool swapped, int numParams);
    virtual void BufferToPreset(char* data, long available, newpresetheader* header, bool swapped);
    virtual long PresetToBuffer(char** out);

    // Controller maps: assignments sit at parameter index + 42, which this
    // plug-in neither keeps nor applies.
    virtual long MidiToBuffer(char** out);
    virtual void BufferToMidi(char* data, long available, newpresetheader* header, bool swapped);
    virtual void BufferToMidiOld(char* data, long available, bool swapped, int numParams);

    // The program store as the buffer and chunk readers see it, with this
    // editor's window refreshed as they go.
    PresetStore& presetStore();

    // The manual the button opens: the user's copy under ~/Documents when
    // it exists, else the copy in the plug-in's bundle when that exists;
    // empty when there is neither.
    static std::string manualFile();
    // The viewer's command for it, empty without a manual.
    static std::vector<std::string> manualCommand();
    // The alert's text when the manual cannot be opened.
    static std::string manualAlertText();

    // True while a file dialog of the strip is open.
    bool fileDialogOpen() const { return selector != nullptr; }

protected:
    // A short message to the user about the strip's control `tag` (the
    // derived window shows it; nothing here).
    virtual void tellUser(const std::string& /*message*/, int /*tag*/) {}
    // The selected program's name shown in the field and the menu.
    void showSelectedProgram();
    // Opens the desktop's file dialog; chosen gets the path at the idle
    // that takes the answer, and is not called when nothing was chosen or
    // the window closed first. False, with nothing opened, while another
    // dialog is open.
    bool chooseFile(bool save, const char* title, const char* description, const char* extension,
                    const std::string& defaultName, std::function<void(const std::string& path)> chosen);
    // Ends every desktop program still open.
    void stopDesktopPrograms();

    CPresetSystemEffect* presetEffect;
    Preferences preferences;
    PresetPaths paths;

    CTextEdit* nameDisplay = nullptr;
    COptionMenu* programMenu = nullptr;
    CPSKickButton* manualButton = nullptr;
    CMemoryMark* memoryMarks[2] = {};  // on the recall buttons of A and B
    // Lights the marks of the memories that hold a program.
    void showMemories();

    CNewFileSelector* selector = nullptr;
    ChildProcess manualViewer;
    XPlatAlert alert;
};
