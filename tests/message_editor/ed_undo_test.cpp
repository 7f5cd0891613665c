/* The undo list: every record type applied, undone and redone with the
 * cursor it restores, a group that fails halfway, the redo chain a new
 * edit frees, the half byte, and storage failures that change nothing. */
#include "edtest.h"
#include "csmem.h"
#include "cstext.h"
#include <functional>

struct EdUndoList : EdFixture {
    std::string Data() { return std::string((const char *)ed->data.data, ed->data.length); }
    void Text(const std::string &text) { Load(EdDescriptor("MQSTR   "), Bytes().Raw(text.data(), text.size())); }
    int Group(const std::function<int()> &edit)
    {
        EdBeginUndoGroup(ed);
        int ok = edit();
        EdEndUndoGroup(ed, ok);
        return ok;
    }
    uint32_t Records()
    {
        uint32_t records, bytes;
        EdUndoStats(ed, &records, &bytes);
        return records;
    }
};

static unsigned char Digits(const char *hex, unsigned char *out)
{
    for (int i = 0; hex[i]; i++)
        UTSetNibble(out, i, hex[i] <= '9' ? hex[i] - '0' : hex[i] - 'A' + 10);
    return 0;
}

TEST_F(EdUndoList, EachRecordTypeAppliesUndoesAndRedoesWithItsCursor)
{
    unsigned char d41[2], dA[1], d0[1];
    Digits("41", d41);
    Digits("A", dA);
    Digits("0", d0);
    struct Case {
        const char *name;
        std::function<int(PCFDATA *)> edit;
        std::string after;
    } cases[] = {
        { "delete bytes", [](PCFDATA *e) { return EdDeleteBytes(e, &e->data, 2, 3); }, "abfgh" },
        { "insert bytes", [](PCFDATA *e) { return EdInsertBytes(e, &e->data, 1, "XY", 2); }, "aXYbcdefgh" },
        { "replace bytes", [](PCFDATA *e) { return EdReplaceBytes(e, &e->data, 6, "ZZ", 2); }, "abcdefZZ" },
        { "shift right", [](PCFDATA *e) { return EdShiftBytes(e, &e->data, 0, 8, 2, 2, "-", 1); }, "ab--cdef" },
        { "shift left", [](PCFDATA *e) { return EdShiftBytes(e, &e->data, 1, 6, 2, -2, "+*", 2); }, "abefg+*h" },
        { "delete digits", [](PCFDATA *e) { return EdDeleteNibbles(e, &e->data, 2, 2); }, "acdefgh" },
        { "insert digits", [&](PCFDATA *e) { return EdInsertNibbles(e, &e->data, 2, d41, 2); }, "aAbcdefgh" },
        { "insert one digit", [&](PCFDATA *e) { return EdInsertNibbles(e, &e->data, 16, dA, 1); },
          std::string("abcdefgh\xA0", 9) },
        { "replace digits", [&](PCFDATA *e) { return EdReplaceNibbles(e, &e->data, 3, d41, 2); },
          std::string("a\x64\x13""defgh", 8) },
        { "shift digits", [&](PCFDATA *e) { return EdShiftNibbles(e, &e->data, 0, 4, 1, 2, d0, 1); },
          std::string("\x60\x01""cdefgh", 8) },
    };
    for (auto &c : cases) {
        Text("abcdefgh");
        ed->cursor.digit = 4;
        ASSERT_TRUE(Group([&] {
            int ok = c.edit(ed);
            ed->cursor.digit = 6;
            return ok;
        })) << c.name << ": " << ed->status;
        EXPECT_EQ(Data(), c.after) << c.name;
        EXPECT_TRUE(EdUndo(ed, 0)) << c.name;
        EXPECT_EQ(Data(), "abcdefgh") << c.name;
        EXPECT_EQ(ed->cursor.digit, 4u) << c.name;
        EXPECT_TRUE(EdRedo(ed)) << c.name;
        EXPECT_EQ(Data(), c.after) << c.name;
        EXPECT_EQ(ed->cursor.digit, 6u) << c.name;
        EXPECT_FALSE(EdRedo(ed)) << c.name;
    }
}

TEST_F(EdUndoList, TypingRecordsSwitchTheTypingBuffer)
{
    Text("x");
    CSDataSet(&ed->typed, "-0", 3, 16);
    Group([&] { EdSetPending(ed, 1); return 1; });
    EXPECT_TRUE(ed->typing);
    Group([&] { EdSetPending(ed, 0); return 1; });
    EXPECT_FALSE(ed->typing);
    EdUndo(ed, 0);
    EXPECT_TRUE(ed->typing);
    EXPECT_STREQ((const char *)ed->typed.data, "-0");
    EdUndo(ed, 0);
    EXPECT_FALSE(ed->typing);
    EdRedo(ed);
    EXPECT_TRUE(ed->typing);
    EXPECT_STREQ((const char *)ed->typed.data, "-0");
}

TEST_F(EdUndoList, AGroupThatFailsHalfwayLeavesNoRecordAndNoChange)
{
    Text("abcdefgh");
    ASSERT_TRUE(Group([&] { return EdInsertBytes(ed, &ed->data, 0, "1", 1); }));
    uint32_t before = Records();
    rec.statuses.clear();
    EXPECT_FALSE(Group([&] {
        return EdInsertBytes(ed, &ed->data, 0, "2", 1) && EdReplaceBytes(ed, &ed->data, 0, "3", 1) &&
               EdDeleteBytes(ed, &ed->data, 5, 100);
    }));
    EXPECT_EQ(Data(), "1abcdefgh");
    EXPECT_EQ(Records(), before);
    ASSERT_FALSE(rec.statuses.empty());
    EXPECT_EQ(rec.statuses.back(), "There is no data to delete");
    /* Undo takes the group before it */
    EdUndo(ed, 0);
    EXPECT_EQ(Data(), "abcdefgh");
    EXPECT_FALSE(EdCanUndo(ed));
}

TEST_F(EdUndoList, ANewEditEndsRedoAndUndoAfterOpeningOnlyRefreshes)
{
    Text("abc");
    EXPECT_FALSE(EdUndo(ed, 0));
    EXPECT_EQ(Data(), "abc");
    Group([&] { return EdInsertBytes(ed, &ed->data, 0, "1", 1); });
    Group([&] { return EdInsertBytes(ed, &ed->data, 0, "2", 1); });
    EdUndo(ed, 0);
    EXPECT_TRUE(EdCanRedo(ed));
    Group([&] { return EdInsertBytes(ed, &ed->data, 0, "3", 1); });
    EXPECT_FALSE(EdCanRedo(ed));
    EXPECT_FALSE(EdRedo(ed));
    EXPECT_EQ(Data(), "31abc");
    EdUndo(ed, 0);
    EdUndo(ed, 0);
    EXPECT_EQ(Data(), "abc");
    EXPECT_FALSE(EdUndo(ed, 0));
}

TEST_F(EdUndoList, AHalfByteIsAPlaceholderThatTheNextDigitFills)
{
    Text(std::string("\x12\x34", 2));
    unsigned char a[1], b[1];
    Digits("A", a);
    Digits("B", b);
    Group([&] { return EdInsertNibbles(ed, &ed->data, 2, a, 1); });
    EXPECT_EQ(Data(), std::string("\x12\xA0\x34", 3));
    EXPECT_TRUE(ed->editFlags & EF_HALF_BYTE);
    Group([&] { return EdInsertNibbles(ed, &ed->data, 3, b, 1); });
    EXPECT_EQ(Data(), std::string("\x12\xAB\x34", 3));
    EXPECT_FALSE(ed->editFlags & EF_HALF_BYTE);
    /* a pending half byte at the end: deleting one digit takes the byte */
    Text(std::string("\x12\x34", 2));
    Group([&] { return EdInsertNibbles(ed, &ed->data, 4, a, 1); });
    ASSERT_EQ(Data(), std::string("\x12\x34\xA0", 3));
    Group([&] { return EdDeleteNibbles(ed, &ed->data, 4, 1); });
    EXPECT_EQ(Data(), std::string("\x12\x34", 2));
    EXPECT_FALSE(ed->editFlags & EF_HALF_BYTE);
    /* without one an odd deletion leaves one */
    Group([&] { return EdDeleteNibbles(ed, &ed->data, 0, 1); });
    EXPECT_EQ(Data(), std::string("\x23\x40", 2));
    EXPECT_TRUE(ed->editFlags & EF_HALF_BYTE);
    EdUndo(ed, 0);
    EXPECT_EQ(Data(), std::string("\x12\x34", 2));
    EXPECT_FALSE(ed->editFlags & EF_HALF_BYTE);
}

TEST_F(EdUndoList, StorageFailuresChangeNothing)
{
    Text("abcd");
    Group([&] { return EdInsertBytes(ed, &ed->data, 0, "1", 1); });
    uint32_t records = Records();
    rec.statuses.clear();
    CSMemFailTag("UNDO", 1);
    EXPECT_FALSE(Group([&] { return EdReplaceBytes(ed, &ed->data, 0, "2", 1); }));
    CSMemFailTag("UNDO", 0);
    EXPECT_EQ(Data(), "1abcd");
    EXPECT_EQ(Records(), records);
    ASSERT_FALSE(rec.statuses.empty());
    EXPECT_EQ(rec.statuses.back(), "The system does not have sufficient memory");
    /* a buffer that must grow */
    std::string big(ed->data.capacity - ed->data.length + 1, 'x');
    CSMemFailTag("CSDATA", 1);
    EXPECT_FALSE(Group([&] { return EdInsertBytes(ed, &ed->data, 2, big.data(), (uint32_t)big.size()); }));
    CSMemFailTag("CSDATA", 0);
    EXPECT_EQ(Data(), "1abcd");
    EXPECT_EQ(Records(), records);
    /* the same insert with storage: grows, and undoes */
    EXPECT_TRUE(Group([&] { return EdInsertBytes(ed, &ed->data, 2, big.data(), (uint32_t)big.size()); }));
    EXPECT_EQ(ed->data.length, 5 + big.size());
    EdUndo(ed, 0);
    EXPECT_EQ(Data(), "1abcd");
}
