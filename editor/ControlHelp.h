// What the window tells the user about each of its controls: the name shown
// with a parameter's value, and the tooltip after a short hover (what the
// control does and its modifier gestures). By control tag; null for none.
#pragma once

const char* readoutNameOf(int tag);
const char* tooltipOf(int tag);
