/* Selection and units of work: message ranges (reading no further than
 * the last), searches in text, EBCDIC and hex, ages, a move with a search
 * that leaves the rest, purge, commits at the interval and at the end,
 * moves with a limit of 0, and the counting pass of a plain file. */
#include "xferengine.h"

#include <cstring>
#include <ctime>

#include "cs.h"
#include "xferfields.h"

namespace {

std::vector<std::string> Datas(const std::vector<XMsg> &msgs)
{
    std::vector<std::string> out;
    for (const XMsg &m : msgs)
        out.push_back(m.data);
    return out;
}

using V = std::vector<std::string>;

} // namespace

TEST_F(Transfer, RangesReadNoFurtherThanTheLastIndex)
{
    PutMany("Q1", 10);
    Mqsc("QM1", "DEFINE QLOCAL(Q4)\nDEFINE QLOCAL(Q5)\n");
    /* the completion counts what was written: neither the range asked
       for nor the messages read */
    const struct {
        int64_t first, last;
        int from, to;
        size_t reads;
        uint32_t shownRead, shownWritten;      /* the progress window's counters */
        const char *search, *done;
    } ranges[] = {
        { 3, 5, 3, 5, 5, 5, 3, "", "Completed: 3 Messages (27 Bytes) written" },     /* no sixth read */
        { 8, 0, 8, 10, 11, 10, 3, "", "Completed: 3 Messages (28 Bytes) written" },  /* no upper bound */
        /* a first index of 0 is no range at all */
        { 0, 3, 1, 10, 11, 10, 10, "", "Completed: 10 Messages (91 Bytes) written" },
        /* three asked for, five read, one written */
        { 3, 5, 5, 5, 5, 5, 1, "5", "Completed: 1 Message (9 Bytes) written" },
    };
    int target = 2;
    for (const auto &r : ranges) {
        std::string q = "Q" + std::to_string(target++);
        Rec.Clear();
        DROPT *o = Block();
        strcpy(o->sourceQ, "Q1");
        strcpy(o->targetQ, q.c_str());
        o->first = r.first;
        o->last = r.last;
        o->search[DRS_TEXT][0].length = (int32_t)strlen(r.search);
        memcpy(o->search[DRS_TEXT][0].bytes, r.search, strlen(r.search));
        uint8_t key[24] = "range";
        key[20] = (uint8_t)target;
        PROGRESS *p = ProgCreate(nullptr, key, "Moving messages");
        ASSERT_NE(p, nullptr);
        ProgAddRef(p);                             /* the run's */
        o->progress = p;
        ASSERT_EQ(Run(o), 0) << LastText();
        EXPECT_EQ(LastText(), r.done);
        EXPECT_EQ(p->now.messagesRead, r.shownRead) << r.first << ".." << r.last;
        EXPECT_EQ(p->now.messagesWritten, r.shownWritten) << r.first << ".." << r.last;
        ProgRelease(p);
        V want;
        for (int i = r.from; i <= r.to; i++)
            want.push_back("message " + std::to_string(i));
        EXPECT_EQ(Datas(Browse(q.c_str())), want) << r.first << ".." << r.last;
        size_t read = 0;
        for (const MQCall &c : Rec.Of("MQGET", "Q1"))
            read += c.rc != MQRC_TRUNCATED_MSG_FAILED;   /* a first get finds the buffer too small */
        EXPECT_EQ(read, r.reads) << r.first << ".." << r.last;
    }
}

TEST_F(Transfer, SearchesAndAges)
{
    PutMany("Q1", 12);
    struct Case {
        int group;
        const char *text;
        V expected;
    } const cases[] = {
        {DRS_TEXT, "age 1", {"message 1", "message 10", "message 11", "message 12"}},
        {DRS_NOT_TEXT, "1", {"message 2", "message 3", "message 4", "message 5", "message 6", "message 7",
                             "message 8", "message 9"}},
        {DRS_BYTES, "\x31\x32", {"message 12"}},
        {DRS_NOT_BYTES, "e", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Mqsc("QM1", "CLEAR QLOCAL(Q2)");
        DROPT *o = Block();
        strcpy(o->sourceQ, "Q1");
        strcpy(o->targetQ, "Q2");
        o->search[c.group][0].length = (int32_t)strlen(c.text);
        memcpy(o->search[c.group][0].bytes, c.text, strlen(c.text));
        ASSERT_EQ(Run(o), 0) << LastText();
        EXPECT_EQ(Datas(Browse("Q2")), c.expected);
    }
    /* EBCDIC text in EBCDIC data */
    Mqsc("QM1", "CLEAR QLOCAL(Q2)");
    PutMessage("Q3", "\xC8\xC5\xD3\xD3\xD6");          /* HELLO */
    PutMessage("Q3", "HELLO");
    DROPT *o = Block();
    strcpy(o->sourceQ, "Q3");
    strcpy(o->targetQ, "Q2");
    ASSERT_EQ(DraskEbcdicSearch("ELL", &o->search[DRS_EBCDIC][0]), 0);
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_EQ(Datas(Browse("Q2")), (V{"\xC8\xC5\xD3\xD3\xD6"}));

    /* ages: put two days ago and now */
    Mqsc("QM1", "CLEAR QLOCAL(Q2)\nCLEAR QLOCAL(Q3)");
    MQMD old = FullMD(1);
    int64_t now = CSGetCurrentTime();
    char date[20], time[20];
    {
        int64_t then = now - 2 * 86400;
        struct tm tm;
        time_t t = (time_t)then;
#ifdef _WIN32
        gmtime_s(&tm, &t);
#else
        gmtime_r(&t, &tm);
#endif
        strftime(date, sizeof date, "%Y%m%d", &tm);
        strftime(time, sizeof time, "%H%M%S00", &tm);
    }
    memcpy(old.PutDate, date, 8);
    memcpy(old.PutTime, time, 8);
    PutMessage("Q3", "old one", &old, true);
    PutMessage("Q3", "new one");
    MQMD broken = FullMD(2);
    memcpy(broken.PutDate, "2023XX01", 8);
    PutMessage("Q3", "no valid time", &broken, true);
    o = Block();
    strcpy(o->sourceQ, "Q3");
    strcpy(o->targetQ, "Q2");
    o->olderBound = now - 86400;
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_EQ(Datas(Browse("Q2")), (V{"old one"}));
    Mqsc("QM1", "CLEAR QLOCAL(Q2)");
    o = Block();
    strcpy(o->sourceQ, "Q3");
    strcpy(o->targetQ, "Q2");
    o->youngerBound = now - 86400;
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_EQ(Datas(Browse("Q2")), (V{"new one"}));
}

TEST_F(Transfer, MoveWithASearchLeavesTheRest)
{
    PutMany("Q1", 20);
    DROPT *o = Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->targetQ, "Q2");
    o->options |= DRO_MOVE | DRO_BROWSEGET;
    o->search[DRS_TEXT][0].length = 1;
    o->search[DRS_TEXT][0].bytes[0] = '7';
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_EQ(Datas(Browse("Q2")), (V{"message 7", "message 17"}));
    EXPECT_EQ(DepthOf("Q1"), 18);
    for (const XMsg &m : Browse("Q1"))
        EXPECT_EQ(m.data.find('7'), std::string::npos);
    /* purge agreed: every message is got, those that do not match go */
    o = Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->targetQ, "Q3");
    o->options |= DRO_MOVE | DRO_PURGE;
    o->search[DRS_TEXT][0].length = 1;
    o->search[DRS_TEXT][0].bytes[0] = '5';
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_EQ(Datas(Browse("Q3")), (V{"message 5", "message 15"}));
    EXPECT_EQ(DepthOf("Q1"), 0);
}

TEST_F(Transfer, CommitsAtTheIntervalAndAtTheEnd)
{
    PutMany("Q1", 450);
    DROPT *o = Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->targetQ, "Q2");
    o->options |= DRO_MOVE;
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_EQ(Rec.Count("MQCMIT"), 3u);
    EXPECT_EQ(DepthOf("Q1"), 0);
    EXPECT_EQ(DepthOf("Q2"), 450);
    for (const MQCall &c : Rec.Of("MQGET", "Q1"))
        EXPECT_TRUE(c.options & MQGMO_SYNCPOINT);
    for (const MQCall &c : Rec.Of("MQPUT", "Q2"))
        EXPECT_TRUE(c.options & MQPMO_SYNCPOINT);
    /* a limit of 0: a move still gets under syncpoint, one commit each */
    Rec.Clear();
    std::string file = TempDir() + "/move0.drask";
    o = Block();
    strcpy(o->sourceQ, "Q2");
    strcpy(o->outFile, file.c_str());
    o->options |= DRO_MOVE | DRO_OVERWRITE;
    o->commitInterval = 0;
    o->last = 5;
    o->first = 1;
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_EQ(Rec.Count("MQCMIT"), 5u);
    for (const MQCall &c : Rec.Of("MQGET", "Q2"))
        EXPECT_TRUE(c.options & MQGMO_SYNCPOINT);
    EXPECT_EQ(ReadMessages(file).msgs.size(), 5u);
    EXPECT_EQ(DepthOf("Q2"), 445);
    /* a copy with limit 0 puts without syncpoint */
    Rec.Clear();
    o = Block();
    strcpy(o->sourceQ, "Q2");
    strcpy(o->targetQ, "Q3");
    o->commitInterval = 0;
    o->first = 1;
    o->last = 3;
    ASSERT_EQ(Run(o), 0);
    EXPECT_EQ(Rec.Count("MQCMIT"), 0u);
    for (const MQCall &c : Rec.Of("MQPUT", "Q3"))
        EXPECT_TRUE(c.options & MQPMO_NO_SYNCPOINT);
}

TEST_F(Transfer, CountingPassAsksBeforeALoad)
{
    std::string file = TempFile("lines.txt", "one\ntwo\nthree\n");
    answer = 0;
    DROPT *o = Block();
    strcpy(o->inFile, file.c_str());
    strcpy(o->targetQ, "Q1");
    o->options = (o->options & ~DRO_CTX_MASK) | DRO_CTX_DEFAULT;
    o->options2 |= DRO2_PLAIN;
    EXPECT_EQ(Run(o), 0);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "!3 messages found in the file.\n\nDo you want to continue ?");
    EXPECT_EQ(LastText(), "Message load operation cancelled by user.");
    EXPECT_EQ(DepthOf("Q1"), 0);
    answer = 1;
    o = Block();
    strcpy(o->inFile, file.c_str());
    strcpy(o->targetQ, "Q1");
    o->options = (o->options & ~DRO_CTX_MASK) | DRO_CTX_DEFAULT;
    o->options2 |= DRO2_PLAIN;
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_EQ(Datas(Browse("Q1")), (V{"one", "two", "three"}));
    EXPECT_EQ(std::string(Browse("Q1")[0].md.Format, 8), "MQSTR   ");
    /* a whole file is not counted */
    questions.clear();
    o = Block();
    strcpy(o->inFile, file.c_str());
    strcpy(o->targetQ, "Q2");
    o->options = (o->options & ~DRO_CTX_MASK) | DRO_CTX_NONE;
    o->options2 |= DRO2_PLAIN | DRO2_WHOLE;
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(Datas(Browse("Q2")), (V{"one\ntwo\nthree\n"}));
}
