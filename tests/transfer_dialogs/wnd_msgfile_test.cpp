/* Single-message save and load with a message editor under Xvfb, opened
 * through the message dialog's commands 918 and 919: the file a save
 * writes (no blank line after the message), the questions before saving
 * a message that does not format and before overwriting,
 * appended saves read back as two messages, a load that takes only the
 * first message into the editor, and a file whose first line is blank
 * refused. */
#include "message_pane/edhost.h"
#include "wndtest.h"
#include "transfer/xfertest.h"

#include <cstring>

#include "prfdata.h"
#include "tkharness.h"

namespace {

std::vector<std::string> confirmations;

int AgreeToAll(DialogWords *, const char *question, uint32_t *, uint32_t)
{
    confirmations.push_back(question);
    return 1;
}

std::vector<unsigned char> Descriptor(const char *format)
{
    MQMD md = DefaultMD();
    memcpy(md.Format, format, 8);
    md.CodedCharSetId = 850;
    FILLF(md.PutApplName, "single save");
    std::vector<unsigned char> b(sizeof md);
    memcpy(b.data(), &md, sizeof md);
    return b;
}

std::vector<unsigned char> Body(const char *text)
{
    return std::vector<unsigned char>(text, text + strlen(text));
}

std::string EditorData(PCFDATA *ed)
{
    return std::string((const char *)ed->data.data, ed->data.length);
}

HWND Dialog(const char *cls, DDHANDLE *dd)
{
    HWND w = FindTransferWindow(cls);
    *dd = w ? DDFindHandle(w) : nullptr;
    return w;
}

} // namespace

TEST(SingleMessage, SaveAndLoadWithTheEditor)
{
    StartWindows();
    EdHostDialog &host = SharedHost();
    ResetHost(host);
    auto savedConfirm = edHost.confirm;
    edHost.confirm = AgreeToAll;
    std::string file = TempDir() + "/single.drask";
    remove(file.c_str());
    host.Load(Descriptor("MQSTR   "), Body("the first message"));

    MsgFileCommand(nullptr, host.d, 918);
    DDHANDLE sd;
    HWND save = Dialog("DD_DLG_SAVEMSG", &sd);
    ASSERT_NE(save, nullptr);
    char title[100];
    GetWindowTextA(save, title, sizeof title);
    EXPECT_STREQ(title, "Kelvane Save Message");
    DDSetFieldText(sd, 412, -1, "");
    Pump();
    EXPECT_FALSE(IsWindowEnabled(DDGetFieldWindow(sd, 243, 0)));
    DDSetFieldText(sd, 412, -1, file.c_str());
    Pump();
    EXPECT_TRUE(IsWindowEnabled(DDGetFieldWindow(sd, 243, 0)));
    SendMessageA(save, WM_COMMAND, 243, 0);
    EXPECT_EQ(Status(sd), "Message written to '" + file + "' successfully");
    std::string text = ReadAll(file);
    EXPECT_EQ(text.rfind("* DRASK Version:9.0.0 Created:", 0), 0u);
    EXPECT_EQ(text.find("* Queue"), std::string::npos);
    EXPECT_NE(text.find("\nA PAN single save                 \n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 5), "6765\n");             /* "...ge": no blank line after */
    EXPECT_STREQ(Prf.savemsgfile, file.c_str());
    EXPECT_TRUE(GalleryShot(save, "transfer_savemsg", true));

    /* the questions before a save, each answered both ways: a message
       that does not format, and a file that exists (not when Overwrite is
       ticked); no writes nothing, yes writes the message shown */
    const std::string notFormatted =
        "The message does not appear to format correctly.\r\n\r\nAre you sure you want to continue?";
    const std::string exists = "File '" + file + "' already exists. Would you like to overwrite it ?";
    const struct {
        const char *message;
        int noFormat, overwrite, answer;
        const std::string &question;
        const char *written;                     /* null: the file as it was */
    } saves[] = {
        { "the second message", 1, 0, 2, notFormatted, nullptr },
        { "the second message", 0, 0, 2, exists, nullptr },
        { "the third message", 0, 0, 1, exists, "the third message" },
        { "the first message", 1, 1, 1, notFormatted, "the first message" },
    };
    for (const auto &c : saves) {
        SCOPED_TRACE(c.question + " answered " + std::to_string(c.answer));
        std::string before = ReadAll(file), question;
        host.Load(Descriptor("MQSTR   "), Body(c.message));
        host.ed->noFormat = c.noFormat;
        DDSetCheck(sd, 187, c.overwrite);
        AnswerConfirmation(c.answer, &question);
        SendMessageA(save, WM_COMMAND, 243, 0);
        host.ed->noFormat = 0;
        EXPECT_EQ(question, c.question);
        if (!c.written) {
            EXPECT_EQ(ReadAll(file), before);
            continue;
        }
        XRead one = ReadMessages(file);
        ASSERT_EQ(one.rc, 0) << one.error;
        ASSERT_EQ(one.msgs.size(), 1u);
        EXPECT_EQ(one.msgs[0].data, c.written);
    }
    DDSetCheck(sd, 187, 0);
    host.Load(Descriptor("MQSTR   "), Body("the second message"));
    /* appended: two messages */
    DDSetCheck(sd, 188, 1);
    SendMessageA(save, WM_COMMAND, 243, 0);
    XRead two = ReadMessages(file);
    ASSERT_EQ(two.rc, 0) << two.error;
    ASSERT_EQ(two.msgs.size(), 2u);
    EXPECT_EQ(two.msgs[0].data, "the first message");
    EXPECT_EQ(two.msgs[1].data, "the second message");
    /* opened again: the same dialog */
    MsgFileCommand(nullptr, host.d, 918);
    EXPECT_EQ(FindTransferWindow("DD_DLG_SAVEMSG"), save);

    /* loading takes the first message, after the discard question */
    confirmations.clear();
    EdKeepSavedData(host.ed);                        /* as every change of the data does */
    host.ed->data.data[0] = 'T';                     /* an edit not saved */
    MsgFileCommand(nullptr, host.d, 919);
    DDHANDLE ld;
    HWND load = Dialog("DD_DLG_LOADMSG", &ld);
    ASSERT_NE(load, nullptr);
    DDSetFieldText(ld, 412, -1, file.c_str());
    Pump();
    SendMessageA(load, WM_COMMAND, 244, 0);
    EXPECT_EQ(Status(ld), "Message successfully loaded");
    EXPECT_EQ(EditorData(host.ed), "the first message");
    ASSERT_EQ(host.ed->descriptor.length, 364u);
    EXPECT_EQ(memcmp(((MQMD *)host.ed->descriptor.data)->PutApplName, "single save", 11), 0);
    EXPECT_EQ(confirmations.size(), 1u);
    EXPECT_STREQ(Prf.loadmsgfile, file.c_str());
    PumpWith(&host);
    EXPECT_TRUE(GalleryShot(load, "transfer_loadmsg", true));

    /* a blank first line: refused, the editor unchanged */
    std::string blank = TempFile("blank_first.drask", "\n" + ReadAll(file));
    DDSetFieldText(ld, 412, -1, blank.c_str());
    Pump();
    host.ed->data.data[0] = 'X';
    SendMessageA(load, WM_COMMAND, 244, 0);
    EXPECT_EQ(Status(ld), "File '" + blank + "' does not appear to be a DRASK file");
    EXPECT_EQ(EditorData(host.ed), "Xhe first message");
    /* the same file saved by a text editor with a UTF-8 byte order mark */
    std::string marked = TempFile("marked_first.drask", "\xEF\xBB\xBF" + ReadAll(file));
    DDSetFieldText(ld, 412, -1, marked.c_str());
    Pump();
    confirmations.clear();
    SendMessageA(load, WM_COMMAND, 244, 0);
    EXPECT_EQ(Status(ld), "Message successfully loaded");
    EXPECT_EQ(EditorData(host.ed), "the first message");
    /* a message just opened and replaced from the file: closing asks */
    host.Load(Descriptor("MQSTR   "), Body("a message opened"));
    confirmations.clear();
    SendMessageA(load, WM_COMMAND, 244, 0);
    EXPECT_EQ(Status(ld), "Message successfully loaded");
    EXPECT_TRUE(confirmations.empty());              /* nothing edited to lose */
    EXPECT_EQ(ConfirmDiscardEdits(host.d), 0);       /* agreed to */
    EXPECT_EQ(confirmations.size(), 1u);
    DDSetFieldText(ld, 412, -1, (TempDir() + "/missing.drask").c_str());
    Pump();
    SendMessageA(load, WM_COMMAND, 244, 0);
    EXPECT_EQ(Status(ld), "Can not open file '" + TempDir() + "/missing.drask'");

    DestroyWindow(load);
    DestroyWindow(save);
    Pump();
    edHost.confirm = savedConfirm;
}
