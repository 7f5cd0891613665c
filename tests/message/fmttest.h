/* Shared pieces of the formatter tests: a sink that records every line,
 * golden-file comparison, a byte-by-byte message builder and small stand-in
 * constant tables. */
#pragma once

#include "fapparse.h"
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct RecLine {
    std::string text;
    uint32_t lineFlags, lineClass, dataOffset;
};

struct Recorder {
    std::vector<RecLine> lines;
    uint32_t stopAfter = 0;         /* answer 12 on this line (1-based) */
    uint32_t countOnlyAt = 0;       /* answer 11 on this line */
    uint32_t buildAt = 0;           /* answer 10 on this line */
};

inline uint32_t RecordSink(uint64_t context, FmtLineRec *lr, char *text, uint32_t n)
{
    Recorder *r = (Recorder *)(uintptr_t)context;
    r->lines.push_back({ std::string(text, n), lr->lineFlags, lr->lineClass, lr->dataOffset });
    uint32_t k = (uint32_t)r->lines.size();
    if (k == r->stopAfter) return FMT_STOP;
    if (k == r->countOnlyAt) return FMT_COUNT_ONLY;
    if (k == r->buildAt) return FMT_BUILD_TEXT;
    return 0;
}

/* One line per record: flags, class, offset, then the text with
 * unprintable bytes escaped. */
inline std::string Render(const Recorder &r)
{
    std::ostringstream out;
    for (auto &l : r.lines) {
        char head[48];
        snprintf(head, sizeof head, "%03X %4u %6u|", l.lineFlags, l.lineClass, l.dataOffset);
        out << head;
        for (unsigned char c : l.text) {
            if (c >= 0x20 && c < 0x7F && c != '\\') out << c;
            else { char e[8]; snprintf(e, sizeof e, "\\x%02X", c); out << e; }
        }
        out << "\n";
    }
    return out.str();
}

inline std::string DataDir()
{
    const char *d = getenv("RAVOLT_TEST_DATA");
    return std::string(d ? d : "tests/data") + "/message/";
}

inline std::vector<unsigned char> ReadFile(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

/* Compares with tests/data/message/<name>.golden; RAVOLT_UPDATE_GOLDEN=1
 * writes the file instead. Returns the difference, empty when equal. */
inline std::string CompareGolden(const std::string &name, const std::string &actual)
{
    std::string path = DataDir() + name + ".golden";
    if (getenv("RAVOLT_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << actual;
        return "";
    }
    auto bytes = ReadFile(path);
    std::string expected(bytes.begin(), bytes.end());
    if (expected == actual)
        return "";
    std::istringstream a(expected), b(actual);
    std::string la, lb;
    for (int n = 1;; n++) {
        bool ga = (bool)std::getline(a, la), gb = (bool)std::getline(b, lb);
        if (!ga && !gb) return "differs";
        if (la != lb || ga != gb)
            return "line " + std::to_string(n) + "\n expected: " + (ga ? la : "<end>") +
                   "\n actual:   " + (gb ? lb : "<end>");
    }
}

/* Byte-by-byte builder in a chosen integer encoding. */
struct Bytes {
    std::vector<unsigned char> b;
    bool reversed = true;
    explicit Bytes(bool rev = true) : reversed(rev) {}
    Bytes &I32(int64_t v)
    {
        uint32_t u = (uint32_t)v;
        for (int i = 0; i < 4; i++)
            b.push_back((unsigned char)(reversed ? u >> (8 * i) : u >> (8 * (3 - i))));
        return *this;
    }
    Bytes &I64(int64_t v)
    {
        uint64_t u = (uint64_t)v;
        for (int i = 0; i < 8; i++)
            b.push_back((unsigned char)(reversed ? u >> (8 * i) : u >> (8 * (7 - i))));
        return *this;
    }
    Bytes &Chars(const char *s, size_t n, char pad = ' ')
    {
        size_t l = strlen(s);
        for (size_t i = 0; i < n; i++) b.push_back((unsigned char)(i < l ? s[i] : pad));
        return *this;
    }
    Bytes &Raw(const void *p, size_t n)
    {
        b.insert(b.end(), (const unsigned char *)p, (const unsigned char *)p + n);
        return *this;
    }
    Bytes &Fill(unsigned char c, size_t n) { b.insert(b.end(), n, c); return *this; }
    Bytes &Pad4() { while (b.size() % 4) b.push_back(0); return *this; }
    Bytes &Add(const Bytes &o) { b.insert(b.end(), o.b.begin(), o.b.end()); return *this; }
    size_t size() const { return b.size(); }
    void Patch32(size_t at, int64_t v)
    {
        uint32_t u = (uint32_t)v;
        for (int i = 0; i < 4; i++)
            b[at + i] = (unsigned char)(reversed ? u >> (8 * i) : u >> (8 * (3 - i)));
    }
};

/* Stand-in constant tables (the MQ engine supplies the real ones). */
inline const char *StubValueName(int32_t parm, int32_t value)
{
    if (parm == 20 && value == 1) return "MQQT_LOCAL";
    if (parm == 1016 && value == 1) return "MQEVR_ENABLED";
    return nullptr;
}

inline void InstallStubTables()
{
    static const FmtValueName reasons[] = {
        { 0, "MQRC_NONE", "None", 0 }, { 2035, "MQRC_NOT_AUTHORIZED", "Not authorized", 0 },
        { 2051, "MQRC_PUT_INHIBITED", "Put inhibited", 0 },
        { 2085, "MQRC_UNKNOWN_OBJECT_NAME", "Unknown object name", 0 }, { 0, nullptr, nullptr, 0 } };
    static const FmtValueName params[] = {
        { 20, "MQIA_Q_TYPE", "Queue type", 0 }, { 1016, "MQIA_AUTHORITY_EVENT", "Authority event", 0 },
        { 2016, "MQCA_Q_NAME", "Queue name", 0 }, { 1022, "MQIACF_OPEN_OPTIONS", "Open options", 0 },
        { 8001, "MQGACF_COMMAND_CONTEXT", "Command context", 0 },
        { 8002, "MQGACF_COMMAND_DATA", "Command data", 0 }, { 0, nullptr, nullptr, 0 } };
    static const FmtValueName commands[] = {
        { 13, "MQCMD_INQUIRE_Q", "Inquire Queue", 0 }, { 44, "MQCMD_Q_MGR_EVENT", "Queue Manager Event", 0 },
        { 99, "MQCMD_CONFIG_EVENT", "Configuration Event", 0 },
        { 164, "MQCMD_STATISTICS_Q", "Statistics Queue", 0 },
        { 165, "MQCMD_STATISTICS_Q", "Statistics Queue", 0 }, { 0, nullptr, nullptr, 0 } };
    static const FmtValueName open[] = {
        { 1, "MQOO_INPUT_AS_Q_DEF", "Input as Q def", 0 }, { 8, "MQOO_BROWSE", "Browse", 0 },
        { 16, "MQOO_OUTPUT", "Output", 0 }, { 0, nullptr, nullptr, 0 } };
    FmtConstLinks links = {};
    links.reasons = reasons;
    links.parameters = params;
    links.commands = commands;
    links.openOptions = open;
    links.valueName = StubValueName;
    FmtSetConstLinks(&links);
}

inline FmtLineRec MakeLineRec(uint32_t detail = 4)
{
    FmtLineRec lr = {};
    lr.flags = detail;
    lr.width = 100;
    lr.endLevel = 3;
    lr.displayCcsid = 850;
    return lr;
}

inline FmtMsgInfo MakeMsg(const char *format, uint32_t encoding = 546, uint32_t ccsid = 1208)
{
    FmtMsgInfo m = {};
    m.encoding = encoding;
    m.ccsid = ccsid;
    memcpy(m.format, format, 8);
    return m;
}

/* The lines after the "Message Content" heading that a data walk starts
 * with: what tests of bodies look at. */
inline void DropContentHeading(Recorder *r)
{
    static const std::string title = " bytes] Message Content";
    auto &l = r->lines;
    if (!l.empty() && (l[0].lineFlags & LF_HEADING) && l[0].text.size() >= title.size() &&
        l[0].text.compare(l[0].text.size() - title.size(), title.size(), title) == 0)
        l.erase(l.begin());
}

inline std::string FormatAll(FmtMsgInfo m, const std::vector<unsigned char> &data, FmtLineRec lr,
                             Recorder *rec = nullptr, uint32_t *result = nullptr)
{
    Recorder local;
    Recorder &r = rec ? *rec : local;
    uint32_t rc = FapFormatMessage(nullptr, 0, data.data(), (uint32_t)data.size(), &m, RecordSink,
                                   (uint64_t)(uintptr_t)&r, &lr);
    if (result) *result = rc;
    return Render(r);
}
