// The desktop's file dialog, run as a child process (zenity) while the UI
// thread waits. Without zenity nothing is selected and runModal() is false.
#pragma once

#include <string>
#include <vector>

#include "gui/CBaseObject.h"

class CFrame;

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

    // A new selector with one reference, owned by the caller. The dialog is a
    // separate program, so the frame only names where it was asked from.
    static CNewFileSelector* create(CFrame* parent = nullptr, Style style = kSelectFile);

    void setTitle(const char* title);
    void setInitialDirectory(const char* path);
    void setDefaultSaveName(const char* name);
    void setDefaultExtension(const CFileExtension& extension);
    void addFileExtension(const CFileExtension& extension);
    void setAllowMultiFileSelection(bool state) { allowMultiFileSelection = state; }

    // Shows the dialog and waits for it; true when at least one file was chosen.
    bool runModal();
    long getNumSelectedFiles() const { return static_cast<long>(selected.size()); }
    const char* getSelectedFile(long index) const;

private:
    explicit CNewFileSelector(Style style) : style(style) {}
    std::vector<std::string> buildArguments() const;

    Style style;
    std::string title;
    std::string initialDirectory;
    std::string defaultSaveName;
    std::string defaultExtension;
    std::vector<CFileExtension> extensions;
    bool allowMultiFileSelection = false;
    std::vector<std::string> selected;
};
