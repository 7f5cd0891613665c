/* Damaged messages in the pane: prefixes and random mutations of every
 * sample, shown in each view, every line's value located column by
 * column, the cursor walked to the end and the display copied; the data
 * and descriptor lie in blocks of their own size, so the sanitizers of
 * the native build catch any read beyond them. */
#include "edtest.h"
#include "message/fmtfuzz.h"
#include "csmem.h"

struct EdFuzz : EdFixture {
    void Show(const FuzzSample &s, const std::vector<unsigned char> &body, uint32_t variant)
    {
        static const uint32_t views[] = {
            3 | VW_FORMATTED | VW_SHOW_MD, 2 | VW_FORMATTED | LR_XML_NAMES | LR_HEX_CHARLINE,
            4 | VW_FORMATTED | LR_OFFSET_PREFIX | LR_XML_DETECT, 1 | VW_RAW_BYTES | LR_DUMP_NO_CHARS,
            3 | VW_RAW_BYTES | LR_HEX_GROUP_BLANK };
        d.viewWords[0] = views[variant % 5];
        d.viewWords[1] = (variant >> 3) % 3 == 1 ? LO_DECODE_ENTITIES : 0;
        d.bodyKind = s.name.rfind("body", 0) == 0 ? s.encoding : 0;
        Size(20, 40 + (int)(variant >> 5) % 3 * 50);
        Bytes md = EdDescriptor(s.format, (int32_t)s.ccsid, d.bodyKind ? 546 : (int32_t)s.encoding);
        std::vector<unsigned char> exact(body);            /* a block of exactly the data's size */
        exact.shrink_to_fit();
        Load(md.b, exact);
        for (int32_t i = 0; i < ed->scroll.lineCount; i += 1 + i / 50) {
            LINEDATA *l = Line(i);
            ASSERT_NE(l, nullptr);
            EdFieldAt at;
            for (int32_t c = l->valueColumn - 1; c <= l->valueColumn + l->valueLength + 1; c++)
                if (EdFindField(ed, &at, c, i, 0, 1, 0) >= 0) {
                    ASSERT_TRUE(at.address >= l->buffer->data &&
                                at.address <= l->buffer->data + l->buffer->length) << s.name;
                }
        }
        EdKeyDown(ed, 35);                                  /* End, then to the last line */
        rec.control = 1;
        EdKeyDown(ed, 35);
        rec.control = 0;
        EXPECT_EQ(ed->cursor.line, ed->scroll.lineCount ? ed->scroll.lineCount - 1 : 0);
        EdKeyDown(ed, 33);
        EdKeyDown(ed, 9);
        uint32_t size;
        if (char *text = EdViewCopyText(&d, 692, &size, 0))
            CSFreeMem(text);
    }
};

TEST_F(EdFuzz, PrefixesAndMutationsOfEverySample)
{
    auto samples = FuzzSamples();
    ASSERT_GT(samples.size(), 25u);
    uint32_t variant = 0;
    for (auto &s : samples)
        for (size_t n = 0; n <= s.body.size(); n += 1 + s.body.size() / 12)
            Show(s, std::vector<unsigned char>(s.body.begin(), s.body.begin() + n), variant++);
    Rng r{ 0x5EED };
    uint64_t lines = 0;
    for (int i = 0; i < 400; i++) {
        const FuzzSample &s = samples[r.Below((uint32_t)samples.size())];
        std::vector<unsigned char> body = s.body;
        Mutate(r, body);
        Show(s, body, r.Next());
        lines += (uint64_t)ed->scroll.lineCount;
    }
    EXPECT_GT(lines, 4000u);
}
