/* The product's parse error box: without a reporter of the program's own,
 * a parse error opens the toolkit's message box with the error icon. */
#include "uftest.h"
#include "tkutil.h"

static std::vector<std::string> boxTexts, boxCaptions;
static UINT boxType;

static int BoxSink(HWND, const char *text, const char *caption, UINT type)
{
    boxTexts.push_back(text);
    boxCaptions.push_back(caption);
    boxType = type;
    return IDOK;
}

TEST_F(UserFormats, AParseErrorShowsTheToolkitsBox)
{
    UFSetErrorReporter(nullptr, nullptr);       /* the default: the box */
    UtilSetMessageBoxSink(BoxSink);
    EXPECT_EQ(Load("struct A {\n int a b;\n}\n"), 0);
    UtilSetMessageBoxSink(nullptr);
    ASSERT_EQ(boxTexts.size(), 1u);
    EXPECT_EQ(boxCaptions[0], "Ravolt User Format File Parse Error");
    EXPECT_EQ(boxType & MB_ICONMASK, (UINT)MB_ICONERROR);
    EXPECT_EQ(boxTexts[0], "At line 2 of file '" + Path("RAVOLT.FMT") + "'\n\n'b' found where ';' was expected.");
    EXPECT_TRUE(errors.texts.empty());
}
