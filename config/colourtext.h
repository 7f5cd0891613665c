/* The scheme texts of the colour chooser's developer buttons. */
#pragma once

#include <cstddef>
#include <cstdint>

/* The texts of the chooser's developer buttons: "Write" appends the shown
 * slots as scheme text to a file (0, or -1 when it cannot be opened);
 * "Convert" rewrites such a file for the whole table into "<file>.convert.txt"
 * (0, or an error text in message). */
int ColourWriteScheme(const char *file, const uint32_t *table);
int ColourConvertScheme(const char *file, char *message, size_t size);
