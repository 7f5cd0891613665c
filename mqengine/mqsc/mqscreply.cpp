/* The replies of an MQSC request to a z/OS queue manager: the request's
 * reply state (counts, return and reason codes of the summary, the queue
 * managers still to answer, the collected message text) and the CSQM4
 * attribute messages turned into PCF responses for the ordinary reply
 * processing. */
#include "mqsc.h"

#include "cs.h"

#define ID_LENGTH 8
#define ATTR_TEXT_OFFSET 10
#define CUT_LENGTH 14               /* identifier and command prefix */

const PCFCommandDef *MQSCReplyDefinition(const PCFCommandDef *dialogDef, const PCFActionDef *action,
                                         uint32_t command)
{
    PCFCommandDef *const *tables[] = { PCFCommandDefs, PCFInternalDefs };
    for (PCFCommandDef *const *t : tables)
        for (; *t; t++) {
            const PCFCommandDef *d = *t;
            if ((d->flags & PCFD_NOTBYCODE) || !d->actions || d->actions->command != command)
                continue;
            if (dialogDef && (dialogDef->flags & PCFD_SELECTOR) && !(d->flags & PCFD_SELECTOR))
                continue;
            if (action && (action->flags & 0x4000000) && !d->list)
                continue;
            return d;
        }
    return nullptr;
}

/* The number after a label within the text, read in a base; 0 when the
 * label is absent. */
static int FindNumber(const char *text, const char *label, int base, uint32_t *out)
{
    const char *at = strstr(text, label);
    if (!at)
        return 0;
    at += strlen(label);
    while (*at == ' ')
        at++;
    *out = (uint32_t)strtoul(at, nullptr, base);
    return 1;
}

void MQSCAppendResponseText(MQSCPcf *s, const char *text, size_t length)
{
    if (length >= ID_LENGTH && !memcmp(text, "CSQM090E", ID_LENGTH))
        return;
    if (s->hasText && length >= 3 && !memcmp(text, "CSQ", 3)) {
        size_t cut = length < CUT_LENGTH ? length : CUT_LENGTH;
        text += cut;
        length -= cut;
        if (!length)
            return;
    }
    size_t old = s->text ? strlen(s->text) : 0;
    char *grown = (char *)CSGetMem(old + length + 1, "pPcfMsg");
    if (!grown)
        return;
    if (old)
        memcpy(grown, s->text, old);
    memcpy(grown + old, text, length);
    grown[old + length] = 0;
    CSFreeMemAndClear(&s->text);
    s->text = grown;
    s->hasText = 1;
}

/* A completion message: one queue manager less to wait for. */
static void Completion(MQSCPcf *s)
{
    if (s->outstanding)
        s->outstanding--;
    if (!s->outstanding)
        s->complete = 1;
}

static void Summary(MQSCPcf *s, const char *text)
{
    uint32_t n;
    if (FindNumber(text, "COUNT=", 10, &n))
        s->items += n;
    if (FindNumber(text, "RETURN=", 16, &n))
        s->returnCode = n;
    if (FindNumber(text, "REASON=", 16, &n))
        s->reason = (int32_t)n;
}

static void Member(MQSCPcf *s, const char *text)
{
    const char *from = strstr(text, "from ");
    if (!from) {
        CmdCopy(s->member, "QM?", sizeof s->member);
        return;
    }
    /* the four characters of the name, or fewer where the reply ends */
    CmdTakeString(s->member, sizeof s->member, from + 5, (int32_t)strnlen(from + 5, 4));
}

/* A CSQM4 attribute line (length bytes, no zero among them) into a PCF
 * response of its own; 1 without storage for it. */
static int AttributeResponse(IFCMD *record, MQSCPcf *s, const char *text, uint32_t length, uint8_t **pcf,
                             uint32_t *pcfLength)
{
    uint8_t *out = (uint8_t *)CSGetMem(MQSC_RESPONSE_SIZE, "pPcfMsg");
    if (!out)
        return 1;
    const uint8_t *caps = record->location ? record->location->caps : nullptr;
    char *unhandled = record->dialog ? record->dialog->unhandled : nullptr;
    int32_t at = length > ATTR_TEXT_OFFSET ? ATTR_TEXT_OFFSET : (int32_t)length;
    PCFMQSCValues(caps, unhandled, s, text + at, (int32_t)length - at, out, MQSC_RESPONSE_SIZE, pcfLength);
    *pcf = out;
    return 0;
}

int MQSCResponseToPcf(IFCMD *record, const MQMD *, const uint8_t *data, uint32_t length, uint8_t **pcf,
                      uint32_t *pcfLength)
{
    *pcf = nullptr;
    *pcfLength = 0;
    MQSCPcf *s = (MQSCPcf *)record->mqscState;
    if (!s) {
        s = (MQSCPcf *)CSGetMem(sizeof *s, "MQSCPcf");
        if (!s)
            return MQRC_STORAGE_NOT_AVAILABLE;
        memset(s, 0, sizeof *s);
        s->command = record->command;
        record->mqscState = s;
    }
    if (!s->definition)
        s->definition = MQSCReplyDefinition(record->definition, record->action, s->command);
    s->replies++;
    /* A zero byte ends the text.  Attribute lines, by far the most, are
       read where they lie, and the attribute reader stops at a zero byte
       itself: only their first part is looked at here. */
    int attributes = length >= 5 && !memcmp(data, "CSQM4", 5);
    uint32_t scanned = attributes && length > ATTR_TEXT_OFFSET ? ATTR_TEXT_OFFSET : length;
    if (scanned) {
        const void *zero = memchr(data, 0, scanned);
        if (zero)
            length = (uint32_t)((const uint8_t *)zero - data);
    }
    if (attributes)
        return s->definition ? AttributeResponse(record, s, (const char *)data, length, pcf, pcfLength) : 0;
    char *text = (char *)CSGetMem((size_t)length + 1, "MQSCReply");
    if (!text)
        return MQRC_STORAGE_NOT_AVAILABLE;
    if (length)
        memcpy(text, data, length);
    text[length] = 0;
    if (length < 3 || memcmp(text, "CSQ", 3)) {
        MQSCAppendResponseText(s, text, length);
    } else if (!strncmp(text, "CSQ9022I", 8) || !strncmp(text, "CSQ9023I", 8) || !strncmp(text, "CSQ9023E", 8)) {
        Completion(s);
    } else if (!strncmp(text, "CSQN205I", 8)) {
        Summary(s, text);
    } else if (!strncmp(text, "CSQN137I", 8) || !strncmp(text, "CSQN138I", 8)) {
        uint32_t n;
        if (FindNumber(text, "sent to ", 10, &n))
            s->outstanding = n;
    } else if (!strncmp(text, "CSQN121I", 8)) {
        Member(s, text);
    } else if (!strncmp(text, "CSQM130I", 8) || !strncmp(text, "CSQM134I", 8)) {
    } else {
        MQSCAppendResponseText(s, text, length);
    }
    CSFreeMem(text);
    return 0;
}

void MQSCFreeState(IFCMD *record)
{
    MQSCFreeConsoleEntries(record);
    MQSCPcf *s = (MQSCPcf *)record->mqscState;
    if (s)
        CSFreeMemAndClear(&s->text);
    CSFreeMemAndClear(&record->mqscState);
}
