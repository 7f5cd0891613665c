/* What the message targets share: an input is a message as a queue gives
 * it (a descriptor and the data, headers and all, lengths and counts as
 * the sender wrote them) with a word of view settings in front:
 *   settings (4 bytes) | descriptor length (2 bytes) | descriptor | data
 * The seeds are the formatter tests' messages and the real samples, each
 * behind a descriptor naming its format, encoding and CCSID. */
#pragma once

#include "fuzz.h"
#include "fmtfuzz.h"

struct FuzzMessage {
    uint32_t settings;
    std::vector<unsigned char> md, body;
};

inline FuzzMessage FuzzMessageOf(const uint8_t *data, size_t size)
{
    FuzzInput in = { data, size };
    FuzzMessage m;
    m.settings = in.Word();
    uint32_t mdLength = in.Byte() | (uint32_t)in.Byte() << 8;
    std::string md = in.Take(mdLength), body = in.Rest();
    m.md.assign(md.begin(), md.end());
    m.body.assign(body.begin(), body.end());
    return m;
}

inline std::string FuzzMessageBytes(uint32_t settings, const std::vector<unsigned char> &md,
                                    const std::vector<unsigned char> &body)
{
    std::string s((const char *)&settings, 4);
    s += (char)(md.size() & 0xFF);
    s += (char)(md.size() >> 8);
    s.append(md.begin(), md.end());
    s.append(body.begin(), body.end());
    return s;
}

inline void FuzzMessageSeeds(FuzzSeeds *s)
{
    uint32_t settings = 0;
    for (const FuzzSample &f : FuzzSamples()) {
        std::vector<unsigned char> md = f.md;
        bool body = f.name.rfind("body", 0) == 0;
        if (md.empty())
            md = BuildMD(f.encoding != 273, 2, f.format, body ? 546 : (int32_t)f.encoding, (int32_t)f.ccsid).b;
        /* a body's kind (XML, JSON, ...) rides in the settings' top byte */
        uint32_t kind = body ? f.encoding << 24 : 0;
        s->Add(FuzzMessageBytes(kind | settings++ * 0x2F1, md, f.body));
    }
    static const struct { const char *file, *format; int32_t encoding, ccsid; } real[] = {
        { "mq-messages/dsuch__pymqi__code_tests_messages_multiple_rfh2.dat", "MQHRF2  ", 273, 1208 },
        { "mq-messages/dsuch__pymqi__code_tests_messages_pcf_with_cfif.dat", "MQEVENT ", 546, 850 },
        { "mq-messages/dsuch__pymqi__code_tests_messages_pcf_with_cfsf.dat", "MQEVENT ", 546, 850 },
        { "mq-messages/dsuch__pymqi__code_tests_messages_single_rfh2.dat", "MQHRF2  ", 273, 1208 },
        { "mq-messages/dsuch__pymqi__code_tests_messages_statistics_q.dat", "MQADMIN ", 546, 850 },
        { "mq-messages/vdesabou_kafka-playground_jms_text_RFH2_enc273.bin", "MQHRF2  ", 273, 1208 },
        { "mq-messages/yukun-blog_DLH_enc546_reason2051.bin", "MQDEAD  ", 546, 819 },
    };
    for (auto &r : real) {
        FuzzSeeds one;
        one.Files((std::string("samples/") + r.file).c_str());
        std::vector<unsigned char> body(one.inputs[0].begin(), one.inputs[0].end());
        s->Add(FuzzMessageBytes(settings++ * 0x2F1, BuildMD(r.encoding != 273, 2, r.format, r.encoding, r.ccsid).b, body));
    }
}

/* The descriptor's format, encoding and CCSID as the pane reads them. */
inline FmtMsgInfo FuzzMessageInfo(const FuzzMessage &m)
{
    char format[9] = "        ";
    int32_t encoding = 546, ccsid = 850;
    if (m.md.size() >= 40) {
        memcpy(&encoding, &m.md[24], 4);
        memcpy(&ccsid, &m.md[28], 4);
        memcpy(format, &m.md[32], 8);
        if (encoding & 0x0F000000)                  /* written big-endian */
            encoding = (int32_t)__builtin_bswap32((uint32_t)encoding), ccsid = (int32_t)__builtin_bswap32((uint32_t)ccsid);
    }
    FmtMsgInfo info = MakeMsg(format, (uint32_t)encoding, (uint32_t)ccsid);
    info.bodyKind = (uint8_t)((m.settings >> 24) % 7);
    return info;
}
