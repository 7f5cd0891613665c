/* Messages for the editor pane's tests and benchmark: numbered text
 * lines, a message put into a dialog's data area as the pane loads it,
 * and finding a line by its text. */
#pragma once

#include "edpane.h"
#include "eddata_standin.h"
#include "fmtbuild.h"
#include "qms.h"
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

/* A dialog instance with a location (queue manager QM1, CCSID 850,
 * encoding 546; freed with free()) and the message data area, the queue
 * APP.QUEUE, formatted view with the descriptor at detail level 3. */
inline void EdTestDialog(DialogWords *d, QMS **qms, EdMessageArea *area)
{
    QMS *q = (QMS *)calloc(1, sizeof(QMS));
    snprintf(q->qmName, sizeof q->qmName, "QM1");
    q->ccsid = q->ccsidQm = 850;
    q->encoding = 546;
    *qms = q;
    d->location = q;
    d->dataArea = area;
    d->viewWords[0] = 3 | VW_FORMATTED | VW_SHOW_MD;
    d->charWidth = 8;
    d->lineHeight = 16;
    snprintf(area->queueName, sizeof area->queueName, "APP.QUEUE");
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

/* The descriptor (up to 364 bytes; none when empty) and the data into the
 * data area; the data block lives in *block. */
inline void FillMessageArea(EdMessageArea *area, std::vector<unsigned char> *block,
                            const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
{
    memset(&area->descriptor, 0, sizeof area->descriptor);
    if (!md.empty()) {
        size_t n = md.size() < 364 ? md.size() : 364;
        memcpy(area->descriptor.bytes, md.data(), n);
        area->descriptor.length = (uint32_t)n;
        area->descriptor.state = 1;
    }
    block->assign(4 + body.size(), 0);
    uint32_t n = (uint32_t)body.size();
    memcpy(block->data(), &n, 4);
    if (n)
        memcpy(block->data() + 4, body.data(), n);
    area->message.block = block->data();
    area->message.state = 1;
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
