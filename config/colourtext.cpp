/* The scheme texts of the colour chooser's developer buttons: "Write"
 * appends the shown slots as scheme text, "Convert" rewrites such a file
 * for the whole table. */
#include "colourtext.h"
#include "colours.h"
#include "prftext.h"
#include "cs.h"

#include <cstdio>
#include <cstring>

int ColourWriteScheme(const char *file, const uint32_t *table)
{
    FILE *out = fopen(file, "a");
    if (!out)
        return -1;
    fputs("MYCOLOURS SchemeName[CLR_LAST+1] =\n{\n", out);
    for (int i = 0; i < CLR_SLOTS; i++)
        if (ColourSlots[i].shown)
            fprintf(out, " {MAKERGB(%3d,%3d,%3d), 0 },%1s/*%-39s*/\n", (int)(table[i] & 0xFF),
                    (int)((table[i] >> 8) & 0xFF), (int)((table[i] >> 16) & 0xFF), " ",
                    ColourSlots[i].name);
    fputs(" {MAKERGB(  0,  0,  0), (HBRUSH)-1},\n};\n", out);
    fclose(out);
    return 0;
}

int ColourConvertScheme(const char *file, char *message, size_t size)
{
    if (!file || !file[0]) {
        snprintf(message, size, "Please enter a file name");
        return -1;
    }
    PRFIN in;
    if (PrfOpenFile(&in, file) != 0) {
        snprintf(message, size, "Can not open file '%s'", file);
        return -1;
    }
    /* the lines of the file */
    int count = 0;
    const char *lines[CLR_SLOTS + 8];
    size_t lengths[CLR_SLOTS + 8];
    for (size_t at = 0; at < in.length;) {
        const char *nl = (const char *)memchr(in.text + at, '\n', in.length - at);
        size_t end = nl ? (size_t)(nl - in.text) : in.length;
        if (count < CLR_SLOTS + 8) {
            lines[count] = in.text + at;
            /* a CR LF pair ends the line as a LF does */
            lengths[count] = end - at - (nl && end > at && in.text[end - 1] == '\r');
        }
        count++;
        at = end + 1;
    }
    int shown = ColourShownCount();
    if (count != shown + 4) {
        snprintf(message, size, "File '%s' has %d lines and I expected %d", file, count, shown);
        PrfClose(&in);
        return -1;
    }
    char name[320];
    snprintf(name, sizeof name, "%s.convert.txt", file);
    FILE *out = fopen(name, "w");
    if (!out) {
        snprintf(message, size, "Can not open file '%s'", name);
        PrfClose(&in);
        return -1;
    }
    fprintf(out, "%.*s\n%.*s\n", (int)lengths[0], lines[0], (int)lengths[1], lines[1]);
    int next = 2;
    for (int i = 0; i < CLR_SLOTS; i++) {
        if (!ColourSlots[i].shown) {
            fprintf(out, " {0                   , 0 }, /*%-39s*/\n", ColourSlots[i].name);
            continue;
        }
        const char *line = lines[next];
        size_t len = lengths[next++];
        const char *mark = (const char *)UTMemFind(line, (int)len, "/*", 2);
        size_t keep = mark ? (size_t)(mark - line) : len;
        fprintf(out, "%.*s/*%-39s*/\n", (int)keep, line, ColourSlots[i].name);
    }
    fprintf(out, "%.*s\n%.*s\n", (int)lengths[next], lines[next], (int)lengths[next + 1],
            lines[next + 1]);
    int bad = ferror(out);
    fclose(out);
    PrfClose(&in);
    if (bad) {
        snprintf(message, size, "Can not open file '%s'", name);
        return -1;
    }
    message[0] = 0;
    return 0;
}
