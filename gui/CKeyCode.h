// A key as the toolkit sees it: a character, or one of the virtual keys
// below, with the modifier keys held. The host's key records convert to
// this at the editor's boundary (the values are the same).
#pragma once

#include <cstdint>

enum CModifierKey : unsigned char {
    kModifierShift = 1,
    kModifierAlternate = 2,
    kModifierCommand = 4,
    kModifierControl = 8,
};

enum CVirtualKey : unsigned char {
    kVKeyBack = 1,
    kVKeyTab,
    kVKeyClear,
    kVKeyReturn,
    kVKeyPause,
    kVKeyEscape,
    kVKeySpace,
    kVKeyNext,
    kVKeyEnd,
    kVKeyHome,
    kVKeyLeft,
    kVKeyUp,
    kVKeyRight,
    kVKeyDown,
    kVKeyPageUp,
    kVKeyPageDown,
    kVKeySelect,
    kVKeyPrint,
    kVKeyEnter,
    kVKeySnapshot,
    kVKeyInsert,
    kVKeyDelete,
    kVKeyHelp,
};

struct CKeyCode {
    int32_t character;
    unsigned char virt;      // a CVirtualKey, or 0 for a character
    unsigned char modifier;  // CModifierKey bits
};
