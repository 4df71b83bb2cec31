// A modal message with one "OK" button: the desktop's own dialog (zenity)
// when there is one, otherwise a box drawn in the editor's window.
#pragma once

class CFrame;

// Blocks until the dialog is closed when the desktop shows it; with no
// desktop dialog, puts a box over frame (if any) that a click closes.
void XPlatDisplayAlert(const char* text, CFrame* frame);
