/* Fuzz target: a message opened in the message pane (no window): shown
 * in the view the input chooses, every line's value located column by
 * column, the cursor walked, the display copied, then typing and
 * deleting at places the input chooses.  Undoing every change gives the
 * message's bytes back exactly. */
#include "fzmsg.h"

#include "edtest.h"
#include "edops.h"
#include "csmem.h"

namespace {

struct Pane : EdFixture {
    void TestBody() override {}
};
Pane *pane;

void Init(void)
{
    pane = new Pane;
    pane->SetUp();
}

struct Rng {
    uint64_t s;
    uint32_t Next() { s ^= s << 13; s ^= s >> 7; s ^= s << 17; return (uint32_t)(s >> 11); }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
};

std::vector<unsigned char> Bytes(const CSDATA &b)
{
    return std::vector<unsigned char>(b.data, b.data + b.length);
}

void Run(const uint8_t *data, size_t size)
{
    FuzzMessage m = FuzzMessageOf(data, size);
    Pane &p = *pane;
    PCFDATA *ed = p.ed;
    uint32_t v = m.settings;
    static const uint32_t views[] = { 3 | VW_FORMATTED | VW_SHOW_MD, 2 | VW_FORMATTED | LR_XML_NAMES | LR_HEX_CHARLINE,
                                      4 | VW_FORMATTED | LR_OFFSET_PREFIX | LR_XML_DETECT,
                                      1 | VW_RAW_BYTES | LR_DUMP_NO_CHARS, 3 | VW_RAW_BYTES | LR_HEX_GROUP_BLANK };
    p.d.viewWords[0] = views[v % 5];
    p.d.viewWords[1] = (v >> 3) % 3 == 1 ? LO_DECODE_ENTITIES : 0;
    p.d.bodyKind = (v >> 24) % 7;
    p.Size(20, 40 + (int)(v >> 5) % 3 * 50);
    p.Load(m.md, m.body);
    std::vector<unsigned char> md0 = Bytes(ed->descriptor), data0 = Bytes(ed->data);
    for (int32_t i = 0; i < ed->scroll.lineCount; i += 1 + i / 50) {
        LINEDATA *l = p.Line(i);
        FUZZ_CHECK(l != nullptr, "a line of the pane is missing");
        EdFieldAt at;
        for (int32_t c = l->valueColumn - 1; c <= l->valueColumn + l->valueLength + 1; c++)
            if (EdFindField(ed, &at, c, i, 0, 1, 0) >= 0)
                FUZZ_CHECK(at.address >= l->buffer->data && at.address <= l->buffer->data + l->buffer->length,
                           "a field's address lies outside its buffer");
    }
    uint32_t copied;
    if (char *text = EdViewCopyText(&p.d, 692, &copied, 0))
        CSFreeMem(text);
    /* typing and deleting where the input says, then everything undone */
    Rng r{ (uint64_t)v * 0x9E3779B97F4A7C15ull | 1 };
    static const int chars[] = { 'a', '5', '0', '-', ' ', '<', '"', '{', 'F', 8 };
    for (int k = 0; k < 6 && ed->scroll.lineCount > 0; k++) {
        int32_t line = (int32_t)r.Below((uint32_t)ed->scroll.lineCount);
        const LINEDATA *l = p.Line(line);
        if (!l)
            continue;
        int32_t column = l->valueColumn >= 0 ? l->valueColumn + (int32_t)r.Below((uint32_t)(l->valueLength > 0 ? l->valueLength : 0) + 2)
                                             : (int32_t)r.Below((uint32_t)l->textLength + 2);
        EdMoveCursor(ed, 0, 0, MC_GOTO, column, line);
        if (r.Below(3))
            EdCharProc(ed, chars[r.Below(sizeof chars / sizeof *chars)]);
        else
            EdKeyDown(ed, 46);
    }
    EdKeyDown(ed, 36);                          /* Home ends a typing run */
    for (int n = 0; n < 100 && EdCanUndo(ed); n++)
        EdUndo(ed, 0);
    FUZZ_CHECK(!EdCanUndo(ed), "undo does not end");
    FUZZ_CHECK(Bytes(ed->descriptor) == md0 && Bytes(ed->data) == data0,
               "undoing every change does not give the message back");
    EdFreeUndoList(ed);
}

}  // namespace

FUZZ_TARGET(FuzzMessageSeeds, Init, Run)
