/* The "CLN:" block: client-channel values read into the location's data
 * area, written from it and read back equal; hand-written forms and
 * damaged counts. */
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cfgfile.h"
#include "cfgtest.h"
#include "cs.h"
#include "dialogs.h"
#include "mqi.h"
#include "wirelibs.h"

namespace {

const std::string Block =
    std::string("AP:\nQM:QMC \"client\" 11 940\ncln=\"APP.SVRCONN\"\n\nCLN:\n"
    " 3501=\"APP.SVRCONN\"\n 3506=\"host1(1414),host2(1415)\"\n 1501=2\n 1563=300\n"
    " 3510=2\n\"sendexit1\"\n\"send exit 2  \"\n 3511=rcvexit\n 1575=2 0 8\n 9999=3\n\"x\"\n\"y\"\n\"z\"\n"
    " 3544=\"TLS_RSA_WITH_AES_128_CBC_SHA256\"\n 3513=\"") + std::string(200, 'd') + "\"\n\nMQS:\n\"DISPLAY QMGR\"\n";

/* The "CLN:" lines a location's area writes. */
std::string Lines(QMS *q)
{
    PRFOUT out;
    PrfOutOpen(&out, nullptr);                 /* kept in memory */
    SaveObject(&out, (const uint8_t *)q->clientSettings, &PCFClientChannelDef);
    std::string text(out.data ? out.data : "", out.length);
    PrfOutClose(&out);
    return text;
}

QMS *ReadOne(const std::string &text)
{
    WireLibraries();                   /* the store frees the areas read */
    cfgtest::ClearLocations();
    CfgReadText(text.data(), text.size(), &LocTree);
    return LocFind("QMC");
}

TEST(ClientBlock, ReadWriteReadGivesEqualValues)
{
    QMS *q = ReadOne(Block);
    ASSERT_NE(q, nullptr);
    ASSERT_NE(q->clientSettings, nullptr);
    uint8_t *a = (uint8_t *)q->clientSettings;
    PCFFieldEntry *recv = PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, MQCACH_RCV_EXIT_NAME);
    PCFFieldEntry *hdr = PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, MQIACH_HDR_COMPRESSION);
    PCFFieldEntry *scy = PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, MQCACH_SEC_EXIT_USER_DATA);
    char b[300];
    EXPECT_STREQ(PCFValueText(a, recv, 0, b, sizeof b, 1), "rcvexit");        /* a bare single item */
    EXPECT_EQ((PCFRecIntList(a + hdr->offset))->count, 2);
    EXPECT_EQ(strlen(PCFValueText(a, scy, 0, b, sizeof b, 1)), 32u);         /* cut to the field */
    EXPECT_EQ(PCFGetIntValue(nullptr, &PCFClientChannelDef, a, MQIACH_HB_INTERVAL, nullptr), 300);
    std::string first = Lines(q);
    EXPECT_NE(first.find(" 3506=\"host1(1414),host2(1415)\"\n"), std::string::npos);
    EXPECT_NE(first.find(" 3510=2\n\"sendexit1\"\n\"send exit 2\"\n"), std::string::npos);
    EXPECT_NE(first.find(" 1575=2 0 8\n"), std::string::npos);
    EXPECT_EQ(first.find("9999"), std::string::npos);                        /* unknown: left out */
    EXPECT_EQ(q->mqscCommands.count, 1);                                     /* the block that follows */

    /* the whole location written and read again */
    FILE *f = tmpfile();
    CfgFileWriteLocation(q, f);
    std::string text(8192, '\0');
    rewind(f);
    text.resize(fread(&text[0], 1, text.size(), f));
    fclose(f);
    std::string second = "AP:\n" + text;
    CSTREE *other = nullptr;
    CfgReadText(second.data(), second.size(), &other);
    QMS *again = (QMS *)CSTreeFirst(other);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Lines(again), first);
    uint8_t *b2 = (uint8_t *)again->clientSettings;
    for (PCFFieldEntry *e = PCFClientChannelDef.fields; e->field; e++) {
        char x[1100], y[1100];
        EXPECT_STREQ(PCFValueText(a, e, 1, x, sizeof x, 0), PCFValueText(b2, e, 1, y, sizeof y, 0)) << e->field->title;
    }
    LocDelete(&other, again, nullptr);
    cfgtest::ClearLocations();
}

TEST(ClientBlock, ValuesFromAReplyAreWrittenToo)
{
    /* a channel table or a queue manager gives values marked received */
    MQLONG h[9] = { MQCFT_RESPONSE, 36, 1, MQCMD_INQUIRE_CHANNEL, 1, MQCFC_LAST, 0, 0, 2 };
    std::string reply((const char *)h, sizeof h);
    MQLONG name[5] = { MQCFT_STRING, 40, MQCACH_CHANNEL_NAME, 0, 20 };
    reply.append((const char *)name, sizeof name).append("TO.QM1              ");
    MQLONG hb[4] = { MQCFT_INTEGER, 16, MQIACH_HB_INTERVAL, 60 };
    reply.append((const char *)hb, sizeof hb);
    QMS location = {};
    uint8_t *area = PCFNewData(&PCFClientChannelDef, "CLIENT");
    PCFSetDialogData(nullptr, &location, &PCFClientChannelDef, area, 0, (const uint8_t *)reply.data(),
                     (uint32_t)reply.size(), nullptr);
    location.clientSettings = area;
    std::string lines = Lines(&location);
    EXPECT_NE(lines.find(" 3501=\"TO.QM1\"\n"), std::string::npos);
    EXPECT_NE(lines.find(" 1563=60\n"), std::string::npos);
    PCFFreeData(&PCFClientChannelDef, area, 1);
}

/* The channel password of an older file (or of an imported table, whose
 * own copy is enciphered) reaches the area but is never written back. */
TEST(ClientBlock, PasswordIsReadButNotWritten)
{
    QMS *q = ReadOne("AP:\nQM:QMC \"c\" 11 940\n\nCLN:\n 3501=\"C\"\n 3518=\"s3cret\"\n 3517=\"appuser\"\n");
    ASSERT_NE(q, nullptr);
    PCFFieldEntry *pwd = PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, MQCACH_PASSWORD);
    ASSERT_NE(pwd, nullptr);
    char b[100];
    EXPECT_STREQ(PCFValueText((uint8_t *)q->clientSettings, pwd, 0, b, sizeof b, 1), "s3cret");
    std::string lines = Lines(q);
    EXPECT_EQ(lines.find("3518"), std::string::npos);
    EXPECT_EQ(lines.find("s3cret"), std::string::npos);
    EXPECT_NE(lines.find(" 3517=\"appuser\"\n"), std::string::npos);    /* the user id stays */
    cfgtest::ClearLocations();
}

TEST(ClientBlock, DamagedCountsStayBounded)
{
    for (const char *lines : { " 3510=99999999999\n\"a\"\n", " 1575=40000 1 2\n", " 3510=3\n\"only\"\n",
                               " 1575=2 5\n", " 3510=\n", " 3506", " =\"x\"\n 3501=\"C\"\n" }) {
        std::string text = std::string("AP:\nQM:QMC \"c\" 11 940\n\nCLN:\n") + lines;
        QMS *q = ReadOne(text);
        ASSERT_NE(q, nullptr) << lines;
        Lines(q);
    }
    cfgtest::ClearLocations();
}

}  // namespace
