// What the program store tells an attached window. User-interface thread;
// without a window attached nothing is shown.
#pragma once

class ProgramStoreView {
public:
    virtual ~ProgramStoreView() = default;
    // Names are 24 name bytes followed by a NUL.
    virtual void showMenuEntry(int entry, const char* name) = 0;  // make entry current and title it
    virtual void selectMenuEntry(int entry) = 0;
    virtual void showName(const char* name) = 0;
    // The host renamed the selected program.
    virtual void nameChangedExternal(char* name) = 0;
};
