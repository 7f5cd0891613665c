/* Messages built byte by byte from IBM MQ's published layouts. */
#pragma once
#include "fmttest.h"

inline Bytes BuildMD(bool rev, int version, const char *format, int32_t encoding, int32_t ccsid)
{
    Bytes b(rev);
    b.Chars("MD  ", 4).I32(version).I32(0x100 | 0x200000 /* COA, EXPIRATION */).I32(1)
        .I32(-1).I32(0).I32(encoding).I32(ccsid).Chars(format, 8).I32(4).I32(1);
    b.Chars("AMQ QM1         ", 16).Fill(0x01, 8);             /* MsgId */
    b.Fill(0, 24).I32(0).Chars("REPLY.Q", 48).Chars("QM1", 48).Chars("app", 12)
        .Fill(0, 32).Chars("", 32).I32(28).Chars("cli.Producer", 28)
        .Chars("20240131", 8).Chars("12345678", 8).Chars("", 4);
    if (version >= 2)
        b.Fill(0, 24).I32(1).I32(0).I32(0x18).I32(-1);
    return b;
}

inline Bytes BuildDLH(bool rev, const char *format)
{
    Bytes b(rev);
    b.Chars("DLH ", 4).I32(1).I32(2085).Chars("TARGET.Q", 48).Chars("QM2", 48)
        .I32(rev ? 546 : 273).I32(819).Chars(format, 8).I32(6).Chars("amqrmppa", 28)
        .Chars("20240131", 8).Chars("01020304", 8);
    return b;
}

inline Bytes BuildPcfHeader(bool rev, int type, int command, int count, int cc = 0, int reason = 0)
{
    Bytes b(rev);
    b.I32(type).I32(36).I32(1).I32(command).I32(1).I32(1).I32(cc).I32(reason).I32(count);
    return b;
}

inline Bytes &CfIn(Bytes &b, int parm, int value) { return b.I32(3).I32(16).I32(parm).I32(value); }

inline Bytes &CfSt(Bytes &b, int parm, const char *s)
{
    uint32_t n = (uint32_t)strlen(s), len = (20 + n + 3) & ~3u;
    b.I32(4).I32(len).I32(parm).I32(0).I32(n).Chars(s, n);
    return b.Pad4();
}

inline Bytes &CfGr(Bytes &b, int parm, int count) { return b.I32(20).I32(16).I32(parm).I32(count); }

inline Bytes BuildRfh2(bool rev, const char *format, const std::vector<std::string> &folders)
{
    Bytes b(rev);
    b.Chars("RFH ", 4).I32(2).I32(0).I32(rev ? 546 : 273).I32(1208).Chars(format, 8).I32(0).I32(1208);
    for (auto &f : folders) {
        std::string s = f;
        while (s.size() % 4) s += ' ';
        b.I32((int64_t)s.size()).Chars(s.c_str(), s.size());
    }
    b.Patch32(8, (int64_t)b.size());
    return b;
}

/* A browse-sample listing: the message bytes from its hex lines and the
 * descriptor rebuilt from its "name : value" lines. */
struct Listing {
    std::vector<unsigned char> body;
    Bytes md;
};

inline std::string ListingValue(const std::string &text, const std::string &name)
{
    size_t p = text.find("  " + name + " ");
    if (p == std::string::npos) return "";
    p = text.find(':', p) + 1;
    while (text[p] == ' ') p++;
    if (text[p] == '\'') return text.substr(p + 1, text.find('\'', p + 1) - p - 1);
    if (text.compare(p, 2, "X'") == 0) return text.substr(p + 2, text.find('\'', p + 2) - p - 2);
    size_t e = p;
    while (e < text.size() && text[e] != ' ' && text[e] != '\n') e++;
    return text.substr(p, e - p);
}

inline void HexInto(Bytes &b, const std::string &hex, size_t n)
{
    for (size_t i = 0; i < n; i++)
        b.b.push_back(i * 2 + 1 < hex.size() ? (unsigned char)strtoul(hex.substr(i * 2, 2).c_str(), nullptr, 16) : 0);
}

inline Listing ParseListing(const std::string &path)
{
    auto raw = ReadFile(path);
    std::string text(raw.begin(), raw.end());
    Listing l;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 10 || line[8] != ':' || line.find_first_not_of("0123456789ABCDEF") != 8)
            continue;
        size_t q = line.find('\'');
        std::string hex = line.substr(9, q == std::string::npos ? std::string::npos : q - 9);
        std::string digits;
        for (char c : hex) if (isxdigit((unsigned char)c)) digits += c;
        for (size_t i = 0; i + 1 < digits.size(); i += 2)
            l.body.push_back((unsigned char)strtoul(digits.substr(i, 2).c_str(), nullptr, 16));
    }
    int enc = atoi(ListingValue(text, "Encoding").c_str());
    Bytes &b = l.md;
    b.reversed = true;   /* the descriptor as this platform's program receives it */
    b.Chars("MD  ", 4).I32(atoi(ListingValue(text, "Version").c_str()))
        .I32(atoi(ListingValue(text, "Report").c_str())).I32(atoi(ListingValue(text, "MsgType").c_str()))
        .I32(atoi(ListingValue(text, "Expiry").c_str())).I32(atoi(ListingValue(text, "Feedback").c_str()))
        .I32(enc).I32(atoi(ListingValue(text, "CodedCharSetId").c_str()))
        .Chars(ListingValue(text, "Format").c_str(), 8).I32(atoi(ListingValue(text, "Priority").c_str()))
        .I32(atoi(ListingValue(text, "Persistence").c_str()));
    HexInto(b, ListingValue(text, "MsgId"), 24);
    HexInto(b, ListingValue(text, "CorrelId"), 24);
    b.I32(atoi(ListingValue(text, "BackoutCount").c_str()))
        .Chars(ListingValue(text, "ReplyToQ").c_str(), 48).Chars(ListingValue(text, "ReplyToQMgr").c_str(), 48)
        .Chars(ListingValue(text, "UserIdentifier").c_str(), 12);
    size_t at = text.find("AccountingToken :");
    std::string tok = at == std::string::npos ? "" : text.substr(text.find("X'", at) + 2, 64);
    HexInto(b, tok, 32);
    b.Chars(ListingValue(text, "ApplIdentityData").c_str(), 32).I32(atoi(ListingValue(text, "PutApplType").c_str()))
        .Chars(ListingValue(text, "PutApplName").c_str(), 28).Chars(ListingValue(text, "PutDate").c_str(), 8)
        .Chars(ListingValue(text, "PutTime").c_str(), 8).Chars(ListingValue(text, "ApplOriginData").c_str(), 4);
    HexInto(b, ListingValue(text, "GroupId"), 24);
    b.I32(atoi(ListingValue(text, "MsgSeqNumber").c_str())).I32(atoi(ListingValue(text, "Offset").c_str()))
        .I32(atoi(ListingValue(text, "MsgFlags").c_str())).I32(atoi(ListingValue(text, "OriginalLength").c_str()));
    return l;
}

/* Every built message of the golden tests, by name (also fed to the fuzz test). */
struct BuiltMessage {
    std::string name;
    Bytes md, body;
};
std::vector<BuiltMessage> BuiltMessages();
