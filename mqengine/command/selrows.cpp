/* The selected rows of a list dialog as the command engine walks them:
 * their count, and one row by its place in the selection, read through
 * the lists' selection source. */
#include "cmdint.h"

#include "cs.h"

int32_t SelectedRowCount(DialogWords *d)
{
    return d ? PCFSelectedList(d, nullptr, 0) : 0;
}

PCFROW *SelectedRowAt(DialogWords *d, int32_t index)
{
    if (!d || index < 0)
        return nullptr;
    PCFROW *few[20], **rows = few;
    if (index >= 20 && !(rows = (PCFROW **)CSGetMem(sizeof *rows * ((size_t)index + 1), "SELECTIONS")))
        return nullptr;
    int n = PCFSelectedList(d, rows, index + 1);
    PCFROW *row = index < n ? rows[index] : nullptr;
    if (rows != few)
        CSFreeMem(rows);
    return row;
}
