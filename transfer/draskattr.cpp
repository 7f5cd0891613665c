/* The Drask attribute table (one row per MQMD field a file names), the
 * reader's default descriptor, the block's defaults and error text, and
 * the program-wide time of file headers. */
#include "drask.h"

#include <atomic>
#include <cstdarg>
#include <cstring>

#include "cs.h"

#define ROW(kind, off, len, ver, code, name, form) { kind, off, len, ver, code, name, form }

/* In the order of writing; a kind 0 row ends the table. */
const DraskAttr DraskAttrTable[] = {
    ROW(DRA_INT, 4, 4, 2, "VER", "Version", DRF_ORDINARY),
    ROW(DRA_INT, 8, 4, 0, "RPT", "Report", DRF_ORDINARY),
    ROW(DRA_INT, 12, 4, 0, "MST", "MsgType", DRF_ORDINARY),
    ROW(DRA_INT, 16, 4, 0, "EXP", "Expiry", DRF_ORDINARY),
    ROW(DRA_INT, 20, 4, 0, "FDB", "Feedback", DRF_ORDINARY),
    ROW(DRA_INT, 24, 4, 0, "ENC", "Encoding", DRF_ORDINARY),
    ROW(DRA_INT, 28, 4, 0, "CCS", "CodedCharSetId", DRF_ORDINARY),
    ROW(DRA_CHAR, 32, 8, 0, "FMT", "Format", DRF_ORDINARY),
    ROW(DRA_INT, 40, 4, 0, "PRI", "Priority", DRF_ORDINARY),
    ROW(DRA_INT, 44, 4, 0, "PER", "Persistence", DRF_ORDINARY),
    ROW(DRA_HEX, 48, 24, 0, "MSI", "MsgId", DRF_ORDINARY),
    ROW(DRA_HEX, 72, 24, 0, "COI", "CorrelId", DRF_ORDINARY),
    ROW(DRA_INT, 96, 4, 0, "BOC", "BackoutCount", DRF_ORDINARY),
    ROW(DRA_CHAR, 100, 48, 0, "RTQ", "ReplyToQ", DRF_ORDINARY),
    ROW(DRA_CHAR, 148, 48, 0, "RTM", "ReplyToQMgr", DRF_ORDINARY),
    ROW(DRA_CHAR, 196, 12, 0, "USR", "UserIdentifier", DRF_ORDINARY),
    ROW(DRA_HEX, 208, 32, 0, "ACC", "AccountingToken", DRF_ORDINARY),
    ROW(DRA_CHAR, 240, 32, 0, "AID", "ApplIdentityData", DRF_CHARFORM),
    ROW(DRA_HEX, 240, 32, 0, "AIX", "ApplIdentityData", DRF_HEXFORM),
    ROW(DRA_INT, 272, 4, 0, "PAT", "PutApplType", DRF_ORDINARY),
    ROW(DRA_CHAR, 276, 28, 0, "PAN", "PutApplName", DRF_ORDINARY),
    ROW(DRA_CHAR, 304, 8, 0, "PTD", "PutDate", DRF_ORDINARY),
    ROW(DRA_CHAR, 312, 8, 0, "PTT", "PutTime", DRF_ORDINARY),
    ROW(DRA_CHAR, 320, 4, 0, "AOD", "ApplOriginData", DRF_CHARFORM),
    ROW(DRA_HEX, 320, 4, 0, "AOX", "ApplOriginData", DRF_HEXFORM),
    ROW(DRA_CHAR, 0, 4, 0, "", "StrucId", DRF_ORDINARY),
    ROW(DRA_HEX, 324, 24, 2, "GRP", "GroupId", DRF_ORDINARY),
    ROW(DRA_INT, 348, 4, 2, "MSQ", "MsgSeqNumber", DRF_ORDINARY),
    ROW(DRA_INT, 352, 4, 2, "OFF", "Offset", DRF_ORDINARY),
    ROW(DRA_INT, 356, 4, 2, "MSF", "MsgFlags", DRF_ORDINARY),
    ROW(DRA_INT, 360, 4, 2, "ORL", "OriginalLength", DRF_ORDINARY),
    ROW(0, 0, 0, 0, nullptr, nullptr, 0),
};

static_assert(sizeof(MQMD) == 364, "a version-2 descriptor is 364 bytes");

void DraskDefaultMD(MQMD *md)
{
    memset(md, 0, sizeof *md);
    memcpy(md->StrucId, MQMD_STRUC_ID, 4);
    md->Version = MQMD_VERSION_2;
    md->MsgType = MQMT_DATAGRAM;
    md->Expiry = MQEI_UNLIMITED;
    md->Encoding = MQENC_NATIVE;
    memset(md->Format, ' ', 8);
    md->Priority = MQPRI_PRIORITY_AS_Q_DEF;
    md->Persistence = MQPER_PERSISTENCE_AS_Q_DEF;
    md->MsgSeqNumber = 1;
    md->OriginalLength = MQOL_UNDEFINED;
}

/* The row of each three-letter code, by the letters' positions. */
static int8_t codeRows[26 * 26 * 26];

static int code_slot(const char *code)
{
    int slot = 0;
    for (int i = 0; i < 3; i++) {
        if (code[i] < 'A' || code[i] > 'Z')
            return -1;
        slot = slot * 26 + (code[i] - 'A');
    }
    return slot;
}

static struct CodeInit {
    CodeInit()
    {
        memset(codeRows, -1, sizeof codeRows);
        for (int i = 0; DraskAttrTable[i].kind; i++)
            if (DraskAttrTable[i].code[0])
                codeRows[code_slot(DraskAttrTable[i].code)] = (int8_t)i;
    }
} codeInit;

const DraskAttr *DraskFindCode(const char *code)
{
    int slot = code_slot(code);
    return slot >= 0 && codeRows[slot] >= 0 ? &DraskAttrTable[codeRows[slot]] : nullptr;
}

const DraskAttr *DraskFindName(const char *name, size_t length)
{
    for (const DraskAttr *a = DraskAttrTable; a->kind; a++)
        if (strlen(a->name) == length && !memcmp(a->name, name, length))
            return a;
    return nullptr;
}

void DraskInit(DROPT *o)
{
    memset(o, 0, sizeof *o);
    o->head.hConn = MQHC_UNUSABLE_HCONN;
    o->hSource = MQHO_UNUSABLE_HOBJ;
    o->hTarget = MQHO_UNUSABLE_HOBJ;
    DraskDefaultMD(&o->md);
    o->lineWidth = 25;
    o->options = DRO_CTX_SETALL;
    o->commitInterval = 200;
    o->encoding = MQENC_NATIVE;
    o->msgCapacity = 0;
}

void DraskFreeBuffers(DROPT *o)
{
    CSFreeMemAndClear(&o->msg);
    CSFreeMemAndClear(&o->lineStore);
    o->line = nullptr;
    CSFreeMemAndClear(&o->outBuffer);
    CSFreeMemAndClear(&o->lines.buffer);
    if (o->lines.view)
        DraskUnmapView(o->lines.view, o->lines.viewLength);
    o->lines.view = nullptr;
    o->lines.chunk = nullptr;
    CSFreeMemAndClear(&o->plain.buffer);
    o->msgCapacity = o->lineCapacity = 0;
    o->outCapacity = o->lines.chunkCapacity = o->plain.capacity = 0;
}

int DraskFail(DROPT *o, int code, const char *format, ...)
{
    va_list ap;
    va_start(ap, format);
    vsnprintf(o->error, sizeof o->error, format, ap);
    va_end(ap);
    return code;
}

/* ---- the header time ---- */

static std::atomic<int64_t> headerTime{0};

void DraskTakeTime(int64_t now)
{
    headerTime.store(now ? now : CSGetCurrentTime());
}

int64_t DraskHeaderTime(void)
{
    int64_t t = headerTime.load();
    if (!t) {
        int64_t expected = 0;
        t = CSGetCurrentTime();
        if (!headerTime.compare_exchange_strong(expected, t))
            t = expected;
    }
    return t;
}

void DraskTimeText(int64_t t, char *out, size_t size)
{
    static const char days[] = "SunMonTueWedThuFriSat";
    static const char months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    FmtDateState s = {};
    if (!TimeToTm(&s, &t)) {
        snprintf(out, size, "Thu Jan  1 00:00:00 1970\n");
        return;
    }
    const struct tm &m = s.tm;
    snprintf(out, size, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", days + 3 * (m.tm_wday % 7),
             months + 3 * (m.tm_mon % 12), m.tm_mday, m.tm_hour, m.tm_min, m.tm_sec,
             m.tm_year + 1900);
}
