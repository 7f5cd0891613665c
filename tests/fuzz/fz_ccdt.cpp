/* Fuzz target: a binary client channel table as a file, opened and
 * walked record by record (with the exits of each), and searched by
 * name, as the location import and the connection code read it. */
#include "fuzz.h"

#include <cstdio>

#include "ccdt.h"
#include "ccdtfixtures.h"

static void Seeds(FuzzSeeds *s)
{
    s->Files("samples/ccdt-binary");
    s->Files("data/locations", ".TAB");
    for (const auto &f : ccdtfix::All()) {
        ccdtgen::Bytes b = f.make();
        s->Add(b.data(), b.size());
    }
}

static void Run(const uint8_t *data, size_t size)
{
    std::string path = FuzzScratch() + "/AMQCLCHL.TAB";
    FILE *f = fopen(path.c_str(), "wb");
    fwrite(data, 1, size, f);
    fclose(f);
    char spec[CHL_PATH_SIZE], error[CHL_ERROR_SIZE];
    snprintf(spec, sizeof spec, "%s", path.c_str());
    RCHN *h;
    if (RchnOpen(spec, &h, error))
        return;
    static std::vector<uint8_t> buffer(CHL_BUFFER);
    CHLDEF *c = (CHLDEF *)buffer.data();
    int steps = 0;
    for (; steps < 100000; steps++) {
        size_t n = buffer.size();
        int rc = steps ? RchnNext(h, c, &n, error) : RchnFirst(h, c, &n, error);
        if (rc != 0 && rc != RCHN_TOOLARGE && rc != RCHN_BADHANDLE)
            break;
        if (rc == 0 || rc == RCHN_TOOLARGE) {
            ReadChannelExits(c, error);
            FreeChannelDef(c, 0);
        }
    }
    FUZZ_CHECK(steps < 100000, "the walk of the table did not end");
    for (const char *name : { "TEST.SVRCONN", "CERT.SVRCONN_CLNT", "SYSTEM.DEF.CLNTCONN", "ZZZ" }) {
        size_t n = buffer.size();
        if (RchnFind(h, name, c, &n, error) == 0) {
            ReadChannelExits(c, error);
            FreeChannelDef(c, 0);
        }
    }
    RchnClose(h, error);
}

FUZZ_TARGET(Seeds, nullptr, Run)
