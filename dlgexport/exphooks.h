/* The export's hooks: the comparison with a location's downloaded default
 * objects (the command engine's).  Unset, nothing is compared and there
 * are no default objects; the shell installs the export's own
 * (ExpDefaultHooks) at start-up (shell/app/wiring.cpp). */
#pragma once

#include <cstdint>

struct QMS;
struct DialogWords;
struct PCFLISTREQ;
struct PCFCommandDef;

/* What the export asks of other parts. */
struct EXPHOOKS {
    void *context;
    /* PCFDiffFromDefault: marks the list values that differ (state 0x8). */
    void (*diffFromDefault)(void *ctx, DialogWords *dialog, PCFLISTREQ *request);
    /* PCFCompareDefault: marks the data-area values that differ (state
     * 0x20); 1 when a default object was found. */
    int (*compareDefault)(void *ctx, QMS *location, PCFCommandDef *def, uint8_t *area,
                          int *nameListed, int *systemName);
    /* the download table row of a definition, its accepted names, and the
     * location's downloaded default objects of that kind (index from 0) */
    const char *(*defaultNames)(void *ctx, const PCFCommandDef *def);
    uint8_t *(*defaultObject)(void *ctx, QMS *location, const PCFCommandDef *def, int index);
};
void ExpSetHooks(const EXPHOOKS *hooks);
const EXPHOOKS *ExpHooks(void);
/* The hooks on the command engine's downloaded default objects. */
void ExpDefaultHooks(EXPHOOKS *hooks);
