/* The parse error report of the window-free build: the standard error
 * stream. */
#include "userfmt.h"
#include <cstdio>

void UFErrorBox(void *context, void *owner, const char *text, const char *caption)
{
    (void)context;
    (void)owner;
    fprintf(stderr, "%s:\n%s\n", caption, text);
}
