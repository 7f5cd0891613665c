/* Channel records written field by field, by the names of the stored
 * record, for the golden files of the channel-table tests; and the walks
 * of a binary table and of the JSON list that feed them. */
#pragma once

#include "loctest.h"
#include "ccdtgen.h"
#include "ccdtjson.h"

namespace ccdtdump {

inline std::string Printable(const char *p, size_t n)
{
    while (n && (p[n - 1] == ' ' || p[n - 1] == 0))
        n--;
    std::string s;
    for (size_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)p[i];
        if (c >= 32 && c < 127) {
            s += (char)c;
        } else {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            s += hex;
        }
    }
    return s;
}

inline std::string ExitList(const void *p)
{
    const CHLEXITLIST *l = (const CHLEXITLIST *)p;
    if (!l)
        return "-";
    std::string s = std::to_string(l->count) + "x" + std::to_string(l->entryLength) + " [";
    for (int i = 0; i < l->count; i++)
        s += (i ? "|" : "") + Printable(l->entries + (size_t)i * l->entryLength, (size_t)l->entryLength);
    return s + "]";
}

/* Every field of a channel record (exits expanded first), one per line. */
inline std::string Dump(CHLDEF *c)
{
    char error[CHL_ERROR_SIZE] = "";
    int rc = ReadChannelExits(c, error);
    std::string out;
    for (const CHLFIELD *f = ChlFields; f->kind != CHF_END; f++) {
        const char *p = (const char *)c + f->offset;
        std::string v;
        int32_t i;
        switch (f->kind) {
        case CHF_CHAR: case CHF_PASSWORD: v = Printable(p, f->width); break;
        case CHF_INT: memcpy(&i, p, 4); v = std::to_string(i); break;
        case CHF_INTS:
            for (int k = 0; k < f->width; k++) {
                memcpy(&i, p + 4 * k, 4);
                v += (k ? "," : "") + std::to_string(i);
            }
            break;
        case CHF_TIME: { int64_t t; memcpy(&t, p, 8); v = std::to_string(t); break; }
        case CHF_PTR: {
            void *q;
            memcpy(&q, p, sizeof q);
            v = f->offset == offsetof(CHLDEF, cd.SSLPeerNamePtr)
                    ? (q ? std::string((const char *)q) : "-") : ExitList(q);
            break;
        }
        default: continue;
        }
        out += std::string(f->name) + ": " + v + "\n";
    }
    std::string tail;
    for (int k = 0; k < c->tailLength; k++) {
        char hex[4];
        snprintf(hex, sizeof hex, "%02X", CHL_TAIL(c)[k]);
        tail += hex;
    }
    out += "Tail: " + tail + "\n";
    if (rc)
        out += std::string("Exits: ") + error + "\n";
    FreeChannelDef(c, 0);
    return out;
}

/* Walks a binary table: each channel's dump, or its code and message. */
inline std::string WalkBinary(const std::string &path, std::vector<std::string> *names = nullptr)
{
    char spec[CHL_PATH_SIZE], error[CHL_ERROR_SIZE] = "";
    snprintf(spec, sizeof spec, "%s", path.c_str());
    RCHN *h = nullptr;
    int rc = RchnOpen(spec, &h, error);
    if (rc)
        return "open " + std::to_string(rc) + " " + error + "\n";
    std::string out;
    std::vector<uint8_t> buffer(CHL_BUFFER);
    CHLDEF *c = (CHLDEF *)buffer.data();
    for (int first = 1, n = 0; n < 100000; first = 0, n++) {
        size_t length = buffer.size();
        error[0] = 0;
        rc = first ? RchnFirst(h, c, &length, error) : RchnNext(h, c, &length, error);
        if (rc == RCHN_END)
            break;
        if (rc) {
            out += "rc " + std::to_string(rc) + " " + error + "\n";
            if (rc != RCHN_BADHANDLE)
                break;
            continue;
        }
        if (names)
            names->push_back(TRIM(c->cd.ChannelName));
        out += "== " + TRIM(c->cd.ChannelName) + "\n" + Dump(c);
    }
    RchnClose(h, error);
    return out;
}

/* Loads a JSON table: the reader's messages, then each channel's ordinal
 * and dump. */
inline std::string WalkJson(const std::string &path, int *loaded = nullptr)
{
    std::string out;
    char spec[CHL_PATH_SIZE];
    snprintf(spec, sizeof spec, "%s", path.c_str());
    auto report = [](void *ctx, int severity, const char *text) {
        *(std::string *)ctx += "msg " + std::to_string(severity) + " " + text + "\n";
    };
    int ok = LoadJsonCcdt(report, &out, spec, 1);
    if (loaded)
        *loaded = ok;
    RCHN *h = nullptr;
    char error[CHL_ERROR_SIZE];
    RchnOpenJson(&h, spec, error);
    JSONSEARCH s = {};
    std::vector<uint8_t> buffer(CHL_BUFFER);
    CHLDEF *c = (CHLDEF *)buffer.data();
    for (int first = 1;; first = 0) {
        size_t length = buffer.size();
        int rc = first ? RchnFirstJson(h, &s, &length, c) : RchnNextJson(h, &s, &length, c);
        if (rc)
            break;
        out += "== " + TRIM(c->cd.ChannelName) + " ordinal " + std::to_string(s.currentOrdinal) + "\n" + Dump(c);
    }
    RchnCloseJson(h);
    return out;
}

/* Replaces every occurrence of a directory in a text (goldens hold names
 * without the folder they were read from). */
inline std::string Unfold(std::string text, std::string dir)
{
    for (char &c : text)               /* paths joined with either separator */
        if (c == '\\')
            c = '/';
    for (char &c : dir)
        if (c == '\\')
            c = '/';
    for (size_t at; (at = text.find(dir)) != std::string::npos;)
        text.replace(at, dir.size(), "<dir>");
    return text;
}

}  // namespace ccdtdump
