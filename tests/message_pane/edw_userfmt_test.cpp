/* User formats loaded again while message panes are open: every open
 * pane formats its message again at once (one display run and one count
 * each, through the reformat walk), its lines showing the new set's
 * structure; a change of the options alone does the same. */
#include <gtest/gtest.h>
#include "edhost.h"
#include "wirelibs.h"
#include "message/uftest.h"

struct PaneFormats : ::testing::Test, UFFiles {
    EdHostDialog &host = SharedHost();
    EdHostDialog second;
    void SetUp() override
    {
        ResetHost(host);
        Start();
        WireLibraries();                 /* the walk and the panes' view, after another test's Stop */
    }
    void TearDown() override
    {
        second.Destroy();
        Stop();
    }
};

static std::string Formats(const char *field)
{
    return std::string("struct Order ; An order\n{\n int ") + field +
           ";\n char item[6];\n}\nformat ORDERS\n{\n struct Order;\n}\n";
}

TEST_F(PaneFormats, AReloadFormatsEveryOpenPaneAgain)
{
    ASSERT_EQ(Load(Formats("qty")), 1) << errors.Last();
    Bytes body;
    body.I32(12).Chars("WIDGET", 6);
    Bytes md = BuildMD(true, 2, "ORDERS  ", 546, 850);
    host.Load(md, body);
    ASSERT_TRUE(second.Create(700, 400, "Second message"));
    ResetHost(second);
    second.Load(md, body);
    EdHostDialog *panes[] = { &host, &second };
    uint32_t display[2], counts[2];
    for (int i = 0; i < 2; i++) {
        ASSERT_GE(EdFindLine(panes[i]->ed, "qty          : 12"), 0) << i;
        display[i] = panes[i]->ed->displayRuns;
        counts[i] = panes[i]->ed->countRuns;
    }

    /* the file changes and is loaded again: no message of their own needed */
    Write(fileName, Formats("amount"));
    ASSERT_EQ(UFLoadFormats(nullptr, 0), 1) << errors.Last();
    for (int i = 0; i < 2; i++) {
        PCFDATA *ed = panes[i]->ed;
        EXPECT_EQ(ed->displayRuns, display[i] + 1) << i;
        EXPECT_EQ(ed->countRuns, counts[i] + 1) << i;
        EXPECT_LT(EdFindLine(ed, "qty"), 0) << i;
        int32_t line = EdFindLine(ed, "amount       : 12");
        ASSERT_GE(line, 0) << i;
        /* the line's definitions are the new set's (the old one is freed) */
        EXPECT_STREQ(EdGetLine(ed, line)->field->name, "amount");
        EXPECT_EQ(ed->bodyFormatter, &UFFindStruct(UFCurrent(), "Order")->def);
        display[i] = ed->displayRuns;
    }

    /* an option switched: the walk alone */
    options &= ~UF_OPT_ALLOW;
    UFReapplyFormats();
    for (int i = 0; i < 2; i++) {
        PCFDATA *ed = panes[i]->ed;
        EXPECT_EQ(ed->displayRuns, display[i] + 1) << i;
        EXPECT_EQ(ed->bodyFormatter, &FmtDefMessageContent) << i;
        EXPECT_LT(EdFindLine(ed, "amount"), 0) << i;
    }
}
