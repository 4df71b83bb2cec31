// The desktop's file dialog, shown without ever making the UI thread wait:
// run() starts it and returns, poll() from the idle moves it on, and the
// answer arrives through a callback from a later poll().
//
// The dialog comes from the first of these that works: the desktop portal's
// file chooser (over the session bus), zenity, kdialog. With none of them a
// message in the window (over the frame given to create) says what to
// install, and the answer is "nothing chosen".
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/CBaseObject.h"
#include "gui/ChildProcess.h"

class CFrame;
class PortalFileChooser;

class CFileExtension {
public:
    CFileExtension(const char* description, const char* extension)
        : description(description ? description : ""), extension(extension ? extension : "")
    {
    }

    const char* getDescription() const { return description.c_str(); }
    const char* getExtension() const { return extension.c_str(); }

private:
    std::string description;
    std::string extension;
};

class CNewFileSelector : public CBaseObject {
public:
    enum Style { kSelectFile, kSelectSaveFile };
    // Which program is showing (or last showed) the dialog.
    enum class Shown { Nothing, Portal, Zenity, KDialog, Message };
    // Receives the chosen files: absolute paths, none when the dialog was
    // cancelled, failed or could not be shown.
    using Done = std::function<void(const std::vector<std::string>& chosen)>;

    // A new selector with one reference, owned by the caller. frame is where
    // the dialog was asked from: the desktop's dialog is kept above its
    // window, and the message is drawn in it. It must outlive the dialog
    // (cancel() or release the selector before closing the frame).
    static CNewFileSelector* create(CFrame* frame = nullptr, Style style = kSelectFile);
    ~CNewFileSelector() override;

    void setTitle(const char* title);
    void setInitialDirectory(const char* path);
    void setDefaultSaveName(const char* name);
    void setDefaultExtension(const CFileExtension& extension);
    void addFileExtension(const CFileExtension& extension);
    void setAllowMultiFileSelection(bool state) { allowMultiFileSelection = state; }

    // Starts the dialog and returns at once. done is called exactly once,
    // from a later poll(), unless cancel() comes first. False (and done is
    // dropped) while this selector's dialog is still open.
    bool run(Done done);
    // From the idle: reads what the dialog has answered, never waiting, and
    // calls done once it is over. True while the dialog is open.
    bool poll();
    bool isRunning() const { return stage != Stage::Idle; }
    // Closes an open dialog (ending its program); done is not called.
    void cancel();

    // The files of the last answer.
    long getNumSelectedFiles() const { return static_cast<long>(selected.size()); }
    const char* getSelectedFile(long index) const;
    Shown shownBy() const { return shown; }

    // The in-window message when no dialog program can be found.
    static const char* const kNoDialogMessage;

private:
    enum class Stage { Idle, Portal, Helper, NoDialog };

    CNewFileSelector(CFrame* frame, Style style);
    // Starts zenity, else kdialog, else shows the message.
    void startHelper();
    void finish(std::vector<std::string> chosen);
    std::vector<std::string> zenityArguments() const;
    std::vector<std::string> kdialogArguments() const;
    std::vector<std::string> helperAnswer() const;
    std::string startPath() const;

    CFrame* frame;
    Style style;
    std::string title;
    std::string initialDirectory;
    std::string defaultSaveName;
    std::string defaultExtension;
    std::vector<CFileExtension> extensions;
    bool allowMultiFileSelection = false;

    Stage stage = Stage::Idle;
    Shown shown = Shown::Nothing;
    Done done;
    std::unique_ptr<PortalFileChooser> portal;
    ChildProcess helper;
    std::vector<std::string> selected;
};
