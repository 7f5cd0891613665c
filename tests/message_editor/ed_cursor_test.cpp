/* Cursor keys: Home and End with and without Ctrl, the remembered column
 * of Up and Down, Left and Right across line ends, Page keys, Tab between
 * fields, Shift selections, the caret kind and the data position. */
#include "edtest.h"

enum { K_TAB = 9, K_PRIOR = 33, K_NEXT = 34, K_END = 35, K_HOME = 36, K_LEFT = 37, K_UP = 38,
       K_RIGHT = 39, K_DOWN = 40, K_INSERT = 45 };

struct EdCursor : EdFixture {
    void Go(int32_t line, int32_t column)
    {
        EdMoveCursor(ed, 0, 0, MC_GOTO, column, line);
    }
    int32_t FieldLine(uint16_t type, uint32_t offset)
    {
        for (int32_t i = 0; i < ed->scroll.lineCount; i++)
            if (Line(i)->lineType == type && Line(i)->lineOffset == offset)
                return i;
        return -1;
    }
};

TEST_F(EdCursor, HomeAndEndOnAFieldAndWithControl)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(100));
    int32_t priority = FieldLine(FT_INT, 40);
    ASSERT_GE(priority, 0);
    LINEDATA *l = Line(priority);
    Go(priority, 2);
    Key(K_HOME);
    EXPECT_EQ(ed->cursor.column, l->valueColumn);
    Key(K_HOME);
    EXPECT_EQ(ed->cursor.column, l->valueColumn);
    Key(K_END);
    EXPECT_EQ(ed->cursor.column, l->valueColumn + l->valueLength);   /* the value's end, not the line's */
    EXPECT_EQ(ed->caretKind, 2u);                                   /* one past a short number */
    Key(K_HOME, false, true);
    EXPECT_EQ(ed->cursor.line, 0);
    EXPECT_EQ(ed->cursor.column, 0);
    EXPECT_EQ(ed->caretKind, 1u);                                   /* a heading: no field */
    Key(K_END, false, true);
    int32_t last = ed->scroll.lineCount - 1;
    EXPECT_EQ(ed->cursor.line, last);
    EXPECT_EQ(ed->cursor.column, (int32_t)Line(last)->textLength);
    EXPECT_GE(last, ed->scroll.top);
    EXPECT_LT(last, ed->scroll.top + ed->scroll.visible);
}

TEST_F(EdCursor, UpAndDownKeepTheRememberedColumn)
{
    Bytes body;
    body.Raw("a long line of text\nab\nanother long line\n", 40);
    d.viewWords[0] &= ~VW_SHOW_MD;
    Load(EdDescriptor("MQSTR   "), body);
    int32_t first = Find("a long");
    ASSERT_GE(first, 0);
    Go(first, 10);
    Key(K_DOWN);
    EXPECT_EQ(ed->cursor.line, first + 1);
    EXPECT_EQ(ed->cursor.column, 2);                 /* cut to the short line */
    Key(K_DOWN);
    EXPECT_EQ(ed->cursor.column, 10);                /* the remembered column again */
    Key(K_UP);
    Key(K_UP);
    EXPECT_EQ(ed->cursor.line, first);
    EXPECT_EQ(ed->cursor.column, 10);
}

TEST_F(EdCursor, LeftAndRightAcrossLineEnds)
{
    Bytes body;
    body.Raw("ab\ncd", 5);
    d.viewWords[0] &= ~VW_SHOW_MD;
    Load(EdDescriptor("MQSTR   "), body);
    Go(0, 0);
    Key(K_LEFT);
    EXPECT_EQ(ed->cursor.line, 0);
    EXPECT_EQ(ed->cursor.column, 0);                 /* line 0 column 0 stays */
    int32_t ab = Find("ab");
    Go(ab, 2);
    Key(K_RIGHT);
    EXPECT_EQ(ed->cursor.line, ab + 1);
    EXPECT_EQ(ed->cursor.column, Line(ab + 1)->valueColumn);
    EXPECT_EQ(ed->cursor.digit, 2u * 3);             /* "c" */
    Key(K_LEFT);
    EXPECT_EQ(ed->cursor.line, ab);
    EXPECT_EQ(ed->cursor.column, 2);                 /* the end of the line before */
    EXPECT_EQ(ed->rememberedColumn, 2);
}

TEST_F(EdCursor, PagesMoveByTheVisibleLines)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(1000));
    Size(25);
    Go(10, 0);
    Key(K_NEXT);
    EXPECT_EQ(ed->cursor.line, 35);
    Key(K_NEXT);
    EXPECT_EQ(ed->cursor.line, 60);
    EXPECT_GE(60, ed->scroll.top);
    EXPECT_LT(60, ed->scroll.top + 25);
    Key(K_PRIOR);
    Key(K_PRIOR);
    Key(K_PRIOR);
    EXPECT_EQ(ed->cursor.line, 0);
}

TEST_F(EdCursor, ShiftSelectsAndAPlainArrowDropsTheSelection)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(10));
    int32_t line = Find("line 00003");
    Go(line, 2);
    Key(K_RIGHT, true);
    Key(K_RIGHT, true);
    Key(K_DOWN, true);
    ASSERT_TRUE(EdHasSelection(ed));
    EXPECT_EQ(ed->anchor.line, line);
    EXPECT_EQ(ed->anchor.column, 2);
    const EdPosition *s, *e;
    EdSelectionEnds(ed, &s, &e);
    EXPECT_EQ(s, &ed->anchor);
    EXPECT_EQ(e->line, line + 1);
    EXPECT_EQ(e->column, 4);
    Key(K_LEFT);
    EXPECT_FALSE(EdHasSelection(ed));
    /* a selection backwards: the cursor is its start */
    Key(K_UP, true);
    EdSelectionEnds(ed, &s, &e);
    EXPECT_EQ(s, &ed->cursor);
}

TEST_F(EdCursor, TabVisitsFieldsAndStopsAtTheEnds)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(2));
    Go(0, 0);
    Key(K_TAB);
    int32_t first = ed->cursor.line;
    ASSERT_GT(first, 0);
    EXPECT_GT(Line(first)->valueLength, 0);
    EXPECT_EQ(ed->cursor.column, Line(first)->valueColumn);
    Key(K_TAB, true);
    EXPECT_EQ(ed->cursor.line, first);               /* Shift+Tab from the first field stays */
    Key(K_TAB);
    EXPECT_GT(ed->cursor.line, first);
    int32_t last = ed->scroll.lineCount - 1;
    Go(last, Line(last)->valueColumn);
    Key(K_TAB);
    EXPECT_EQ(ed->cursor.line, last);                /* Tab from the last field stays */
    Go(last, Line(last)->valueColumn + 3);
    Key(K_TAB, true);
    EXPECT_EQ(ed->cursor.line, last);                /* back to the value's start first */
    EXPECT_EQ(ed->cursor.column, Line(last)->valueColumn);
}

TEST_F(EdCursor, InsertTogglesTheModeAndTheCaret)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(2));
    uint32_t mode = ed->insertMode;
    int caret = rec.caretRecreated;
    Key(K_INSERT);
    EXPECT_NE(ed->insertMode, mode);
    EXPECT_EQ(rec.caretRecreated, caret + 1);
    Key(K_INSERT);
    EXPECT_EQ(ed->insertMode, mode);
}

TEST_F(EdCursor, ControlEndReachesTheLastOfSeventyThousandLines)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(70000));
    int32_t count = ed->scroll.lineCount;
    ASSERT_GT(count, 65535);
    uint32_t counts = ed->countRuns, runs = ed->displayRuns;
    Key(K_END, false, true);
    EXPECT_EQ(ed->cursor.line, count - 1);
    EXPECT_EQ(Text(ed->cursor.line), "line 70000");
    EXPECT_EQ(ed->countRuns, counts);
    EXPECT_EQ(ed->displayRuns, runs + 1);            /* one display run for the move */
    EXPECT_EQ(ed->cursor.digit, 2 * ed->data.length);
}

TEST_F(EdCursor, SelectAllAndTheMark)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(30));
    ASSERT_TRUE(EdSelectAll(&d));
    EXPECT_EQ(ed->anchor.line, 0);
    EXPECT_EQ(ed->anchor.column, 0);
    EXPECT_EQ(ed->cursor.line, ed->scroll.lineCount - 1);
    EXPECT_EQ(ed->cursor.column, (int32_t)Line(ed->cursor.line)->textLength);
    int32_t five = Find("line 00005");
    Go(five, 3);
    EXPECT_FALSE(EdHasSelection(ed));
    EdSelectAnchor(&d);
    Go(five + 10, 1);
    rec.shift = 1;
    EdSelectMark(&d);                                /* back to the mark, selecting */
    rec.shift = 0;
    EXPECT_EQ(ed->cursor.line, five);
    EXPECT_EQ(ed->cursor.column, 3);
    ASSERT_TRUE(EdHasSelection(ed));
    EXPECT_EQ(ed->anchor.line, five + 10);
    EdSelectMark(&d);
    EXPECT_FALSE(EdHasSelection(ed));
}
