/* Painting, by pixel probes: title lines, the current field, a selection
 * over three lines (colours swapped), the hex cursor's shadow in the
 * character column, the defer and error colours of typed text, and a line
 * of more events than the list holds. */
#include <gtest/gtest.h>
#include "edhost.h"
#include "tkharness.h"
#include "prfdata.h"
#include <map>

/* Distinct colours for the editor's slots (as 0xRRGGBB). */
static const struct { int slot; uint32_t rgb; } paintColours[] = {
    { CLR_EDIT_BACK, 0xFFFFFF }, { CLR_EDIT_TEXT, 0x101010 }, { CLR_TITLES_BACK, 0xC0E0FF },
    { CLR_TITLES_TEXT, 0x000080 }, { CLR_BASE_BACK, 0xFFFFC0 }, { CLR_BASE_TEXT, 0x006000 },
    { CLR_CURRENT_BACK, 0xC0FFC0 }, { CLR_CURRENT_TEXT, 0x600060 }, { CLR_DEFER_BACK, 0xFFD080 },
    { CLR_DEFER_TEXT, 0x202000 }, { CLR_ERROR_BACK, 0xFFC0C0 }, { CLR_ERROR_TEXT, 0x800000 },
    { CLR_HEADER_BACK, 0xA0A0A0 }, { CLR_HEADER_TEXT, 0xC00000 }, { CLR_SEARCH_BACK, 0xFFFF00 },
    { CLR_SEARCH_TEXT, 0x0000C0 },
};

static uint32_t Rgb(int slot)
{
    for (auto &c : paintColours)
        if (c.slot == slot)
            return c.rgb;
    return 0;
}

struct PanePaint : ::testing::Test {
    EdHostDialog &host = SharedHost();
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    void SetUp() override
    {
        ResetHost(host);
        for (auto &c : paintColours) {
            Prf.colours[c.slot] = RGB(c.rgb >> 16, (c.rgb >> 8) & 0xFF, c.rgb & 0xFF);
            Prf.colourKnown[c.slot] = 2;
        }
    }
    void TearDown() override
    {
        for (auto &c : paintColours)
            Prf.colourKnown[c.slot] = 0;
    }
    PCFDATA *ed() { return host.ed; }
    void Snap() { px = Capture(host.pane, &w, &h); }
    /* the commonest colour of the cells first..last (columns) of a line's text row */
    uint32_t Cells(int32_t line, int first, int last)
    {
        int cell = edHost.cellWidth(ed(), 850), lh = ed()->scroll.lineHeight;
        int top = (line - ed()->scroll.top) * lh + (lh - ed()->charHeight) / 2;
        EXPECT_GE(top, 0) << "line " << line << " is not shown";
        if (top < 0)
            return 0xFFFFFFFF;
        std::map<uint32_t, int> seen;
        for (int y = top; y < top + ed()->charHeight && y < h; y++)
            for (int x = first * cell; x < (last + 1) * cell && x < w; x++)
                seen[PixelAt(px, w, x, y)]++;
        uint32_t best = 0;
        int most = -1;
        for (auto &s : seen)
            if (s.second > most)
                best = s.first, most = s.second;
        return best;
    }
};

TEST_F(PanePaint, TitlesFieldsAndTheCurrentField)
{
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), EdTextLines(40));
    Snap();
    EXPECT_EQ(Cells(0, 0, 10), Rgb(CLR_TITLES_BACK));           /* the descriptor's heading */
    int32_t version = EdFindLine(ed(), "Version");
    LINEDATA *l = EdGetLine(ed(), version);
    EXPECT_EQ(Cells(version, 0, l->valueColumn - 2), Rgb(CLR_EDIT_BACK));    /* the label */
    EXPECT_EQ(Cells(version, l->valueColumn, l->valueColumn), Rgb(CLR_BASE_BACK));
    host.d->viewWords[0] &= ~VW_SHOW_MD;
    EdBuildLineData(ed(), 1);
    int32_t body = EdFindLine(ed(), "line 00003");
    EdMoveCursor(ed(), 0, 0, MC_GOTO, 1, body);
    Snap();
    EXPECT_EQ(Cells(body, 0, 9), Rgb(CLR_CURRENT_BACK));        /* the cursor's field */
    EXPECT_EQ(Cells(body + 1, 0, 9), Rgb(CLR_BASE_BACK));       /* another field */
    EXPECT_EQ(Cells(body + 1, 12, 20), Rgb(CLR_EDIT_BACK));     /* right of the text */
}

TEST_F(PanePaint, AThreeLineSelectionSwapsTheColours)
{
    host.d->viewWords[0] &= ~VW_SHOW_MD;
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), EdTextLines(40));
    int32_t first = EdFindLine(ed(), "line 00005");
    EdMoveCursor(ed(), 0, 0, MC_GOTO, 2, first);
    EdMoveCursor(ed(), 0, 0, MC_EXTEND_TO, 4, first + 2);
    Snap();
    EXPECT_EQ(Cells(first, 0, 1), Rgb(CLR_BASE_BACK));          /* before the start */
    EXPECT_EQ(Cells(first, 2, 9), Rgb(CLR_BASE_TEXT));          /* selected: swapped */
    EXPECT_EQ(Cells(first + 1, 0, 9), Rgb(CLR_BASE_TEXT));      /* the middle line whole */
    EXPECT_EQ(Cells(first + 2, 0, 3), Rgb(CLR_BASE_TEXT));
    EXPECT_EQ(Cells(first + 2, 4, 9), Rgb(CLR_CURRENT_BACK));   /* after the end: the cursor's field */
    EXPECT_EQ(Cells(first + 3, 0, 9), Rgb(CLR_BASE_BACK));
}

TEST_F(PanePaint, TheHexCursorsShadow)
{
    std::vector<unsigned char> body(64);
    for (size_t i = 0; i < body.size(); i++)
        body[i] = (unsigned char)('A' + i % 26);
    host.d->viewWords[0] = 3 | VW_RAW_BYTES;
    host.Load(std::vector<unsigned char>(), body);
    int32_t dump = 1;
    LINEDATA *l = EdGetLine(ed(), dump);
    ASSERT_EQ(l->lineType, LK_DUMP);
    int chars = l->valueColumn + l->hexColumns + ED_DUMP_GAP;
    EdMoveCursor(ed(), 0, 0, MC_GOTO, l->valueColumn + 9, dump);     /* digit 8: byte 4 */
    Snap();
    EXPECT_EQ(Cells(dump, chars + 4, chars + 4), Rgb(CLR_CURRENT_BACK));
    EXPECT_EQ(Cells(dump, chars + 3, chars + 3), Rgb(CLR_EDIT_BACK));
    EXPECT_EQ(Cells(dump, chars + 5, chars + 5), Rgb(CLR_EDIT_BACK));
    EdMoveCursor(ed(), 0, 0, MC_GOTO, l->valueColumn + 2, dump);     /* byte 1 */
    Snap();
    EXPECT_EQ(Cells(dump, chars + 1, chars + 1), Rgb(CLR_CURRENT_BACK));
    EXPECT_EQ(Cells(dump, chars + 4, chars + 4), Rgb(CLR_EDIT_BACK));
}

TEST_F(PanePaint, TypedTextInDeferAndErrorColours)
{
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), EdTextLines(5));
    int32_t priority = EdFindLine(ed(), "Priority");
    LINEDATA *l = EdGetLine(ed(), priority);
    EdMoveCursor(ed(), 0, 0, MC_GOTO, l->valueColumn, priority);
    CSDataSet(&ed()->typed, "12345", 6, 0);
    ed()->typing = 1;
    ed()->deferred = 1;
    Snap();
    EXPECT_EQ(Cells(priority, l->valueColumn, l->valueColumn + 4), Rgb(CLR_DEFER_BACK));
    ed()->deferred = 0;
    Snap();
    EXPECT_EQ(Cells(priority, l->valueColumn, l->valueColumn + 4), Rgb(CLR_ERROR_BACK));
    ed()->typing = 0;
    Snap();
    EXPECT_EQ(Cells(priority, l->valueColumn, l->valueColumn), Rgb(CLR_CURRENT_BACK));
}

TEST_F(PanePaint, MoreEventsThanTheListHolds)
{
    host.d->viewWords[0] &= ~VW_SHOW_MD;
    Bytes body;
    std::string many(300, 'a');
    body.Raw(many.data(), many.size());
    host.Load(BuildMD(true, 2, "MQSTR   ", 546, 850), body);
    strcpy(ed()->highlight, "a");                   /* an occurrence at every column: two events each */
    LINEDATA *l = EdGetLine(ed(), 1);                /* after the data's heading */
    ASSERT_GT(l->textLength, 104);
    Snap();
    EXPECT_EQ(Cells(1, 40, 40), Rgb(CLR_SEARCH_BACK));
    EXPECT_EQ(Cells(1, 99, 99), Rgb(CLR_SEARCH_BACK));          /* the hundredth: events 199 and 200 */
    EXPECT_EQ(Cells(1, 101, 104), Rgb(CLR_EDIT_BACK));          /* then the colours of no event */
    ed()->highlight[0] = 0;
}

TEST_F(PanePaint, AnEmptyPaneIsBackgroundOnly)
{
    PCFDATA *saved = host.ed;
    host.d->viewWords[0] = 3;                                     /* neither view: no lines */
    host.Load(std::vector<unsigned char>(), std::vector<unsigned char>());
    ASSERT_EQ(saved->scroll.lineCount, 0);
    Snap();
    std::map<uint32_t, int> seen;
    for (uint32_t p : px)
        seen[p]++;
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen.begin()->first, Rgb(CLR_EDIT_BACK));
}
