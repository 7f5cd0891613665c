/* The debug window: a developer's view of the PCF requests and replies
 * the program exchanges, list processing, HTTP and monitor traffic, with
 * a copy in the file named by RAVOLT_DEBUGFILE.
 *
 * DebugPrint and DebugDumpMessage may be called on any thread; off the
 * user-interface thread each line reaches the window as a posted copy.
 * The texts and the trimming rule are window-free. */
#pragma once

#include <cstddef>
#include <cstdint>

struct QMS;
struct tagMQMD;
struct FmtLineRec;

/* Categories of DebugPrint. */
enum { DBG_ALWAYS = 0, DBG_HTTP = 1, DBG_REQUESTS = 2, DBG_RESPONSES = 3, DBG_MONITOR = 4,
       DBG_LISTS = 5 };

/* The window's switches: requests, responses, HTTP, lists, monitor. */
struct DebugSwitches {
    int32_t requests, responses, http, lists, monitor;
    int32_t level;                 /* dump level 1 to 3 */
};
extern DebugSwitches debugSwitches;

#define DEBUG_TEXT_LIMIT 100000    /* characters the view holds */
#define DEBUG_LINE_LIMIT 2000      /* lines before the oldest go */
#define DEBUG_TRIM 15000           /* characters dropped at a time */
#define DEBUG_EDIT 123             /* the edit control's id */

/* ---- texts and rules (window-free) ---- */

/* The status line; file is the open debug file's name or null. */
void DebugStatusText(const DebugSwitches *s, const char *file, char *out, size_t size);
/* The help lines, null-terminated. */
extern const char *const DebugHelpLines[];
/* Characters to drop from the start before a line of addLength (its line
 * end included) is appended to a view of textLength characters in
 * lineCount lines. */
int32_t DebugTrimCount(int32_t textLength, int32_t lineCount, int32_t addLength);
/* The banner of a dump: location name and queue-manager name, or none. */
void DebugBannerText(int isRequest, const char *locationName, const char *qmName, char *out,
                     size_t size);
/* 1 when a key changes the switches (and the status line follows); 2 for
 * "?" and 3 for "c" (both followed by the status line too); 0 otherwise. */
int DebugApplyKey(DebugSwitches *s, int key);

/* ---- the window (Windows) ---- */

struct HWND__;
void DebugStart(void);
void DebugPrint(int category, const char *text);
void DebugDumpMessage(QMS *location, int isRequest, const tagMQMD *md, const void *data,
                      int32_t length);
uint32_t DebugPrintLine(uint64_t context, FmtLineRec *line, char *text, uint32_t length);
/* The window, or null when it is closed. */
HWND__ *DebugWindow(void);
