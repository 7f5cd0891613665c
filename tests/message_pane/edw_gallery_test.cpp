/* Pictures of the pane for the gallery: a descriptor with a rules header
 * and its XML, a PCF response with groups, the raw hex view and an EBCDIC
 * message, each with the cursor in a field and a selection. */
#include <gtest/gtest.h>
#include "edhost.h"
#include "tkharness.h"
#include "prfdata.h"
#include "cscodepage.h"

static const struct { int slot; COLORREF colour; } galleryColours[] = {
    { CLR_EDIT_BACK, RGB(0xFF, 0xFF, 0xFF) }, { CLR_EDIT_TEXT, RGB(0x20, 0x20, 0x20) },
    { CLR_TITLES_BACK, RGB(0xDD, 0xE8, 0xF8) }, { CLR_TITLES_TEXT, RGB(0x10, 0x30, 0x80) },
    { CLR_BASE_BACK, RGB(0xF4, 0xF4, 0xE4) }, { CLR_BASE_TEXT, RGB(0x00, 0x40, 0x00) },
    { CLR_CURRENT_BACK, RGB(0xD8, 0xF4, 0xD0) }, { CLR_CURRENT_TEXT, RGB(0x00, 0x00, 0x00) },
    { CLR_HEADER_BACK, RGB(0xF8, 0xD8, 0xD8) }, { CLR_HEADER_TEXT, RGB(0x90, 0x00, 0x00) },
};

struct PaneGallery : ::testing::Test {
    EdHostDialog &host = SharedHost();
    void Resize(int height)
    {
        RECT r = { 0, 0, 900, height };
        AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, TRUE);
        SetWindowPos(host.window, NULL, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
        PumpWith(&host);
    }
    void SetUp() override
    {
        Resize(900);
        ResetHost(host);
        for (auto &c : galleryColours) {
            Prf.colours[c.slot] = c.colour;
            Prf.colourKnown[c.slot] = 2;
        }
    }
    void TearDown() override
    {
        for (auto &c : galleryColours)
            Prf.colourKnown[c.slot] = 0;
        Resize(600);
    }
    PCFDATA *ed() { return host.ed; }
    /* a selection from the line's value across some lines, the cursor at
     * its end inside a field, top lines above it; the picture */
    void Shot(const char *name, int32_t line, int across, int above = 8)
    {
        ASSERT_GE(line, 0) << name;
        LINEDATA *l = EdGetLine(ed(), line);
        int32_t vc = l->valueColumn;
        EdMoveCursor(ed(), 0, 0, MC_GOTO, vc + 1, line);
        EdMoveCursor(ed(), 0, 0, MC_EXTEND_TO, EdGetLine(ed(), line + across)->valueColumn + 3, line + across);
        EdSetTop(ed(), line > above ? line - above : 0);
        SendMessageA(host.pane, UM_PANE_REFORMAT, 0, 0);
        SetFocus(host.pane);
        UpdateWindow(host.window);
        EXPECT_TRUE(GalleryShot(host.window, name)) << name;

    }
};

TEST_F(PaneGallery, RulesHeaderWithXml)
{
    Bytes body = BuildRfh2(true, "MQSTR   ", { "<mcd><Msd>jms_text</Msd></mcd>",
                                            "<jms><Dst>queue:///APP.QUEUE</Dst><Pri>4</Pri></jms>",
                                            "<usr><colour>blue</colour><size dt='i4'>7</size></usr>" });
    body.Raw("<order><item sku=\"A17\">pencil</item><qty>12</qty></order>", 56);
    host.d->viewWords[0] = 2 | VW_FORMATTED | VW_SHOW_MD | LR_XML_DETECT;
    host.Load(BuildMD(true, 2, "MQHRF2  ", 546, 1208), body);
    Shot("message_pane_rfh2_xml", EdFindLine(ed(), "blue"), 2, 45);
}

TEST_F(PaneGallery, PcfResponseWithGroups)
{
    const BuiltMessage *m = nullptr;
    static std::vector<BuiltMessage> all = BuiltMessages();
    for (auto &b : all)
        if (b.name == "pcf_response_groups")
            m = &b;
    ASSERT_NE(m, nullptr);
    host.Load(BuildMD(true, 2, "MQADMIN ", 546, 850), m->body);
    Shot("message_pane_pcf_groups", EdFindLine(ed(), "Parameter Id"), 2, 2);
}

TEST_F(PaneGallery, RawHexView)
{
    Bytes body = BuildRfh2(true, "MQSTR   ", { "<usr><colour>blue</colour></usr>" });
    body.Raw("A message shown as its bytes, sixteen to a line and more.", 57);
    host.d->viewWords[0] = 3 | VW_RAW_BYTES | LR_HEX_GROUP_BLANK;
    host.Load(BuildMD(true, 2, "MQHRF2  ", 546, 1208), body);
    Shot("message_pane_raw_hex", 2, 1);
}

TEST_F(PaneGallery, EbcdicMessage)
{
    std::string text = "EBCDIC TEXT FROM THE HOST\nPAYROLL RUN 2024-01-31 COMPLETE\nRECORDS: 1200\n";
    for (int i = 0; i < 20; i++)
        text += "DETAIL LINE " + std::to_string(i + 1) + " ACCOUNT 00" + std::to_string(4711 + i) + "\n";
    std::vector<unsigned char> body(text.begin(), text.end());
    for (unsigned char &c : body)
        if (c == '\n')
            c = 0x25;                                   /* the EBCDIC line feed */
        else
            CSConvertCodepage(&c, 1, 850, 500, nullptr, nullptr);
    host.Load(BuildMD(true, 2, "MQSTR   ", 785, 500).b, body);
    int32_t line = EdFindLine(ed(), "\xD7\xC1\xE8\xD9\xD6\xD3\xD3");    /* "PAYROLL" in 500 */
    EXPECT_EQ(EdGetLine(ed(), line)->ccsid, 500u);
    Shot("message_pane_ebcdic", line, 2, 28);
}
