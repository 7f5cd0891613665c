/* A small host frame for the shell parts' window tests (version check,
 * splash, debug window), which drive those parts apart from the program's
 * main window: the one-second timer's version-check step, the menu
 * commands 932 and 723, messages 11387 and 11388, the start-up file, and
 * a box holding the About box's button 557. */
#pragma once

#include <windows.h>
#include <cstdint>

#include "shell.h"

/* The host frame (class RAVOLT_PARTSHOST); its tick counter starts at 7
 * like the shell's. */
HWND HostFrameCreate(void);
extern int32_t hostTick;
/* The start-up file ("splashs=") shown as at start-up step 2. */
int HostStartupSplash(HWND frame);
/* A box holding button 557. */
HWND HostAboutBox(HWND owner);
enum { ABOUT_CHECK_VERSION = 557 };   /* the menu commands are ravoltids.h's */
