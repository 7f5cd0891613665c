/* The message of a pane: exchanging it with the dialog's data area, a new
 * default descriptor, and the default header of a format the user picks
 * (its default instance, written in the message's code page and byte
 * order). */
#include "edpane.h"
#include "edops.h"
#include "eddialog.h"
#include "command.h"
#include "structconv.h"
#include "fmtint.h"
#include "csmem.h"
#include "prfdata.h"
#include "qms.h"
#include "userfmt.h"
#include <cstdio>
#include <cstring>
#include <initializer_list>

enum { MD_LENGTH = 364, DATA_RESERVE = 20480 };

static void Put32(unsigned char *p, int32_t v)
{
    for (int i = 0; i < 4; i++)
        p[i] = (unsigned char)((uint32_t)v >> (8 * i));
}

void EdDefaultDescriptorBytes(const DialogWords *d, unsigned char *md, const char *format, int32_t ccsid,
                              int32_t encoding)
{
    const QMS *q = EdLocation(d);
    if (!encoding)
        encoding = q && q->encoding ? (int32_t)q->encoding : 546;
    if (!ccsid)
        ccsid = q && q->ccsid ? (int32_t)q->ccsid : 850;
    memset(md, 0, MD_LENGTH);
    memcpy(md, "MD  ", 4);
    Put32(md + 4, 2);                   /* Version */
    Put32(md + 12, 8);                  /* MsgType: datagram */
    Put32(md + 16, -1);                 /* Expiry: unlimited */
    Put32(md + 24, encoding);
    Put32(md + 28, ccsid);
    memcpy(md + 32, format, 8);
    Put32(md + 40, -1);                 /* Priority: as the queue */
    Put32(md + 44, 2);                  /* Persistence: as the queue */
    memset(md + 276, ' ', 28 + 8 + 8);  /* PutApplName, PutDate, PutTime */
    Put32(md + 348, 1);                 /* MsgSeqNumber */
    Put32(md + 360, -1);                /* OriginalLength */
}

void EdSetDefaultDescriptor(DialogWords *d, const char *format, int32_t ccsid, int32_t encoding)
{
    PCFDATA *ed = d->editor;
    if (!ed || !CSDataSet(&ed->descriptor, nullptr, 0, MD_LENGTH))
        return;
    EdDefaultDescriptorBytes(d, ed->descriptor.data, format, ccsid, encoding);
    ed->descriptor.length = MD_LENGTH;
    ed->generation++;
}

/* ---- default headers ---- */

static const struct { const char *format; FmtStructDef *def; } headerTable[] = {
    { "MQADMIN ", &FmtDefCFHGenericAdmin }, { "MQCICS  ", &FmtDefMQCIH },
    { "MQDEAD  ", &FmtDefMQDLH }, { "MQHDIST ", &FmtDefMQDH }, { "MQHEPCF ", &FmtDefMQEPH },
    { "MQEVENT ", &FmtDefCFHGenericEvent }, { "MQIMS   ", &FmtDefMQIIH },
    { "MQHMDE  ", &FmtDefMQMDE }, { "MQPCF   ", &FmtDefCFHGenericPcf },
    { "MQHRF   ", &FmtDefMQRFH }, { "MQHRF2  ", &FmtDefMQRFH2 }, { "MQTRIG  ", &FmtDefMQTM },
    { "MQHWIH  ", &FmtDefMQWIH }, { "MQXMIT  ", &FmtDefXQH },
};

FmtStructDef *EdHeaderForFormat(const char *format)
{
    for (auto &row : headerTable)
        if (memcmp(row.format, format, 8) == 0)
            return row.def;
    return nullptr;
}

/* Writes blanks into character fields, "0" into zoned and digit fields,
 * for fields that lie at or past the context's first byte. */
struct HeaderInit {
    PCFDATA *ed;
    uint32_t from;
    unsigned char blank;
};

static uint32_t EdHeaderFieldInit(uint64_t context, FmtLineRec *lr, char *, uint32_t)
{
    HeaderInit *h = (HeaderInit *)(uintptr_t)context;
    const FmtFieldDef *f = lr->field;
    CSDATA *b = &h->ed->data;
    /* a zeroed decimal is no number yet: its line is the invalid mark */
    int decimal = f && (f->type == FT_ZONED || f->type == FT_DIGITS);
    if (!f || (lr->lineFlags & (LF_HEADING | LF_CONTINUATION)) || ((lr->lineFlags & LF_MARKER) && !decimal) ||
        lr->dataOffset < h->from)
        return FMT_GO_ON;
    uint32_t at = lr->dataOffset, n = f->length;
    if (n == 0xFFFFFFFF || (uint64_t)at + n > b->length)
        return FMT_GO_ON;
    int ebcdic = lr->frame && lr->frame->ebcdic;
    switch (f->type) {
    case FT_CHAR: case FT_FORMAT: case FT_PUTDATE: case FT_PUTTIME: case FT_CODE1:
        memset(b->data + at, h->blank, n);
        break;
    case FT_ZONED:
        FapParseZoned(f, "0", 1, ebcdic, b->data + at);
        break;
    case FT_DIGITS:
        FapParseDigits(f, "0", 1, ebcdic, b->data + at);
        break;
    }
    return FMT_GO_ON;
}

/* One count-only walk of the structure over the data buffer. */
static void InitFields(PCFDATA *ed, FmtStructDef *def, uint32_t from, uint32_t ccsid, uint32_t encoding)
{
    FmtMsgInfo info = {};
    info.ccsid = ccsid;
    info.encoding = encoding;
    info.ebcdic = (uint32_t)CSIsEbcdicCcsid((int)ccsid);
    memset(info.format, ' ', 8);
    FmtLineRec lr = {};
    lr.flags = 4 | LR_NO_TEXT;
    lr.options = LO_KEEP_ENCODING | LO_SHOW_EMPTY_END;
    const FmtCodepage *cp = FmtGetCodepage(ccsid);
    HeaderInit h = { ed, from, cp->ch[CP_BLANK] };
    const unsigned char *p = ed->data.data;
    uint32_t rem = ed->data.length;
    FapFormatStructure(&info, def, nullptr, EdHeaderFieldInit, (uint64_t)(uintptr_t)&h, &lr, &rem, &p);
}

/* What the message format change does after the descriptor is set. */
static void FormatApplied(DialogWords *d, PCFDATA *ed)
{
    EdFreeUndoList(ed);
    memset(&ed->cursor, 0, sizeof ed->cursor);
    ed->cursor.buffer = &ed->data;
    ed->anchor = ed->cursor;
    ed->anchor.column = ED_UNSET;
    ed->flush = 1;
    ed->generation++;
    EdSetQueueName(d);
    d->displayFlags &= ~DSP_MSG_STATE;
    static const uint32_t states[] = { ATTR_MSG_STATE1, ATTR_MSG_STATE2 };
    for (uint32_t id : states)
        if (uint8_t *record = EdDialogValue(d, id))
            PCFSetState(record, (uint16_t)(PCFState(record) & ~3u));
    EdSyncDataArea(ed, 0);
    d->displayFlags |= DSP_FORMATTED;
    ED_HOST(edHost, viewCommand, d, 955);
    ED_HOST(edHost, postUpdate, d, 1, 2);
}

int EdSetGenericFormat(DialogWords *d, const char *format, int32_t ccsid, int32_t encoding)
{
    PCFDATA *ed = d->editor;
    if (!ed)
        return 0;
    EdSyncPutContext(d);
    if (!EdKeepSavedData(ed))
        return 0;
    EdSetDefaultDescriptor(d, format, ccsid, encoding);
    ed->data.length = 0;
    FormatApplied(d, ed);
    return 1;
}

static int32_t MdInt(const PCFDATA *ed, uint32_t at) { return (int32_t)FmtRd32(ed->descriptor.data + at, 546); }

int EdSetMessageFormat(DialogWords *d)
{
    PCFDATA *ed = d->editor;
    if (!ed)
        return 0;
    EdSyncPutContext(d);
    if (!EdKeepSavedData(ed))
        return 0;
    if (ed->descriptor.length < MD_LENGTH && ed->descriptor.length < 324)
        EdSetGenericFormat(d, "MQSTR   ", 0, 0);
    char format[8];
    memcpy(format, ed->descriptor.data + 32, 8);
    int32_t ccsid = MdInt(ed, 28), encoding = MdInt(ed, 24);
    FmtStructDef *def = EdHeaderForFormat(format);
    int userFormat = 0;
    if (!def) {
        /* a user format named by the format: its first structure */
        UFMatchState st = {};
        UFStateFor(&st, format, (uint32_t)encoding, (uint32_t)ccsid, ed->queueName, ed->queueNameLength);
        def = UFFindFormat(0, ed->queueName, ed->queueNameLength, nullptr, 0, &st);
        if (!def)
            return EdSetGenericFormat(d, format, ccsid, encoding);
        userFormat = 1;
    }
    EdSetDefaultDescriptor(d, format, ccsid, encoding);
    FmtLayoutAll();
    uint32_t size = def->size;
    ed->data.length = 0;
    if (!CSDataEnsure(&ed->data, size, nullptr))
        return 0;                       /* the change stops where it is */
    ed->data.length = size;
    memset(ed->data.data, 0, size);
    if (!userFormat && def->defaultInstance) {
        uint32_t n = def->defaultLength < size ? def->defaultLength : size;
        memcpy(ed->data.data, def->defaultInstance, n);
        InitFields(ed, def, n, 850, 546);
        if (ccsid != 850 || encoding != 546) {
            unsigned char *p = ed->data.data;
            if (StructConvertFields(def, &p, size, 850, 546, ccsid, encoding))
                EdSetErrorText(ed, "Character not valid in target codepage");
        }
    } else {
        InitFields(ed, def, 0, (uint32_t)ccsid, (uint32_t)encoding);
    }
    FormatApplied(d, ed);
    return 1;
}

/* ---- the dialog's side ---- */

void EdSetQueueName(DialogWords *d)
{
    PCFDATA *ed = d->editor;
    char text[64];
    const char *name = PCFGetValueText(d, ATTR_QUEUE_NAME, text, sizeof text);
    size_t n = name ? strlen(name) : 0;
    if (n > 48)
        n = 48;
    memcpy(d->queueName, name ? name : "", n);
    d->queueName[n] = 0;
    if (ed) {
        memcpy(ed->queueName, d->queueName, n + 1);
        ed->queueNameLength = (uint32_t)n;
    }
}

void EdSetFormatName(DialogWords *d)
{
    PCFDATA *ed = d->editor;
    if (!ed)
        return;
    memset(ed->formatName, 0, sizeof ed->formatName);
    if (ed->descriptor.length >= 40)
        memcpy(ed->formatName, ed->descriptor.data + 32, 8);
}

void EdSyncPutContext(DialogWords *d)
{
    uint32_t add = Prf.iactx, update = Prf.iuctx;
    if (d->addContext == add && d->updateContext == update)
        return;
    d->addContext = add;
    d->updateContext = update;
    ED_HOST(edHost, contextTexts, d);
}

uint8_t *EdDialogValue(DialogWords *d, uint32_t attributeId)
{
    if (!d || !d->dataArea || !d->definition)
        return nullptr;
    PCFFieldEntry *e = PCFFindField(d, PCFDialogCaps(d), d->definition->fields, attributeId);
    return e && PCFStoresValue(e) ? d->dataArea + e->offset : nullptr;
}

PCFMSGBUF *EdMessageBuffer(uint8_t *record, uint32_t capacity)
{
    PCFMSGBUF *b = PCFRecMsgBuf(record);
    if (b && b->capacity >= capacity)
        return b;
    PCFMSGBUF *g = PCFNewMsgBuf(capacity, "PHEX Data");
    if (!g)
        return nullptr;
    if (b) {
        memcpy(PCFMsgBufBytes(g), PCFMsgBufBytes(b), b->length);
        g->length = b->length;
        CSFreeMem(b);
    }
    PCFSetRecPtr(record, g);
    return g;
}

/* The value records of the message in the data area the dialog holds now
 * (a reply swaps in a new one). */
static int FindSlots(PCFDATA *ed, DialogWords *d)
{
    ed->descriptorSlot = EdDialogValue(d, ATTR_MSGDESCRIPTOR);
    ed->dataSlot = EdDialogValue(d, ATTR_FULLMESSAGE);
    return ed->descriptorSlot && ed->dataSlot;
}

/* The bytes of a message record: its buffer's when it holds a value
 * (present, or received and specified by a reply), else none. */
static uint32_t RecordBytes(uint8_t *record, const uint8_t **bytes)
{
    PCFMSGBUF *b = PCFRecMsgBuf(record);
    *bytes = b ? PCFMsgBufBytes(b) : nullptr;
    uint16_t held = PCFS_PRESENT | PCFS_RECEIVED | PCFS_SPECIFIED;
    return b && (PCFState(record) & held) ? b->length : 0;
}

void EdSyncDataArea(PCFDATA *ed, int load)
{
    DialogWords *d = ed->dialog;
    QMS *q = EdLocation(d);
    if (!d || (d->stateFlags & DF_NO_DATA) || !q)
        return;
    if (!(d->viewOptions & DV_STEPPED))
        d->displayFlags &= ~DSP_FORMATTED;
    if (d->viewOptions & DV_MSG_STATE)
        d->displayFlags &= ~DSP_MSG_STATE;
    else
        d->displayFlags |= DSP_MSG_STATE;
    d->displayFlags &= ~DSP_LOADED;
    if (!FindSlots(ed, d)) {
        ED_HOST(edHost, countWindow, d);
        return;
    }
    ed->qmCcsid = q->ccsidQm ? q->ccsidQm : q->ccsid;
    ed->messageState = !(d->viewOptions & DV_MSG_STATE);
    uint8_t *mdRecord = (uint8_t *)ed->descriptorSlot, *msgRecord = (uint8_t *)ed->dataSlot;
    if (!load) {
        /* the descriptor goes back; the data stays the pane's alone */
        uint32_t n = ed->descriptor.length < MD_LENGTH ? ed->descriptor.length : MD_LENGTH;
        if (PCFMSGBUF *md = n ? EdMessageBuffer(mdRecord, MD_LENGTH) : PCFRecMsgBuf(mdRecord)) {
            if (n)
                memcpy(PCFMsgBufBytes(md), ed->descriptor.data, n);
            md->length = n;
        }
        if (n)
            PCFSetState(mdRecord, PCFState(mdRecord) | PCFS_PRESENT);
        if (PCFMSGBUF *msg = PCFRecMsgBuf(msgRecord))
            msg->length = 0;
    } else {
        const uint8_t *mdBytes, *dataBytes;
        uint32_t mdLength = RecordBytes(mdRecord, &mdBytes);
        uint32_t dataLength = RecordBytes(msgRecord, &dataBytes);
        if (mdLength > MD_LENGTH)
            mdLength = 0;
        CSDataSet(&ed->descriptor, mdBytes, mdLength, 0);
        CSDataSet(&ed->data, dataBytes, dataLength, DATA_RESERVE);
        MessageCopyBuffer(&ed->savedDescriptor, ed->descriptor.data, ed->descriptor.length);
        /* the saved copy of the data is made when the data first changes
           (most messages are only looked at) */
        CSFreeMemAndClear(&ed->savedData);
        ed->savedDataDeferred = 1;
        ed->generation++;
        memset(&ed->cursor, 0, sizeof ed->cursor);
        ed->rememberedColumn = 0;
        ed->scroll.top = 0;             /* a new message is shown from its start */
        EdSetFormatName(d);
    }
    ed->anchor.column = ED_UNSET;
    ed->findState.startLine = ed->findState.startColumn = 0;
    ed->findState.matched = 0;
    ED_HOST(edHost, pressButton, d, 904, EdTruncated(d) != 0);
    ED_HOST(edHost, countWindow, d);
}

int EdForgetMessage(DialogWords *d)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    if (!ed || (!ed->descriptor.length && !ed->data.length) || EdUnsaved(ed) || !FindSlots(ed, d))
        return 0;                      /* nothing shown (the pane stays blank), or edits kept */
    for (void *slot : { ed->descriptorSlot, ed->dataSlot }) {
        uint8_t *record = (uint8_t *)slot;
        PCFSetState(record, PCFState(record) & ~(PCFS_PRESENT | PCFS_RECEIVED | PCFS_SPECIFIED));
        if (PCFMSGBUF *b = PCFRecMsgBuf(record))
            b->length = 0;
    }
    ed->editFlags |= EF_KEEP_FOCUS;
    return 1;
}

void EdReload(PCFDATA *ed)
{
    if (ed->typing) {
        EdSetPending(ed, 0);
        ed->cursor.overflow = 0;
    }
    EdSyncDataArea(ed, 1);
    EdFreeUndoList(ed);
    if (ed->dialog) {
        EdSetQueueName(ed->dialog);
        EdSyncPutContext(ed->dialog);
    }
}
