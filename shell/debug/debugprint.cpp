/* Writing to the debug window: single lines by category, and whole
 * request and response messages formatted field by field under a
 * banner, each line also into the debug file.
 *
 * Any thread may write.  Other threads than the user-interface thread
 * post a copy of each line, which the window frees (and which is freed
 * here when the post fails), so no worker ever waits for the window.  On
 * the user-interface thread the lines gather and go into the view in one
 * insertion when the window next gets to its messages: an edit control
 * with scroll bars can take a long time for each insertion.  The file's
 * writes and its closing share one lock; a line is in the file as soon
 * as it is printed. */
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "debugwin.h"
#include "debugint.h"
#include "cs.h"
#include "fapparse.h"
#include "mqi.h"
#include "qms.h"

DebugState debugState;

HWND DebugWindow(void)
{
    return debugState.window.load();
}

static int category_on(int category)
{
    const DebugSwitches &s = debugSwitches;
    switch (category) {
    case DBG_HTTP: return s.http;
    case DBG_REQUESTS: return s.requests;
    case DBG_RESPONSES: return s.responses;
    case DBG_MONITOR: return s.monitor;
    case DBG_LISTS: return s.lists;
    }
    return 1;
}

void DebugFileWrite(const char *text)
{
    CSLock(&debugState.fileLock);
    if (debugState.file) {
        fputs(text, debugState.file);
        fputs("\r\n", debugState.file);
        fflush(debugState.file);
    }
    CSUnlockIt(&debugState.fileLock);
}

/* drops whole lines from the front of the waiting lines so that at most
 * the view's limit waits */
static void keep_pending_tail(void)
{
    DebugState &d = debugState;
    if (d.pendingLength <= DEBUG_TEXT_LIMIT)
        return;
    size_t cut = d.pendingLength - DEBUG_TEXT_LIMIT;
    const char *nl = (const char *)memchr(d.pending + cut, '\n', d.pendingLength - cut);
    cut = nl ? (size_t)(nl + 1 - d.pending) : d.pendingLength;
    memmove(d.pending, d.pending + cut, d.pendingLength - cut + 1);
    d.pendingLength -= cut;
}

void DebugQueueLine(HWND dialog, const char *text)
{
    DebugState &d = debugState;
    size_t n = strlen(text);
    if (n > DEBUG_TEXT_LIMIT - 2)
        n = DEBUG_TEXT_LIMIT - 2;
    if (d.pendingLength + n + 3 > d.pendingSize) {
        size_t size = (d.pendingLength + n + 3) * 2;
        char *block = (char *)CSGetMem(size, "DEBUGVIEW");
        if (!block)
            return;
        if (d.pending) {
            memcpy(block, d.pending, d.pendingLength);
            CSFreeMem(d.pending);
        }
        d.pending = block;
        d.pendingSize = size;
    }
    memcpy(d.pending + d.pendingLength, text, n);
    memcpy(d.pending + d.pendingLength + n, "\r\n", 3);
    d.pendingLength += n + 2;
    keep_pending_tail();
    if (!d.flushPosted && PostMessageA(dialog, UM_DEBUGFLUSH, 0, 0))
        d.flushPosted = 1;
    else if (!d.flushPosted)
        DebugFlush(dialog);
}

void DebugDropPending(void)
{
    CSFreeMemAndClear(&debugState.pending);
    debugState.pendingLength = debugState.pendingSize = 0;
}

void DebugFlush(HWND dialog)
{
    DebugState &d = debugState;
    HWND edit = GetDlgItem(dialog, DEBUG_EDIT);
    d.flushPosted = 0;
    if (!edit || !d.pendingLength)
        return;
    int32_t length = GetWindowTextLengthA(edit);
    int32_t lines = (int32_t)SendMessageA(edit, EM_GETLINECOUNT, 0, 0);
    int32_t drop = DebugTrimCount(length, lines, (int32_t)d.pendingLength);
    if (drop) {
        SendMessageA(edit, EM_SETSEL, 0, drop);
        SendMessageA(edit, EM_REPLACESEL, FALSE, (LPARAM)"");
        length -= drop;
    }
    SendMessageA(edit, EM_SETSEL, length, length);
    SendMessageA(edit, EM_REPLACESEL, FALSE, (LPARAM)d.pending);
    d.pendingLength = 0;
    d.pending[0] = 0;
}

void DebugPrint(int category, const char *text)
{
    HWND w = DebugWindow();
    if (!w || !category_on(category) || !text)
        return;
    DebugFileWrite(text);
    if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId()) {
        DebugQueueLine(w, text);
        return;
    }
    size_t n = strlen(text) + 1;
    char *copy = (char *)CSGetMem(n, "DEBUGLINE");
    if (!copy)
        return;
    memcpy(copy, text, n);
    if (!PostMessageA(w, UM_DEBUGLINE, 0, (LPARAM)copy))
        CSFreeMem(copy);
}

uint32_t DebugPrintLine(uint64_t, FmtLineRec *, char *text, uint32_t length)
{
    char line[FMT_LINE_BUFFER + 1];
    if (length > FMT_LINE_BUFFER)
        length = FMT_LINE_BUFFER;
    memcpy(line, text, length);
    line[length] = 0;
    DebugPrint(DBG_ALWAYS, line);
    return FMT_GO_ON;
}

void DebugDumpMessage(QMS *location, int isRequest, const MQMD *md, const void *data,
                      int32_t length)
{
    if (!DebugWindow() || !(isRequest ? debugSwitches.requests : debugSwitches.responses))
        return;
    char banner[200];
    CSLockGlobal(CSLOCK_DUMP);
    DebugBannerText(isRequest, location ? location->locationName : nullptr,
                    location ? location->qmName : nullptr, banner, sizeof banner);
    DebugPrint(isRequest ? DBG_REQUESTS : DBG_RESPONSES, banner);
    FmtMsgInfo m;
    memset(&m, 0, sizeof m);
    m.encoding = md ? (uint32_t)md->Encoding : MQENC_NATIVE;
    m.ccsid = md ? (uint32_t)md->CodedCharSetId : 850;
    m.ebcdic = CSIsEbcdicCcsid((int)m.ccsid);
    memcpy(m.format, md ? md->Format : MQFMT_NONE, 8);
    FmtLineRec lr;
    memset(&lr, 0, sizeof lr);
    lr.flags = 0xA0200u | (uint32_t)debugSwitches.level;
    lr.width = 100;
    lr.endLevel = 3;
    lr.displayCcsid = 850;
    const unsigned char *p = (const unsigned char *)data;
    uint32_t rem = data && length > 0 ? (uint32_t)length : 0;
    FapFormatStructure(&m, &FmtDefMessageContent, nullptr, DebugPrintLine, 0, &lr, &rem, &p);
    CSUnlockGlobal(CSLOCK_DUMP);
}
