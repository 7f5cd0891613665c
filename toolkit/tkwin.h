/* Window utilities every window uses: error, field and note boxes, the
 * program's fonts and their metrics, colour arithmetic (tklogic.h), edge
 * and arrow drawing, combo boxes over value tables, rate-limited sounds,
 * texts posted to the main window and fonts applied to window trees. */
#pragma once

#include <windows.h>
#include "tklogic.h"

struct FontDesc {
    char face[36];
    char style[20];        /* "Regular", or containing "Bold" and/or "Italic" */
    int32_t height;        /* as for CreateFont */
    int32_t size;          /* as the font dialog reports it */
    uint16_t charset;
    uint8_t underline, strikeout;
    uint32_t fixedPitch;   /* measured */
    uint32_t colour;       /* with effects */
};

/* Program-wide fonts and their measured metrics. */
struct WinFontState {
    FontDesc mainDesc;         /* the settings (kept by the preferences) */
    HFONT mainFont, smallFont;
    int mainCharWidth, mainLineHeight;
    int smallCharWidth, smallLineHeight;
    int digitWidth[10], widestDigit;
    int width99Less;           /* width of "99" less twice that of "9" */
    int separatorWidth;        /* of the display separator text */
    int dashWidth;             /* of "-" */
    char separator[5];         /* the display settings' separator (at most 4) */
};
extern WinFontState winFonts;

/* A value-table row (40 bytes): the display name ends the table when empty. */
struct WinValueRow {
    const char *name;
    int64_t value;
    const char *keyword;
    const void *spare[2];
};

int WinOpErrorEx(HWND owner, const char *text, int okCancel);
int WinOpError(const char *text);
int WinNoteBox(HWND owner, int error, int okCancel, const char *text);
/* What a user asked for goes through a hook the program did not install:
 * "<what> is not available in this build" in an error note box. */
void WinNotAvailable(HWND owner, const char *what);
/* A button's work through a member of a hook table: without it the user
 * is told it is not available. */
#define WIN_HOOK_OR_SAY(table, owner, what, name, ...)                           \
    do {                                                                         \
        if ((table)->name)                                                       \
            (table)->name((table)->context __VA_OPT__(,) __VA_ARGS__);           \
        else                                                                     \
            WinNotAvailable(owner, what);                                        \
    } while (0)
void WinFieldError(HWND field, const char *text);

int WinCreateFontFromDesc(FontDesc *desc, HFONT *font);
int WinCreateFonts(void);
void WinMeasureFont(void);
void WinDefaultFont(FontDesc *desc);
int WinChooseFont(HWND owner, int effects, int fixedOnly, FontDesc *desc, HFONT *font);
void WinGetTextSize(HDC dc, int *charWidth, int *lineHeight);
void WinGetCharSize(HWND hwnd, HFONT font, int *charWidth, int *lineHeight);
int WinTextWidth(HDC dc, const char *text, int length);

void WinDrawEdges(HDC dc, const RECT *rc, HPEN light, HPEN dark);
void WinDrawArrow(HDC dc, HPEN first, HPEN second, int filled, COLORREF fill, int direction,
                  POINT centre, SIZE size);

void WinComboFill(HWND combo, const WinValueRow *table, int64_t value);
const WinValueRow *WinComboGetSel(HWND combo, const WinValueRow *table);

/* Sounds, gated by the profile's sound times ("st"); test hooks for the
 * clock (seconds) and the player. */
typedef int64_t (*WinClock)(void);
typedef void (*WinSoundPlayer)(int kind, const char *name);   /* 0 beep, 1 alias, 2 file */
void WinSetSoundHooks(WinClock clock, WinSoundPlayer player);
void WinPlaySound(const char *name, int alert, int force);

void WinPostText(const char *text, WPARAM word);
void WinSetChildFonts(HWND hwnd, HFONT font);
/* a standard list box's item height from the font's ascent and descent
 * (other windows are left alone) */
void WinFitListBoxToFont(HWND hwnd, HFONT font);
void WinInvalidate(HWND hwnd);

/* Whether the focus lies in a combo box whose list is dropped down. */
int WinDroppedCombo(HWND focus);
/* The message loop's Escape: in a top-level window with a Cancel or Close
 * button (control id IDCANCEL) the button is pressed, in a dialog made to
 * close on Escape the dialog closes; 1 when the key was taken. */
int WinEscapeCancels(const MSG *msg);
