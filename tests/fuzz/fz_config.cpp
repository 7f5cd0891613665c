/* Fuzz target: the configuration file (profile and location blocks) read
 * at start-up and written at exit, three times over: what the program
 * writes must read back to itself, so the three writings are the same
 * bytes.  A damaged file may lose what it cannot hold, but never what
 * the program wrote. */
#include "fuzz.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "cfgfile.h"
#include "cs.h"
#include "prfdata.h"

namespace {

std::string ReadWhole(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void EmptyLocations(void)
{
    while (LocTree)
        LocDelete(&LocTree, (QMS *)CSTreeFirst(LocTree), nullptr);
    LocFlushFreed();
}

/* A start and an exit of the program on the file as it is. */
std::string StartAndExit(void)
{
    EmptyLocations();
    CfgStatus = 0;
    LoadPrfData();
    CfgFileRead(ConfigFile, &LocTree, 0, nullptr);
    CfgStatus |= CFG_STATUS_READ;
    FUZZ_CHECK(CfgFileWrite() == 0, "the configuration was not written");
    return ReadWhole(ConfigFile);
}

void Seeds(FuzzSeeds *s)
{
    s->Files("data/config", ".cfg");
}

void Init(void)
{
    snprintf(ConfigPath, sizeof ConfigPath, "%s/", FuzzScratch().c_str());
    snprintf(ConfigFile, sizeof ConfigFile, "%s/RAVOLT.CFG", FuzzScratch().c_str());
    static CFGHOOKS quiet = {};
    quiet.errorBox = [](void *, const char *, const char *, int, int) { return 0; };
    CfgSetHooks(&quiet);
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
    for (int i = 1; i < 3; i++) {
        const std::string &a = writings[i - 1], &b = writings[i];
        if (a == b)
            continue;
        size_t at = 0;
        while (at < a.size() && at < b.size() && a[at] == b[at])
            at++;
        size_t from = at > 80 ? at - 80 : 0;
        FuzzFail("a written configuration reads back differently",
                 "writing " + std::to_string(i) + " [" + a.substr(from, 160) + "]\nwriting " + std::to_string(i + 1) +
                     " [" + b.substr(from, 160) + "]");
    }
    EmptyLocations();
    PrfSetDefaults();
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
