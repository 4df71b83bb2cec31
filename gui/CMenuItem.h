// One entry of an option menu.
#pragma once

#include <string>

class CMenuItem {
public:
    explicit CMenuItem(const char* title) : title(title ? title : "") {}

    const char* getTitle() const { return title.c_str(); }
    void setTitle(const char* newTitle) { title = newTitle ? newTitle : ""; }

private:
    std::string title;
};
