/* Find and Replace without the dialog: the search over the formatted
 * lines (wrapping, one occurrence, titles, EBCDIC without case), matching
 * and selecting a match on every kind of line, Replace and Replace All as
 * one undo step (a replacement holding the find text, a failure rolling
 * everything back, numbers in their byte order), the histories and the
 * refusals. */
#include "edtest.h"
#include "edfind.h"
#include "csmem.h"
#include "fmtint.h"

static std::string findText, replaceText;
static bool withReplace = true;
static int64_t dialogOptions = -1;            /* the dialog's radio buttons and check box, when shown */

static int TestTexts(DialogWords *d, char *find, uint32_t fs, char *replace, uint32_t rs)
{
    snprintf(find, fs, "%s", findText.c_str());
    if (dialogOptions >= 0)
        d->displayFlags = (d->displayFlags & ~(FO_BACKWARD | FO_MATCH_CASE | FO_DATA_ONLY)) | (uint32_t)dialogOptions;
    if (!withReplace)
        return 1;
    snprintf(replace, rs, "%s", replaceText.c_str());
    return 2;
}

struct EdFind : EdFixture {
    void SetUp() override
    {
        EdFixture::SetUp();
        edFind.texts = TestTexts;
        withReplace = true;
        dialogOptions = -1;
        d.displayFlags = 0;
        d.viewWords[0] = 3 | VW_FORMATTED;     /* the data's lines only */
        ed->insertMode = 1;
    }
    void TearDown() override
    {
        FRFreeHistories();
        edFind.texts = [](DialogWords *, char *, uint32_t, char *, uint32_t) { return 0; };
        EdFixture::TearDown();
    }
    std::string Body() { return std::string((const char *)ed->data.data, ed->data.length); }
    std::string Last() { return rec.statuses.empty() ? "" : rec.statuses.back(); }
    int Next(const char *find, int backward = 0)
    {
        findText = find;
        return FRFindNext(&d, 1, backward, 1);
    }
    int ReplaceAll(const char *find, const char *with)
    {
        findText = find;
        replaceText = with;
        return FRValidate(&d, FR_REPLACE_ALL) && FindReplaceAll(&d);
    }
};

TEST_F(EdFind, SearchesWrapAndSayWhen)
{
    Load(EdDescriptor("MQSTR   "), Bytes().Raw("one\ntwo\nthree", 13));
    int32_t two = Find("two");
    EdMoveCursor(ed, 0, 0, MC_GOTO, 1, two);
    ASSERT_TRUE(Next("one"));
    EXPECT_EQ(ed->cursor.line, Find("one"));
    EXPECT_NE(Last().find(": wrapped...."), std::string::npos) << Last();
    /* the only occurrence at the cursor */
    EXPECT_TRUE(Next("one"));
    EXPECT_NE(Last().find(": only one occurence"), std::string::npos) << Last();
    /* selected: the cursor at its start, the anchor after it */
    ASSERT_TRUE(EdHasSelection(ed));
    EXPECT_EQ(ed->anchor.digit, ed->cursor.digit + 6);
    /* backwards, the only occurrence lying exactly at the cursor */
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, Find("one"));
    ASSERT_TRUE(Next("one", 1));
    EXPECT_EQ(ed->cursor.line, Find("one"));
    EXPECT_EQ(Last(), "Text found at line:" + std::to_string(Find("one") + 1) + ": only one occurence");
    /* backwards from the start wraps to the last */
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, two);
    ASSERT_TRUE(Next("th", 1));
    EXPECT_EQ(ed->cursor.line, Find("three"));
    EXPECT_FALSE(Next("four"));
    EXPECT_EQ(Last(), "String not found");
}

TEST_F(EdFind, TitlesAreNotMessageData)
{
    d.viewWords[0] |= VW_SHOW_MD;
    Load(EdDescriptor("MQSTR   "), Bytes().Raw("text", 4));
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, 0);
    EXPECT_TRUE(Next("Priority"));
    dialogOptions = FO_DATA_ONLY;               /* ticked in the dialog: this search already keeps to it */
    EXPECT_FALSE(Next("Priority"));
    EXPECT_TRUE(Next("REPLY.Q"));
}

TEST_F(EdFind, IgnoreCaseOnEbcdicData)
{
    Load(EdDescriptor("MQSTR   ", 500, 785), Bytes().Raw("\x40\x81\x82\x83\x40", 5));   /* " abc " */
    d.displayFlags |= FO_DATA_ONLY | FO_MATCH_CASE;
    EXPECT_FALSE(Next("ABC"));
    d.displayFlags &= ~FO_MATCH_CASE;
    ASSERT_TRUE(Next("ABC"));
    EXPECT_EQ(ed->cursor.digit, 2u);
    EXPECT_EQ(ed->anchor.digit, 8u);
}

TEST_F(EdFind, MatchesAndSelectionsOnEveryKindOfLine)
{
    Bytes md = EdDescriptor("MQSTR   ");
    d.viewWords[0] |= (uint32_t)LR_HEX_CHARLINE | (uint32_t)VW_SHOW_MD;
    Load(md, EdTextLines(1));
    findText = "x";
    FRValidate(&d, FR_FIND);
    struct { const char *find; uint16_t type; uint32_t cursor, anchor; } rows[] = {
        { "REPLY.Q", FT_CHAR, 2 * 100, 2 * 107 },          /* characters at their bytes */
        { "514D", LK_HEX_PAIRS, 2 * 52, 2 * 54 },          /* MsgId "AMQ QM1" digit by digit */
        { "QM1", LK_DUMP_CHARS, 2 * 52, 2 * 55 },          /* its character line */
    };
    d.displayFlags |= FO_DATA_ONLY | FO_MATCH_CASE;
    for (auto &r : rows) {
        EdMoveCursor(ed, 0, 0, MC_GOTO, 0, 0);
        ASSERT_TRUE(Next(r.find)) << r.find;
        EXPECT_EQ(Line(ed->cursor.line)->lineType, r.type) << r.find;
        EXPECT_EQ(ed->cursor.digit, r.cursor) << r.find;
        EXPECT_EQ(ed->anchor.digit, r.anchor) << r.find;
    }
    /* a number: its text, the anchor columns after it */
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, Find("PutApplType") - 1);
    ASSERT_TRUE(Next("28"));
    EXPECT_EQ(Line(ed->cursor.line)->lineType, FT_INT);
    EXPECT_EQ(ed->anchor.line, ed->cursor.line);
    EXPECT_EQ(ed->anchor.column, ed->cursor.column + 2);
    /* a hex dump: digits across its group blanks */
    std::vector<unsigned char> body(40);
    for (int i = 0; i < 40; i++)
        body[i] = (unsigned char)i;
    Load(EdDescriptor("BINARY  ").b, body);
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, 0);
    ASSERT_TRUE(Next("0304"));
    EXPECT_EQ(Line(ed->cursor.line)->lineType, LK_DUMP);
    EXPECT_EQ(ed->cursor.digit, 6u);
    EXPECT_EQ(ed->anchor.digit, 10u);
    /* EdMatchAtPos refuses what is not at the column */
    LINEDATA *l = Line(ed->cursor.line);
    EXPECT_TRUE(EdMatchAtPos(ed, l, l->valueColumn + 6));
    EXPECT_FALSE(EdMatchAtPos(ed, l, l->valueColumn + 7));
    EXPECT_FALSE(EdMatchAtPos(ed, l, l->valueColumn + 8));     /* a group blank */
}

TEST_F(EdFind, ReplaceAllReplacesEachOriginalOnceInOneStep)
{
    Load(EdDescriptor("MQSTR   "), Bytes().Raw("aa-b-a\nxa", 9));   /* one beginning where the last ended */
    ASSERT_TRUE(ReplaceAll("a", "aa"));
    EXPECT_EQ(Body(), "aaaa-b-aa\nxaa");
    EXPECT_EQ(Last(), "4 occurences changed");
    EdUndo(ed, 0);
    EXPECT_EQ(Body(), "aa-b-a\nxa");
    EXPECT_FALSE(EdCanUndo(ed));
    /* Replace once, then the next occurrence is found */
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, Find("a-"));
    ASSERT_TRUE(Next("b"));
    replaceText = "BB";
    ASSERT_TRUE(FRValidate(&d, FR_REPLACE));
    ASSERT_TRUE(FindReplaceOnce(&d, 0));
    EXPECT_EQ(Body(), "aa-BB-a\nxa");
    /* equal texts */
    EXPECT_FALSE(ReplaceAll("a", "a"));
    EXPECT_EQ(Last(), "The Find and Replace text are the same");
}

TEST_F(EdFind, AnEmptyReplacementDeletesAndANumberShowingTheSameTextEndsReplaceAll)
{
    Load(EdDescriptor("MQSTR   "), Bytes().Raw("redred, blue, red", 17));
    ASSERT_TRUE(ReplaceAll("red", "x"));
    EXPECT_EQ(Body(), "xx, blue, x");
    EdUndo(ed, 0);
    /* an empty replacement is not the previous one: the text goes */
    ASSERT_TRUE(ReplaceAll("red", ""));
    EXPECT_EQ(Body(), ", blue, ");
    /* "0x'222'" as "0X'222'" stores 0x222 again, which shows "0x'222'":
     * replaced once, then the end (not round and round) */
    Load(EdDescriptor("MQDEAD  "), BuildDLH(true, "MQSTR   "));
    std::string before = Body();
    d.displayFlags |= FO_MATCH_CASE;
    ASSERT_TRUE(ReplaceAll("x", "X")) << Last();
    EXPECT_EQ(Body(), before);
    EXPECT_EQ(Last(), "1 occurences changed");
}

TEST_F(EdFind, AFailingReplacementRollsEverythingBack)
{
    Bytes body = BuildDLH(true, "MQSTR   ");
    body.b[112] = 0xF4;                         /* DLH CCSID 500 (0x1F4) */
    body.b[113] = 0x01;
    body.Raw("\xC7\xC7", 2);                    /* "GG" in EBCDIC */
    Load(EdDescriptor("MQDEAD  "), body);
    std::string before = Body();
    EXPECT_FALSE(ReplaceAll("G", "\xB0"));      /* the DLH takes it, EBCDIC does not */
    EXPECT_EQ(Body(), before);
    EXPECT_NE(Last().find("Character not valid"), std::string::npos) << Last();
    EXPECT_FALSE(EdCanUndo(ed));
}

TEST_F(EdFind, NumbersAreReplacedInTheirByteOrder)
{
    Bytes pcf = BuildPcfHeader(false, 1, 13, 1);
    CfIn(pcf, 20, 5);
    Load(EdDescriptor("MQADMIN ", 850, 273), pcf);
    d.displayFlags |= FO_DATA_ONLY;
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, Find("Parameter Id"));
    ASSERT_TRUE(Next("5"));
    replaceText = "1234";
    ASSERT_TRUE(FRValidate(&d, FR_REPLACE));
    ASSERT_TRUE(FindReplaceOnce(&d, 0));
    EXPECT_EQ(memcmp(ed->data.data + 48, "\0\0\x04\xD2", 4), 0);
    /* a replacement that is no number */
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, Find("Parameter Id"));
    ASSERT_TRUE(Next("1234"));
    replaceText = "x";
    ASSERT_TRUE(FRValidate(&d, FR_REPLACE));
    EXPECT_FALSE(FindReplaceOnce(&d, 0));
    EXPECT_EQ(Last(), "Invalid number format");
    EXPECT_EQ(memcmp(ed->data.data + 48, "\0\0\x04\xD2", 4), 0);
}

TEST_F(EdFind, HistoriesAndRefusals)
{
    for (int i = 0; i < 22; i++) {
        char t[8];
        snprintf(t, sizeof t, "t%d", i);
        FRAddHistory(&frFindHistory, FRNewText(t, (uint32_t)strlen(t), 850));
    }
    EXPECT_EQ(frFindHistory.count, 21);
    EXPECT_STREQ(FRNewest(&frFindHistory)->text, "t21");
    EXPECT_STREQ(((FRText *)frFindHistory.first)->text, "t1");     /* the oldest */
    FRAddHistory(&frFindHistory, FRNewText("t21", 3, 850));
    EXPECT_EQ(frFindHistory.count, 21);
    FRAddHistory(&frFindHistory, FRNewText("t5", 2, 850));      /* moved to the front */
    EXPECT_EQ(frFindHistory.count, 21);
    EXPECT_STREQ(FRNewest(&frFindHistory)->text, "t5");
    FRFreeHistories();

    Load(EdDescriptor("MQSTR   "), Bytes().Raw("abc", 3));
    EXPECT_FALSE(Next(""));
    EXPECT_EQ(Last(), "Please enter a find string");
    withReplace = false;
    FRFreeHistories();
    findText = "a";
    EXPECT_FALSE(FRValidate(&d, FR_REPLACE));
    EXPECT_EQ(Last(), "Please enter a replace string");
    withReplace = true;
    EdMoveCursor(ed, 0, 0, MC_GOTO, 0, 0);
    replaceText = "z";
    ASSERT_TRUE(FRValidate(&d, FR_REPLACE));
    EXPECT_FALSE(FindReplaceOnce(&d, 0));
    EXPECT_EQ(Last(), "The cursor is not at the text which should be changed");
    /* storage for a new find string */
    FRAddHistory(&frFindHistory, FRNewText("q", 1, 850));
    findText = "q";
    withReplace = false;
    CSMemFailTag("FR", 2);
    EXPECT_FALSE(FRValidate(&d, FR_FIND));
    CSMemFailTag("FR", 0);
    EXPECT_EQ(Last(), "No storage available");
    /* no message */
    void *slot = ed->dataSlot;
    ed->dataSlot = nullptr;
    EXPECT_FALSE(Next("a"));
    EXPECT_EQ(Last(), "Please select a message");
    ed->dataSlot = slot;
}
