/* What the version check, the splash display and the debug window use of
 * the application shell: the program's version text, the modeless-dialog
 * list and window activation.  (The thread requests of the analyser
 * thread are the MQ engine's, mqengine/engine/mqengine.h.)  The shell's app/
 * serves them; the parts' window tests use a small host of their own
 * (tests/shell/partshost.cpp). */
#pragma once

#include <cstddef>
#include <cstdint>

struct QMS;
struct HWND__;

/* The program's version text ("9.3.3") and build date ("Mmm dd yyyy"). */
extern const char RavoltVersionText[];
extern const char RavoltBuildDate[];

/* The modeless-dialog list of the message loop: kind 1 is a dialog that
 * needs IsDialogMessage. */
int AddModeless(void *window, int kind, void *owner1, void *owner2);
void UtilRemoveModeless(void *window);
/* Restores (when minimized) and activates a window. */
void ActivateWindow(HWND__ *window);
