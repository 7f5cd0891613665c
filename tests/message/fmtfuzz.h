/* Robustness driver shared by the fuzz test and the long fuzz run: every
 * prefix of every sample, and random mutations, must format to the end
 * without reading outside the data. */
#pragma once
#include "fmtbuild.h"

struct FuzzSample {
    std::string name;
    std::vector<unsigned char> md, body;
    char format[9];
    uint32_t encoding, ccsid;
};

inline std::vector<FuzzSample> FuzzSamples()
{
    std::vector<FuzzSample> s;
    for (auto &m : BuiltMessages()) {
        FuzzSample f{ m.name, m.md.b, m.body.b, "", 546, 1208 };
        memcpy(f.format, m.md.b.data() + 32, 8);
        f.encoding = m.md.reversed ? 546 : 273;
        s.push_back(f);
    }
    struct { const char *file, *format; uint32_t enc, ccsid; } real[] = {
        { "pymqi_single_rfh2.dat", "MQHRF2  ", 273, 1208 }, { "pymqi_multiple_rfh2.dat", "MQHRF2  ", 273, 1208 },
        { "pymqi_pcf_with_cfif.dat", "MQEVENT ", 546, 850 }, { "pymqi_pcf_with_cfsf.dat", "MQEVENT ", 546, 850 },
        { "pymqi_statistics_q.dat", "MQADMIN ", 546, 850 }, { "jms_text_rfh2_enc273.bin", "MQHRF2  ", 273, 1208 },
        { "dlh_enc546_reason2051.bin", "MQDEAD  ", 546, 819 } };
    for (auto &r : real) {
        FuzzSample f{ r.file, {}, ReadFile(DataDir() + r.file), "", r.enc, r.ccsid };
        memcpy(f.format, r.format, 8);
        s.push_back(f);
    }
    const char *bodies[][2] = {
        { "<a x='1'><b>t&amp;</b><!-- c --><c/></a>", "\x05" }, { "{\"a\": [1, {\"b\": \"\\\"\"}], \"c\": 2}", "\x03" },
        { "UNA:+.? 'UNB+A?'B'UNH+1'UNZ+1'", "\x06" }, { "1,2,3\x01" "4", "\x01" } };
    for (auto &b : bodies) {
        FuzzSample f{ std::string("body") + b[1], {}, std::vector<unsigned char>(b[0], b[0] + strlen(b[0])),
                      "MQSTR   ", 546, 850 };
        s.push_back(f);
        s.back().encoding = (uint32_t)b[1][0];        /* body kind rides in the encoding slot's copy below */
    }
    return s;
}

struct FuzzCheck {
    uint64_t lines = 0;
    uint64_t markers = 0;
};

inline uint32_t FuzzSink(uint64_t context, FmtLineRec *lr, char *text, uint32_t n)
{
    FuzzCheck *c = (FuzzCheck *)(uintptr_t)context;
    if (n >= FMT_LINE_BUFFER || (text[n] != 0 && !(lr->flags & LR_NO_TEXT)))
        abort();
    c->lines++;
    c->markers += (lr->lineFlags & LF_MARKER) != 0;
    return 0;
}

struct Rng {
    uint64_t s;
    uint32_t Next() { s ^= s << 13; s ^= s >> 7; s ^= s << 17; return (uint32_t)(s >> 11); }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
};

/* Formats one input with settings drawn from the seed; the data lies in a
 * block of exactly its own size so that any read beyond it is caught. */
inline void FuzzOne(const FuzzSample &s, const std::vector<unsigned char> &md, const std::vector<unsigned char> &body,
                    uint32_t variant, FuzzCheck *check)
{
    std::vector<unsigned char> mdCopy(md), bodyCopy(body);
    FmtMsgInfo m = MakeMsg(s.format, s.name.rfind("body", 0) == 0 ? 546 : s.encoding, s.ccsid);
    if (s.name.rfind("body", 0) == 0)
        m.bodyKind = (uint8_t)s.encoding;
    FmtLineRec lr = {};
    lr.flags = 1 + variant % 4;
    lr.width = 40 + (variant >> 2) % 3 * 60;
    lr.endLevel = 2;
    static const uint32_t flagSets[] = { 0, LR_OFFSET_PREFIX, LR_XML_NAMES | LR_HEX_CHARLINE, LR_XML_DETECT | LR_RUN_OFFSET,
                                         LR_CONST_NAMES | LR_DUMP_NO_CHARS, LR_NO_TEXT };
    static const uint32_t optionSets[] = { 0, LO_SHOW_EMPTY_END | LO_EMPTY_LINE, LO_DECODE_ENTITIES, LO_NO_SPLIT | LO_HEX_OFFSETS,
                                           LO_EBCDIC_TO_ASCII | LO_KEEP_ENCODING };
    lr.flags |= flagSets[(variant >> 4) % 6];
    lr.options = optionSets[(variant >> 7) % 5];
    if ((variant >> 10) % 7 == 3)
        m.ccsid = 500;
    FapFormatMessage(mdCopy.empty() ? nullptr : mdCopy.data(), (uint32_t)mdCopy.size(),
                     bodyCopy.empty() ? nullptr : bodyCopy.data(), (uint32_t)bodyCopy.size(), &m, FuzzSink,
                     (uint64_t)(uintptr_t)check, &lr);
}

inline void Mutate(Rng &r, std::vector<unsigned char> &b)
{
    static const int32_t interesting[] = { 0, -1, 1, 4, 16, 36, 0x7FFFFFFF, (int32_t)0x80000000, 0x01000000, 255, -4 };
    int edits = 1 + (int)r.Below(6);
    for (int e = 0; e < edits; e++) {
        uint32_t kind = r.Below(5);
        if (b.empty()) { b.push_back((unsigned char)r.Next()); continue; }
        uint32_t at = r.Below((uint32_t)b.size());
        switch (kind) {
        case 0: b[at] = (unsigned char)r.Next(); break;
        case 1: b[at] ^= (unsigned char)(1u << r.Below(8)); break;
        case 2:
            if (at + 4 <= b.size()) {
                int32_t v = interesting[r.Below(sizeof interesting / sizeof *interesting)];
                if (r.Below(2)) v = (int32_t)((uint32_t)v >> 24 | ((uint32_t)v >> 8 & 0xFF00) | ((uint32_t)v << 8 & 0xFF0000) | (uint32_t)v << 24);
                memcpy(&b[at], &v, 4);
            }
            break;
        case 3: b.resize(at); break;
        default: b.insert(b.begin() + at, (size_t)r.Below(16), (unsigned char)r.Next()); break;
        }
    }
}

/* Every prefix of every sample (bodies, then descriptors). */
inline uint64_t FuzzPrefixes(FuzzCheck *check, uint32_t step = 1)
{
    uint64_t runs = 0;
    for (auto &s : FuzzSamples()) {
        for (size_t n = 0; n <= s.body.size(); n += step, runs++)
            FuzzOne(s, s.md, std::vector<unsigned char>(s.body.begin(), s.body.begin() + n), (uint32_t)n * 2654435761u >> 3, check);
        for (size_t n = 0; n < s.md.size(); n += step, runs++)
            FuzzOne(s, std::vector<unsigned char>(s.md.begin(), s.md.begin() + n), s.body, (uint32_t)n, check);
    }
    return runs;
}

inline uint64_t FuzzMutations(FuzzCheck *check, uint64_t count, uint64_t seed)
{
    auto samples = FuzzSamples();
    Rng r{ seed | 1 };
    for (uint64_t i = 0; i < count; i++) {
        const FuzzSample &s = samples[r.Below((uint32_t)samples.size())];
        std::vector<unsigned char> md = s.md, body = s.body;
        if (!md.empty() && r.Below(4) == 0)
            Mutate(r, md);
        else
            Mutate(r, body);
        FuzzOne(s, md, body, r.Next(), check);
    }
    return count;
}
