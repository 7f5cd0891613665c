/* Helpers of the transfer tests. */
#include "xfertest.h"
#include "sampletest.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "cs.h"

#ifdef _WIN32
#include <windows.h>
#define GETPID() (long)GetCurrentProcessId()
#else
#include <unistd.h>
#define GETPID() (long)getpid()
#endif

static std::string dir;

/* The folder goes with the process. */
static struct TempCleanup {
    ~TempCleanup()
    {
        std::error_code ec;
        if (!dir.empty())
            std::filesystem::remove_all(dir, ec);
    }
} tempCleanup;

std::string TempDir(void)
{
    if (dir.empty()) {
        std::filesystem::path base = std::filesystem::temp_directory_path();
#ifndef _WIN32
        std::error_code shm;
        if (std::filesystem::is_directory("/dev/shm", shm))
            base = "/dev/shm";         /* the fuzz runs write many small files */
#endif
        std::filesystem::path p = base / ("ravolt-transfer-" + std::to_string(GETPID()));
        std::error_code ec;
        std::filesystem::remove_all(p, ec);
        std::filesystem::create_directories(p);
        dir = p.string();
    }
    return dir;
}

std::string TempFile(const std::string &name, const std::string &bytes)
{
    std::string path = TempDir() + "/" + name;
    FILE *f = fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr) << path;
    if (f) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    return path;
}

std::string ReadAll(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    std::string out;
    if (!f)
        return out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    fclose(f);
    return out;
}

std::string DataPath(const std::string &name)
{
    const char *d = getenv("RAVOLT_TEST_DATA");
    return std::string(d ? d : "tests/data") + "/transfer/" + name;
}

std::string SamplePath(const std::string &name)
{
    return samples::File(name);
}

XRead ReadMessages(const std::string &path, uint32_t options, uint32_t options2, const std::string &start,
                   const std::string &end)
{
    XRead out;
    DROPT *o = (DROPT *)CSGetMem(sizeof(DROPT), "DROPT");
    DraskInit(o);
    o->options = options;
    o->options2 = options2;
    UTStrCopy(o->inFile, path.c_str(), sizeof o->inFile);
    memcpy(o->startDelim, start.data(), start.size());
    o->startLength = (int32_t)start.size();
    memcpy(o->endDelim, end.data(), end.size());
    o->endLength = (int32_t)end.size();
    o->in = DraskOpenFile(path.c_str(), "rb");
    int rc = o->in ? DraskPrepareInput(o) : DRC_BADFILE;
    while (!rc) {
        rc = DraskReadMessage(o);
        if (!rc)
            out.msgs.push_back({o->md, std::string((const char *)o->msg + o->dataStart,
                                                   o->msgLength - o->dataStart)});
    }
    if (rc != DRC_END) {
        out.rc = rc;
        out.error = o->error;
    }
    if (o->in)
        fclose(o->in);
    DraskFreeBuffers(o);
    CSFreeMem(o);
    return out;
}

std::string WriteMessages(const std::vector<XMsg> &msgs, uint32_t options, const char *queue, int32_t lineWidth)
{
    static int n;
    std::string path = TempDir() + "/written" + std::to_string(++n) + ".drask";
    DROPT *o = (DROPT *)CSGetMem(sizeof(DROPT), "DROPT");
    DraskInit(o);
    o->options = options;
    o->lineWidth = lineWidth;
    UTStrCopy(o->outFile, path.c_str(), sizeof o->outFile);
    o->out = DraskOpenFile(path.c_str(), "wb");
    EXPECT_NE(o->out, nullptr);
    DraskTakeTime(1700000000);
    EXPECT_EQ(DraskWriteHeader(o, queue), 0);
    for (const XMsg &m : msgs) {
        o->selected++;
        EXPECT_EQ(DraskWriteMessage(o, &m.md, (const uint8_t *)m.data.data(), (uint32_t)m.data.size(), 0), 0)
            << o->error;
    }
    fclose(o->out);
    DraskFreeBuffers(o);
    CSFreeMem(o);
    return ReadAll(path);
}

MQMD DefaultMD(void)
{
    MQMD md;
    DraskDefaultMD(&md);
    return md;
}

XMsg TextMessage(const std::string &data)
{
    XMsg m = {DefaultMD(), data};
    memcpy(m.md.Format, MQFMT_STRING, 8);
    return m;
}

void Fill(char *field, size_t size, const char *text)
{
    size_t n = strlen(text);
    memset(field, ' ', size);
    memcpy(field, text, n < size ? n : size);
}

std::string RandomBytes(std::mt19937 &rng, size_t n)
{
    std::string s(n, '\0');
    for (char &c : s)
        c = (char)(rng() & 0xFF);
    return s;
}

/* Printable text padded with blanks, or (when nul allowed) all NUL. */
static void random_chars(std::mt19937 &rng, char *field, size_t size, bool nul)
{
    if (nul && rng() % 4 == 0) {
        memset(field, 0, size);
        return;
    }
    size_t n = rng() % (size + 1);
    memset(field, ' ', size);
    for (size_t i = 0; i < n; i++)
        field[i] = (char)(0x20 + rng() % 95);
}

MQMD RandomMD(std::mt19937 &rng, int version)
{
    MQMD md = DefaultMD();
    md.Version = version;
    MQLONG *ints[] = {&md.Report, &md.MsgType, &md.Expiry, &md.Feedback, &md.Encoding,
                      &md.CodedCharSetId, &md.Priority, &md.Persistence, &md.BackoutCount,
                      &md.PutApplType};
    for (MQLONG *p : ints)
        *p = (MQLONG)rng();
    random_chars(rng, md.Format, 8, false);
    random_chars(rng, md.ReplyToQ, 48, true);
    random_chars(rng, md.ReplyToQMgr, 48, true);
    random_chars(rng, md.UserIdentifier, 12, true);
    random_chars(rng, md.PutApplName, 28, true);
    random_chars(rng, md.PutDate, 8, true);
    random_chars(rng, md.PutTime, 8, true);
    for (auto field : {std::make_pair((char *)md.MsgId, 24), std::make_pair((char *)md.CorrelId, 24),
                       std::make_pair((char *)md.AccountingToken, 32),
                       std::make_pair((char *)md.ApplIdentityData, 32),
                       std::make_pair((char *)md.ApplOriginData, 4)}) {
        std::string b = RandomBytes(rng, (size_t)field.second);
        memcpy(field.first, b.data(), b.size());
    }
    if (version >= 2) {
        std::string g = RandomBytes(rng, 24);
        memcpy(md.GroupId, g.data(), 24);
        md.MsgSeqNumber = (MQLONG)rng();
        md.Offset = (MQLONG)rng();
        md.MsgFlags = (MQLONG)rng();
        md.OriginalLength = (MQLONG)rng();
    }
    return md;
}

std::string DescribeMD(const MQMD &md)
{
    char text[400];
    snprintf(text, sizeof text, "ver %d rpt %d mst %d exp %d enc %d ccs %d fmt '%.8s' pri %d per %d "
             "rtq '%.48s' usr '%.12s' pan '%.28s' msq %d off %d msf %d orl %d",
             (int)md.Version, (int)md.Report, (int)md.MsgType, (int)md.Expiry, (int)md.Encoding,
             (int)md.CodedCharSetId, md.Format, (int)md.Priority, (int)md.Persistence, md.ReplyToQ,
             md.UserIdentifier, md.PutApplName, (int)md.MsgSeqNumber, (int)md.Offset, (int)md.MsgFlags,
             (int)md.OriginalLength);
    return text;
}

void ExpectSameMD(const MQMD &a, const MQMD &b)
{
    EXPECT_EQ(memcmp(&a, &b, sizeof a), 0) << DescribeMD(a) << "\n" << DescribeMD(b);
}
