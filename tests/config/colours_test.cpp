/* Colours without windows: the schemes' given cells, filling a profile's
 * missing slots, the best scheme and its ties, the repaint announcement
 * from a worker thread, and the texts of "Write" and "Convert". */
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "cfgtest.h"
#include "colours.h"
#include "colourtext.h"
#include "repaint.h"
#include "locstore.h"
#include "prffile.h"
#include "cs.h"

namespace {

uint32_t rgb(uint32_t hex)
{
    return ((hex >> 16) & 0xFF) | (hex & 0xFF00) | ((hex & 0xFF) << 16);
}

int scheme_index(const char *name)
{
    for (int i = 0; i < CLR_SCHEMES; i++)
        if (!strcmp(ColourSchemeNames[i], name))
            return i;
    return -1;
}

TEST(Colours, TheGivenCells)
{
    const struct { const char *scheme; uint32_t cells[8]; } rows[] = {
        { "ISPF", { 0xC0C0C0, 0x000000, 0xAAAAAA, 0x0000FF, 0xC0C0C0, 0xAAAAAA, 0xE0E0E0, 0xC8C8C8 } },
        { "Blue and Green", { 0xB7B7FF, 0x000000, 0xB5FFBE, 0x000000, 0xC0C0C0, 0xB5FFBE, 0x000000, 0xDDDDFF } },
        { "Coffee & Green", { 0xF3DBC5, 0x007300, 0xFCEA85, 0xEC7D04, 0xF3DBC5, 0xFCEA85, 0x007300, 0xF8E9DC } },
        { "Spring", { 0xFFFFAA, 0x009D4F, 0x00F47A, 0x0000FF, 0xFFFFAA, 0x00F47A, 0x009D4F, 0xFFFFE6 } },
        { "Inspire", { 0xE6F7FF, 0x000000, 0xD9F2FF, 0x000000, 0xD7F2FF, 0xD9F2FF, 0xD9F2FF, 0xDDF4FF } },
    };
    const int slots[8] = { 0, 1, 2, 3, 4, 9, 31, 33 };
    for (const auto &r : rows) {
        int s = scheme_index(r.scheme);
        ASSERT_GE(s, 0) << r.scheme;
        for (int i = 0; i < 8; i++)
            EXPECT_EQ(ColourScheme(s)[slots[i]], rgb(r.cells[i])) << r.scheme << " slot " << slots[i];
    }
    EXPECT_EQ(CLR_SCHEMES, 13);
    EXPECT_STREQ(ColourSchemeNames[0], "ISPF");
    EXPECT_STREQ(ColourSchemeNames[12], "Colour Pot");
}

TEST(Colours, MissingSlotsFromParentsAndTheBestScheme)
{
    uint32_t table[CLR_SLOTS];
    memset(table, 0x11, sizeof table);
    ColourApplyScheme(table, -1);                       /* no colour in the profile */
    EXPECT_EQ(0, memcmp(table, ColourScheme(0), sizeof table));
    /* colours for slots 0 to 40 only, those of "Spring" with slot 0 changed */
    int spring = scheme_index("Spring");
    memcpy(table, ColourScheme(spring), sizeof table);
    table[0] = 0x123456;
    for (int i = 41; i < CLR_SLOTS; i++)
        table[i] = 0;
    ColourApplyScheme(table, 40);
    EXPECT_EQ(table[56], 0x123456u);                    /* its parent, slot 0 */
    EXPECT_EQ(table[44], ColourScheme(spring)[44]);     /* no parent: the best scheme */
    EXPECT_EQ(table[42], table[27]);                    /* parent 27 is below k */
    uint32_t before[CLR_SLOTS];
    memcpy(before, table, sizeof table);
    ColourApplyScheme(table, 65);
    EXPECT_EQ(0, memcmp(before, table, sizeof table));
    /* the profile: what it lacks is filled, everything is known */
    Prf.colourKnown[0] = 0;
    PrfLoadText("AP:\nclr0=255 clr1=0\n", 17);
    EXPECT_EQ(Prf.colours[0], 255u);
    EXPECT_EQ(Prf.colours[4], 255u);                    /* dialog background: parent 0 */
    EXPECT_EQ(Prf.colourKnown[65], 1);
}

TEST(Colours, FindSchemeAndItsTies)
{
    uint32_t table[CLR_SLOTS] = { 0 };
    for (uint32_t &c : table)
        c = 0x00ABCDEF;                                 /* agrees with no scheme */
    EXPECT_EQ(ColourFindSchemeIn(table, 65), 0);
    /* slot 1 black is in several schemes: the earliest wins */
    table[1] = 0;
    EXPECT_EQ(ColourFindSchemeIn(table, 2), 0);
    /* field background of "Blue and Green" decides */
    table[0] = ColourScheme(2)[0];
    EXPECT_EQ(ColourFindSchemeIn(table, 2), 2);
    /* only shown slots count: slot 25 is not shown */
    memcpy(table, ColourScheme(5), sizeof table);
    EXPECT_EQ(ColourFindSchemeIn(table, 65), 5);
    EXPECT_EQ(ColourShownCount(), 45);
}

/* A worker's call repaints nothing: it posts 11381 once per change of the
 * pending mask; the main frame's call carries out all of it. */
TEST(Colours, RepaintFromAWorker)
{
    static int posts;
    static uint32_t applied;
    posts = 0;
    applied = 0;
    REPAINTHOOKS h = {};
    h.postMainFrame = [](void *) { posts++; };
    h.apply = [](void *, uint32_t mask) { applied |= mask; };
    RepaintSetHooks(&h);
    LocGlobals.uiThread = CSGetThreadId();
    std::thread worker([] {
        RepaintAllWindows(RP_COLOURS);
        RepaintAllWindows(RP_COLOURS);
        RepaintAllWindows(RP_STATUS);
    });
    worker.join();
    EXPECT_EQ(posts, 2);
    EXPECT_EQ(applied, 0u);
    EXPECT_EQ(RepaintPendingMask(), (uint32_t)(RP_ALL | RP_COLOURS | RP_STATUS));
    RepaintAllWindows(0);
    EXPECT_EQ(applied, (uint32_t)(RP_ALL | RP_COLOURS | RP_STATUS));
    EXPECT_EQ(RepaintPendingMask(), 0u);
    LocGlobals.uiThread = 0;
    RepaintSetHooks(nullptr);
}

TEST(Colours, WriteAndConvertTexts)
{
    std::string dir = cfgtest::TempDir("colour-texts");
    std::string file = dir + "/schemes.txt";
    ASSERT_EQ(ColourWriteScheme(file.c_str(), ColourScheme(0)), 0);
    std::string text = cfgtest::Slurp(file);
    EXPECT_EQ(text.rfind("MYCOLOURS SchemeName[CLR_LAST+1] =\n{\n"
                         " {MAKERGB(192,192,192), 0 }, /*Field Background                       */\n", 0), 0u);
    EXPECT_NE(text.find(" {MAKERGB(  0,  0,  0), (HBRUSH)-1},\n};\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), ColourShownCount() + 4);
    char message[400];
    ASSERT_EQ(ColourConvertScheme(file.c_str(), message, sizeof message), 0);
    std::string converted = cfgtest::Slurp(file + ".convert.txt");
    EXPECT_EQ(std::count(converted.begin(), converted.end(), '\n'), CLR_SLOTS + 4);
    EXPECT_NE(converted.find(" {0                   , 0 }, /*Print Foreground                       */\n"),
              std::string::npos);
    EXPECT_NE(converted.find(" {MAKERGB(  0,  0,255), 0 }, /*Protected Field Foreground             */\n"),
              std::string::npos);
    /* the same file with CR LF line ends converts to the same text */
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    cfgtest::Spit(file, crlf);
    remove((file + ".convert.txt").c_str());
    ASSERT_EQ(ColourConvertScheme(file.c_str(), message, sizeof message), 0);
    EXPECT_EQ(cfgtest::Slurp(file + ".convert.txt"), converted);
    /* a file of the wrong length, none, no name */
    ColourWriteScheme(file.c_str(), ColourScheme(1));    /* appended: twice as long */
    EXPECT_EQ(ColourConvertScheme(file.c_str(), message, sizeof message), -1);
    EXPECT_EQ(std::string(message), "File '" + file + "' has 98 lines and I expected 45");
    EXPECT_EQ(ColourConvertScheme((dir + "/none.txt").c_str(), message, sizeof message), -1);
    EXPECT_EQ(std::string(message), "Can not open file '" + dir + "/none.txt'");
    EXPECT_EQ(ColourConvertScheme("", message, sizeof message), -1);
    EXPECT_STREQ(message, "Please enter a file name");
    EXPECT_EQ(ColourWriteScheme((dir + "/no/dir/x").c_str(), ColourScheme(0)), -1);
}

}  // namespace
