/* Robustness of the MQSC readers over every prefix and random mutations
 * of valid input (bounded by RAVOLT_FUZZ_COUNT): reply conversion, the
 * keyword reader, the console's escape text and wrapping, and the command
 * file reader.  The sanitizers of the native build watch each run. */
#include "mqsctest.h"
#include "../fuzztest.h"

#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cs.h"

using namespace cmdtest;
using namespace mqsctest;

namespace {

std::vector<uint8_t> Bytes(const std::string &s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

/* Every prefix of each input, then mutations of it. */
template <typename F>
void Each(const std::vector<std::vector<uint8_t>> &inputs, F run)
{
    fuzz::Rng rng{ 30 };
    for (const auto &in : inputs) {
        for (size_t n = 0; n <= in.size(); n++)
            run(std::vector<uint8_t>(in.begin(), in.begin() + (long)n));
        for (int i = 0; i < fuzz::Mutations(); i++)
            run(fuzz::Mutate(in, rng));
    }
}

const char *const Replies[] = {
    "CSQN205I   COUNT=       4, RETURN=0000000C, REASON=00000008",
    "CSQM401I +CSQ1    QUEUE(APP.A          )    TYPE(QLOCAL  ) DESCR(a)b) ) NOTRIGGER MAXDEPTH(  5000) "
    "INITQ( ) TRIGDATA((x(y(z     q",
    "CSQM409I +CSQ1 QMNAME(QM) PLATFORM(MVS) CMDLEVEL(910) DEADQ(DLQ)",
    "CSQN137I +CSQ1 'ALTER' command accepted for CMDSCOPE(*), sent to 2",
    "CSQN121I +CSQ1 'ALTER' command responses from QM1",
    "CSQM125I +CSQ1 CSQMUQLC QLOCAL (Q2) QSGDISP(QMGR) WAS NOT FOUND",
    "CSQ9022I +CSQ1 CSQMAQLC ' ALTER QLOCAL' NORMAL COMPLETION",
};

struct Fuzz : CmdFixture {};

TEST_F(Fuzz, ReplyConversionAndKeywords)
{
    PCFInitCommandDefs();
    std::vector<std::vector<uint8_t>> inputs;
    for (const char *r : Replies)
        inputs.push_back(Bytes(r));
    DialogWords d = {};
    char unhandled[MQSC_UNHANDLED_SIZE] = "";
    d.unhandled = unhandled;
    IFCMD r = {};
    r.command = MQCMD_INQUIRE_Q;
    r.definition = &PCFQueueListDef;
    r.dialog = &d;
    Each(inputs, [&](const std::vector<uint8_t> &in) {
        uint8_t *pcf = nullptr;
        uint32_t n = 0;
        MQSCResponseToPcf(&r, nullptr, in.data(), (uint32_t)in.size(), &pcf, &n);
        if (pcf) {
            Parsed p = Parse(pcf, n);
            EXPECT_EQ((int32_t)p.order.size(), p.head.ParameterCount);
        }
        CSFreeMemAndClear(&pcf);
        std::string text(in.begin(), in.end());
        const char *at = text.data();
        int32_t left = (int32_t)text.size();
        char keyword[MQSC_KEYWORD_SIZE + 1], value[33];
        for (int i = 0; i < 200 && left > 0; i++) {
            MQSCNextKeyword(nullptr, &at, &left, keyword, value, 32);
            ASSERT_LE(strlen(value), 32u);
            if (!keyword[0] && !value[0])
                break;
        }
        ASSERT_GE(left, 0);
    });
    MQSCFreeState(&r);
}

TEST_F(Fuzz, ConsoleRepliesAndTheirLines)
{
    uint32_t n;
    uint8_t *m = MQSCEscapeRequest("QUEUE(APP.A) (  x ) DESCR(   )\nCURDEPTH(0)", &n);
    std::vector<std::vector<uint8_t>> inputs = { std::vector<uint8_t>(m, m + n) };
    CSFreeMem(m);
    size_t lines = 0;
    Each(inputs, [&](const std::vector<uint8_t> &in) {
        const char *text;
        uint32_t length;
        if (!MQSCEscapeText(in.data(), (uint32_t)in.size(), &text, &length))
            return;
        ASSERT_LE((size_t)(text - (const char *)in.data()) + length, in.size());
        MQSCWrapText(text, length, 1 + (int32_t)(length % 30), [](void *ctx, const char *, size_t len) {
            *(size_t *)ctx += len;
        }, &lines);
    });
    EXPECT_GT(lines, 0u);
}

TEST_F(Fuzz, CommandFileReader)
{
    /* a name of this run's own: the native and the Windows tests run at once */
    std::string path = (std::filesystem::temp_directory_path() /
                        ("ravolt-mqsc-fuzz-" + std::to_string((long long)time(nullptr)) + "-" +
                         std::to_string((unsigned long long)(uintptr_t)&path % 1000003) + ".mqsc")).string();
    std::vector<std::vector<uint8_t>> inputs = {
        Bytes("* c\nDEFINE QLOCAL(A) +\n* inside\n  DESCR('x') -\nREPLACE\n\n  +\nDIS Q(*)\r\nALTER +"),
    };
    Each(inputs, [&](const std::vector<uint8_t> &in) {
        {
            std::ofstream f(path, std::ios::binary);
            f.write((const char *)in.data(), (std::streamsize)in.size());
        }
        MQSCFILEREADER r = {};
        r.file = fopen(path.c_str(), "rb");
        ASSERT_NE(r.file, nullptr);
        r.command = (char *)CSGetMem(MQSC_FILE_BUFFER, "test");
        int commands = 0;
        while (MQSCNextFileCommand(&r) && commands < 100) {
            ASSERT_LT(r.used, (size_t)MQSC_FILE_BUFFER);
            ASSERT_LE(strlen(r.command), r.used);       /* a zero byte read ends the text early */
            commands++;
        }
        fclose(r.file);
        CSFreeMem(r.command);
        CSFreeMemAndClear(&r.line);
    });
    remove(path.c_str());
}

}  // namespace
