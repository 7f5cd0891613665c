/* Fuzz target: MQSC replies as a queue manager on z/OS sends them (CSQ
 * message lines, one reply message per input line) into the conversion
 * to PCF for the window kind the first input byte chooses, the keyword
 * reader, and the console's escape text and line wrapping.  Every PCF
 * response made walks to its parameter count inside its length. */
#include "fuzz.h"

#include "cs.h"
#include "dialogs.h"
#include "cmdint.h"
#include "mqsc.h"

namespace {

struct Kind {
    uint32_t command;
    PCFCommandDef *definition;
    const PCFActionDef *action;
};
std::vector<Kind> kinds;

void Seeds(FuzzSeeds *s)
{
    static const char *const replies[] = {
        "CSQN205I   COUNT=       4, RETURN=0000000C, REASON=00000008\n"
        "CSQM401I +CSQ1    QUEUE(APP.A          )    TYPE(QLOCAL  ) DESCR(a)b) ) NOTRIGGER MAXDEPTH(  5000) "
        "INITQ( ) TRIGDATA((x(y(z     q\nCSQ9022I +CSQ1 CSQMDRTS ' DISPLAY QUEUE' NORMAL COMPLETION",
        "CSQN137I +CSQ1 'ALTER' command accepted for CMDSCOPE(*), sent to 2\n"
        "CSQN121I +CSQ1 'ALTER' command responses from QM1\n"
        "CSQM125I +CSQ1 CSQMUQLC QLOCAL (Q2) QSGDISP(QMGR) WAS NOT FOUND\n"
        "CSQ9022I +CSQ1 CSQMAQLC ' ALTER QLOCAL' NORMAL COMPLETION\nCSQN121I +CSQ1 'ALTER' command responses from QM2\n"
        "CSQ9023E +CSQ1 CSQMAQLC ' ALTER QLOCAL' ABNORMAL COMPLETION",
        "CSQN205I   COUNT=       2, RETURN=00000000, REASON=00000000\n"
        "CSQM409I +CSQ1 QMNAME(QM) PLATFORM(MVS) CMDLEVEL(910) DEADQ(DLQ) DESCR('it''s') CCSID(500)\n"
        "CSQ9022I +CSQ1 CSQMDRTS ' DISPLAY QMGR' NORMAL COMPLETION",
        "CSQN205I   COUNT=       3, RETURN=00000000, REASON=00000000\n"
        "CSQM415I +CSQ1 CHANNEL(TO.QM2) CHLTYPE(SDR) CONNAME(host(1414)) XMITQ(QM2) SSLCIPH( ) BATCHSZ(50)\n"
        "CSQM417I +CSQ1 NAMELIST(NL1) NAMES(A, B, C) NAMCOUNT(3)\nCSQ9022I +CSQ1 done",
    };
    for (const char *r : replies)
        for (size_t k = 0; k < kinds.size(); k++)
            s->Add(std::string(1, (char)k) + r);
}

void Init(void)
{
    PCFInitCommandDefs();
    for (int i = 0; PCFCommandDefs[i]; i++) {
        PCFCommandDef *def = PCFCommandDefs[i];
        for (const PCFActionDef *a = def->actions; a && a->id; a++)
            if (a->command && a->verb && !strncmp(a->verb, "DISPLAY", 7)) {
                kinds.push_back({ a->command, def, a });
                break;
            }
    }
    if (kinds.empty())
        FuzzFail("no window kind has a DISPLAY command");
}

/* A PCF response: its parameters reach the header's count inside it. */
void CheckPcf(const uint8_t *p, uint32_t n)
{
    FUZZ_CHECK(n >= sizeof(MQCFH) && n <= MQSC_RESPONSE_SIZE, "response length " + std::to_string(n));
    MQCFH h;
    memcpy(&h, p, sizeof h);
    uint32_t at = h.StrucLength, count = 0;
    while (at + 8 <= n) {
        int32_t length;
        memcpy(&length, p + at + 4, 4);
        FUZZ_CHECK(length >= 8 && length % 4 == 0 && at + (uint32_t)length <= n,
                   "parameter " + std::to_string(count) + " of length " + std::to_string(length));
        at += (uint32_t)length;
        count++;
    }
    FUZZ_CHECK(at == n, "a parameter runs past the response");
    FUZZ_CHECK(count == (uint32_t)h.ParameterCount,
               std::to_string(count) + " parameters, the header says " + std::to_string(h.ParameterCount));
}

void Run(const uint8_t *data, size_t size)
{
    FuzzInput in = { data, size };
    const Kind &k = kinds[in.Byte() % kinds.size()];
    std::string text = in.Rest();
    DialogWords d = {};
    char unhandled[MQSC_UNHANDLED_SIZE] = "";
    d.unhandled = unhandled;
    IFCMD r = {};
    r.command = k.command;
    r.definition = k.definition;
    r.action = k.action;
    r.dialog = &d;
    size_t from = 0;
    while (from <= text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos)
            end = text.size();
        FuzzBlock reply(text.data() + from, end - from);
        uint8_t *pcf = nullptr;
        uint32_t n = 0;
        MQSCResponseToPcf(&r, nullptr, reply.data(), (uint32_t)reply.size(), &pcf, &n);
        if (pcf)
            CheckPcf(pcf, n);
        CSFreeMemAndClear(&pcf);
        FUZZ_CHECK(strlen(unhandled) < sizeof unhandled, "unrecognised attributes overran their text");
        const char *escaped;
        uint32_t length;
        if (MQSCEscapeText(reply.data(), (uint32_t)reply.size(), &escaped, &length)) {
            FUZZ_CHECK((size_t)(escaped - (const char *)reply.data()) + length <= reply.size(), "escape text outside the reply");
            size_t lines = 0;
            MQSCWrapText(escaped, length, 1 + (int32_t)(length % 80), [](void *ctx, const char *, size_t len) {
                *(size_t *)ctx += len;
            }, &lines);
        }
        const char *at = (const char *)reply.data();
        int32_t left = (int32_t)reply.size();
        char keyword[MQSC_KEYWORD_SIZE + 1], value[65];
        for (int i = 0; i < 1000 && left > 0; i++) {
            MQSCNextKeyword(nullptr, &at, &left, keyword, value, 64);
            FUZZ_CHECK(strlen(value) <= 64 && strlen(keyword) <= MQSC_KEYWORD_SIZE, "keyword or value too long");
            if (!keyword[0] && !value[0])
                break;
        }
        FUZZ_CHECK(left >= 0, "the keyword reader ran past the text");
        from = end + 1;
    }
    MQSCFreeState(&r);
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
