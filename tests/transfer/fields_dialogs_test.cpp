/* What the transfer dialogs make of their fields, without windows: the
 * message range and its status texts, the searches, age limits, commit
 * interval and mandatory names of a load or unload, and the message and
 * request of a put or a publication with the line-end rule. */
#include "xfertest.h"

#include <cstring>

#include "cs.h"
#include "xferfields.h"

namespace {

struct Range {
    const char *text;
    int64_t first, last;
    const char *status;
};

} // namespace

TEST(MessageRange, FormsAndTheirStatusTexts)
{
    const Range ok[] = {
        {"", 0, 0, "Processing all messages."},
        {"   ", 0, 0, "Processing all messages."},
        {"7", 7, 7, "Processing message index 7 only."},
        {"  7 ", 7, 7, "Processing message index 7 only."},
        {"7..", 7, 0, "Processing message indexes 7 onwards."},
        {"..9", 1, 9, "Processing up to message index 9."},
        {"3..5", 3, 5, "Processing message indexes 3 to 5."},
        {"5..2", 2, 5, "Processing message indexes 2 to 5."},
        {"3#1", 3, 3, "Processing message index 3 only."},
        {"3#4", 3, 6, "Processing message indexes 3 to 6."},
        {"#4", 1, 4, "Processing message indexes 1 to 4."},
        {"2147483647", 2147483647, 2147483647, "Processing message index 2147483647 only."},
    };
    for (const Range &r : ok) {
        SCOPED_TRACE(r.text);
        int64_t first = -1, last = -1;
        char status[120];
        EXPECT_EQ(ParseMessageRange(r.text, &first, &last, status, sizeof status), 0);
        EXPECT_EQ(first, r.first);
        EXPECT_EQ(last, r.last);
        EXPECT_STREQ(status, r.status);
    }
    for (const char *bad : {"x", "1x", "1...3", "1..3x", "0", "3#0", "#", "..", "1#", "-1", "2147483648",
                            "99999999999999999999", "2147483647#2", "1,5", "..0"}) {
        SCOPED_TRACE(bad);
        int64_t first, last;
        char status[120];
        EXPECT_EQ(ParseMessageRange(bad, &first, &last, status, sizeof status), 1);
        EXPECT_EQ(std::string(status), std::string("Invalid message range parameter '") + bad + "'");
    }
}

TEST(Searches, EbcdicAndHexStrings)
{
    DRSEARCH s;
    EXPECT_EQ(DraskEbcdicSearch("AB1.", &s), 0);
    EXPECT_EQ(s.length, 4);
    EXPECT_EQ(memcmp(s.bytes, "\xC1\xC2\xF1\x4B", 4), 0);
    EXPECT_EQ(DraskEbcdicSearch("a[b", &s), '[');
    EXPECT_EQ(DraskHexSearch("41 42 0a", &s), 1);
    EXPECT_EQ(s.length, 3);
    EXPECT_EQ(memcmp(s.bytes, "AB\n", 3), 0);
    EXPECT_EQ(DraskHexSearch("414", &s), 0);
    EXPECT_EQ(DraskHexSearch("4G", &s), 0);
    EXPECT_EQ(DraskHexSearch(std::string(202, 'A').c_str(), &s), 0);    /* beyond the entry */
}

namespace {

DRASKFIELDS QueueToFile(void)
{
    DRASKFIELDS f = {};
    f.input = DRIN_QUEUE;
    strcpy(f.inQueue, "IN.Q");
    f.readAhead = 1;
    f.forceRfh2 = 1;
    f.output = DROUT_DRASK;
    strcpy(f.outFile, "out.drask");
    f.context = DRO_CTX_SETALL;
    strcpy(f.txnLimit, "200");
    return f;
}

int Build(const DRASKFIELDS &f, DROPT *o, DRASKBUILT *b, std::string *error)
{
    char text[300];
    int rc = DraskBuildBlock(&f, 1700000000, o, b, text, sizeof text);
    *error = text;
    return rc;
}

} // namespace

TEST(LoadUnloadFields, MandatoryNamesAndTheirFields)
{
    struct Case {
        void (*change)(DRASKFIELDS *);
        int field;
        const char *text;
    } const cases[] = {
        {[](DRASKFIELDS *f) { f->inQueue[0] = 0; }, DF_INQUEUE, "Please enter a value for 'Input Queue'"},
        {[](DRASKFIELDS *f) { f->input = DRIN_DRASK; }, DF_INFILE, "Please enter a value for 'Input File'"},
        {[](DRASKFIELDS *f) { f->input = DRIN_OTHER; }, DF_OTHERFILE, "Please enter a value for 'Input File'"},
        {[](DRASKFIELDS *f) { f->outFile[0] = 0; }, DF_OUTFILE, "Please enter a value for 'Output File'"},
        {[](DRASKFIELDS *f) { f->output = DROUT_QUEUE; }, DF_OUTQUEUE, "Please enter a value for 'Output Queue'"},
        {[](DRASKFIELDS *f) { strcpy(f->ccsid, "12x"); }, DF_CCSID, "Invalid CCSID '12x'"},
        {[](DRASKFIELDS *f) { strcpy(f->search[DRS_EBCDIC], "a["); }, DF_ESEARCH,
         "Sorry the Ebcdic search string contains a non-variant character '['"},
        {[](DRASKFIELDS *f) { strcpy(f->search[DRS_NOT_EBCDIC], "]"); }, DF_NOTESEARCH,
         "Sorry the Ebcdic not search string contains a non-variant character ']'"},
        {[](DRASKFIELDS *f) { strcpy(f->search[DRS_BYTES], "xyz"); }, DF_HSEARCH,
         "Sorry the hex search string does not appear to be hex"},
        {[](DRASKFIELDS *f) { strcpy(f->search[DRS_NOT_BYTES], "123"); }, DF_NOTHSEARCH,
         "Sorry the hex not search string does not appear to be hex"},
        {[](DRASKFIELDS *f) { strcpy(f->txnLimit, "many"); }, DF_TXNLIMIT, "Invalid Txn Message Limit 'many'"},
        {[](DRASKFIELDS *f) { strcpy(f->older, "soon"); }, DF_OLDER,
         "Sorry the format of the older than age is not recognised"},
        {[](DRASKFIELDS *f) { strcpy(f->younger, "99999999999999999999 years"); }, DF_YOUNGER,
         "Sorry the format of the younger than age is not recognised"},
        {[](DRASKFIELDS *f) { strcpy(f->range, "5..x"); }, DF_RANGE, "Invalid message range parameter '5..x'"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        DRASKFIELDS f = QueueToFile();
        c.change(&f);
        DROPT o;
        DRASKBUILT b;
        std::string error;
        EXPECT_EQ(Build(f, &o, &b, &error), 1);
        EXPECT_EQ(error, c.text);
        EXPECT_EQ(b.field, c.field);
    }
}

TEST(LoadUnloadFields, OptionsCaptionsAndSelection)
{
    DRASKFIELDS f = QueueToFile();
    strcpy(f.ccsid, "500");
    f.format = DRO_COLUMN;
    f.index = 1;
    f.strip = 1;
    f.context = DRO_CTX_DEFAULT;
    f.forceRfh2 = 0;
    strcpy(f.older, "2 hours");
    strcpy(f.search[DRS_TEXT], "needle");
    DROPT o;
    DRASKBUILT b;
    std::string error;
    ASSERT_EQ(Build(f, &o, &b, &error), 0) << error;
    EXPECT_EQ(o.options & (DRO_CONVERT | DRO_COLUMN | DRO_INDEX | DRO_STRIP | DRO_CTX_MASK),
              DRO_CONVERT | DRO_COLUMN | DRO_INDEX | DRO_STRIP | DRO_CTX_DEFAULT);
    EXPECT_EQ(o.ccsid, 500);
    EXPECT_EQ(o.encoding, 546);                    /* no encoding chosen */
    EXPECT_EQ(o.options2 & (DRO2_READAHEAD | DRO2_NORFH2), DRO2_READAHEAD | DRO2_NORFH2);
    EXPECT_EQ(o.olderBound, 1700000000 - 7200);
    EXPECT_STREQ(b.older, "2 hours");
    EXPECT_STREQ(b.caption, "Unloading messages");
    EXPECT_STREQ(b.status, "Processing all messages.");
    EXPECT_EQ(o.search[DRS_TEXT][0].length, 6);
    EXPECT_EQ(o.options & DRO_BROWSEGET, 0u);      /* a browse: nothing to get */
    EXPECT_EQ(o.commitInterval, 200);

    /* a move with a filter browses, then gets the chosen ones */
    f.move = 1;
    strcpy(f.encoding, "Normal");
    ASSERT_EQ(Build(f, &o, &b, &error), 0) << error;
    EXPECT_EQ(o.encoding, 273);
    EXPECT_NE(o.options & DRO_BROWSEGET, 0u);
    DraskSettleBrowse(&o, 0);
    EXPECT_EQ(o.options2 & DRO2_READAHEAD, 0u);
    EXPECT_EQ(b.askPurge, 0);
    f.purge = 1;
    ASSERT_EQ(Build(f, &o, &b, &error), 0);
    EXPECT_EQ(b.askPurge, 1);
    DraskSettleBrowse(&o, 1);                      /* agreed: every message is got */
    EXPECT_EQ(o.options & DRO_BROWSEGET, 0u);
    EXPECT_NE(o.options2 & DRO2_READAHEAD, 0u);

    struct Caption {
        int input, output, move;
        const char *caption;
    } const captions[] = {
        {DRIN_DRASK, DROUT_DRASK, 0, "Transfering messages"}, {DRIN_OTHER, DROUT_QUEUE, 0, "Loading messages"},
        {DRIN_QUEUE, DROUT_QUEUE, 0, "Copying messages"}, {DRIN_QUEUE, DROUT_QUEUE, 1, "Moving messages"},
    };
    for (const Caption &c : captions) {
        DRASKFIELDS g = QueueToFile();
        g.input = c.input;
        g.output = c.output;
        g.move = c.move;
        g.context = DRO_CTX_NONE;
        strcpy(g.inFile, "in.drask");
        strcpy(g.otherFile, "in.txt");
        strcpy(g.outQueue, "OUT.Q");
        strcpy(g.startDelim, "<m>");
        g.include = 1;
        ASSERT_EQ(Build(g, &o, &b, &error), 0) << error;
        EXPECT_STREQ(b.caption, c.caption);
        if (c.input == DRIN_OTHER) {
            EXPECT_EQ(o.options2 & (DRO2_PLAIN | DRO2_INCLUDE), DRO2_PLAIN | DRO2_INCLUDE);
            EXPECT_EQ(o.startLength, 3);
        }
    }
}

TEST(LineEnds, RemovedUnlessWindows)
{
    uint8_t text[] = "a\r\nb\rc\r\n\r";
    uint32_t n = sizeof text - 1;
    uint8_t copy[sizeof text];
    memcpy(copy, text, sizeof text);
    EXPECT_EQ(PutNormaliseText(copy, n, MQPL_WINDOWS_NT), n);
    EXPECT_EQ(memcmp(copy, text, n), 0);
    EXPECT_EQ(PutNormaliseText(text, n, MQPL_UNIX), n - 2);
    EXPECT_EQ(memcmp(text, "a\nb\rc\n\r\0\0", n), 0);       /* the freed tail zeroed */
}

namespace {

PUTFIELDS Put(const char *text)
{
    PUTFIELDS f = {};
    strcpy(f.qmgr, "QM1");
    strcpy(f.queue, "APP.Q");
    strcpy(f.length, "-1");
    strcpy(f.count, "1");
    f.text = text;
    f.persistence = 2;
    f.platform = MQPL_UNIX;
    return f;
}

std::string Built(const PUTFIELDS &f, ThreadRequest *r = nullptr, std::string *error = nullptr)
{
    uint8_t *msg = nullptr;
    uint32_t length = 0;
    ThreadRequest request;
    char text[300];
    int field = 0;
    int rc = PutBuildRequest(&f, &msg, &length, &request, text, sizeof text, &field);
    if (error)
        *error = rc ? text : "";
    if (rc)
        return "";
    std::string out((const char *)msg, length);
    CSFreeMem(msg);
    if (r)
        *r = request;
    return out;
}

} // namespace

TEST(PutMessage, LengthCountLineEndsAndFiles)
{
    PUTFIELDS f = Put("ABCDEFGH");
    strcpy(f.length, "5");
    EXPECT_EQ(Built(f), "ABCDE");
    f = Put("AB");
    strcpy(f.length, "5");
    EXPECT_EQ(Built(f), std::string("AB\0\0\0", 5));
    ThreadRequest r;
    f = Put("line one\r\nline two");
    strcpy(f.count, "0");
    EXPECT_EQ(Built(f, &r), "line one\nline two");
    EXPECT_EQ(r.count, 1u);
    EXPECT_EQ(r.persistent, 2);
    EXPECT_EQ(std::string(r.qmName, 3), "QM1");
    EXPECT_EQ(std::string(r.queueName, 5), "APP.Q");
    EXPECT_EQ(r.dataLength, 17u);
    f.platform = MQPL_WINDOWS_NT;
    EXPECT_EQ(Built(f), "line one\r\nline two");
    /* a length given keeps it: the removed CR leaves a NUL at the end */
    f = Put("a\r\nb");
    strcpy(f.length, "4");
    EXPECT_EQ(Built(f), std::string("a\nb\0", 4));
    /* a file's bytes as they are, whatever the length field says */
    std::string bytes = std::string("x\r\ny\0z", 6);
    f = Put("");
    UTStrCopy(f.file, TempFile("put.bin", bytes).c_str(), sizeof f.file);
    strcpy(f.length, "");
    EXPECT_EQ(Built(f), bytes);
    std::string error;
    strcpy(f.file, "/no/such/dir/file.bin");
    Built(f, nullptr, &error);
    EXPECT_EQ(error, "Can not open file '/no/such/dir/file.bin'");
    struct Bad {
        void (*change)(PUTFIELDS *);
        const char *text;
    } const bad[] = {
        {[](PUTFIELDS *p) { p->queue[0] = 0; }, "Please enter a value for 'Queue Name'"},
        {[](PUTFIELDS *p) { p->length[0] = 0; }, "Please enter a value for 'Message Length'"},
        {[](PUTFIELDS *p) { p->count[0] = 0; }, "Please enter a value for 'Message Count'"},
        {[](PUTFIELDS *p) { strcpy(p->count, "9999999999"); }, "Invalid value for 'Message Count'"},
        {[](PUTFIELDS *p) { p->text = ""; }, "Please enter a value for 'Message'"},
    };
    for (const Bad &b : bad) {
        PUTFIELDS p = Put("text");
        b.change(&p);
        Built(p, nullptr, &error);
        EXPECT_EQ(error, b.text);
    }
}

namespace {

PUBFIELDS Pub(const char *text, int queued)
{
    PUBFIELDS f = {};
    f.queued = queued;
    strcpy(f.qmgr, "QM1");
    strcpy(f.stream, "SYSTEM.BROKER.DEFAULT.STREAM");
    strcpy(f.pubLevel, "9");
    strcpy(f.topic, "T");
    strcpy(f.length, "-1");
    strcpy(f.count, "2");
    f.text = text;
    f.persistence = 1;
    f.platform = MQPL_UNIX;
    return f;
}

std::string Published(const PUBFIELDS &f, uint32_t *flags = nullptr, std::string *error = nullptr)
{
    uint8_t *msg = nullptr;
    uint32_t length = 0, fl = 0;
    ThreadRequest request;
    char text[300];
    int field = 0;
    int rc = PubBuildRequest(&f, &msg, &length, &request, &fl, text, sizeof text, &field);
    if (error)
        *error = rc ? text : "";
    if (rc)
        return "";
    if (flags)
        *flags = fl;
    std::string out((const char *)msg, length);
    CSFreeMem(msg);
    return out;
}

std::string Int(int32_t v)
{
    return std::string((const char *)&v, 4);
}

} // namespace

TEST(PublishMessage, QueuedHeaderAndMqiHeader)
{
    uint32_t flags = 0;
    std::string nv = "MQPSCommand  Publish  MQPSTopic T ";
    std::string rfh = "RFH " + Int(1) + Int(32 + (int32_t)nv.size()) + Int(546) + Int(437) + "MQSTR   " + Int(0);
    EXPECT_EQ(Published(Pub("one\r\ntwo", 1), &flags), rfh + nv + "one\ntwo");
    EXPECT_EQ(flags, TRF_MSGINFO | TRF_RFH);
    PUBFIELDS both = Pub("x", 1);
    both.local = both.anonymous = 1;
    std::string nv2 = nv + " MQPSRegOpts Anon  MQPSRegOpts Local ";
    EXPECT_EQ(Published(both), "RFH " + Int(1) + Int(32 + (int32_t)nv2.size()) + Int(546) + Int(437) +
                                   "MQSTR   " + Int(0) + nv2 + "x");
    /* a topic with blanks or double quotes is one value of the
       name/value string: quoted, its own quotes doubled */
    PUBFIELDS spaced = Pub("x", 1);
    strcpy(spaced.topic, "Sport/Football \"live\" results");
    std::string nv3 = "MQPSCommand  Publish  MQPSTopic \"Sport/Football \"\"live\"\" results\" ";
    EXPECT_EQ(Published(spaced), "RFH " + Int(1) + Int(32 + (int32_t)nv3.size()) + Int(546) + Int(437) +
                                     "MQSTR   " + Int(0) + nv3 + "x");
    PUBFIELDS longest = Pub("x", 1);
    memset(longest.topic, '"', PUB_TOPIC_MAX);
    longest.topic[PUB_TOPIC_MAX] = 0;
    EXPECT_EQ(Published(longest).size(), 32 + 32 + 2 * PUB_TOPIC_MAX + 2 + 1 + 1u);
    /* MQI: scope, level, the topic and its NUL, then the text */
    PUBFIELDS mqi = Pub("a\r\nb", 0);
    mqi.local = 1;
    strcpy(mqi.pubLevel, "4");
    EXPECT_EQ(Published(mqi, &flags), Int(1) + Int(4) + std::string("T\0", 2) + "a\nb");
    EXPECT_EQ(flags, TRF_MSGINFO | TRF_PUBLISH);
    /* a length given: cut or padded, the header left alone */
    PUBFIELDS cut = Pub("abcdef", 0);
    strcpy(cut.length, "3");
    EXPECT_EQ(Published(cut), Int(0) + Int(9) + std::string("T\0", 2) + "abc");
    std::string error;
    PUBFIELDS noStream = Pub("x", 1);
    noStream.stream[0] = 0;
    Published(noStream, nullptr, &error);
    EXPECT_EQ(error, "Please enter a value for 'Stream Name'");
    PUBFIELDS noTopic = Pub("x", 0);
    noTopic.topic[0] = 0;
    Published(noTopic, nullptr, &error);
    EXPECT_EQ(error, "Please enter a value for 'Topic Name'");
    PUBFIELDS level = Pub("x", 0);
    strcpy(level.pubLevel, "10");
    Published(level, nullptr, &error);
    EXPECT_EQ(error, "Invalid value for 'Pub Level'");
}
