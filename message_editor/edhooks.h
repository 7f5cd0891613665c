/* The message editor's hooks: what its window-free core asks of the
 * message pane's window above it (EdHost), the clipboard, the selection
 * box of named values and the Find and Replace dialog.  The pane's window
 * code fills them (EdRegisterPaneClass, message_pane/); tests put
 * recorders here. */
#pragma once

#include <cstdint>

/* A call of a host hook; one the host has not filled is not called (a
 * zero answer: nothing drawn or said, no key down, a question not
 * agreed to, nothing chosen). */
#define ED_HOST(host, hook, ...) \
    ((host).hook ? (host).hook(__VA_ARGS__) : decltype((host).hook(__VA_ARGS__))())

struct DialogWords;
struct PCFDATA;
struct EdEnumList;

/* ---- the host: what the window (or a test) does for the pane ----------- */

enum { ED_KEY_SHIFT = 0x10, ED_KEY_CONTROL = 0x11, ED_KEY_MENU = 0x12 };

struct EdHost {
    /* 1 while the key (ED_KEY_*) is down */
    int (*keyDown)(int key);
    /* repaint the rows of lines first..last (last -1: to the last visible) */
    void (*invalidate)(PCFDATA *ed, int32_t first, int32_t last);
    /* bring the line into view by the toolkit's go-to request */
    void (*scrollTo)(PCFDATA *ed, int32_t line);
    /* re-evaluate the scroll bar from ed->scroll */
    void (*scrollBars)(PCFDATA *ed);
    void (*placeCaret)(PCFDATA *ed);
    void (*recreateCaret)(PCFDATA *ed);
    /* pixels of one character of the CCSID in the pane's font */
    int (*cellWidth)(PCFDATA *ed, uint32_t ccsid);
    /* the dialog's status line (mode 1 information, 6 error) */
    void (*status)(DialogWords *dialog, const char *text, int mode);
    void (*countWindow)(DialogWords *dialog);
    void (*browseState)(DialogWords *dialog);
    /* a "!" question; non-zero when the user agrees */
    int (*confirm)(DialogWords *dialog, const char *question, uint32_t *option, uint32_t bit);
    /* a CCSID whose code page is missing was met: tell the user once the run is over */
    void (*codepageMissing)(PCFDATA *ed, uint32_t ccsid);
    /* the pane's top-level window caption (debug state) */
    void (*caption)(PCFDATA *ed, const char *text);
    /* the dialog's view command and a posted 10004 */
    void (*viewCommand)(DialogWords *dialog, int id);
    void (*postUpdate)(DialogWords *dialog, uintptr_t wp, intptr_t lp);
    /* check marks and tool bar buttons of the view commands */
    void (*checkItem)(DialogWords *dialog, int id, int checked);
    void (*pressButton)(DialogWords *dialog, int id, int pressed);
    /* the put-context menu texts changed */
    void (*contextTexts)(DialogWords *dialog);
    /* the error sound of a failure */
    void (*errorSound)(void);
    /* the dialog gets the whole message again (null: nothing) */
    void (*fetchWhole)(DialogWords *dialog);
};
extern EdHost edHost;
/* the defaults: every hook null but the cell width, which is the pane's
 * character width */
void EdHostDefaults(EdHost *host);

/* ---- the clipboard (edclip.cpp) --------------------------------------- */

/* What the program's clipboard is: the system's in the Windows build (win/),
 * a process-wide block pair elsewhere.  Each call 1 done, 0 failed. */
struct EdClipboardHost {
    int (*open)(PCFDATA *ed);
    int (*empty)(void);
    /* text: NUL-terminated, size with the NUL; hex: digits, no NUL */
    int (*setText)(const char *text, uint32_t size);
    int (*setHex)(const char *digits, uint32_t size);
    /* a copy (tag "CLIP") of the data, *size measured within its block */
    char *(*getText)(uint32_t *size);
    char *(*getHex)(uint32_t *size);
    void (*close)(void);
    /* a clipboard call failed: tell the user (null: the status text only) */
    void (*failed)(const char *what);
};
extern EdClipboardHost edClipboard;
void EdClipboardDefaults(EdClipboardHost *host);

/* ---- the selection box of named values (edenum.cpp) --------------------- */

/* The selection box of the window build (null hooks elsewhere). */
struct EdChoiceHost {
    int (*fill)(PCFDATA *ed, const EdEnumList *list);
    void (*show)(PCFDATA *ed, int32_t line, int32_t column, int dropped);
    void (*hide)(PCFDATA *ed);
    /* entries chosen in the box: chosen[i] set; 0 when none */
    int (*chosen)(PCFDATA *ed, uint8_t *chosen, uint32_t count);
};
extern EdChoiceHost edChoice;

/* ---- Find and Replace (edfind.cpp) ----------------------------------- */

/* What the find code asks of the dialog window. */
struct EdFindHost {
    /* The dialog's texts and options (set into the dialog's display
     * flags): 2 with a replacement text (it may be empty), 1 with the find
     * text only, 0 without a dialog window. */
    int (*texts)(DialogWords *dialog, char *find, uint32_t findSize, char *replace, uint32_t replaceSize);
    /* a text for the dialog's status line (control 103) */
    void (*status)(DialogWords *dialog, const char *text);
    /* Replace All's progress: the count window redrawn */
    void (*progress)(DialogWords *dialog);
};
extern EdFindHost edFind;
