/* Fuzz target: an mqs.ini file as the import of local queue managers
 * reads it; every name it gives is a queue-manager name. */
#include "fzimport.h"
#include "cstext.h"

static void Seeds(FuzzSeeds *s)
{
    s->Files("samples/ini-mqsc", ".ini");
}

static void Run(const uint8_t *data, size_t size)
{
    std::string path = FuzzFile("mqs.ini", data, size);
    FILE *f = fopen(path.c_str(), "rb");
    /* the names as the import takes them (cut to a queue manager's length) */
    ImportReadMqsIni(f, [](void *, const char *qm) {
        char name[QMS_NAME + 1];
        UTStrCopy(name, qm, sizeof name);
        ImportFindLocation(name, "");
    }, nullptr);
    fclose(f);
}

FUZZ_TARGET(Seeds, nullptr, Run)
