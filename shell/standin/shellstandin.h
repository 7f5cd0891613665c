/* The stand-ins for the application shell that the tests drive: a main
 * frame with the one-second timer's version-check step, the menu commands
 * 932 and 723, messages 11387 and 11388, the start-up file, an About box
 * with its "Check for later version..." button, and the modeless list. */
#pragma once

#include <windows.h>
#include <cstdint>

/* The stand-in main frame (class RAVOLT_STANDIN); its tick counter starts
 * at 7 like the shell's. */
HWND StandinFrameCreate(void);
extern int32_t standinTick;
/* The start-up file ("splashs=") shown as at start-up step 2. */
int StandinStartupSplash(HWND frame);
/* An About box holding button 557. */
HWND StandinAboutBox(HWND owner);
enum { IDM_CHECK_VERSION = 932, IDM_DEBUG_WINDOW = 723, ABOUT_CHECK_VERSION = 557 };

/* The modeless list: IsDialogMessage for kind-1 entries. */
int ModelessDialogMessage(MSG *msg);
int ModelessCount(void);
