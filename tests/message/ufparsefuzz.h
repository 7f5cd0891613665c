/* Robustness driver of the user format parser, shared by the fuzz test
 * and the long run in bench/: every prefix of every fixture file, byte
 * mutations, token mutations (dropped braces, swapped keywords, duplicated
 * and dropped lines) and include graphs with cycles.  Every load must end
 * in success, in one of the language's error texts or in the cycle report,
 * and each loaded structure must format and summarise any data. */
#pragma once

#include "fmttest.h"
#include "userfmt.h"
#include "ufint.h"
#include "cstext.h"
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

/* The language's messages, "*" for each argument. */
static const char *const ufAllowedErrors[] = {
    "Unexpected Token '*' found.", "Expected file name to follow include statment",
    "Stucture '*' is already defined.", "Unknown structure '*' specified.", "Field '*' is already defined.",
    "'*' found where ';' was expected.", "Data type expected.", "'*' is not a valid field type.",
    "The precision value '*' is not a valid value.", "* field of zero length is not supported.",
    "Invalid date string format.", "Field type does not support Field Format data.",
    "Unrecognised CTIME field format '*'.", "Array field '*' is not defined.", "Array field '*' is not numeric.",
    "Multi-dimension arrays are not supported.", "Arrays are not supported for this field type.",
    "Enumeration '*' is not defined.", "Enumeration '*' is not of integer type.",
    "Enumeration '*' is not of character type.", "Enumeration '*' is not of suitable type.",
    "Enumerations are not supported for this field type",
    "Conditional values are not supported on variable length fields such as '*'.",
    "Enumerations are not supported on variable length fields such as '*'.",
    "A conditional value is not allowed on field '*' because it's position is not fixed.",
    "Conditional hex string is larger than actual hex field.", "Conditional value '*' should be in hex.",
    "Conditional string is larger than actual string field.", "Field type does not support conditional values.",
    "Field option '*' can only be specified on numeric fields.", "Expected field option.",
    "Unrecognised field option '*'.", "'*' found where ',' (comma) was expected.",
    "Enumeration '*' is already defined.", "Constant name missing.", "List ended unexpectedly.",
    "Queue name expected.", "'*' is not a valid queue name.", "Format values must be 8 characters or less.",
    "Stucture '*' is not defined.", "Expected formatter name.", "Unrecognised formatter name '*'.",
    "Character value can only be up to 8 characters", "Unexpected end of file.", "Expected '*' missing.",
    "'*' found where '*' expected.", "* name missing.", "'*' is not a valid * name.",
    "Can not open user format file '*'.", "Number '*' too large.", "Number expected.",
    "Number '*' is not a valid format.", "Include cycle: '*' includes itself.",
    "Include files are nested too deeply at '*'.",
};

struct UFFuzzCheck {
    uint64_t loads = 0, errors = 0, unexpected = 0, structs = 0, lines = 0;
    std::string firstUnexpected;
};

inline void UFFuzzReporter(void *context, void *, const char *text, const char *caption)
{
    UFFuzzCheck *c = (UFFuzzCheck *)context;
    c->errors++;
    std::string t(text);
    size_t p = t.rfind("\n\n");
    std::string message = p == std::string::npos ? t : t.substr(p + 2);
    bool known = strcmp(caption, "Ravolt User Format File Parse Error") == 0 &&
                 (p != std::string::npos || message.compare(0, 30, "Can not open user format file ") == 0);
    bool matched = false;
    for (const char *a : ufAllowedErrors)
        if (UTWildMatch(message.data(), (int)message.size(), a, (int)strlen(a)))
            matched = true;
    if (!known || !matched) {
        if (!c->unexpected++)
            c->firstUnexpected = text;
    }
}

inline uint32_t UFFuzzSink(uint64_t context, FmtLineRec *lr, char *text, uint32_t n)
{
    UFFuzzCheck *c = (UFFuzzCheck *)context;
    if (n >= FMT_LINE_BUFFER || (text[n] != 0 && !(lr->flags & LR_NO_TEXT)))
        abort();
    c->lines++;
    return 0;
}

struct UFFuzzRng {
    uint64_t s;
    uint32_t Next() { s ^= s << 13; s ^= s >> 7; s ^= s << 17; return (uint32_t)(s >> 11); }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
};

struct UFFuzzer {
    std::string dir;
    std::vector<std::string> fixtures;
    uint32_t options = UF_OPT_ALLOW | UF_OPT_EDIFACT | UF_OPT_SUMMARY;
    UFFuzzCheck check;
    std::string top = "TOP.FMT";

    void Start(const std::string &folder)
    {
        dir = folder;
        std::filesystem::create_directories(dir);
        for (const char *name : { "orders.fmt", "types.fmt", "rules.fmt" }) {
            auto b = ReadFile(DataDir() + "userfmt/" + name);
            fixtures.push_back(std::string(b.begin(), b.end()));
            Write(name, fixtures.back());
        }
        UFPREFS p = { &options, top.c_str(), dir.c_str(), 850 };
        UFSetPreferences(&p);
        UFSetErrorReporter(UFFuzzReporter, &check);
    }
    void Stop()
    {
        UFFreeFormats();
        UFSetErrorReporter(nullptr, nullptr);
        UFPREFS p = {};
        UFSetPreferences(&p);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    void Write(const std::string &name, const std::string &text)
    {
        FILE *f = fopen((dir + "/" + name).c_str(), "wb");
        if (f) {
            fwrite(text.data(), 1, text.size(), f);
            fclose(f);
        }
    }

    /* Loads the top file, then formats and summarises data by every
     * structure loaded. */
    void LoadAndUse(const std::string &text, UFFuzzRng *r, bool use)
    {
        Write(top, text);
        UFLoadFormats(nullptr, (int)(check.loads & 1));
        check.loads++;
        if (!use || !UFCurrent())
            return;
        std::vector<unsigned char> data(1 + r->Below(200));
        for (auto &b : data)
            b = (unsigned char)(r->Below(3) ? r->Below(16) : r->Next());
        for (CSTREE *e = CSTreeFirst(UFCurrent()->structs); e; e = e->next) {
            UFSTRUCT *s = (UFSTRUCT *)((UFINDEX *)e)->record;
            check.structs++;
            std::vector<unsigned char> copy(data);
            FmtMsgInfo m = MakeMsg("        ", r->Below(2) ? 546 : 273, r->Below(4) ? 850 : 500);
            FmtLineRec lr = MakeLineRec(1 + r->Below(4));
            const unsigned char *p = copy.data();
            uint32_t rem = (uint32_t)copy.size();
            FapFormatStructure(&m, &s->def, nullptr, UFFuzzSink, (uint64_t)(uintptr_t)&check, &lr, &rem, &p);
            UFMatchState st = {};
            UFStateFor(&st, "ORDERS  ", m.encoding, m.ccsid, "SHOP.X", 6);
            UFConditionsHold(s, copy.data(), (uint32_t)copy.size(), &st);
            char text[300];
            UFTEXT t = { text, (uint32_t)sizeof text, 0 };
            StructSummaryFields(&s->def, &st, copy.data(), (uint32_t)copy.size(), &t);
        }
        UFMatchState st = {};
        UFStateFor(&st, "F1      ", 546, 850, "SHOP.IN", 7);
        UFFindFormat(1, "SHOP.IN", 7, data.data(), (uint32_t)data.size(), &st);
    }

    uint64_t Prefixes(uint32_t step = 1)
    {
        UFFuzzRng r{ 0x1234567 };
        uint64_t n = 0;
        for (const std::string &f : fixtures)
            for (size_t len = 0; len <= f.size(); len += step, n++)
                LoadAndUse(f.substr(0, len), &r, len % 7 == 0);
        return n;
    }

    static std::string MutateBytes(UFFuzzRng &r, std::string s)
    {
        static const char interesting[] = "{}[]();:,=\"\\*?$\n 0x-9Az_.|&<>!";
        int edits = 1 + (int)r.Below(4);
        for (int e = 0; e < edits; e++) {
            if (s.empty()) { s.push_back(interesting[r.Below(sizeof interesting - 1)]); continue; }
            uint32_t at = r.Below((uint32_t)s.size());
            switch (r.Below(5)) {
            case 0: s[at] = (char)r.Next(); break;
            case 1: s[at] = interesting[r.Below(sizeof interesting - 1)]; break;
            case 2: s.insert(s.begin() + at, interesting[r.Below(sizeof interesting - 1)]); break;
            case 3: s.erase(at, 1 + r.Below(8)); break;
            default: s.insert(at, s.substr(r.Below((uint32_t)s.size()), r.Below(40))); break;
            }
        }
        return s;
    }

    static std::string MutateTokens(UFFuzzRng &r, const std::string &s)
    {
        static const char *const words[] = { "struct", "enum", "enum_int", "queue", "format", "include",
            "formatter", "override", "int", "char", "hex", "packed", "desc", "align4", "*", "$none",
            "summary", "low", "=", ";", "{", "}", "[", "]", "(", ")", ":", ",", "99999999999999999999999",
            "-1", "0", "Encoding", "CSV", "types.fmt", "\"quoted text\"", "YYYYJJJ", "0x7FFFFFFF" };
        std::vector<std::string> tokens;
        std::string cur;
        for (char c : s) {
            if (c == ' ' || c == '\n' || c == '\t') {
                if (!cur.empty()) tokens.push_back(cur);
                cur.clear();
                tokens.push_back(std::string(1, c));
            } else {
                cur += c;
            }
        }
        if (!cur.empty()) tokens.push_back(cur);
        int edits = 1 + (int)r.Below(3);
        for (int e = 0; e < edits && !tokens.empty(); e++) {
            uint32_t at = r.Below((uint32_t)tokens.size());
            switch (r.Below(5)) {
            case 0:                         /* drop a brace or any token */
                for (uint32_t k = 0; k < tokens.size(); k++) {
                    uint32_t i = (at + k) % tokens.size();
                    if (tokens[i] == "{" || tokens[i] == "}") { at = i; break; }
                }
                tokens.erase(tokens.begin() + at);
                break;
            case 1: tokens[at] = words[r.Below(sizeof words / sizeof *words)]; break;
            case 2: std::swap(tokens[at], tokens[r.Below((uint32_t)tokens.size())]); break;
            case 3: tokens.insert(tokens.begin() + at, words[r.Below(sizeof words / sizeof *words)]); break;
            default: {                      /* duplicate or drop a stretch of lines */
                uint32_t n = 1 + r.Below(20);
                if (r.Below(2))
                    tokens.insert(tokens.begin() + at, tokens.begin() + at,
                                  tokens.begin() + std::min<size_t>(tokens.size(), at + n));
                else
                    tokens.erase(tokens.begin() + at, tokens.begin() + std::min<size_t>(tokens.size(), at + n));
            }
            }
        }
        std::string out;
        for (auto &t : tokens) out += t;
        return out;
    }

    /* Four files including each other at random, cycles included. */
    void IncludeGraph(UFFuzzRng &r)
    {
        for (int i = 0; i < 4; i++) {
            std::string text;
            int n = (int)r.Below(3);
            for (int k = 0; k < n; k++)
                text += "include " + std::string(r.Below(4) ? "" : "./") + "g" + std::to_string(r.Below(4)) + ".fmt\n";
            text += "struct G" + std::to_string(i) + "_" + std::to_string(r.Below(3)) + "\n{\n int v;\n}\n";
            Write("g" + std::to_string(i) + ".fmt", text);
        }
    }

    uint64_t Mutations(uint64_t count, uint64_t seed)
    {
        UFFuzzRng r{ seed | 1 };
        for (uint64_t i = 0; i < count; i++) {
            uint32_t kind = r.Below(16);
            if (kind == 0) {
                IncludeGraph(r);
                LoadAndUse("include g0.fmt\n", &r, true);
                continue;
            }
            const std::string &f = fixtures[r.Below((uint32_t)fixtures.size())];
            std::string text = kind < 10 ? MutateBytes(r, f) : MutateTokens(r, f);
            LoadAndUse(text, &r, (i & 7) == 0);
        }
        return count;
    }
};
