/* Header stripping: the dead-letter header's encoding, character set,
 * format and put fields into the descriptor (little- and big-endian,
 * ASCII and EBCDIC), then a transmission queue header's descriptor in
 * place of the message's, each only when the data holds the whole header
 * with its identifier; and the real dead-letter sample loaded stripped. */
#include "xferengine.h"

#include <algorithm>
#include <cstring>

#include "cs.h"

namespace {

template <typename T> void Put32(T *field, int32_t v, bool big)
{
    uint32_t u = (uint32_t)v;
    if (big)
        u = (u >> 24) | ((u >> 8) & 0xFF00) | ((u << 8) & 0xFF0000) | (u << 24);
    memcpy(field, &u, 4);
}

std::string Ebcdic(const char *text, size_t n)
{
    std::string s(text, n);
    for (char &c : s)
        c = (char)CSAsciiToEbcdic[(uint8_t)c];
    return s;
}

/* A dead-letter header in the encoding and code page of the descriptor. */
std::string Dlh(const char *format, int32_t encoding, int32_t ccsid, bool big, bool ebcdic)
{
    MQDLH d = {MQDLH_DEFAULT};
    Put32(&d.Version, 1, big);
    Put32(&d.Reason, 2051, big);
    Put32(&d.Encoding, encoding, big);
    Put32(&d.CodedCharSetId, ccsid, big);
    Put32(&d.PutApplType, 11, big);
    memcpy(d.Format, format, 8);
    Fill(d.PutApplName, sizeof d.PutApplName, "dead letter handler");
    memcpy(d.PutDate, "20240301", 8);
    memcpy(d.PutTime, "12345678", 8);
    std::string s((const char *)&d, sizeof d);
    if (ebcdic)
        for (size_t off : {offsetof(MQDLH, StrucId), offsetof(MQDLH, Format), offsetof(MQDLH, PutApplName),
                           offsetof(MQDLH, PutDate), offsetof(MQDLH, PutTime)}) {
            size_t n = off == offsetof(MQDLH, StrucId) ? 4 : off == offsetof(MQDLH, PutApplName) ? 28 : 8;
            s.replace(off, n, Ebcdic(s.data() + off, n));
        }
    return s;
}

struct Stripped {
    MQMD md;
    std::string data;
};

Stripped Strip(const MQMD &md, const std::string &data)
{
    DROPT *o = (DROPT *)CSGetMem(sizeof(DROPT), "DROPT");
    DraskInit(o);
    o->md = md;
    EXPECT_EQ(DraskReserve(o, data.size() + 1), 0);
    memcpy(o->msg, data.data(), data.size());
    o->msgLength = (uint32_t)data.size();
    DraskStripHeaders(o);
    Stripped s = {o->md, std::string((const char *)o->msg + o->dataStart, o->msgLength - o->dataStart)};
    DraskFreeBuffers(o);
    CSFreeMem(o);
    return s;
}

MQMD Descriptor(const char *format, int32_t encoding, int32_t ccsid)
{
    MQMD md = DefaultMD();
    memcpy(md.Format, format, 8);
    md.Encoding = encoding;
    md.CodedCharSetId = ccsid;
    return md;
}

} // namespace

TEST(HeaderStripping, DeadLetterHeaderInEveryEncoding)
{
    struct Case {
        int32_t encoding, ccsid;
        bool big, ebcdic;
    } const cases[] = {{546, 819, false, false}, {273, 819, true, false}, {785, 500, true, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ccsid);
        std::string data = Dlh("MQSTR   ", 273, 37, c.big, c.ebcdic) + "body";
        Stripped s = Strip(Descriptor("MQDEAD  ", c.encoding, c.ccsid), data);
        EXPECT_EQ(s.data, "body");
        EXPECT_EQ(s.md.Encoding, 273);
        EXPECT_EQ(s.md.CodedCharSetId, 37);
        EXPECT_EQ(s.md.PutApplType, 11);
        EXPECT_EQ(std::string(s.md.Format, 8), "MQSTR   ");
        EXPECT_EQ(std::string(s.md.PutApplName, 19), "dead letter handler");
        EXPECT_EQ(std::string(s.md.PutDate, 8) + std::string(s.md.PutTime, 8), "2024030112345678");
    }
    /* no header: short data, another identifier, another format */
    std::string dlh = Dlh("MQSTR   ", 546, 819, false, false);
    for (const std::string &data : {dlh.substr(0, 171), "XYZ " + dlh.substr(4)}) {
        Stripped s = Strip(Descriptor("MQDEAD  ", 546, 819), data);
        EXPECT_EQ(s.data, data);
        EXPECT_EQ(std::string(s.md.Format, 8), "MQDEAD  ");
    }
    EXPECT_EQ(Strip(Descriptor("MQSTR   ", 546, 819), dlh).data, dlh);
}

TEST(HeaderStripping, TransmissionHeaderAfterADeadLetterHeader)
{
    for (bool big : {false, true}) {
        for (bool ebcdic : {false, true}) {
            SCOPED_TRACE(std::to_string(big) + std::to_string(ebcdic));
            MQXQH x = {MQXQH_DEFAULT};
            Fill(x.RemoteQName, sizeof x.RemoteQName, "REMOTE.Q");
            MQMD1 inner = {MQMD1_DEFAULT};
            memcpy(inner.Format, MQFMT_STRING, 8);
            Fill(inner.ReplyToQ, sizeof inner.ReplyToQ, "THE.REPLY");
            Fill(inner.PutApplName, sizeof inner.PutApplName, "sender");
            inner.Priority = 7;
            inner.CodedCharSetId = 1208;
            memcpy(&x.MsgDesc, &inner, sizeof inner);
            std::string xqh((const char *)&x, sizeof x);
            if (big)
                for (size_t off : {offsetof(MQXQH, MsgDesc) + offsetof(MQMD1, Version),
                                   offsetof(MQXQH, MsgDesc) + offsetof(MQMD1, Priority),
                                   offsetof(MQXQH, MsgDesc) + offsetof(MQMD1, CodedCharSetId)})
                    std::reverse(xqh.begin() + (long)off, xqh.begin() + (long)off + 4);
            if (ebcdic)
                for (auto f : {std::make_pair(offsetof(MQXQH, StrucId), 4),
                               std::make_pair(offsetof(MQXQH, MsgDesc) + offsetof(MQMD1, Format), 8),
                               std::make_pair(offsetof(MQXQH, MsgDesc) + offsetof(MQMD1, ReplyToQ), 48),
                               std::make_pair(offsetof(MQXQH, MsgDesc) + offsetof(MQMD1, PutApplName), 28)})
                    xqh.replace(f.first, (size_t)f.second, Ebcdic(xqh.data() + f.first, (size_t)f.second));
            int32_t enc = big ? 273 : 546, ccsid = ebcdic ? 500 : 819;
            std::string data = Dlh("MQXMIT  ", enc, ccsid, big, ebcdic) +
                               xqh + "payload";
            Stripped s = Strip(Descriptor("MQDEAD  ", enc, ccsid), data);
            EXPECT_EQ(s.data, "payload");
            EXPECT_EQ(s.md.Version, 1);
            EXPECT_EQ(s.md.Priority, 7);
            EXPECT_EQ(s.md.CodedCharSetId, 1208);
            EXPECT_EQ(std::string(s.md.Format, 8), "MQSTR   ");
            EXPECT_EQ(std::string(s.md.ReplyToQ, 9), "THE.REPLY");
            EXPECT_EQ(std::string(s.md.PutApplName, 6), "sender");
        }
    }
}

TEST_F(Transfer, DeadLetterSampleLoadedStripped)
{
    std::string file = TempDir() + "/dlq.drask";
    DROPT *o = Block();
    strcpy(o->inFile, SamplePath("amqsbcg/yukun-blog__websphere-mq-dead-letter.amqsbcg.txt").c_str());
    strcpy(o->targetQ, "Q1");
    o->options |= DRO_STRIP;
    ASSERT_EQ(Run(o), 0) << LastText();
    std::vector<XMsg> got = Browse("Q1");
    ASSERT_EQ(got.size(), 1u);
    std::string raw = ReadAll(SamplePath("mq-messages/yukun-blog_DLH_enc546_reason2051.bin"));
    EXPECT_EQ(got[0].data, raw.substr(172));
    EXPECT_EQ(std::string(got[0].md.Format, 8), "MQSTR   ");
    EXPECT_EQ(got[0].md.CodedCharSetId, 819);
    EXPECT_EQ(std::string(got[0].md.PutApplName, 8), "amqrmppa");
    EXPECT_EQ(std::string(got[0].md.PutDate, 8), "20130114");
}
