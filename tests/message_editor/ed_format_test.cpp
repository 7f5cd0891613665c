/* Messages and formats: the default descriptor's bytes, the default
 * header of every format the user can pick (in 850 and 546 as it stands,
 * converted for other code pages and byte orders), a format without a
 * header, the structure conversion itself, and the engine's hooks that
 * reach these calls. */
#include "edtest.h"
#include "fmtint.h"
#include "structconv.h"
#include "cscodepage.h"
#include "mqengine.h"
#include "wirelibs.h"

struct EdFormat : EdFixture {};

static int32_t Le32(const unsigned char *p) { return (int32_t)FmtRd32(p, 546); }

TEST_F(EdFormat, TheDefaultDescriptor)
{
    EdSetDefaultDescriptor(&d, "MQSTR   ", 0, 0);
    ASSERT_EQ(ed->descriptor.length, 364u);
    const unsigned char *md = ed->descriptor.data;
    EXPECT_EQ(std::string((const char *)md, 4), "MD  ");
    struct { uint32_t at; int32_t value; } ints[] = {
        { 4, 2 }, { 8, 0 }, { 12, 8 }, { 16, -1 }, { 20, 0 }, { 24, 546 }, { 28, 850 }, { 40, -1 },
        { 44, 2 }, { 96, 0 }, { 272, 0 }, { 348, 1 }, { 352, 0 }, { 356, 0 }, { 360, -1 } };
    for (auto &i : ints)
        EXPECT_EQ(Le32(md + i.at), i.value) << "offset " << i.at;
    EXPECT_EQ(std::string((const char *)md + 32, 8), "MQSTR   ");
    EXPECT_EQ(std::string((const char *)md + 276, 44), std::string(44, ' '));
    for (uint32_t at : { 48u, 72u, 100u, 148u, 196u, 208u, 240u, 320u, 324u })
        EXPECT_EQ(md[at], 0) << "offset " << at;
    /* the location's defaults, and given values over them */
    qms->encoding = 273;
    qms->ccsid = 500;
    EdSetDefaultDescriptor(&d, "MQSTR   ", 0, 0);
    EXPECT_EQ(Le32(ed->descriptor.data + 24), 273);
    EXPECT_EQ(Le32(ed->descriptor.data + 28), 500);
    EdSetDefaultDescriptor(&d, "MQSTR   ", 1208, 546);
    EXPECT_EQ(Le32(ed->descriptor.data + 24), 546);
    EXPECT_EQ(Le32(ed->descriptor.data + 28), 1208);
}

/* IBM MQ's published initial values past the chaining fields, as bytes
 * at their offsets: a 32-bit integer, or blanks. */
struct Published {
    uint32_t at;
    std::string bytes;
};
static std::string I(int32_t v) { return std::string((const char *)&v, 4); }
static std::string B(size_t n) { return std::string(n, ' '); }

TEST_F(EdFormat, EveryFormatGetsItsHeader)
{
    static const struct { const char *format; const char *title; std::vector<Published> published; } rows[] = {
        { "MQADMIN ", "Generic Admin PCF Header (MQCFH)", { { 8, I(1) }, { 16, I(1) }, { 20, I(1) } } },
        { "MQCICS  ", "CICS Information Header (MQCIH)",
          { { 44, I(273) + I(-2) + I(1) + I(-1) }, { 84, B(80) }, { 164, I(0) } } },
        { "MQDEAD  ", "Dead Letter Queue Header (MQDLH)", { { 108, I(0) + I(0) + B(8) } } },
        { "MQHDIST ", "Distribution List Header (MQDH)", { { 20, B(8) } } },
        { "MQHEPCF ", "Embedded PCF Header (MQEPH)", { { 32, I(1) + I(36) + I(3) + I(0) + I(1) + I(1) } } },
        { "MQEVENT ", "Generic Event Header (MQCFH)", { { 0, I(7) }, { 16, I(1) + I(1) } } },
        { "MQIMS   ", "IMS Information Header (MQIIH)", { { 32, B(32) }, { 80, " 0C " } } },
        { "MQHMDE  ", "Message Descriptor Extension (MQMDE)", { { 12, I(546) }, { 56, I(1) + I(0) + I(0) + I(-1) } } },
        { "MQPCF   ", "Generic PCF Header (MQCFH)", { { 16, I(1) + I(1) } } },
        { "MQHRF   ", "Rules and Formatting (MQRFH)", { { 12, I(546) } } },
        { "MQHRF2  ", "Rules and Formatting (MQRFH2)", { { 12, I(546) + I(-2) }, { 32, I(1208) } } },
        { "MQTRIG  ", "Trigger Message (MQTM)", { { 4, I(1) } } },
        { "MQHWIH  ", "Work Information Header (MQWIH)", { { 32, B(40) }, { 88, B(32) } } },
        { "MQXMIT  ", "Transmission Queue Header (XQH)",
          { { 104, "MD  " + I(1) + I(0) + I(8) + I(-1) + I(0) + I(546) + I(0) + B(8) + I(-1) + I(2) } } },
    };
    FmtLayoutAll();
    for (auto &r : rows) {
        FmtStructDef *def = EdHeaderForFormat(r.format);
        ASSERT_NE(def, nullptr) << r.format;
        EXPECT_STREQ(def->title, r.title);
        Load(EdDescriptor(r.format), Bytes());
        rec.commands.clear();
        ASSERT_TRUE(EdSetMessageFormat(&d)) << r.format;
        EXPECT_EQ(ed->data.length, def->size) << r.format;
        for (auto &p : r.published)
            EXPECT_EQ(std::string((const char *)ed->data.data + p.at, p.bytes.size()), p.bytes)
                << r.format << " at " << p.at;
        EXPECT_EQ(std::string((const char *)ed->descriptor.data + 32, 8), r.format);
        EXPECT_EQ(ed->cursor.buffer, &ed->data);
        EXPECT_EQ(ed->cursor.digit, 0u);
        EXPECT_FALSE(EdHasSelection(ed));
        EXPECT_EQ(rec.commands, std::vector<int>{ 955 });
        EXPECT_TRUE(d.displayFlags & DSP_FORMATTED);
        /* the header shows as its structure (a PCF header by its kind) */
        EdBuildLineData(ed, 1);
        EXPECT_GE(Find(strrchr(r.title, '(')), 0) << r.format;
    }
    EXPECT_EQ(EdHeaderForFormat("MQSTR   "), nullptr);
}

TEST_F(EdFormat, TheRulesHeaderInItsCodePage)
{
    FmtLayoutAll();
    FmtStructDef *def = &FmtDefMQRFH2;
    /* 850 and 546: the default instance as it stands */
    Load(EdDescriptor("MQHRF2  ", 850, 546), Bytes());
    ASSERT_TRUE(EdSetMessageFormat(&d));
    ASSERT_EQ(ed->data.length, def->size);
    EXPECT_EQ(0, memcmp(ed->data.data, def->defaultInstance, def->defaultLength));
    /* 500 and 785: character fields in EBCDIC, integers in normal order */
    Load(EdDescriptor("MQHRF2  ", 500, 785), Bytes());
    ASSERT_TRUE(EdSetMessageFormat(&d));
    const unsigned char *p = ed->data.data;
    EXPECT_EQ(0, memcmp(p, "\xD9\xC6\xC8\x40", 4));          /* "RFH " */
    EXPECT_EQ(FmtRd32(p + 4, 1), 2u);                        /* Version */
    EXPECT_EQ(FmtRd32(p + 8, 1), Le32(def->defaultInstance + 8) + 0u);
    EXPECT_EQ(FmtRd32(p + 12, 1), 546u);                     /* Encoding of what follows */
    EXPECT_EQ(0, memcmp(p + 20, "\x40\x40\x40\x40\x40\x40\x40\x40", 8));   /* Format */
    EXPECT_EQ(FmtRd32(p + 32, 1), 1208u);                    /* NameValueCCSID */
    EXPECT_EQ(Le32(ed->descriptor.data + 28), 500);
}

TEST_F(EdFormat, AFormatWithoutHeaderGetsAnEmptyBody)
{
    Load(EdDescriptor("MYAPP   "), EdTextLines(3));
    ASSERT_TRUE(EdSetMessageFormat(&d));
    EXPECT_EQ(ed->data.length, 0u);
    EXPECT_EQ(std::string((const char *)ed->descriptor.data + 32, 8), "MYAPP   ");
    /* no descriptor at all: string defaults first */
    Load(std::vector<unsigned char>(), std::vector<unsigned char>());
    ASSERT_TRUE(EdSetMessageFormat(&d));
    EXPECT_EQ(ed->descriptor.length, 364u);
    EXPECT_EQ(std::string((const char *)ed->descriptor.data + 32, 8), "MQSTR   ");
    EXPECT_EQ(ed->data.length, 0u);
    /* the data area received the new descriptor */
    EXPECT_EQ(area.Buffer(ATTR_MSGDESCRIPTOR)->length, 364u);
    EXPECT_EQ(0, memcmp(PCFMsgBufBytes(area.Buffer(ATTR_MSGDESCRIPTOR)), ed->descriptor.data, 364));
}

TEST_F(EdFormat, StructConvertFieldsTurnsCharactersAndByteOrder)
{
    FmtLayoutAll();
    unsigned char dlh[172];
    memset(dlh, 0, sizeof dlh);
    memcpy(dlh, FmtDefMQDLH.defaultInstance, FmtDefMQDLH.defaultLength);
    memcpy(dlh + 12, "TARGET.Q", 8);
    dlh[8] = 0x25;                                           /* Reason 2085 in 546 */
    dlh[9] = 0x08;
    unsigned char *p = dlh;
    EXPECT_EQ(StructConvertFields(&FmtDefMQDLH, &p, sizeof dlh, 850, 546, 500, 785), 0);
    EXPECT_EQ(p, dlh + FmtDefMQDLH.size);
    EXPECT_EQ(0, memcmp(dlh, "\xC4\xD3\xC8\x40", 4));        /* "DLH " */
    EXPECT_EQ(FmtRd32(dlh + 4, 1), 1u);
    EXPECT_EQ(FmtRd32(dlh + 8, 1), 2085u);
    EXPECT_EQ(0, memcmp(dlh + 12, "\xE3\xC1\xD9\xC7\xC5\xE3\x4B\xD8", 8));
    /* and back */
    p = dlh;
    EXPECT_EQ(StructConvertFields(&FmtDefMQDLH, &p, sizeof dlh, 500, 785, 850, 546), 0);
    EXPECT_EQ(0, memcmp(dlh, "DLH ", 4));
    EXPECT_EQ(Le32(dlh + 8), 2085);
    /* a length that ends inside a field stops before it */
    p = dlh;
    EXPECT_EQ(StructConvertFields(&FmtDefMQDLH, &p, 10, 850, 546, 850, 273), 0);
    EXPECT_EQ(p, dlh + 8);
    /* a character the target cannot hold ends the walk with its code */
    unsigned char bad[8] = { 'M', 'D', 'E', ' ', 2, 0, 0, 0 };
    bad[1] = 0xFE;
    p = bad;
    EXPECT_NE(StructConvertFields(&FmtDefMQMDE, &p, sizeof bad, 850, 546, 37, 785), 0);
}

TEST_F(EdFormat, TheEngineReachesTheEditorThroughItsHooks)
{
    MQEResetHooks();
    EdHost host = edHost;
    EdClipboardHost board = edClipboard;
    EdChoiceHost choice = edChoice;
    EdFindHost find = edFind;
    WireLibraries();
    edHost = host, edClipboard = board, edChoice = choice, edFind = find;   /* the recorders stay the hosts */
    Load(EdDescriptor("MQHRF2  "), EdTextLines(3));
    memset(ed->formatName, 0, sizeof ed->formatName);
    MQEHooks.setFormatName(&d);
    EXPECT_STREQ(ed->formatName, "MQHRF2  ");
    EdKeepSavedData(ed);                                /* as every change of the data does */
    ed->data.data[0] = 'L';
    rec.answer = 0;
    EXPECT_EQ(MQEHooks.confirmDiscard(&d), 1);          /* declined: the edits stay */
    EXPECT_EQ(rec.questions.size(), 1u);
    edHost.confirm = nullptr;
    EXPECT_EQ(MQEHooks.confirmDiscard(&d), 1);          /* no host to ask: the edits stay */
    EXPECT_EQ(rec.questions.size(), 1u);
    ASSERT_EQ(MQEHooks.setMessageFormat(&d), 1);
    EXPECT_EQ(ed->data.length, EdHeaderForFormat("MQHRF2  ")->size);
    ASSERT_EQ(MQEHooks.setGenericFormat(&d, "MQSTR   ", 0, 0), 1);
    EXPECT_EQ(ed->data.length, 0u);
    EXPECT_EQ(std::string((const char *)ed->descriptor.data + 32, 8), "MQSTR   ");
}
