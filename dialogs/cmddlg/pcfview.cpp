/* View commands: what each one does to a dialog's view option word and
 * numeric display words, and the check marks the View items carry. */
#include "cmddlg.h"

/* How a command changes the view word. */
enum ViewOp { V_TOGGLE, V_FIELD, V_SELECT, V_SETALL, V_NUMERIC };

struct ViewRow {
    int32_t command;
    uint8_t op;
    uint32_t bits;               /* toggled, selected or set */
    uint32_t field;              /* the field a selection lies in */
    uint32_t listBits;           /* list dialogs: these bits instead */
};

static const ViewRow ViewTable[] = {
    { 600, V_TOGGLE, 0x10, 0, 0 },
    { 601, V_FIELD, 0x2, 0xF, 0 },
    { 602, V_FIELD, 0x4, 0xF, 0 },
    { 603, V_FIELD, 0x1, 0xF, 0 },
    { 604, V_TOGGLE, 0xF, 0, 0 },
    { 608, V_TOGGLE, 0x20, 0, 0 },
    { 617, V_TOGGLE, 0x40, 0, 0 },
    { 697, V_TOGGLE, 0x2000, 0, 0 },
    { 892, V_TOGGLE, 0x2000, 0, 0 },
    { 706, V_TOGGLE, 0x4000, 0, 0 },
    { 707, V_SELECT, 0x10000, 0xF0000, 0 },
    { 708, V_SELECT, 0x20000, 0xF0000, 0 },
    { 709, V_SELECT, 0x40000, 0xF0000, 0 },
    { 710, V_SELECT, 0x80000, 0xF0000, 0 },
    { 711, V_SETALL, 0xF0000, 0, 0 },
    { 712, V_TOGGLE, 0x8000, 0, 0 },
    { 735, V_TOGGLE, 0x100000, 0, 0x400000 },
    { 736, V_TOGGLE, 0x200000, 0, 0x800000 },
    { 781, V_TOGGLE, 0x1000, 0, 0 },
    { 812, V_TOGGLE, 0x1000000, 0, 0 },
    { 834, V_TOGGLE, 0x2000000, 0, 0 },
    { 867, V_TOGGLE, 0x4000000, 0, 0 },
    { 952, V_FIELD, 0x100, 0xF00, 0 },
    { 953, V_FIELD, 0x200, 0xF00, 0 },
    { 954, V_FIELD, 0x800, 0xF00, 0 },
    { 955, V_FIELD, 0x400, 0xF00, 0 },
    { 942, V_NUMERIC, 2048, 0, 0 },
    { 943, V_NUMERIC, 1024, 0, 0 },
    { 944, V_NUMERIC, 32, 0, 0 },
    { 945, V_NUMERIC, 0, 0, 0 },
    { 947, V_NUMERIC, 2048, 1, 0 },
    { 948, V_NUMERIC, 512, 1, 0 },
    { 949, V_NUMERIC, 32, 1, 0 },
    { 950, V_NUMERIC, 1024, 1, 0 },
    { 951, V_NUMERIC, 0, 1, 0 },
};

static const ViewRow *FindRow(int32_t command)
{
    for (const ViewRow &r : ViewTable)
        if (r.command == command)
            return &r;
    return nullptr;
}

int PCFIsViewCommand(int32_t command)
{
    return FindRow(command) != nullptr;
}

int PCFViewApply(uint32_t *view, uint32_t numeric[2], int32_t command, int ctrl, int list)
{
    const ViewRow *r = FindRow(command);
    if (!r)
        return 0;
    uint32_t bits = list && r->listBits ? r->listBits : r->bits;
    switch (r->op) {
    case V_TOGGLE: *view ^= bits; break;
    case V_FIELD: *view = (*view & ~r->field) | bits; break;
    case V_SELECT: *view = ctrl ? *view ^ bits : (*view & ~r->field) | bits; break;
    case V_SETALL: *view |= bits; break;
    case V_NUMERIC:
        numeric[r->field] = bits ? bits : PcfWinPrefs.numericWords[r->field];
        break;
    }
    return 1;
}

/* A check mark: the item, the word it reads, the bit, and whether the
 * mark means the bit is clear. */
struct CheckRow {
    int32_t id;
    uint8_t word;                /* 0 view, 1 and 2 numeric words */
    uint32_t bits;
    uint8_t whenClear;
};

static const CheckRow Checks[] = {
    { 600, 0, 0x10, 0 }, { 834, 0, 0x2000000, 0 }, { 617, 0, 0x40, 1 }, { 812, 0, 0x1000000, 1 },
    { 781, 0, 0x1000, 1 }, { 608, 0, 0x20, 0 }, { 697, 0, 0x2000, 1 }, { 604, 0, 0x8, 0 },
    { 892, 0, 0x2000, 0 }, { 952, 0, 0x100, 0 }, { 954, 0, 0x800, 0 }, { 953, 0, 0x200, 0 },
    { 955, 0, 0x400, 0 }, { 947, 2, 2048, 0 }, { 950, 2, 1024, 0 }, { 948, 2, 512, 0 },
    { 949, 2, 32, 0 }, { 942, 1, 2048, 0 }, { 943, 1, 1024, 0 }, { 944, 1, 32, 0 },
};

int PCFViewCheck(const DialogWords *d, int32_t id)
{
    for (const CheckRow &c : Checks) {
        if (c.id != id)
            continue;
        if (c.word)
            return d->numericWords[c.word - 1] == c.bits;
        int set = (d->viewOptions & c.bits) == c.bits;
        return c.whenClear ? !set : set;
    }
    int list = d->definition && d->definition->list;
    switch (id) {
    case 610: return list ? (d->stateFlags & DF_TITLE_AUTO) != 0 : -1;
    case 611: return list ? (d->stateFlags & DF_TITLE_FULL) != 0 : -1;
    case 612: return list ? (d->stateFlags & DF_TITLE_SHORT) != 0 : -1;
    case 613: return list ? (d->stateFlags & DF_TITLE_NAME) != 0 : -1;
    case 515: return list ? (d->stateFlags & DF_REFRESH_AT_OPEN) != 0 : -1;
    case 748: return list ? (d->optionFlags & DO_HIDE_SYSTEM) != 0 : -1;
    case 684: return list ? (d->stateFlags & DF_SPLIT_TOGGLE) != 0 : -1;
    }
    return -1;
}
