/* Fuzz target: PCF replies as a hostile queue manager sends them, into
 * the reply processing of a window of the kind the first input byte
 * chooses: a list window's rows (object and message lists), an object
 * dialog's values, and the scan of a reply's parameters.  The seeds are
 * the stand-in's own answers to the common inquiries.  Every row of a
 * filled list lies inside its area. */
#include "fuzz.h"

#include "replysamples.h"
#include "qms.h"

using namespace dlgtest;

namespace {

Recorder *rec;
QMS location;
int kinds;

void Seeds(FuzzSeeds *s)
{
    std::vector<std::string> replies = dlgtest::SampleReplies();
    int n = 0;
    while (PCFCommandDefs[n])
        n++;
    for (const std::string &r : replies)
        for (int k = 0; k < n; k++)
            s->Add(std::string(1, (char)k) + r);
}

void Init(void)
{
    PCFPrefsDefaults();
    PcfPrefs.predictive = 1;
    rec = new Recorder;
    rec->Install();
    strcpy(location.qmName, "QMF");
    strcpy(location.locationName, "QMF");
    location.commandLevel = 900;
    PCFInitCommandDefs();
    while (PCFCommandDefs[kinds])
        kinds++;
}

/* The rows of an area lie inside its used part. */
void CheckArea(PCFLISTAREA *a)
{
    if (!a)
        return;
    FUZZ_CHECK(a->used <= a->size, "an area's used part is larger than the area");
    uint32_t n = 0;
    for (PCFROW *r = PCFFirstRow(a); r && n <= a->rows; r = PCFNextRow(a, r), n++) {
        FUZZ_CHECK(r->length >= PCFLA_ROWHEADER, "a row shorter than its header");
        FUZZ_CHECK((uint8_t *)r + r->length <= (uint8_t *)a + a->used, "a row past the area's used part");
    }
    FUZZ_CHECK(n == a->rows, "the area's row count differs from its rows");
}

void Run(const uint8_t *data, size_t size)
{
    FuzzInput in = { data, size };
    uint8_t choice = in.Byte();
    PCFCommandDef *def = PCFCommandDefs[choice % kinds];
    FuzzBlock reply(in.Rest());
    {
        Dialog dialog(def, (void *)1);
        if (def->list) {
            PCFLISTREQ req = {};
            req.location = &location;
            req.columns = def->list->current;
            FillListArea(dialog.get(), def->list->kind == 2 ? nullptr : &location, &req, reply.data(),
                         (uint32_t)reply.size(), 0);
            CheckArea(req.filling);
            ReleaseRefBlock(&req.filling);
        } else {
            PCFSetDialogData(dialog.get(), &location, nullptr, nullptr, choice >> 7, reply.data(), (uint32_t)reply.size(),
                             nullptr);
            PCFTakeDialogData(dialog.get());
        }
        PCFScanResponseParms(dialog.get(), &location, 1, reply.data(), (uint32_t)reply.size());
    }
    rec->ReleasePosted();
    rec->posts.clear();
    rec->statuses.clear();
    rec->commands.clear();
    rec->selections.clear();
    rec->errors.clear();
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
