/* The evaluator: a program's plan (fltplan.cpp) run once per row with
 * the context's slots, allocated once for the program's need, so that a
 * row allocates nothing; the context set up for a pass. */
#include "fltint.h"

int FltEnsureSlots(FilterEvalContext *ctx, uint32_t need)
{
    if ((uint32_t)ctx->slotCap >= need)
        return 0;
    FVAL *slots = (FVAL *)CSGetMem(sizeof(FVAL) * need, "FLTSLOTS");
    if (!slots)
        return 1;
    CSFreeMemAndClear(&ctx->slots);
    ctx->slots = slots;
    ctx->slotCap = (int32_t)need;
    return 0;
}

void PCFEvalInitContext(FilterProgram *program, FilterEvalContext *ctx, int initialPass)
{
    ctx->first = 1;
    ctx->varsOff = ctx->last = ctx->index = ctx->items = ctx->rescan = ctx->scan = 0;
    ctx->time = CSGetCurrentTime();
    ctx->timeValue = (int32_t)(uint32_t)ctx->time;
    ctx->program = program;
    ctx->initialPass = (uint32_t)initialPass;
    ctx->boundArea = nullptr;
    ctx->qmName = ctx->locName = nullptr;
    ctx->qmLength = ctx->locLength = 0;
    if (!program)
        return;
    for (uint32_t i = 0; i < program->varCount; i++)
        if (program->vars[i]->flags & VF_SYSTEM)
            FltBindSystem(ctx, program->vars[i]);
    FltEnsureSlots(ctx, program->slotNeed);
}

int PCFEvalExpression(FilterEvalContext *ctx, FilterProgram *program, int *result)
{
    if (!program || !program->used) {
        if (result && !(program && (program->flags & FLTP_INITIAL)))
            *result = 1;
        ctx->first = 0;
        return 0;
    }
    if (FltEnsureSlots(ctx, program->slotNeed))
        return 1;
    ctx->program = program;
    FVAL *v = ctx->slots;
    program->root->run(ctx, program->root, v);
    if (result && !(program->flags & FLTP_INITIAL))
        *result = FValTruth(v);
    ctx->first = 0;
    return 0;
}
