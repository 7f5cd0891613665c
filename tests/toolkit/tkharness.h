/* Test harness of the window tests: a parent window that records the
 * notifications its controls send, pixel capture from a window, and
 * synthesized mouse and key messages. */
#pragma once

#include <windows.h>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include "tkcontrols.h"

struct Recorded {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    uint8_t block[64];   /* copy of the block lParam points to, where known */
};

struct Harness {
    HWND parent;
    std::vector<Recorded> got;
    LRESULT hoverAnswer = 1;     /* answer to CN_HOVER */
    LRESULT barAnswer = 0;       /* answer to LBM_BARNEEDED */
    HBRUSH ctlBrush = nullptr;   /* answer to WM_CTLCOLOR* */
    COLORREF ctlText = RGB(0, 0, 0), ctlBack = RGB(255, 255, 255);
    int measureHeight = 0, measureWidth = 0;
};

Harness &TestHarness(void);
/* a fresh visible parent window (the previous one destroyed) */
HWND TestParent(int width = 600, int height = 400);
/* recorded messages of one kind */
std::vector<Recorded> Got(UINT msg);
void ClearGot(void);
/* run the message queue until empty */
void Pump(void);
/* a top-down 32-bit bitmap of w x h for dc; its bits at *bits */
HBITMAP Dib32(HDC dc, int w, int h, void **bits);
/* pixels of a window's client area, 0x00RRGGBB, row-major */
std::vector<uint32_t> Capture(HWND hwnd, int *width, int *height);
uint32_t PixelAt(const std::vector<uint32_t> &px, int width, int x, int y);
/* write a capture as a 24-bit BMP */
bool WriteBmp(const char *path, const std::vector<uint32_t> &px, int width, int height);
/* pixels of a window's client area as the screen shows it, children
 * included (printed first, then read back from the screen where it can) */
std::vector<uint32_t> ScreenCapture(HWND hwnd, int *width, int *height);
/* pixels of a colour in a rectangle of a window as the screen shows it */
int PixelsOf(HWND hwnd, const RECT &cell, COLORREF colour);
/* the gallery: a window's client area as <build>/gallery/<name>.bmp,
 * printed through WM_PRINTCLIENT or, with fromScreen, as on screen;
 * false when it cannot be written */
bool GalleryShot(HWND hwnd, const char *name, bool fromScreen = false);
/* mouse messages at client coordinates */
void Click(HWND hwnd, int x, int y, WPARAM keys = 0);
void MouseDown(HWND hwnd, int x, int y, WPARAM keys = 0);
void MouseMove(HWND hwnd, int x, int y, WPARAM keys = MK_LBUTTON);
void MouseUp(HWND hwnd, int x, int y, WPARAM keys = 0);
/* a key with Shift and/or Ctrl held in the keyboard state */
void Key(HWND hwnd, WPARAM vk, bool shift = false, bool ctrl = false);

/* Dialogs of the program: the dialog engine and the program's control
 * classes set up once, a page of a dynamic dialog's tab control shown,
 * typed text (WM_CHAR per character), and message boxes caught in a list
 * (answered with the given answer) instead of shown. */
struct DDHANDLE_;
void TestDialogsInit(void);
void TestSelectTab(DDHANDLE_ *dd, HWND dialog, int tabId, int index);
void TestType(HWND edit, const char *text);
struct TestBox {
    std::string text, caption;
};
std::vector<TestBox> &TestBoxes(void);
void TestCatchBoxes(int answer);
/* A dialog window redrawn and written to the gallery as the screen shows
 * it (labels and frames included). */
bool GalleryDialogShot(HWND hwnd, const char *name);
/* The layout rules a window's controls keep (layoutrules.cpp): one line
 * per fault, empty when it keeps them all. */
std::vector<std::string> LayoutFaults(HWND window, const char *name);
