/* The window of cached lines: built around the top line, kept while the
 * view stays 200 lines inside it, one display run per move, no recount
 * unless the lines changed; line numbers from 0 to count - 1; the line
 * text store moving with its cached pointers. */
#include "edtest.h"

struct EdCache : EdFixture {};

TEST_F(EdCache, WindowAroundTheTopOfAHundredThousandLines)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(100000));
    int32_t body = Find("line 00001");
    ASSERT_GT(body, 0);
    int32_t count = ed->scroll.lineCount;
    EXPECT_EQ(count, body + 100000);
    EXPECT_EQ(ed->cacheFirst, 0);
    EXPECT_EQ(ed->cacheLast, 40 + ED_CACHE_AROUND - 1);
    uint32_t counts = ed->countRuns, runs = ed->displayRuns;

    EdSetTop(ed, 50000);
    EdBuildLineData(ed, 0);
    EXPECT_EQ(ed->cacheFirst, 45000);
    EXPECT_EQ(ed->cacheLast, 50000 + 40 + ED_CACHE_AROUND - 1);
    EXPECT_EQ(ed->displayRuns, runs + 1);
    EXPECT_EQ(ed->countRuns, counts);              /* nothing changed: no count */
    char want[32];
    snprintf(want, sizeof want, "line %05d", 50000 - body + 1);
    EXPECT_EQ(Text(50000), want);

    /* within 200 lines of the window's edges nothing is built */
    EdSetTop(ed, 50000 + ED_CACHE_AROUND - ED_CACHE_SLACK);
    EdBuildLineData(ed, 0);
    EdSetTop(ed, 45000 + ED_CACHE_SLACK);
    EdBuildLineData(ed, 0);
    EXPECT_EQ(ed->displayRuns, runs + 1);
    EdSetTop(ed, 45000 + ED_CACHE_SLACK - 1);
    EdBuildLineData(ed, 0);
    EXPECT_EQ(ed->displayRuns, runs + 2);
    EXPECT_EQ(ed->countRuns, counts);

    /* the last line exists, the line count does not (mended: 0 to count - 1) */
    snprintf(want, sizeof want, "line %05d", 100000);
    EXPECT_EQ(Text(count - 1), want);
    EXPECT_EQ(ed->displayRuns, runs + 3);
    EXPECT_EQ(ed->cacheLast, count - 1);
    EXPECT_EQ(EdGetLine(ed, count), nullptr);
    EXPECT_EQ(EdGetLine(ed, -1), nullptr);
    EXPECT_EQ(EdCachedLine(ed, count), nullptr);
}

TEST_F(EdCache, ACountFollowsEveryChangeOfWhatTheLinesDependOn)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(50));
    uint32_t counts = ed->countRuns;
    int32_t shown = ed->scroll.lineCount;
    EdBuildLineData(ed, 1);
    EXPECT_EQ(ed->countRuns, counts);              /* a forced build alone does not count */
    d.viewWords[0] &= ~VW_SHOW_MD;                 /* a view word */
    EdBuildLineData(ed, 1);
    EXPECT_EQ(ed->countRuns, counts + 1);
    EXPECT_LT(ed->scroll.lineCount, shown);
    ed->width = 40 * rec.cell;                     /* the line width */
    EdBuildLineData(ed, 1);
    EXPECT_EQ(ed->countRuns, counts + 2);
    d.bodyKind = BK_CSV;                           /* the body kind */
    EdBuildLineData(ed, 1);
    EXPECT_EQ(ed->countRuns, counts + 3);
    ed->generation++;                              /* the bytes */
    EdBuildLineData(ed, 1);
    EXPECT_EQ(ed->countRuns, counts + 4);
    ed->flush = 1;                                 /* the flush flag */
    EdBuildLineData(ed, 1);
    EXPECT_EQ(ed->countRuns, counts + 5);
    EXPECT_EQ(ed->flush, 0u);
}

TEST_F(EdCache, AnEmptyMessageShowsOneFieldToTypeInto)
{
    Load(std::vector<unsigned char>(), std::vector<unsigned char>());
    d.viewWords[0] = 3 | VW_FORMATTED;
    EdBuildLineData(ed, 1);
    ASSERT_EQ(ed->scroll.lineCount, 1);
    LINEDATA *l = EdGetLine(ed, 0);
    EXPECT_EQ(l->lineType, FT_MSGDATA);
    EXPECT_EQ(l->valueColumn, (int16_t)Text(0).size());
    EXPECT_EQ(EdGetLine(ed, 1), nullptr);
    /* a pane that has no message slot formats nothing */
    PCFDATA *none = EdCreatePane(nullptr);
    EdBuildLineData(none, 1);
    EXPECT_EQ(none->scroll.lineCount, 0);
    EXPECT_EQ(EdGetLine(none, 0), nullptr);
    EdFreePane(none);
}

TEST_F(EdCache, TheTextStoreMovesWithItsLines)
{
    /* lines long enough that the first store (150 KB of room) must grow */
    Bytes body;
    std::string line(90, 'x');
    for (int i = 0; i < 6000; i++) {
        line[0] = (char)('A' + i % 26);
        body.Raw(line.data(), line.size()).Raw("\n", 1);
    }
    Size(40, 120);
    Load(EdDescriptor("MQSTR   "), body);
    ASSERT_NE(ed->lineArea, nullptr);
    EXPECT_GT(ed->lineArea->used, 153600u);
    EXPECT_GE(ed->lineArea->capacity, ed->lineArea->used);
    EXPECT_EQ((ed->lineArea->capacity + 12) % 4096, 0u);
    int32_t first = Find(std::string(1, 'A').append(89, 'x').c_str());
    ASSERT_GE(first, 0);
    for (int32_t i = first; i < first + 5000 && i <= ed->cacheLast; i += 997) {
        std::string want(1, (char)('A' + (i - first) % 26));
        want.append(89, 'x');
        EXPECT_EQ(Text(i), want) << i;
        const char *t = EdCachedLine(ed, i)->text;
        EXPECT_TRUE(t >= (const char *)(ed->lineArea + 1) &&
                    t < (const char *)(ed->lineArea + 1) + ed->lineArea->used);
    }
    /* appending to a full store keeps every earlier text */
    uint32_t capacity = ed->lineArea->capacity;
    std::string big(capacity - ed->lineArea->used + 1, 'z');
    const char *at = EdLineAreaReserve(ed, big.data(), (uint32_t)big.size());
    ASSERT_NE(at, nullptr);
    EXPECT_GT(ed->lineArea->capacity, capacity);
    EXPECT_EQ(Text(first), std::string(1, 'A').append(89, 'x'));
    EXPECT_EQ(std::string(at, 3), "zzz");
}
