/* The loaded set of user formats: its storage pool and indexes, the
 * program's settings and hooks, and loading, which parses into a fresh set
 * and frees the old one only after the panes have formatted again. */
#include "ufint.h"
#include "cslock.h"
#include <cstring>

static uint32_t defaultOptions = UF_OPT_ALLOW | UF_OPT_EDIFACT | UF_OPT_HEX_OFFSETS | UF_OPT_SUMMARY;
static UFPREFS prefs = { &defaultOptions, "RAVOLT.FMT", "", 850 };

static UFErrorProc errorProc;
static void *errorContext;
static UFReformatProc reformatWalk;
static void *reformatContext;

static UFGEN *current;
static UFGEN *building;            /* the set a load is parsing into */
static int loading;

void UFSetPreferences(const UFPREFS *p)
{
    prefs = *p;
    if (!prefs.options)
        prefs.options = &defaultOptions;
    if (!prefs.fileName)
        prefs.fileName = "";
    if (!prefs.programDir)
        prefs.programDir = "";
    if (!prefs.displayCcsid)
        prefs.displayCcsid = 850;
}

const UFPREFS *UFPrefs(void) { return &prefs; }
uint32_t UFOptions(void) { return *prefs.options; }

void UFSetErrorReporter(UFErrorProc proc, void *context)
{
    errorProc = proc;
    errorContext = context;
}

void UFSetReformatWalk(UFReformatProc walk, void *context)
{
    reformatWalk = walk;
    reformatContext = context;
}

UFReformatProc UFReformatWalk(void)
{
    return reformatWalk;
}

/* Reports through the program's hook, else the default box. */
void UFReport(void *owner, const char *text, const char *caption)
{
    if (errorProc)
        errorProc(errorContext, owner, text, caption);
    else
        UFErrorBox(nullptr, owner, text, caption);
}

/* ---- storage ---- */

#define UF_POOL_BLOCK 16384

void *UFAlloc(UFGEN *gen, size_t size)
{
    /* Every piece is a multiple of 8 bytes, so each starts 8-aligned. */
    if (size > 0x7FFFFFF0)
        return nullptr;
    if (!gen->pool.blockSize)
        gen->pool.blockSize = UF_POOL_BLOCK;
    return CSStaticAlloc(&gen->pool, 1, nullptr, (size + 7) & ~(size_t)7);
}

char *UFStrDup(UFGEN *gen, const char *text, size_t length)
{
    char *s = (char *)UFAlloc(gen, length + 1);
    if (s) {
        memcpy(s, text, length);
        s[length] = 0;
    }
    return s;
}

int UFIndexAdd(CSTREE **root, const char *tag, const char *key, void *record)
{
    UFINDEX image = {};
    image.key = key;
    image.record = record;
    return CSTreeAdd(root, tag, CSTREE_NORENUM, &image, sizeof image, CSKEY_STRPTR) != nullptr;
}

void *UFIndexFind(CSTREE *root, const char *key)
{
    UFINDEX *e = (UFINDEX *)CSTreeFind(root, key, CSKEY_STRPTR);
    return e ? e->record : nullptr;
}

UFSTRUCT *UFFindStruct(UFGEN *gen, const char *name)
{
    return gen ? (UFSTRUCT *)UFIndexFind(gen->structs, name) : nullptr;
}

UFENUM *UFFindEnum(UFGEN *gen, const char *name)
{
    return gen ? (UFENUM *)UFIndexFind(gen->enums, name) : nullptr;
}

static void FreeFieldIndex(CSTREE *e, void *)
{
    UFSTRUCT *s = (UFSTRUCT *)((UFINDEX *)e)->record;
    CSTreeFree(&s->fields, nullptr, nullptr);
}

static void FreeGeneration(UFGEN *gen)
{
    if (!gen)
        return;
    CSTreeFree(&gen->structs, FreeFieldIndex, nullptr);
    CSTreeFree(&gen->enums, nullptr, nullptr);
    for (CSSTATICBLOCK *b = gen->pool.first; b;) {
        CSSTATICBLOCK *next = b->next;
        CSFreeMem(b);
        b = next;
    }
    CSFreeMem(gen);
}

UFGEN *UFCurrent(void) { return current; }
UFGEN *UFBuilding(void) { return building; }

const UFFormatName *UFFormatNames(void)
{
    return current ? current->names : nullptr;
}

void UFEachFormatName(void (*each)(void *context, const char *name), void *context)
{
    for (const UFFormatName *u = UFFormatNames(); u; u = u->next)
        each(context, u->name);
}

/* ---- loading ---- */

void UFReapplyFormats(void)
{
    if (reformatWalk)
        reformatWalk(reformatContext);
}

int UFLoadFormats(void *owner, int mayBeMissing)
{
    if (loading)                        /* a reload asked for from an error box */
        return 0;
    UFGEN *gen = (UFGEN *)CSGetMem(sizeof(UFGEN), "UFGEN");
    if (!gen) {
        UFReport(owner, "Can not allocate format storage", "Ravolt Operation Error");
        return 0;
    }
    memset(gen, 0, sizeof *gen);
    /* The old set stays in force while the new one is parsed: an error box
     * runs a message loop in which panes repaint with it. */
    loading = 1;
    building = gen;
    UFRULE **tail = &gen->rules;
    int rc = UFParseFile(owner, mayBeMissing, nullptr, prefs.fileName, &tail);
    /* Worker threads format debug dumps under the dump lock: they see
     * either set whole, and never one being freed. */
    CSLockGlobal(CSLOCK_DUMP);
    UFGEN *old = current;
    current = gen;
    CSUnlockGlobal(CSLOCK_DUMP);
    building = nullptr;
    loading = 0;
    UFReapplyFormats();
    CSLockGlobal(CSLOCK_DUMP);
    FreeGeneration(old);
    CSUnlockGlobal(CSLOCK_DUMP);
    return rc;
}

void UFFreeFormats(void)
{
    CSLockGlobal(CSLOCK_DUMP);
    FreeGeneration(current);
    current = nullptr;
    CSUnlockGlobal(CSLOCK_DUMP);
}
