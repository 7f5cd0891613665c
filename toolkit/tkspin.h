/* ZKTSPINNERS: one control showing a row of small numeric fields,
 * labels and check boxes (dates, times, intervals), stepped with keys,
 * wheel and two thin bars, with carries between fields. */
#pragma once

#include <windows.h>
#include <cstdint>

#define ZKT_SPINNERS "ZKTSPINNERS"

struct SpinFieldDef {
    const char *name;          /* null ends the table */
    int32_t id;
    int32_t carry;             /* field taking the carry; 0 none */
    int32_t kind;              /* SPK_* */
    uint32_t flags;            /* SPF_* */
    int32_t min, max;
    int32_t initial;
    const char *before, *after;
    const char *const *names;  /* indexed by value - min, or null */
};

/* lpCreateParams and lParam of SPM_BUILD */
struct SpinDefBlock {
    int64_t unused;            /* -1 in the program's tables */
    const SpinFieldDef *rows;
};

enum { SPK_NUMBER = 1, SPK_CHECK = 2, SPK_LABEL = 3, SPK_GROUP = 4 };
enum {
    SPF_WRAP = 0x1, SPF_FIXED = 0x2, SPF_ZEROPAD = 0x4, SPF_ALWAYS = 0x8, SPF_DISABLED = 0x10,
    SPF_CONTROLLER = 0x20, SPF_INVERTED = 0x40, SPF_BLANKED = 0x80, SPF_GROUPBEGIN = 0x100,
    SPF_GROUPEND = 0x200, SPF_EXCLUSIVE = 0x400, SPF_EXCLMEMBER = 0x800, SPF_SKIPOWN = 0x1000,
    SPF_UNBLANK = 0x2000, SPF_RADIO = 0x4000, SPF_RADIOBEGIN = 0x8000, SPF_RADIOEND = 0x10000,
    SPF_RADIOGROUP = 0x20000, SPF_REPORT = 0x40000, SPF_INVISIBLE = 0x80000
};
/* window style bits */
enum { SPS_CHECK = 1, SPS_REPORTALL = 2, SPS_REPORTNONE = 4 };
/* SpinNotify messages */
#include "ravoltids.h"
enum { SPN_CHANGED = 10, SPN_TICKED = 11, SPN_CLEARED = 12 };

struct SpinNotifyBlock {
    HWND spinner;
    uint32_t code;
    uint32_t ctlId;
    uint32_t fieldId;
};

/* The program's tables. */
extern const SpinDefBlock SpinDateTime, SpinDateTimeNow, SpinInterval;

int SpinRegisterClass(HINSTANCE instance);
void SpinGetSize(HWND hwnd, int *width, int *height);
int SpinGetValues(HWND hwnd, int count, int64_t *values);
int SpinSetValues(HWND hwnd, int count, const int64_t *values);
int64_t SpinGetField(HWND hwnd, int32_t id);
int SpinSetCheck(HWND hwnd, int32_t id, int on);
int SpinSetState(HWND hwnd, int state);
