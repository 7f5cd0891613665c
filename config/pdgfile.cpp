/* The profile's "PDG:" sections: reading a saved dialog into the list
 * (SavedDialogAdd) and writing the list back. */
#include "pdgfile.h"
#include "savedlg.h"
#include "cs.h"

#include <cstddef>
#include <cstring>

/* ---- the profile's "PDG:" sections ---------------------------------------- */

enum PdgKind : uint8_t { PG_FLAG, PG_INT, PG_TEXT };

/* The keys from "initrefresh" to "cy2", in the writer's order; the line
 * each ends (1) and when an integer is written: 0 not 0, 1 not -1,
 * 2 always, 3 neither 0 nor unset. */
struct PDGKEY {
    const char *name;
    uint8_t kind;
    uint8_t rule;
    uint8_t endsLine;
    size_t offset;
    uint32_t bit;
    uint16_t size;
};
#define S(f) offsetof(PDGSTATE, f)
static const PDGKEY stateKeys[] = {
    { "initrefresh", PG_FLAG, 0, 0, S(flags), PDF_INITREFRESH, 0 },
    { "buttons", PG_FLAG, 0, 0, S(flags), PDF_BUTTONS, 0 },
    { "fields", PG_FLAG, 0, 0, S(flags), PDF_FIELDS, 0 },
    { "filter", PG_FLAG, 0, 0, S(flags), PDF_FILTER, 0 },
    { "tl", PG_FLAG, 0, 0, S(flags), PDF_TL, 0 },
    { "refresh", PG_INT, 0, 0, S(refresh), 0, 0 },
    { "ds2", PG_INT, 0, 0, S(ds2), 0, 0 },
    { "ds3", PG_INT, 0, 0, S(ds3), 0, 0 },
    { "autoexptype", PG_INT, 0, 0, S(autoexptype), 0, 0 },
    { "align", PG_INT, 1, 0, S(align), 0, 0 },
    { "rest", PG_INT, 2, 1, S(rest), 0, 0 },
    { "autoexpfile", PG_TEXT, 0, 1, S(autoexpfile), 0, 299 },
    { "fil", PG_TEXT, 0, 1, S(fil), 0, 99 },
    { "obj", PG_TEXT, 0, 1, S(obj), 0, 49 },
    { "typ", PG_INT, 3, 1, S(typ), 0, 0 },
    { "x", PG_INT, 2, 0, S(x), 0, 0 }, { "y", PG_INT, 2, 0, S(y), 0, 0 },
    { "cx", PG_INT, 2, 0, S(cx), 0, 0 }, { "cy", PG_INT, 2, 1, S(cy), 0, 0 },
    { "x2", PG_INT, 2, 0, S(x2), 0, 0 }, { "y2", PG_INT, 2, 0, S(y2), 0, 0 },
    { "cx2", PG_INT, 2, 0, S(cx2), 0, 0 }, { "cy2", PG_INT, 2, 1, S(cy2), 0, 0 },
};
#undef S

static void start_state(PDGSTATE *s)
{
    s->typ = PD_UNSET;
    s->align = -1;
}

/* A key of the state; "x" and the like also set their "2" partners. */
static int read_state_key(PRFIN *in, PDGSTATE *s, const char *name, char *token)
{
    for (const PDGKEY &k : stateKeys) {
        if (strcmp(name, k.name))
            continue;
        char *field = (char *)s + k.offset;
        if (k.kind == PG_FLAG) {
            *(uint32_t *)field |= k.bit;
        } else if (k.kind == PG_TEXT) {
            PrfGetString(in, field, (size_t)k.size + 1, token);
        } else {
            PrfGetInt(in, (int32_t *)field, token);
            static const char *ones[] = { "x", "y", "cx", "cy" };
            for (int i = 0; i < 4; i++)
                if (!strcmp(name, ones[i]))
                    (&s->x2)[i] = (&s->x)[i];
        }
        return 1;
    }
    return 0;
}

int PrfReadSavedDialog(PRFIN *in, char *token)
{
    SAVEDDIALOG r;
    memset(&r, 0, sizeof r);
    start_state(&r.st);
    start_state(&r.saved);
    uint32_t q;
    int len;
    char name[PRF_TOKEN_SIZE];
    for (;;) {
        len = PrfGetToken(in, &q, 0, token);
        if ((len == 0 && !q) || PrfIsSectionTag(token, len, q))
            break;
        if (q)
            continue;
        memcpy(name, token, (size_t)len + 1);
        if (!strcmp(name, "gtype")) PrfGetInt(in, &r.gtype, token);
        else if (!strcmp(name, "type")) PrfGetInt(in, &r.type, token);
        else if (!strcmp(name, "auto")) r.autoStart = 1;
        else if (!strcmp(name, "desc")) PrfGetString(in, r.desc, sizeof r.desc, token);
        else if (!strcmp(name, "grps")) PrfGetString(in, r.grps, sizeof r.grps, token);
        else if (!strcmp(name, "qm")) PrfGetString(in, r.qm, sizeof r.qm, token);
        else if (!strcmp(name, "sav")) r.hasSaved = 1;
        else if (!strncmp(name, "s_", 2)) read_state_key(in, &r.saved, name + 2, token);
        else read_state_key(in, &r.st, name, token);
    }
    SavedDialogAdd(&r, nullptr);
    return len;
}

static void write_state(PRFOUT *out, const PDGSTATE *s, const char *prefix)
{
    int open = 0;
    for (const PDGKEY &k : stateKeys) {
        const char *field = (const char *)s + k.offset;
        int32_t v = *(const int32_t *)field;
        int write;
        switch (k.kind) {
        case PG_FLAG: write = (v & k.bit) != 0; break;
        case PG_TEXT: write = PrfTextSet(field); break;
        default:
            write = k.rule == 0 ? v != 0 : k.rule == 1 ? v != -1 : k.rule == 2 ? 1
                  : v != 0 && v != PD_UNSET;
            break;
        }
        if (write) {
            if (!open)
                PrfOutText(out, "  ");
            open = 1;
            if (k.kind == PG_FLAG) {
                PrfOutFormat(out, "%s%s ", prefix, k.name);
            } else if (k.kind == PG_TEXT) {
                PrfOutFormat(out, "%s%s=", prefix, k.name);
                PrfPutQuoted(out, field, (size_t)k.size);
                PrfOutChar(out, ' ');
            } else {
                PrfOutFormat(out, "%s%s=%d ", prefix, k.name, (int)v);
            }
        }
        if (k.endsLine && open) {
            PrfOutChar(out, '\n');
            open = 0;
        }
    }
}

static void write_saved_dialog(CSTREE *e, void *ctx)
{
    PRFOUT *out = (PRFOUT *)ctx;
    const SAVEDDIALOG *r = (const SAVEDDIALOG *)e;
    PrfOutFormat(out, "\nPDG: \n  gtype=%d\n", (int)r->gtype);
    if (PrfTextSet(r->desc)) {
        PrfOutText(out, "  desc=");
        PrfPutQuoted(out, r->desc, 49);
        PrfOutChar(out, '\n');
    }
    if (PrfTextSet(r->grps)) {
        PrfOutText(out, "  grps=");
        PrfPutQuoted(out, r->grps, 49);
        PrfOutChar(out, '\n');
    }
    if (r->gtype != 0)
        return;
    PrfOutFormat(out, "  type=%d %s\n", (int)r->type, r->autoStart ? "auto " : "");
    if (PrfTextSet(r->qm)) {
        PrfOutText(out, "  qm=");
        PrfPutQuoted(out, r->qm, 49);
        PrfOutChar(out, '\n');
    }
    if (strcmp(r->desc, "#") != 0)
        write_state(out, &r->st, "");
    if (r->hasSaved) {
        PrfOutText(out, "  sav\n");
        write_state(out, &r->saved, "s_");
    }
}

void PrfWriteSavedDialogs(PRFOUT *out)
{
    CSListForEach(SavedDialogs, write_saved_dialog, out);
}
