/* Fuzz target: the authorities file loaded at start-up and loaded again
 * (as "Reload authorities" does) over the configuration's locations; every
 * right and queue mask a location holds afterwards is read, so a mask
 * freed while a location still points at it is seen. */
#include "fuzz.h"

#include <cstdio>

#include "autfile.h"
#include "cfgfile.h"
#include "cs.h"

namespace {

void Seeds(FuzzSeeds *s)
{
    s->Add(std::string("all !msg_delete queue_list=Q.* queue_mask={A.*,!B.*}\n"
                       "nomenu_help nomenu_msg_format\nQM:PROD*\nmsg_all queue_prefix_min=2\n"
                       "QM:X\n!all\n"));
    s->Add(std::string("msg_display\nQM:A\nmsg_copy queue_mask={APP.*}\nQM:PROD1\n!msg_all queue_list=SYS*\n"));
    s->Add(std::string("queue_mask={*,!SYSTEM.*,?X}\nQM:*\nqueue_mask={A}\nQM:B*\nbogus\n"));
}

void Init(void)
{
    static CFGHOOKS quiet = {};
    quiet.notice = [](void *, const char *, const char *) {};
    CfgSetHooks(&quiet);
    for (const char *name : { "PROD1", "A", "X", "B2" }) {
        QMS t;
        InitLocationDefaults(&t);
        strcpy(t.qmName, name);
        LocCreate(&LocTree, &t, 0);
    }
}

void Touch(void)
{
    uint64_t sum = 0;
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next) {
        QMS *q = (QMS *)e;
        sum += q->authMask;
        int n = 0;
        for (AUTQMASK *m = q->queueMasks; m && n < 100000; m = m->next, n++) {
            FUZZ_CHECK(m->length >= 0 && m->length <= QMS_NAME, q->qmName);
            sum += strlen(m->mask) + (uint64_t)m->negate;
        }
        FUZZ_CHECK(n < 100000, "a location's queue masks do not end");
    }
    for (AUTQMASK *m = AutGlobalQueueMasks; m; m = m->next)
        sum += strlen(m->mask);
    (void)sum;
}

std::string Write(const char *name, const void *data, size_t size)
{
    std::string path = FuzzScratch() + "/" + name;
    if (FILE *f = fopen(path.c_str(), "wb")) {
        fwrite(data, 1, size, f);
        fclose(f);
    }
    return path;
}

/* A file with masks for every location, then the input, loaded twice. */
void Run(const uint8_t *data, size_t size)
{
    static const char masks[] = "queue_mask={A.*}\nQM:*\nall queue_mask={B.*,!C.*}\n";
    AutLoadFile(Write("MASKS.AUT", masks, sizeof masks - 1).c_str());
    Touch();
    std::string path = Write("RAVOLT.AUT", data, size);
    AutLoadFile(path.c_str());
    Touch();
    AutLoadFile(path.c_str());
    Touch();
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
