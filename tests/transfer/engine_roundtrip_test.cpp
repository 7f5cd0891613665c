/* Unload and load on the stand-in: every byte and every descriptor field
 * kept under "Set all context", the context replaced under default
 * context, the same file on a second unload, copies between queues, an
 * empty queue, and file-to-file reformatting. */
#include "xferengine.h"

#include <cstring>

namespace {

/* The file without its "Created:" time and queue line. */
std::string Body(const std::string &file)
{
    std::string out;
    size_t at = 0;
    while (at < file.size()) {
        size_t nl = file.find('\n', at);
        std::string line = file.substr(at, nl == std::string::npos ? std::string::npos : nl - at + 1);
        if (line.rfind("* DRASK", 0) && line.rfind("* Queue", 0))
            out += line;
        at = nl == std::string::npos ? file.size() : nl + 1;
    }
    return out;
}

/* Fields the queue manager sets on every put whatever the context. */
void Settled(MQMD *md)
{
    md->BackoutCount = 0;
}

} // namespace

TEST_F(Transfer, UnloadThenLoadKeepsEveryByteAndField)
{
    std::mt19937 rng(5);
    std::vector<std::string> datas;
    for (int i = 0; i < 30; i++) {
        MQMD md = FullMD(i);
        std::string data = i == 0 ? "" : RandomBytes(rng, rng() % (i == 29 ? 70000 : 3000));
        datas.push_back(data);
        PutMessage("Q1", data, &md, true);
    }
    std::string file1 = TempDir() + "/unload1.drask", file2 = TempDir() + "/unload2.drask";
    DROPT *o = Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->outFile, file1.c_str());
    o->options |= DRO_OVERWRITE;
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_EQ(LastText(), "Completed: 30 Messages (" + std::to_string([&] {
                              size_t n = 0;
                              for (auto &d : datas) n += d.size();
                              return n; }()) + " Bytes) written");
    EXPECT_EQ(DepthOf("Q1"), 30);                  /* a browse */

    o = Block();
    strcpy(o->inFile, file1.c_str());
    strcpy(o->targetQ, "Q2");
    ASSERT_EQ(Run(o), 0) << LastText();
    std::vector<XMsg> a = Browse("Q1"), b = Browse("Q2");
    ASSERT_EQ(b.size(), 30u);
    for (size_t i = 0; i < a.size(); i++) {
        SCOPED_TRACE(i);
        Settled(&a[i].md);
        Settled(&b[i].md);
        ExpectSameMD(a[i].md, b[i].md);
        EXPECT_EQ(a[i].data, b[i].data);
    }

    o = Block();
    strcpy(o->sourceQ, "Q2");
    strcpy(o->outFile, file2.c_str());
    ASSERT_EQ(Run(o), 0) << LastText();
    std::string one = ReadAll(file1), two = ReadAll(file2);
    EXPECT_EQ(Body(one), Body(two));
    EXPECT_NE(one.find("* Queue = Q1\n"), std::string::npos);
    EXPECT_NE(two.find("* Queue = Q2\n"), std::string::npos);

    /* default context: the context fields are the queue manager's */
    o = Block();
    strcpy(o->inFile, file1.c_str());
    strcpy(o->targetQ, "Q3");
    o->options = (o->options & ~DRO_CTX_MASK) | DRO_CTX_DEFAULT;
    ASSERT_EQ(Run(o), 0) << LastText();
    std::vector<XMsg> c = Browse("Q3");
    ASSERT_EQ(c.size(), 30u);
    EXPECT_NE(std::string(c[3].md.PutApplName, 28), std::string(a[3].md.PutApplName, 28));
    EXPECT_NE(std::string(c[3].md.UserIdentifier, 12), std::string(a[3].md.UserIdentifier, 12));
    EXPECT_EQ(memcmp(c[3].md.MsgId, a[3].md.MsgId, 24), 0);
    EXPECT_EQ(std::string(c[3].md.ReplyToQ, 48), std::string(a[3].md.ReplyToQ, 48));
    EXPECT_EQ(c[3].data, a[3].data);
}

TEST_F(Transfer, CopyBetweenQueuesAndAnEmptyQueue)
{
    PutMany("Q1", 25);
    DROPT *o = Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->targetQ, "Q2");
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_EQ(DepthOf("Q1"), 25);
    EXPECT_EQ(DepthOf("Q2"), 25);
    EXPECT_EQ(Browse("Q2")[24].data, "message 25");

    std::string file = TempDir() + "/empty.drask";
    o = Block();
    strcpy(o->sourceQ, "Q3");
    strcpy(o->outFile, file.c_str());
    o->options |= DRO_OVERWRITE;
    ASSERT_EQ(Run(o), 0);
    EXPECT_EQ(LastText(), "Completed: 0 Messages (0 Bytes) written");
    std::string text = ReadAll(file);
    EXPECT_EQ(text.substr(text.find('\n') + 1), "* Queue = Q3\n\n");

    o = Block();
    strcpy(o->sourceQ, "Q1");
    strcpy(o->targetQ, "Q1");
    EXPECT_NE(Run(o), 0);
    EXPECT_EQ(LastText(), "Queue names must be different");
}

TEST_F(Transfer, AnEmptyFileLoadsNoMessagesAndCompletes)
{
    uint8_t key[24] = "empty load";
    int serial = 0;
    for (const char *text : {"", "\n\n   \n\t\n"}) {
        SCOPED_TRACE(serial);
        std::string file = TempFile("empty" + std::to_string(serial++) + ".drask", text);
        key[20] = (uint8_t)serial;
        PROGRESS *p = ProgCreate(nullptr, key, "Loading messages");
        ASSERT_NE(p, nullptr);
        ProgAddRef(p);                             /* the run's */
        DROPT *o = Block();
        strcpy(o->inFile, file.c_str());
        strcpy(o->targetQ, "Q2");
        o->progress = p;
        EXPECT_EQ(Run(o), 0) << LastText();
        EXPECT_EQ(LastText(), "Completed: 0 Messages (0 Bytes) written");
        EXPECT_EQ(Rec.Count("MQBACK"), 0u);
        EXPECT_FALSE(p->rolledBack);
        EXPECT_NE(p->finished, 0u);
        EXPECT_EQ(DepthOf("Q2"), 0);
        ProgRelease(p);
    }
}

TEST_F(Transfer, FileToFileAndExistingOutput)
{
    std::string out = TempDir() + "/reformatted.drask";
    DROPT *o = Block();
    strcpy(o->inFile, SamplePath("amqsbcg/yukun-blog__websphere-mq-dead-letter.amqsbcg.txt").c_str());
    strcpy(o->outFile, out.c_str());
    o->options |= DRO_OVERWRITE | DRO_SAFESET;
    ASSERT_EQ(Run(o), 0) << LastText();
    EXPECT_EQ(LastText(), "Completed: 1 Message (198 Bytes) written");
    XRead r = ReadMessages(out);
    ASSERT_EQ(r.msgs.size(), 1u);
    EXPECT_EQ(r.msgs[0].data, ReadAll(SamplePath("mq-messages/yukun-blog_DLH_enc546_reason2051.bin")));
    EXPECT_EQ(ReadAll(out).find("* Queue"), std::string::npos);

    o = Block();
    strcpy(o->inFile, out.c_str());
    strcpy(o->outFile, out.c_str());
    EXPECT_EQ(Run(o), DRC_WRITE);
    EXPECT_EQ(LastText(), "File '" + out + "' exists - specify overwrite");
    o = Block();
    strcpy(o->inFile, (TempDir() + "/none.drask").c_str());
    strcpy(o->targetQ, "Q2");
    EXPECT_EQ(Run(o), DRC_BADFILE);
    EXPECT_EQ(LastText(), "Can not open input file '" + TempDir() + "/none.drask'");
}
