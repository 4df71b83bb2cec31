// A menu button. It shows the current entry's title (like a read-out); a
// left click opens a pop-up list of the entries drawn by the toolkit as the
// frame's modal view. Clicking an entry makes it current (value = index) and
// tells the listener; clicking outside the list, or Escape, closes it with
// nothing chosen. With setNbItemsPerColumn(n) the list wraps into columns of
// n entries.
#pragma once

#include <memory>
#include <vector>

#include "gui/CMenuItem.h"
#include "gui/CParamDisplay.h"

class COptionMenu : public CParamDisplay {
public:
    COptionMenu(const CRect& size, CControlListener* listener, long tag,
                CBitmap* background = nullptr, CBitmap* bgWhenClick = nullptr, long style = 0);
    COptionMenu(const COptionMenu& other);
    ~COptionMenu() override;

    // Appends (index -1) or inserts an entry; returns it.
    CMenuItem* addEntry(const char* title, long index = -1);
    bool removeEntry(long index);
    void removeAllEntry();
    CMenuItem* getEntry(long index) const;
    long getNbEntries() const { return static_cast<long>(entries.size()); }

    // Makes entry index current and sets the value to it; no notification.
    bool setCurrent(long index);
    long getCurrentIndex() const { return currentIndex; }
    CMenuItem* getCurrent() const { return getEntry(currentIndex); }
    void setValue(float val) override;

    void setNbItemsPerColumn(long n) { nbItemsPerColumn = n; }
    long getNbItemsPerColumn() const { return nbItemsPerColumn; }
    bool isPopupOpen() const { return popup != nullptr; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;

    CLASS_METHODS(COptionMenu, CParamDisplay)

private:
    class Popup;
    // Called by the pop-up when it closes; index -1 when nothing was chosen.
    void popupClosed(long index);

    std::vector<std::unique_ptr<CMenuItem>> entries;
    long currentIndex = -1;
    long nbItemsPerColumn = -1;
    CBitmap* bgWhenClick;
    Popup* popup = nullptr;
};
