/* Messages for the editor pane's tests and benchmark: numbered text
 * lines, a message put into a dialog's data area as the pane loads it,
 * and finding a line by its text. */
#pragma once

#include "edpane.h"
#include "eddialog.h"
#include "message/fmtbuild.h"
#include "qms.h"
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

/* The data area of a test message dialog: the program's Message
 * definition, freed with its message buffers. */
struct EdMessageArea {
    uint8_t *data = nullptr;
    EdMessageArea() = default;
    EdMessageArea(const EdMessageArea &) = delete;
    EdMessageArea &operator=(const EdMessageArea &) = delete;
    ~EdMessageArea() { Free(); }
    void Free()
    {
        if (data)
            PCFFreeData(&PCFMessageDef, data, 1);
        data = nullptr;
    }
    /* the record of a field, null without one */
    uint8_t *Record(uint32_t attrId)
    {
        PCFFieldEntry *e = PCFFindField(nullptr, nullptr, PCFMessageDef.fields, attrId);
        return e && data ? data + e->offset : nullptr;
    }
    /* the descriptor's or the message's bytes as the data area holds them */
    PCFMSGBUF *Buffer(uint32_t attrId) { return PCFRecMsgBuf(Record(attrId)); }
    void SetQueue(const char *name)
    {
        PCFFieldEntry *e = PCFFindField(nullptr, nullptr, PCFMessageDef.fields, ATTR_QUEUE_NAME);
        char message[200];
        PCFStoreText(&PCFMessageDef, data, e, name, -1, message, sizeof message);
    }
};

/* A dialog instance of the Message definition with a location (queue
 * manager QM1, CCSID 850, encoding 546; freed with free()) and its data
 * area, the queue APP.QUEUE, formatted view with the descriptor at detail
 * level 3. */
inline void EdTestDialog(DialogWords *d, QMS **qms, EdMessageArea *area)
{
    PCFInitCommandDefs();
    QMS *q = (QMS *)calloc(1, sizeof(QMS));
    snprintf(q->qmName, sizeof q->qmName, "QM1");
    q->ccsid = q->ccsidQm = 850;
    q->encoding = 546;
    *qms = q;
    area->Free();
    area->data = PCFNewData(&PCFMessageDef, "Dialog Data Area");
    d->definition = &PCFMessageDef;
    d->first.location = q;
    d->dataArea = area->data;
    d->viewWords[0] = 3 | VW_FORMATTED | VW_SHOW_MD;
    d->charWidth = 8;
    d->lineHeight = 16;
    area->SetQueue("APP.QUEUE");
}

/* count lines "line 00001" ... with a line feed between them */
inline Bytes EdTextLines(int count)
{
    Bytes b;
    char line[32];
    for (int i = 1; i <= count; i++) {
        int n = snprintf(line, sizeof line, i < count ? "line %05d\n" : "line %05d", i);
        b.Raw(line, (size_t)n);
    }
    return b;
}

/* The descriptor (up to 364 bytes; none when empty) and the data into
 * the message buffers of the two records, as reply processing leaves them. */
inline void FillMessageRecords(uint8_t *mdRecord, uint8_t *msgRecord, const std::vector<unsigned char> &md,
                               const std::vector<unsigned char> &body)
{
    struct { uint8_t *r; const std::vector<unsigned char> *bytes; size_t most; } parts[] = {
        { mdRecord, &md, 364 }, { msgRecord, &body, body.size() },
    };
    for (auto &p : parts) {
        size_t n = p.bytes->size() < p.most ? p.bytes->size() : p.most;
        PCFMSGBUF *b = p.r ? EdMessageBuffer(p.r, (uint32_t)n + 4) : nullptr;
        if (!b)
            continue;
        if (n)
            memcpy(PCFMsgBufBytes(b), p.bytes->data(), n);
        b->length = (uint32_t)n;
        uint16_t st = PCFState(p.r);
        PCFSetState(p.r, n ? (uint16_t)(st | PCFS_PRESENT) : (uint16_t)(st & ~PCFS_PRESENT));
    }
}

inline void FillMessageArea(EdMessageArea *area, std::vector<unsigned char> *,
                            const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
{
    FillMessageRecords(area->Record(ATTR_MSGDESCRIPTOR), area->Record(ATTR_FULLMESSAGE), md, body);
}

/* the first line whose text holds the piece, -1 when none */
inline int32_t EdFindLine(PCFDATA *ed, const char *piece)
{
    for (int32_t i = 0; i < ed->scroll.lineCount; i++) {
        const LINEDATA *l = EdGetLine(ed, i);
        if (l && l->text && std::string(l->text, l->textLength).find(piece) != std::string::npos)
            return i;
    }
    return -1;
}

/* A pane without a window on a test dialog (the benchmarks'): 50 lines of
 * 100 cells; Fill puts a message into the data area for EdReload. */
struct EdHeadlessPane {
    QMS *qms = nullptr;
    DialogWords d{};
    EdMessageArea area{};
    std::vector<unsigned char> block;
    PCFDATA *ed;
    EdHeadlessPane()
    {
        EdTestDialog(&d, &qms, &area);
        ed = EdCreatePane(&d);
        ed->scroll.visible = 50;
        ed->width = 100 * 8;
        ed->height = 50 * 16;
    }
    ~EdHeadlessPane()
    {
        EdFreePane(ed);
        free(qms);
    }
    void Fill(const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
    {
        FillMessageArea(&area, &block, md, body);
    }
};
