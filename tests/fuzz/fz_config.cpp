/* Fuzz target: the configuration file (profile and location blocks) read
 * at start-up and written at exit, three times over: what the program
 * writes must read back to itself, so the second and third writings are
 * the same bytes.  A damaged file may lose what it cannot hold, but
 * never what the program wrote.  With RAVOLT_FUZZ_STRICT=1 the first
 * writing (of the damaged file) must say the same as the second too,
 * blanks at line ends aside: a value read from a damaged file that the
 * next start reads differently shows there (a key written only when it
 * differs from its default shows there as well, without harm). */
#include "fzconfig.h"

#include <cstdio>
#include <cstdlib>

#include "prffile.h"

namespace {

/* A start and an exit of the program on the file as it is. */
std::string StartAndExit(void)
{
    FuzzEmptyLocations();
    CfgStatus = 0;
    LoadPrfData();
    CfgFileRead(ConfigFile, &LocTree, 0, nullptr);
    CfgStatus |= CFG_STATUS_READ;
    FUZZ_CHECK(CfgFileWrite() == 0, "the configuration was not written");
    return FuzzConfigText();
}

/* The text without blanks before its line ends. */
std::string Trimmed(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            while (!out.empty() && out.back() == ' ')
                out.pop_back();
        out += c;
    }
    return out;
}

void Seeds(FuzzSeeds *s)
{
    s->Files("data/config", ".cfg");
}

void Init(void)
{
    FuzzConfigQuiet();
}

void Run(const uint8_t *data, size_t size)
{
    if (FILE *f = fopen(ConfigFile, "wb")) {
        fwrite(data, 1, size, f);
        fclose(f);
    }
    std::string writings[3];
    for (std::string &w : writings)
        w = StartAndExit();
    writings[0] = Trimmed(writings[0]);
    std::string second = Trimmed(writings[1]);
    static const bool strict = getenv("RAVOLT_FUZZ_STRICT") && atoi(getenv("RAVOLT_FUZZ_STRICT"));
    for (int i = strict ? 1 : 2; i < 3; i++) {
        const std::string &a = writings[i - 1], &b = i == 1 ? second : writings[i];
        if (a == b)
            continue;
        size_t at = 0;
        while (at < a.size() && at < b.size() && a[at] == b[at])
            at++;
        size_t from = at > 60 ? at - 60 : 0;
        FuzzFail("a written configuration reads back differently",
                 "at byte " + std::to_string(at) + ", writing " + std::to_string(i) + " [" + a.substr(from, 200) +
                     "]\nwriting " + std::to_string(i + 1) + " [" + b.substr(from, 200) + "]");
    }
    FuzzEmptyLocations();
    PrfSetDefaults();
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
