/* The window of cached lines: built around the top line, kept while the
 * view stays 200 lines inside it, one display run per move, no recount
 * unless the lines changed; line numbers from 0 to count - 1; the line
 * text store moving with its cached pointers; the lines near the view
 * made at once and the rest when first asked for, as a build of the
 * whole window at once makes them. */
#include "edtest.h"

struct EdCache : EdFixture {
    /* Scrolls near the line holding piece and puts the cursor two
       characters into its value, in insert mode; the line (0: none). */
    int32_t TypeAt(const char *piece)
    {
        int32_t line = Find(piece);
        if (line <= 0)
            return 0;
        EdSetTop(ed, line > 20 ? line - 20 : 0);
        EdBuildLineData(ed, 0);
        ed->insertMode = 1;
        EdMoveCursor(ed, 0, 0, MC_GOTO, Line(line)->valueColumn + 2, line);
        return line;
    }
};

/* A PCF message of 300 queue names and integers. */
static Bytes QueueNamesPcf(void)
{
    Bytes pcf = BuildPcfHeader(true, 1, 13, 600);
    for (int i = 0; i < 300; i++) {
        CfIn(pcf, 20, i & 7);
        CfSt(pcf, 2016, "QUEUE.NAME.0000     ");
    }
    return pcf;
}

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
    ASSERT_EQ(ed->scroll.lineCount, 2);
    EXPECT_EQ(Text(0), "[    0 bytes] Message Content");
    LINEDATA *l = EdGetLine(ed, 1);
    EXPECT_EQ(l->lineType, FT_MSGDATA);
    EXPECT_EQ(l->valueColumn, (int16_t)Text(1).size());
    EXPECT_EQ(EdGetLine(ed, 2), nullptr);
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
    ASSERT_NE(EdCachedLine(ed, ed->cacheLast), nullptr);    /* the rest of the window made */
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

/* The record of a cached line, its text and XML report by value (the
 * report's place as its slot in the window's reports). */
static std::string Describe(const PCFDATA *ed, const LINEDATA *l)
{
    char s[400];
    snprintf(s, sizeof s, "%u %d %u %p %u %u %u %u %u %d %d %u %p %u %u %u %u %u %u %u %p %u %p %u %u %u %p %u %p %u %u",
             l->textLength, l->valueLength, l->lineFlags, (void *)l->buffer, l->fieldOffset, l->elementOffset,
             l->runOffset, l->lineOffset, l->dataLength, l->valueColumn, l->hexColumns, l->lineType,
             (const void *)l->field, l->fieldAttributes, l->fieldLength, l->displayClass, l->printable, l->ebcdic,
             l->bodyKind, l->rawValue, (const void *)l->structure, l->structOffset, (const void *)l->outer,
             l->outerOffset, l->encoding, l->ccsid, (const void *)(l->element ? l->element - ed->cacheTags : 0),
             l->dataCcsid, (const void *)l->lengthParent, l->lengthParentOffset, l->lengthParentEncoding);
    std::string tag;
    if (l->element) {
        char t[80];
        snprintf(t, sizeof t, " tag %u %u %u %u %u", l->element->element, l->element->tag, l->element->tagLength,
                 l->element->partner, l->element->flags);
        tag = t;
    }
    return std::string(s) + tag + " '" + std::string(l->text ? l->text : "", l->text ? l->textLength : 0) + "'";
}

/* The window, cursor and typing text as the pane holds them. */
static std::vector<std::string> Window(PCFDATA *ed)
{
    char s[160];
    snprintf(s, sizeof s, "count %d window %d..%d cursor %d,%d typing %u typed '%.*s'", ed->scroll.lineCount,
             ed->cacheFirst, ed->cacheLast, ed->cursor.line, ed->cursor.column, ed->typing,
             (int)ed->typed.length, ed->typed.data ? (const char *)ed->typed.data : "");
    std::vector<std::string> w{ s };
    for (int32_t i = ed->cacheFirst; i <= ed->cacheLast; i++)
        w.push_back(Describe(ed, EdCachedLine(ed, i)));
    return w;
}

/* A count after a change caches the window on its way; the lines are what
 * a display run after a plain count makes (the reference: the cache
 * dropped and the window built again, the count being current). */
static void ExpectWindowAsADisplayRunMakesIt(PCFDATA *ed, const char *step)
{
    std::vector<std::string> counted = Window(ed);
    uint32_t counts = ed->countRuns;
    ed->cacheLast = ed->cacheFirst - 1;
    EdBuildLineData(ed, 1);
    EXPECT_EQ(ed->countRuns, counts) << step;     /* nothing changed: a display run only */
    std::vector<std::string> shown = Window(ed);
    ASSERT_EQ(counted.size(), shown.size()) << step;
    for (size_t i = 0; i < counted.size(); i++)
        EXPECT_EQ(counted[i], shown[i]) << step << " line " << i;
}

TEST_F(EdCache, ACountCachesTheWindowAsADisplayRunWould)
{
    Bytes pcf = QueueNamesPcf();
    struct { const char *name; Bytes md, body; const char *piece; } messages[] = {
        { "text", EdDescriptor("MQSTR   "), EdTextLines(3000), "line 01500" },
        { "PCF", EdDescriptor("MQADMIN "), pcf, "QUEUE.NAME" },
    };
    for (auto &m : messages) {
        SCOPED_TRACE(m.name);
        Load(m.md, m.body);
        ExpectWindowAsADisplayRunMakesIt(ed, "loaded");
        ASSERT_GT(TypeAt(m.piece), 0);
        for (int k = 0; k < 3; k++) {
            EdCharProc(ed, 'x');
            ExpectWindowAsADisplayRunMakesIt(ed, "typed");
        }
        EdCharProc(ed, '\r');               /* a line end: the lines after move down */
        ExpectWindowAsADisplayRunMakesIt(ed, "line end");
        for (int k = 0; k < 4; k++) {
            EdUndo(ed, 0);
            ExpectWindowAsADisplayRunMakesIt(ed, "undone");
        }
        /* the window at the end, the cursor at the start: placed outside it */
        EdSetTop(ed, ed->scroll.lineCount - 10);
        ed->generation++;
        EdBuildLineData(ed, 1);
        ExpectWindowAsADisplayRunMakesIt(ed, "window at the end");
    }
}

/* The same steps (open, scroll, typing, a line end, undo, the window at
 * the end with the cursor outside it, a far line asked for) with the
 * window made at once and with only the lines near the view made at
 * once: after each step the pane holds the same window, cursor, typing
 * text and lines (the rest made when first asked for). */
TEST_F(EdCache, TheRestOfTheWindowMadeLaterIsWhatABuildMakesAtOnce)
{
    Bytes pcf = QueueNamesPcf();
    Bytes xml;
    xml.Raw("<r>", 3);
    for (int i = 0; i < 600; i++) {
        const char *item = "<item><name>QUEUE.NAME.0000</name><v a=\"1\">text</v></item>";
        xml.Raw(item, strlen(item));
    }
    xml.Raw("</r>", 4);
    struct { const char *name; Bytes md, body; const char *piece; uint32_t kind; } messages[] = {
        { "text", EdDescriptor("MQSTR   "), EdTextLines(3000), "line 01500", BK_AUTO },
        { "PCF", EdDescriptor("MQADMIN "), pcf, "QUEUE.NAME", BK_AUTO },
        { "XML", EdDescriptor("MQSTR   "), xml, "QUEUE.NAME", BK_XML },
    };
    const int32_t around = edLinesMadeAround;
    for (auto &m : messages) {
        SCOPED_TRACE(m.name);
        std::vector<std::vector<std::string>> steps[2];
        int partial = 0;
        for (int lazy = 0; lazy < 2; lazy++) {
            edLinesMadeAround = lazy ? around : 1 << 28;
            auto step = [&] {
                if (lazy && (ed->madeFirst > ed->cacheFirst || ed->madeLast < ed->cacheLast))
                    partial++;
                steps[lazy].push_back(Window(ed));
            };
            ed->typed.length = 0;               /* each pass from the same typing text */
            d.bodyKind = m.kind;
            Load(m.md, m.body);
            step();
            int32_t line = TypeAt(m.piece);
            ASSERT_GT(line, 0);
            step();
            for (int k = 0; k < 3; k++) {
                EdCharProc(ed, 'x');
                step();
            }
            EdCharProc(ed, '\r');
            step();
            for (int k = 0; k < 4; k++) {
                EdUndo(ed, 0);
                step();
            }
            EdSetTop(ed, ed->scroll.lineCount - 10);
            ed->generation++;
            EdBuildLineData(ed, 1);
            step();
            EdSetTop(ed, line);
            ed->generation++;
            EdBuildLineData(ed, 1);
            ASSERT_NE(EdGetLine(ed, ed->cacheLast - 3), nullptr);
            step();
        }
        edLinesMadeAround = around;
        EXPECT_GE(partial, 8);                  /* the later steps left lines to make */
        ASSERT_EQ(steps[0].size(), steps[1].size());
        for (size_t i = 0; i < steps[0].size(); i++) {
            ASSERT_EQ(steps[0][i].size(), steps[1][i].size()) << "step " << i;
            for (size_t k = 0; k < steps[0][i].size(); k++)
                EXPECT_EQ(steps[0][i][k], steps[1][i][k]) << "step " << i << " line " << k;
        }
    }
    edLinesMadeAround = around;
    d.bodyKind = BK_AUTO;
}
