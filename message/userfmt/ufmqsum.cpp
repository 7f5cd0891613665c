/* Summaries of IBM MQ formats: the dead-letter reason and destination,
 * the transmission target, and a PCF message's command, reason and
 * parameters.  Every length in the data is checked before it is used. */
#include "ufint.h"
#include "../fmtint.h"
#include "cscodepage.h"
#include "mq/mqconst.h"
#include <cstdio>
#include <cstring>

#define PARM_QMGR_NAME 2015           /* MQCA_Q_MGR_NAME */
#define PCF_MAX_STRING_PARM 520

/* Integers of data whose encoding has bit 0 set are big-endian. */
static uint32_t Word(const unsigned char *p, uint32_t encoding)
{
    return FmtRd32(p, (encoding & 1) ? 1 : 2);
}

/* A name field of 48 characters: printable when EBCDIC, without trailing
 * blanks; returns its length. */
static uint32_t NameField(const unsigned char *p, uint32_t ccsid, char *out)
{
    memcpy(out, p, 48);
    if (CSIsEbcdicCcsid((int)ccsid))
        CSMakePrintable((unsigned char *)out, (const unsigned char *)out, 48);
    uint32_t n = 48;
    while (n && (out[n - 1] == ' ' || out[n - 1] == 0))
        n--;
    out[n] = 0;
    return n;
}

void SummaryReasonText(int32_t reason, char *buffer)
{
    const char *d = MQReasonText(reason);
    size_t n = strlen(d);
    if (n && d[n - 1] == '.')
        n--;
    if (n)
        snprintf(buffer, 128, "Reason(%.*s)", (int)(n < 110 ? n : 110), d);
    else
        snprintf(buffer, 128, "Reason(%d)", (int)reason);
}

int DeadLetterSummary(const MSGSUMCTX *ctx, uint32_t ccsid, uint32_t encoding, const MSGRECORD *msg,
                      unsigned char *value)
{
    if (msg->length < 108)
        return 0;
    char reason[128], queue[49], qmgr[49];
    SummaryReasonText((int32_t)Word(msg->data + 8, encoding), reason);
    uint32_t q = NameField(msg->data + 12, ccsid, queue), m = NameField(msg->data + 60, ccsid, qmgr);
    UFTEXT t = UFValueText(ctx, value);
    if (q && m)
        UFTextPrintf(&t, "DLQ: %s %.48s/%.48s", reason, qmgr, queue);
    else if (q)
        UFTextPrintf(&t, "DLQ: %s %.48s", reason, queue);
    else
        UFTextPrintf(&t, "DLQ: %s", reason);
    return UFSetValueLength(value, &t);
}

int XmitSummary(const MSGSUMCTX *ctx, uint32_t ccsid, uint32_t encoding, const MSGRECORD *msg,
                unsigned char *value)
{
    (void)encoding;
    if (msg->length < 104)
        return 0;
    char queue[49], qmgr[49];
    NameField(msg->data + 8, ccsid, queue);
    NameField(msg->data + 56, ccsid, qmgr);
    UFTEXT t = UFValueText(ctx, value);
    UFTextPrintf(&t, "XMIT: %.48s/%.48s", qmgr, queue);
    return UFSetValueLength(value, &t);
}

/* The queue manager's own name, which a response repeats. */
static int IsOwnQmgr(const MSGSUMCTX *ctx, const char *text, uint32_t n)
{
    if (!ctx->qmgrName)
        return 0;
    uint32_t m = (uint32_t)strlen(ctx->qmgrName);
    while (m && ctx->qmgrName[m - 1] == ' ')
        m--;
    return m == n && memcmp(ctx->qmgrName, text, n) == 0;
}

/* " name:'text'" of a string parameter (left out when it repeats the own
 * queue manager's name or is too long). */
static void StringParm(const MSGSUMCTX *ctx, UFTEXT *t, const unsigned char *p, uint32_t strucLength,
                       uint32_t parm, uint32_t ccsid, uint32_t length)
{
    if (strucLength > PCF_MAX_STRING_PARM)
        return;
    char text[PCF_MAX_STRING_PARM];
    memcpy(text, p + 20, length);
    if (CSIsEbcdicCcsid((int)ccsid))
        CSMakePrintable((unsigned char *)text, (const unsigned char *)text, (int)length);
    while (length && text[length - 1] == ' ')
        length--;
    if (parm == PARM_QMGR_NAME && IsOwnQmgr(ctx, text, length))
        return;
    UFTextPrintf(t, " %s:'%.*s'", MQParmDesc((int32_t)parm), (int)length, text);
}

int PCFSummary(const MSGSUMCTX *ctx, uint32_t ccsid, uint32_t encoding, const MSGRECORD *msg,
               unsigned char *value)
{
    const unsigned char *d = msg->data;
    uint32_t length = msg->length;
    if (length < 36)
        return 0;
    int32_t command = (int32_t)Word(d + 12, encoding), count = (int32_t)Word(d + 32, encoding);
    char reason[128];
    SummaryReasonText((int32_t)Word(d + 28, encoding), reason);
    UFTEXT t = UFValueText(ctx, value);
    UFTextPrintf(&t, "%s - %s", MQCmdDesc(command), reason);
    uint32_t at = 36;
    for (int32_t i = 0; i < count && length - at >= 8; i++) {
        const unsigned char *p = d + at;
        uint32_t type = Word(p, encoding), strucLength = Word(p + 4, encoding);
        if (strucLength < 8 || strucLength > length - at)
            break;
        if (type == 3) {                /* MQCFIN */
            if (strucLength < 16)
                break;
            int32_t parm = (int32_t)Word(p + 8, encoding), v = (int32_t)Word(p + 12, encoding);
            const char *name = MQValueName(parm, v);
            if (name)
                UFTextPrintf(&t, " %s:%s", MQParmDesc(parm), name);
            else
                UFTextPrintf(&t, " %s:%d", MQParmDesc(parm), v);
        } else if (type == 4) {         /* MQCFST */
            if (strucLength < 20)
                break;
            uint32_t parm = Word(p + 8, encoding), parmCcsid = Word(p + 12, encoding);
            uint32_t n = Word(p + 16, encoding);
            if (n > strucLength - 20)
                break;
            StringParm(ctx, &t, p, strucLength, parm, parmCcsid ? parmCcsid : ccsid, n);
        }
        at += strucLength;
    }
    return UFSetValueLength(value, &t);
}
