/* Small services of the engine: fixed-field names, texts and text
 * blocks, the preferences the engine reads, status changes of a
 * location, and detached threads. */
#include "engint.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "cs.h"
#include "locstore.h"
#include "prfdata.h"
#include "mq/mqconst.h"

/* ---- names ---- */

void EngPadName(char *field, const char *text, size_t width)
{
    size_t n = text ? strnlen(text, width) : 0;
    memset(field, ' ', width);
    if (n)
        memcpy(field, text, n);
}

void EngTrimName(char *out, const char *field, size_t width)
{
    size_t n = strnlen(field, width);
    while (n && (field[n - 1] == ' ' || field[n - 1] == 0))
        n--;
    memmove(out, field, n);
    out[n] = 0;
}

void EngCopy(char *out, const char *text, size_t size)
{
    UTStrCopy(out, text ? text : "", size);
}

/* ---- texts ---- */

void EngFormat(char *out, size_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(out, size, format, args);
    va_end(args);
}

char *EngTextBlock(const char *text, const char *tag)
{
    size_t n = text ? strlen(text) : 0;
    char *block = (char *)CSGetMem(n + 1, tag);
    if (block) {
        if (n)
            memcpy(block, text, n);
        block[n] = 0;
    }
    return block;
}

void EngTimeOfDay(char *out)
{
    int64_t now = MQETime();
    char date[16], time[9];
    UTTimeToText(&now, date, time);
    memcpy(out, time, 8);
    out[8] = 0;
}

void EngMQErrorText(char *out, size_t size, const char *what, const char *qm,
                    const char *object, MQLONG reason)
{
    EngFormat(out, size, "%s '%s/%s' RC(%ld) %s", what, qm ? qm : "", object ? object : "",
              (long)reason, MQReasonText(reason));
}

/* ---- preferences ---- */

int EngLeaveGetInhibit(void) { return (Prf.po[0] & PO1_LEAVE_GET_INHIBIT) != 0; }
int EngRetryAfterAuthFailure(void) { return (Prf.po[2] & PO3_RETRY_AUTH) != 0; }
int EngStartCommandServers(void) { return (Prf.opt1 & 0x4000) != 0; }
int EngUpperUserNames(void) { return (Prf.po[0] & PO1_UPPER_USER_NAMES) != 0; }
int EngImportLocalAtStart(void) { return (Prf.po[3] & PO4_IMPORT_LOCAL) != 0; }
int32_t EngCommandExpiry(void) { return Prf.cmdexp > 0 ? Prf.cmdexp : 0; }

int EngNoReadAhead(void)
{
    return (Prf.po[2] & PO3_NO_READ_AHEAD) || getenv("RAVOLT_NO_READ_AHEAD");
}

/* ---- locations ---- */

void EngSetStatus(QMS *r, uint32_t set, uint32_t clear)
{
    LocSetStatus(r, set, clear, 0);
}

void EngSetState2(QMS *r, uint32_t set, uint32_t clear)
{
    LocLockStore();
    r->state = (r->state | set) & ~clear;
    LocUnlockStore();
}

int EngIsClient(QMS *r)
{
    return (r->flags & LF_CLIENT) != 0;
}

void EngObjectQMgr(QMS *r, char *out)
{
    MQELOC *e = MQELocOf(r);
    const char *name = e && e->objectQMgr[0] ? e->objectQMgr : r->qmName;
    if (name[0] == '*')
        name++;
    EngCopy(out, name, 49);
}

/* ---- threads ---- */

int EngStartThread(void (*fn)(void *), void *arg)
{
    try {
        std::thread(fn, arg).detach();
    } catch (...) {
        return -1;
    }
    return 0;
}
