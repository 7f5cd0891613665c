/* Structure-aware editing: the "<AMP>" and "<RMP>" contents per cursor
 * position, headers added and removed with the chain rewritten, PCF
 * parameters counted in every kind of PCF header and in groups, list
 * elements with their padding, an MQEPH's length following its PCF, XML
 * sections in an MQRFH2, and new integers in the message's byte order. */
#include "edtest.h"
#include "edstruct.h"
#include "fmtint.h"
#include "edprop.h"
#include "prfdata.h"

struct EdStruct : EdFixture {
    void SetUp() override
    {
        EdFixture::SetUp();
        d.viewWords[0] = 3 | VW_FORMATTED | VW_SHOW_MD;
    }
    /* the cursor on the value of the first line holding the text */
    int32_t Goto(const char *piece, int column = 0)
    {
        int32_t line = Find(piece);
        EXPECT_GE(line, 0) << piece;
        if (line >= 0)
            EdMoveCursor(ed, 0, 0, MC_GOTO, Line(line)->valueColumn + column, line);
        return line;
    }
    /* the menu as text: pop-ups in braces, items by title (and command
       id), | separators */
    std::string Menu(int add, bool ids = false)
    {
        StructContext c;
        StructLocate(&c, &d);
        StructMenu m;
        if (add)
            StructBuildAddMenu(&d, &c, &m);
        else
            StructBuildRemoveMenu(&d, &c, &m);
        StructFreeContext(&c);
        std::string s;
        for (uint32_t i = 0; i < m.count; i++) {
            const StructMenuItem &it = m.items[i];
            if (it.kind == SMI_POPUP) s += std::string(it.text) + "{";
            else if (it.kind == SMI_POPUP_END) s += "}";
            else if (it.kind == SMI_SEPARATOR) s += "|";
            else s += std::string(it.text) + (ids ? "=" + std::to_string(it.id) : "") + ";";
        }
        return s;
    }
    static int Row(const char *title)
    {
        for (int i = 0; i < STRUCT_ROWS; i++)
            if (StructRowDef(i) && strcmp(StructRowTitle(i), title) == 0)
                return i;
        ADD_FAILURE() << title;
        return 0;
    }
    std::string MdFormat() { return std::string((const char *)ed->descriptor.data + 32, 8); }
    int32_t Int(uint32_t at, uint32_t encoding = 546) { return (int32_t)FmtRd32(ed->data.data + at, encoding); }
    /* walks the PCF with the MQ library's walker: the parameters, or -1 */
    int Walk(uint32_t at = 0, bool bigEndian = false)
    {
        int all;
        size_t used;
        return EdWalkPcf(ed->data.data + at, ed->data.length - at, bigEndian ? 273 : 546, &all, &used).empty() ? all
                                                                                                            : -1;
    }
};

TEST_F(EdStruct, AMessageWithoutHeadersOffersEveryHeader)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(2));
    Goto("line 00001");
    EXPECT_EQ(Menu(1), "Add Message Header{Dead Letter Queue Header (MQDLH);Transmission Queue Header (XQH);"
                       "Message Descriptor Extension (MQMDE);|PCF Header(MQCFH){PCF Header (MQCFH);"
                       "Admin Header (MQCFH);Event Header (MQCFH);Accounting Header (MQCFH);"
                       "Statistics Header (MQCFH);Trace Route (MQCFH);Application Activity Header (MQCFH);}|"
                       "Embedded PCF Header (MQEPH);Trigger Message (MQTM);Rules and Formatting (MQRFH);"
                       "Rules and Formatting (MQRFH2);|CICS Information Header (MQCIH);"
                       "IMS Information Header (MQIIH);Work Information Header (MQWIH);}");
    EXPECT_EQ(Menu(0), "");
    /* in the descriptor nothing is offered */
    Goto("Priority");
    EXPECT_EQ(Menu(1), "");
}

TEST_F(EdStruct, AddingAndRemovingAHeaderRewritesTheChain)
{
    Load(EdDescriptor("MQSTR   ", 437, 273), EdTextLines(1));
    std::vector<unsigned char> before(ed->data.data, ed->data.data + ed->data.length);
    Goto("line 00001");
    EdEditCommand(&d, SM_BEFORE + Row("Dead Letter Queue Header (MQDLH)"));
    ASSERT_EQ(ed->data.length, before.size() + 172);
    EXPECT_EQ(MdFormat(), "MQDEAD  ");
    EXPECT_EQ(memcmp(ed->data.data, "DLH ", 4), 0);
    /* the descriptor said 437 and 273: the header says so now, written in 273 */
    EXPECT_EQ(Int(108, 273), 273);
    EXPECT_EQ(Int(112, 273), 437);
    EXPECT_EQ(std::string((const char *)ed->data.data + 116, 8), "MQSTR   ");
    EXPECT_NE(Find("Dead Letter Queue Header"), -1);
    EdUndo(ed, 0);
    EXPECT_EQ(MdFormat(), "MQSTR   ");
    EXPECT_EQ(std::vector<unsigned char>(ed->data.data, ed->data.data + ed->data.length), before);
    EdRedo(ed);
    /* an MQRFH2 after it: the DLH names it, it names the body */
    Goto("Dest. Queue");
    EdEditCommand(&d, SM_AFTER + Row("Rules and Formatting (MQRFH2)"));
    EXPECT_EQ(std::string((const char *)ed->data.data + 116, 8), "MQHRF2  ");
    EXPECT_EQ(memcmp(ed->data.data + 172, "RFH ", 4), 0);
    EXPECT_EQ(std::string((const char *)ed->data.data + 172 + 20, 8), "MQSTR   ");
    /* removing the DLH between the descriptor and the MQRFH2 gives the
       descriptor what the DLH said */
    Goto("Dest. Queue");
    EXPECT_EQ(Menu(0), "Remove Structure 'Dead Letter Queue Header (MQDLH)';");
    EdEditCommand(&d, SM_REMOVE);
    EXPECT_EQ(MdFormat(), "MQHRF2  ");
    EXPECT_EQ(memcmp(ed->data.data, "RFH ", 4), 0);
    EXPECT_EQ((int32_t)FmtRd32(ed->descriptor.data + 24, 546), 273);
    EXPECT_EQ((int32_t)FmtRd32(ed->descriptor.data + 28, 546), 437);
}

TEST_F(EdStruct, NothingFollowsATriggerMessage)
{
    Load(EdDescriptor("MQSTR   "), Bytes());
    Goto("Message Data");
    EdEditCommand(&d, SM_BEFORE + Row("Trigger Message (MQTM)"));
    ASSERT_EQ(MdFormat(), "MQTRIG  ");
    Goto("Queue Name");
    std::string menu = Menu(1);
    EXPECT_EQ(menu.find("Add Message Header After"), std::string::npos) << menu;
    EXPECT_NE(menu.find("Add Message Header Before"), std::string::npos) << menu;
    /* removing it leaves no format to a header that is not there */
    EdEditCommand(&d, SM_REMOVE);
    EXPECT_EQ(ed->data.length, 0u);
    EXPECT_EQ(MdFormat(), "        ");
}

TEST_F(EdStruct, ParametersAreCountedInEveryPcfHeaderAndGroup)
{
    /* a response (Type 2) with a group holding one parameter */
    Bytes pcf = BuildPcfHeader(true, 2, 13, 1);
    CfGr(pcf, 8001, 1);
    CfIn(pcf, 20, 5);
    Load(EdDescriptor("MQADMIN "), pcf);
    ASSERT_EQ(Walk(), 2);
    int32_t header = Goto("Parm Count");
    EXPECT_EQ(Menu(0), "");                      /* it holds parameters */
    /* after the header: the header counts it */
    EdEditCommand(&d, SM_AFTER + Row("Integer (MQCFIN)"));
    EXPECT_EQ(Int(32), 2);
    EXPECT_EQ(Walk(), 3);
    /* after the parameter inside the group: the group counts it */
    int32_t value = Find(": 5 [");
    (void)header;
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(value)->valueColumn, value);
    std::string menu = Menu(1);
    EXPECT_NE(menu.find("Add Message Structure After{Integer (MQCFIN)"), std::string::npos) << menu;
    EXPECT_EQ(menu.find("Add Message Header"), std::string::npos) << menu;
    EdEditCommand(&d, SM_AFTER + Row("String (MQCFST)"));
    EXPECT_EQ(Int(32), 2);
    EXPECT_EQ(Int(36 + 16 + 12), 2);             /* the group: ParameterCount at 12 */
    EXPECT_EQ(Walk(), 4);
    EXPECT_EQ(Find("Fields not in PCF parameter count"), -1);
    /* removing one lowers its holder again */
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(value)->valueColumn, value);
    EdEditCommand(&d, SM_REMOVE);
    EXPECT_EQ(Int(36 + 16 + 12), 1);
    EXPECT_EQ(Walk(), 3);
    /* a trace-route message counts too */
    Bytes route = BuildPcfHeader(true, 10, 75, 0);
    Load(EdDescriptor("MQADMIN "), route);
    Goto("Parm Count");
    EdEditCommand(&d, SM_AFTER + Row("Integer (MQCFIN)"));
    EXPECT_EQ(Int(32), 1);
    EXPECT_EQ(Walk(), 1);
}

TEST_F(EdStruct, ABigEndianMessageGetsBigEndianStructures)
{
    Bytes pcf = BuildPcfHeader(false, 1, 13, 0);
    Load(EdDescriptor("MQADMIN ", 850, 273), pcf);
    Goto("Parm Count");
    EdEditCommand(&d, SM_AFTER + Row("Integer (MQCFIN)"));
    ASSERT_EQ(ed->data.length, 52u);
    EXPECT_EQ(memcmp(ed->data.data + 36, "\0\0\0\x03\0\0\0\x10", 8), 0);
    EXPECT_EQ(Int(32, 273), 1);
    EXPECT_EQ(Walk(0, true), 1);
}

TEST_F(EdStruct, ListElementsKeepTheirStructure)
{
    Bytes pcf = BuildPcfHeader(true, 1, 13, 2);
    pcf.I32(6).I32(24).I32(3003).I32(0).I32(0).I32(0);      /* MQCFSL, StringLength 0 */
    pcf.I32(5).I32(16).I32(1002).I32(0);                    /* MQCFIL, empty */
    Load(EdDescriptor("MQADMIN "), pcf);
    Goto("String Length");
    EXPECT_NE(Menu(1, true).find("Add array element=6002;"), std::string::npos);
    EdEditCommand(&d, SM_ELEMENT_AFTER);
    EXPECT_EQ(Int(36 + 16), 1);                  /* Count */
    EXPECT_EQ(Int(36 + 20), 1);                  /* StringLength 1 */
    EXPECT_EQ(Int(36 + 4), 28);                  /* 24 + 1, padded to 4 */
    EXPECT_EQ(ed->data.data[36 + 24], ' ');
    EXPECT_EQ(Walk(), 2);
    /* two more: 24 + 3, padded */
    Goto("String [1]");
    EXPECT_NE(Menu(1, true).find("Add array element before=6001;Add array element after=6002;"), std::string::npos);
    EdEditCommand(&d, SM_ELEMENT_AFTER);
    EdEditCommand(&d, SM_ELEMENT_BEFORE);
    EXPECT_EQ(Int(36 + 16), 3);
    EXPECT_EQ(Int(36 + 4), 28);
    EXPECT_EQ(Walk(), 2);
    /* an integer list: four bytes an element */
    Goto("Count", 0);
    int32_t count = -1;
    for (int32_t i = 0; i < ed->scroll.lineCount; i++)
        if (Text(i).find("Parameter Id : 1002") != std::string::npos)
            count = i;
    ASSERT_GE(count, 0);
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(count)->valueColumn, count);
    EdEditCommand(&d, SM_ELEMENT_AFTER);
    EdEditCommand(&d, SM_ELEMENT_AFTER);
    uint32_t il = 36 + 28;
    EXPECT_EQ(Int(il + 12), 2);
    EXPECT_EQ(Int(il + 4), 24);
    EXPECT_EQ(Walk(), 2);
    /* removing the last element moves the cursor back by one */
    int32_t second = Find("Value [2]");
    ASSERT_GE(second, 0);
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(second)->valueColumn, second);
    EXPECT_EQ(Menu(0, true), "Remove Structure 'Integer List (MQCFIL)'=6000;Remove array element=6003;");
    EdEditCommand(&d, SM_ELEMENT_REMOVE);
    EXPECT_EQ(Int(il + 12), 1);
    EXPECT_EQ(Int(il + 4), 20);
    EXPECT_EQ(ed->cursor.digit, 2 * (il + 16));
    EXPECT_EQ(Walk(), 2);
}

TEST_F(EdStruct, AnEmbeddedPcfHeadersLengthFollowsItsParameters)
{
    Bytes md = EdDescriptor("MQHEPCF ");
    Bytes eph;
    eph.Chars("EPH ", 4).I32(1).I32(68).I32(546).I32(850).Chars("MQSTR   ", 8).I32(0);
    eph.Add(BuildPcfHeader(true, 1, 13, 0));
    eph.Raw("body", 4);
    Load(md, eph);
    Goto("Parm Count");
    EdEditCommand(&d, SM_AFTER + Row("String (MQCFST)"));
    EXPECT_EQ(Int(8), 68 + 20);
    EXPECT_EQ(Int(32 + 32), 1);
    /* typing into the string grows the MQCFST and the MQEPH by 4 */
    int32_t s = Find("String  ");
    ASSERT_GE(s, 0) << Text(0);
    ed->insertMode = 1;
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(s)->valueColumn, s);
    EdCharProc(ed, 'Q');
    EXPECT_EQ(Int(8), 68 + 24);
    EXPECT_EQ(Int(68 + 4), 24);
    EXPECT_EQ(std::string((const char *)ed->data.data + ed->data.length - 4, 4), "body");
    EXPECT_EQ(Walk(32), 1);
    /* removing the parameter shrinks it back */
    Goto("String Length");
    EdEditCommand(&d, SM_REMOVE);
    EXPECT_EQ(Int(8), 68);
    EXPECT_EQ(Int(32 + 32), 0);
    EXPECT_EQ(ed->data.length, 72u);
}

TEST_F(EdStruct, AnEmbeddedPcfHeaderBelongsToItsMqeph)
{
    Bytes eph;
    eph.Chars("EPH ", 4).I32(1).I32(68).I32(546).I32(850).Chars("MQHMDE  ", 8).I32(0);
    eph.Add(BuildPcfHeader(true, 1, 13, 0));
    eph.Chars("MDE ", 4).I32(2).I32(72).I32(546).I32(850).Chars("MQSTR   ", 8).I32(0).Fill(0, 40);
    eph.Raw("body", 4);
    Load(EdDescriptor("MQHEPCF "), eph);
    /* no header goes before it, and it is not removed */
    Goto("Parm Count");
    std::string menu = Menu(1);
    EXPECT_EQ(menu.find("Header Before"), std::string::npos) << menu;
    EXPECT_EQ(Menu(0), "");
    std::vector<unsigned char> before(ed->data.data, ed->data.data + ed->data.length);
    EdEditCommand(&d, SM_BEFORE + Row("Dead Letter Queue Header (MQDLH)"));
    EdEditCommand(&d, SM_REMOVE);
    EXPECT_EQ(std::vector<unsigned char>(ed->data.data, ed->data.data + ed->data.length), before);
    /* the header after it is the MQEPH's neighbour, not its PCF header's */
    Goto("'MDE'");
    EdEditCommand(&d, SM_REMOVE);
    EXPECT_EQ(std::string((const char *)ed->data.data + 20, 8), "MQSTR   ");
    EXPECT_EQ(ed->data.length, 68u + 4);
    EXPECT_EQ(Walk(32), 0);
}

TEST_F(EdStruct, AnMqxqhBehindAnotherHeaderLeavesTheDescriptorsChain)
{
    Load(EdDescriptor("MQSTR   "), EdTextLines(1));
    Goto("line 00001");
    EdEditCommand(&d, SM_BEFORE + Row("Dead Letter Queue Header (MQDLH)"));
    Goto("Dest. Queue");
    EdEditCommand(&d, SM_AFTER + Row("Transmission Queue Header (XQH)"));
    ASSERT_EQ(std::string((const char *)ed->data.data + 116, 8), "MQXMIT  ");
    Goto("Remote Q");
    rec.answer = 1;                             /* copy its fields into the descriptor */
    EdEditCommand(&d, SM_REMOVE);
    EXPECT_EQ(MdFormat(), "MQDEAD  ");
    EXPECT_EQ(std::string((const char *)ed->data.data + 116, 8), "MQSTR   ");
    EXPECT_EQ(std::string((const char *)ed->data.data + 172, 10), "line 00001");
}

TEST_F(EdStruct, XmlSectionsGrowTheirMqrfh2)
{
    Bytes r = BuildRfh2(true, "MQSTR   ", { "<usr><a>1</a></usr>" });
    r.Raw("body", 4);
    Load(EdDescriptor("MQHRF2  "), r);
    int32_t length = Int(8);
    Goto("XML Length");
    std::string menu = Menu(1);
    EXPECT_NE(menu.find("Add Message Structure Before{XML Section;}"), std::string::npos) << menu;
    EdEditCommand(&d, SM_BEFORE + Row("XML Section"));
    EXPECT_EQ(Int(8), length + 4);
    EXPECT_EQ(Int(36), 0);
    EXPECT_EQ(std::string((const char *)ed->data.data + ed->data.length - 4, 4), "body");
    EXPECT_EQ(Find("<Message Truncated>"), -1);
    EdUndo(ed, 0);
    EXPECT_EQ(Int(8), length);
}
