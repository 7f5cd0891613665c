/* Files of other tools: amqsbcg listings (the real samples with their
 * descriptors and the bytes of their twins; newer listings with their
 * length lines, dead-letter and properties sections, page breaks, ''
 * fields, CR LF and several messages), dmpmqmsg files (with and without
 * the utility's banner), and plain files whole or cut by delimiters. */
#include "xfertest.h"

#include <cstring>

namespace {

const char *const BcgRfh2 =
    "amqsbcg/vdesabou__kafka-docker-playground__connect_connect-ibm-mq-sink_README.amqsbcg.txt";
const char *const BcgDlh = "amqsbcg/yukun-blog__websphere-mq-dead-letter.amqsbcg.txt";

std::string Hex(const void *bytes, size_t n)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n; i++) {
        s += digits[((const uint8_t *)bytes)[i] >> 4];
        s += digits[((const uint8_t *)bytes)[i] & 15];
    }
    return s;
}

std::string Field(const char *field, size_t n)
{
    return std::string(field, n);
}

std::string Padded(const char *text, size_t n)
{
    std::string s(text);
    s.resize(n, ' ');
    return s;
}

} // namespace

TEST(AmqsbcgListings, RealSamplesLoadWithTheirDescriptorAndTwinBytes)
{
    XRead r = ReadMessages(SamplePath(BcgRfh2), 0);
    ASSERT_EQ(r.rc, 0) << r.error;
    ASSERT_EQ(r.msgs.size(), 1u);
    const MQMD &a = r.msgs[0].md;
    EXPECT_EQ(a.Version, 1);            /* no version-2 field differs from the default */
    EXPECT_EQ(a.Encoding, 273);
    EXPECT_EQ(a.CodedCharSetId, 1208);
    EXPECT_EQ(Field(a.Format, 8), "MQHRF2  ");
    EXPECT_EQ(a.Priority, 4);
    EXPECT_EQ(a.Persistence, 1);
    EXPECT_EQ(Hex(a.MsgId, 24), "414D5120514D312020202020202020203F8EA85D1EA66A20");
    EXPECT_EQ(Field(a.ReplyToQ, 48), std::string(48, ' '));
    EXPECT_EQ(Field(a.ReplyToQMgr, 48), Padded("QM1", 48));
    EXPECT_EQ(Field(a.UserIdentifier, 12), "app         ");
    EXPECT_EQ(a.PutApplType, 28);
    EXPECT_EQ(Field(a.PutApplName, 28), Padded("cli.ConnectDistributed", 28));
    EXPECT_EQ(Field(a.PutDate, 8) + Field(a.PutTime, 8), "2019101716024736");
    EXPECT_EQ(r.msgs[0].data, ReadAll(SamplePath("mq-messages/vdesabou_kafka-playground_jms_text_RFH2_enc273.bin")));

    XRead d = ReadMessages(SamplePath(BcgDlh), 0);
    ASSERT_EQ(d.rc, 0) << d.error;
    ASSERT_EQ(d.msgs.size(), 1u);
    const MQMD &b = d.msgs[0].md;
    EXPECT_EQ(b.Encoding, 546);
    EXPECT_EQ(b.CodedCharSetId, 819);
    EXPECT_EQ(Field(b.Format, 8), "MQDEAD  ");
    EXPECT_EQ(Hex(b.AccountingToken, 32), "0334393600000000000000000000000000000000000000000000000000000006");
    EXPECT_EQ(b.PutApplType, 6);
    EXPECT_EQ(d.msgs[0].data, ReadAll(SamplePath("mq-messages/yukun-blog_DLH_enc546_reason2051.bin")));

    /* every descriptor field, as a Drask file shows it */
    for (auto pair : {std::make_pair(&r, "golden/amqsbcg_rfh2.drask"), std::make_pair(&d, "golden/amqsbcg_dlh.drask")}) {
        std::string text = WriteMessages(pair.first->msgs, 0);
        if (getenv("RAVOLT_WRITE_GOLDEN"))
            TempFile(std::string(pair.second).substr(7), text);
        EXPECT_EQ(text, ReadAll(DataPath(pair.second))) << pair.second;
    }
}

TEST(AmqsbcgListings, NewerListingsWithSectionsPagesAndSeveralMessages)
{
    XRead r = ReadMessages(DataPath("amqsbcg/newer_several.txt"));
    ASSERT_EQ(r.rc, 0) << r.error;
    ASSERT_EQ(r.msgs.size(), 3u);
    std::string all;
    for (const XMsg &m : r.msgs)
        all += m.data;
    EXPECT_EQ(all, ReadAll(DataPath("amqsbcg/newer_several.bin")));
    EXPECT_EQ(r.msgs[0].data, "Hello from a newer listing");      /* not the properties */
    EXPECT_EQ(r.msgs[1].md.Encoding, 273);
    EXPECT_EQ(r.msgs[1].md.CodedCharSetId, 500);
    EXPECT_EQ(Field(r.msgs[1].md.ReplyToQ, 48), Padded("REPLY.Q", 48));
    EXPECT_EQ(Field(r.msgs[1].md.ApplIdentityData, 32), Padded("app identity data", 32));
    /* '' is a field of blanks, as the queue manager gives it */
    EXPECT_EQ(Field(r.msgs[0].md.ReplyToQ, 48), std::string(48, ' '));
    EXPECT_EQ(Field(r.msgs[0].md.ApplIdentityData, 32), std::string(32, ' '));
    EXPECT_EQ(Field(r.msgs[2].md.ReplyToQMgr, 48), Padded("QM9", 48));
}

TEST(AmqsbcgListings, DeadLetterSectionIsRebuiltInFrontOfTheData)
{
    XRead r = ReadMessages(DataPath("amqsbcg/newer_dlh.txt"));
    ASSERT_EQ(r.rc, 0) << r.error;
    ASSERT_EQ(r.msgs.size(), 1u);
    EXPECT_EQ(r.msgs[0].data, ReadAll(DataPath("amqsbcg/newer_dlh.bin")));   /* big-endian integers */
    XRead bad = ReadMessages(DataPath("amqsbcg/newer_dlh_bad.txt"));
    EXPECT_EQ(bad.rc, DRC_BADFILE);
    EXPECT_NE(bad.error.find("Invalid attribute value on line 41"), std::string::npos) << bad.error;
}

TEST(AmqsbcgListings, ShortOrCutDumpsFailTheMessage)
{
    XRead cut = ReadMessages(DataPath("amqsbcg/newer_truncated.txt"));
    EXPECT_EQ(cut.rc, DRC_BADFILE);
    EXPECT_NE(cut.error.find("truncated to 16 of 70000 bytes"), std::string::npos) << cut.error;
    XRead shortDump = ReadMessages(DataPath("amqsbcg/newer_short_dump.txt"));
    EXPECT_EQ(shortDump.rc, DRC_BADFILE);
    EXPECT_NE(shortDump.error.find("12 bytes where 20 are stated"), std::string::npos) << shortDump.error;
    /* an older listing's " length - X bytes" is checked too */
    std::string older = ReadAll(SamplePath(BcgDlh));
    size_t at = older.find("length - 198 bytes");
    ASSERT_NE(at, std::string::npos);
    older.replace(at, 18, "length - 199 bytes");
    XRead o = ReadMessages(TempFile("older.txt", older));
    EXPECT_EQ(o.rc, DRC_BADFILE);
}

TEST(AmqsbcgListings, DescriptorErrors)
{
    struct Case {
        const char *text;
        const char *error;
    } const cases[] = {
        {"AMQSBCG0\n****Message descriptor****\n  Colour : 'red'\n", "Unrecognised attribute 'Colour' on line 3"},
        {"AMQSBCG0\n****Message descriptor****\n  Format :\n****   Message      ****\n", "Unexpected end of section on line 4"},
        {"AMQSBCG0\n****Message descriptor****\n  Format : 'MQSTR   '\n  Priority", "Unexpected end of file on line 4"},
        {"AMQSBCG0\n****Message descriptor****\n  MsgId : '4142'\n", "Badly formed hex string on line 3"},
        {"AMQSBCG0\n****Message descriptor****\n  MsgId : X'41G2'\n", "Badly formed HEX string on line 3"},
        {"AMQSBCG0\n****Message descriptor****\n  Priority : 99999999999\n", "Invalid attribute value on line 3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        XRead r = ReadMessages(TempFile("bad.txt", c.text));
        EXPECT_EQ(r.rc, DRC_BADFILE);
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
    }
}

TEST(DmpmqmsgFiles, ReadLikeDraskFilesWithAndWithoutTheBanner)
{
    for (const char *file : {"dmpmqmsg/two_messages.dmp", "dmpmqmsg/stdout_capture.dmp"}) {
        SCOPED_TRACE(file);
        XRead r = ReadMessages(DataPath(file));
        ASSERT_EQ(r.rc, 0) << r.error;
        ASSERT_EQ(r.msgs.size(), 2u);
        EXPECT_EQ(r.msgs[0].data + r.msgs[1].data, ReadAll(DataPath("dmpmqmsg/two_messages.bin")));
        const MQMD &md = r.msgs[0].md;
        EXPECT_EQ(Field(md.Format, 8), "MQSTR   ");             /* padded to its length */
        EXPECT_EQ(Field(md.ReplyToQ, 48), Padded("REPLY.Q", 48));  /* no CR in it */
        EXPECT_EQ(Field(md.PutApplName, 28), Padded("C:\\mq\\amqsput.exe", 28));
        EXPECT_EQ(Field(md.ApplIdentityData, 32), std::string(32, ' '));
        EXPECT_EQ(r.msgs[1].md.CodedCharSetId, 437);
        EXPECT_EQ(Field(r.msgs[1].md.ReplyToQ, 48), std::string(48, ' '));
    }
}

namespace {

std::vector<std::string> Plain(const std::string &bytes, uint32_t options2, const std::string &start = "",
                               const std::string &end = "", std::string *error = nullptr)
{
    XRead r = ReadMessages(TempFile("plain.bin", bytes), DRO_CTX_DEFAULT, DRO2_PLAIN | options2, start, end);
    std::vector<std::string> out;
    for (const XMsg &m : r.msgs)
        out.push_back(m.data);
    if (error)
        *error = r.error;
    else
        EXPECT_EQ(r.rc, 0) << r.error;
    return out;
}

using V = std::vector<std::string>;

} // namespace

TEST(PlainFiles, WholeFileKeepsEveryByte)
{
    std::string bytes = std::string("line one\r\nline two\x1A\0three", 23) + std::string(70000, 'z');
    XRead r = ReadMessages(TempFile("whole.bin", bytes), DRO_CTX_NONE, DRO2_PLAIN | DRO2_WHOLE);
    ASSERT_EQ(r.rc, 0) << r.error;
    ASSERT_EQ(r.msgs.size(), 1u);
    EXPECT_EQ(r.msgs[0].data, bytes);
    EXPECT_EQ(r.msgs[0].md.Version, 1);
    EXPECT_EQ(Field(r.msgs[0].md.Format, 8), "MQSTR   ");
    XRead empty = ReadMessages(TempFile("empty.bin", ""), DRO_CTX_NONE, DRO2_PLAIN | DRO2_WHOLE);
    ASSERT_EQ(empty.msgs.size(), 1u);
    EXPECT_EQ(empty.msgs[0].data, "");
}

TEST(PlainFiles, DelimitedMessages)
{
    /* lines by default, with and without a last line end; CR, NUL and
     * 0x1A kept */
    EXPECT_EQ(Plain("a\nb\r\nc\n", 0), (V{"a", "b\r", "c"}));
    EXPECT_EQ(Plain(std::string("a\nb\x1A\0c", 6), 0), (V{"a", std::string("b\x1A\0c", 4)}));
    EXPECT_EQ(Plain("a\n\nb", 0), (V{"a", "", "b"}));
    /* "\13\10": CR LF; "\\" a backslash; a decimal code */
    EXPECT_EQ(Plain("one\r\ntwo\r\nthree", 0, "", "\\13\\10"), (V{"one", "two"}));
    EXPECT_EQ(Plain("a\\b|c\\d|", 0, "", "|"), (V{"a\\b", "c\\d"}));
    EXPECT_EQ(Plain("x;y;z", 0, "", "\\59"), (V{"x", "y"}));
    /* start and end, text between messages skipped, in or out */
    std::string xml = "junk<m>1</m>\nmore<m>2</m>tail";
    EXPECT_EQ(Plain(xml, 0, "<m>", "</m>"), (V{"1", "2"}));
    EXPECT_EQ(Plain(xml, DRO2_INCLUDE, "<m>", "</m>"), (V{"<m>1</m>", "<m>2</m>"}));
    /* brackets balance: a delimiter inside brackets does not count */
    EXPECT_EQ(Plain("{a,{b}}{c}", 0, "{", "}"), (V{"a,{b}", "c"}));
    EXPECT_EQ(Plain("f(x\ny)\nz\n", 0), (V{"f(x\ny)", "z"}));
    EXPECT_EQ(Plain("[1,2];[3];", 0, "", ";"), (V{"[1,2]", "[3]"}));
    /* an end delimiter other than a line end: text after the last is ignored */
    EXPECT_EQ(Plain("a|b|c", 0, "", "|"), (V{"a", "b"}));
    /* messages that cross the reader's buffer */
    std::string big(250000, 'x');
    EXPECT_EQ(Plain("<m>" + big + "</m><m>y</m>", 0, "<m>", "</m>"), (V{big, "y"}));
}

TEST(PlainFiles, OptionTexts)
{
    struct Case {
        uint32_t options, options2;
        const char *start, *end;
        const char *error;
    } const cases[] = {
        {DRO_CTX_SETALL, 0, "", "", "A non-DRASK file should be loaded with either DEFAULT or NO context.\n"},
        {DRO_CTX_PASSID, 0, "", "", "A non-DRASK file should be loaded with either DEFAULT or NO context.\n"},
        {DRO_CTX_DEFAULT, DRO2_WHOLE, "<", "", "Reading entire file does not require message delimiters.\n"},
        {DRO_CTX_DEFAULT, 0, "|", "|", "Message delimiters are the same.\n"},
        {DRO_CTX_DEFAULT, 0, "", "\\256", "Message delimiter character code must be between 0 and 255.\n"},
        {DRO_CTX_DEFAULT, 0, "", "\\99999999999", "Message delimiter character code must be between 0 and 255.\n"},
        {DRO_CTX_DEFAULT, 0, "\\x", "", "Unrecognised Message delimiter character code.\n"},
        {DRO_CTX_DEFAULT, 0, "a\\", "", "Unrecognised Message delimiter character code.\n"},
        {DRO_CTX_DEFAULT, 0, "<", "]", "Unmatched Message delimiter ']' bracket.\n"},
        {DRO_CTX_DEFAULT, 0, "(", "", "Unmatched Message delimiter brackets.\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.error);
        XRead r = ReadMessages(TempFile("opt.bin", "a\nb\n"), c.options, DRO2_PLAIN | c.options2, c.start, c.end);
        EXPECT_EQ(r.rc, DRC_OPTIONS);
        EXPECT_EQ(r.error, c.error);
    }
    XRead ok = ReadMessages(TempFile("opt.bin", "a\nb\n"), DRO_CTX_NONE, DRO2_PLAIN);
    EXPECT_EQ(ok.rc, 0);
    EXPECT_EQ(ok.msgs.size(), 2u);
}
