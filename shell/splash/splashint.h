/* Inside the splash display: the two kinds of window and where they go. */
#pragma once

#include <windows.h>
#include "splash.h"

/* The rectangle of a splash window for an owner: cx by cy (0: half the
 * monitor), or with fraction a third by a fifth of the monitor. */
PlaceRect SplashPlaceFor(HWND owner, int32_t cx, int32_t cy, int fraction);
/* A rich edit window showing a file (.rtf as rich text) or, without a
 * file, the error text; null after an "Operational Error" box. */
HWND SplashRichWindow(HWND owner, const char *title, QMS *location, const char *file,
                      const char *errorText, PlaceRect r);
/* A browser window navigated to an address or file; null after a box. */
LRESULT CALLBACK SplashRichEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK BrowserProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
HWND SplashBrowserWindow(HWND owner, const char *title, QMS *location, const char *address,
                         PlaceRect r);
/* Registers a splash window class (once is enough); 0 on failure. */
int SplashRegisterWindowClass(const char *name, WNDPROC proc);

/* The rich edit window's control (id 1000). */
enum { SPLASH_CONTROL = 1000 };
