/* Fuzz target: message files as a load reads them: Drask, dmpmqmsg and
 * amqsbcg files, and plain files whole or cut by delimiters (the first
 * input byte picks the reader).  Messages read from a file and unloaded
 * again as a Drask file read back as the same messages. */
#include "fuzz.h"

#include "xfertest.h"

namespace {

void Seeds(FuzzSeeds *s)
{
    s->Files("data/transfer");
    s->Files("samples/amqsbcg");
    for (std::string &in : s->inputs)
        in.insert(0, 1, '\0');
}

struct Kind {
    uint32_t options2;
    const char *start, *end;
};
const Kind Kinds[] = {
    { 0, "", "" },                              /* Drask, dmpmqmsg, amqsbcg */
    { DRO2_PLAIN, "", "" },                     /* lines */
    { DRO2_PLAIN, "* ", "\\10\\10" },
    { DRO2_PLAIN | DRO2_INCLUDE, "(", ")" },
    { DRO2_PLAIN | DRO2_WHOLE, "", "" },
};

/* A text field as a file's line can hold it: up to its first NUL, CR or
 * LF, blank padded. */
void AsLine(MQMD *md)
{
    for (const DraskAttr *a = DraskAttrTable; a->kind; a++) {
        if (a->kind != DRA_CHAR)
            continue;
        uint8_t *field = (uint8_t *)md + a->offset;
        uint32_t n = 0;
        while (n < a->length && field[n] && field[n] != '\r' && field[n] != '\n')
            n++;
        memset(field + n, ' ', a->length - n);
    }
}

/* Descriptors that say the same to a queue manager: below version 2 (a
 * file holds such a one without its version) the later fields do not
 * count; the structure's eye-catcher is not kept (a file's damaged one
 * is written as it should be), nor text fields' bytes a line cannot
 * hold. */
bool SameMD(MQMD a, MQMD b)
{
    MQMD d = { MQMD_DEFAULT };
    for (MQMD *m : { &a, &b }) {
        memcpy(m->StrucId, d.StrucId, 4);
        AsLine(m);
        if (m->Version < MQMD_VERSION_2) {
            memcpy(m->GroupId, d.GroupId, sizeof d.GroupId);
            m->MsgSeqNumber = d.MsgSeqNumber;
            m->Offset = d.Offset;
            m->MsgFlags = d.MsgFlags;
            m->OriginalLength = d.OriginalLength;
            m->Version = MQMD_VERSION_2;
        }
    }
    return memcmp(&a, &b, sizeof a) == 0;
}

std::string Describe(const XMsg &a, const XMsg &b)
{
    std::string at;
    for (size_t k = 0; k < sizeof(MQMD); k++)
        if (((const uint8_t *)&a.md)[k] != ((const uint8_t *)&b.md)[k]) {
            at = "first differing byte at offset " + std::to_string(k) + ": ";
            break;
        }
    return at + "[" + DescribeMD(a.md) + "] " + std::to_string(a.data.size()) + " bytes, read back [" +
           DescribeMD(b.md) + "] " + std::to_string(b.data.size()) + " bytes";
}

void Run(const uint8_t *data, size_t size)
{
    FuzzInput in = { data, size };
    const Kind &k = Kinds[in.Byte() % 5];
    std::string bytes = in.Rest();
    XRead r = ReadMessages(TempFile("in.bin", bytes), k.options2 ? DRO_CTX_DEFAULT : 0, k.options2, k.start, k.end);
    if (r.rc)
        FUZZ_CHECK(!r.error.empty(), "a failed read gave no reason");
    if (r.msgs.empty() || r.msgs.size() > 200)
        return;
    for (uint32_t options : { 0u, (uint32_t)DRO_SAFESET, (uint32_t)DRO_COLUMN }) {
        XRead back = ReadMessages(TempFile("out.drask", WriteMessages(r.msgs, options)));
        FUZZ_CHECK(back.rc == 0, "an unloaded file does not read back: " + back.error);
        FUZZ_CHECK(back.msgs.size() == r.msgs.size(), "an unloaded file reads back with another message count");
        for (size_t i = 0; i < r.msgs.size(); i++) {
            FUZZ_CHECK(back.msgs[i].data == r.msgs[i].data, "message data changed: " + Describe(r.msgs[i], back.msgs[i]));
            FUZZ_CHECK(SameMD(back.msgs[i].md, r.msgs[i].md),
                       "descriptor changed: " + Describe(r.msgs[i], back.msgs[i]));
        }
    }
}

}  // namespace

FUZZ_TARGET(Seeds, nullptr, Run)
