/* The file viewer's rules: whether a file reads as text, finding a text
 * with wrap-around, and where a location's IBM MQ error log and ini file
 * are. */
#include "shellrules.h"

#include <cstdio>
#include <cstring>

#include "cstext.h"

int ShellIsText(const unsigned char *bytes, size_t length)
{
    size_t n = length < 100 ? length : 100;
    for (size_t i = 0; i < n; i++) {
        unsigned char c = bytes[i];
        if (c == '\n' || c == '\r' || c == '\t' || c >= 0x80 || (c >= 0x20 && c < 0x7F))
            continue;
        return 0;
    }
    return 1;
}

int ShellFindText(const char *text, size_t length, size_t selection, const char *what,
                  size_t *at)
{
    size_t w = strlen(what);
    if (!w || w > length)
        return 0;
    size_t from = selection + 1 <= length ? selection + 1 : length;
    const char *hit = UTMemFind(text + from, (int)(length - from), what, (int)w);
    if (hit) {
        *at = (size_t)(hit - text);
        return 1;
    }
    size_t end = selection + w < length ? selection + w : length;
    hit = UTMemFind(text, (int)end, what, (int)w);
    if (hit && (size_t)(hit - text) <= selection) {
        *at = (size_t)(hit - text);
        return 2;
    }
    return 0;
}

/* path = directory (a trailing separator dropped) + separator + rest. */
static int path_in(char *path, const char *directory, char separator, const char *rest)
{
    size_t d = strlen(directory);
    while (d && (directory[d - 1] == '\\' || directory[d - 1] == '/'))
        d--;
    int n = snprintf(path, SHELL_PATH, "%.*s%c%s", (int)d, directory, separator, rest);
    return n > 0 && n < SHELL_PATH;
}

int ShellErrorLogPath(const SHELLMQFILES *in, char *path, char *title)
{
    if (in->client && in->errorPath && in->errorPath[0]) {
        snprintf(title, 100, "Client Error Log");
        return path_in(path, in->errorPath, in->separator, "amqerr01.log");
    }
    if (!in->dataPath || !in->dataPath[0])
        return 0;
    char rest[40];
    snprintf(rest, sizeof rest, "errors%camqerr01.log", in->separator);
    if (in->client)
        snprintf(title, 100, "Client Error Log");
    else
        snprintf(title, 100, "%s Error Log", in->qmName);
    return path_in(path, in->dataPath, in->separator, rest);
}

int ShellIniPath(const SHELLMQFILES *in, char *path, char *title)
{
    if (in->client) {
        snprintf(title, 100, "Client INI file");
        if (in->clientIni && in->clientIni[0]) {
            snprintf(path, SHELL_PATH, "%s", in->clientIni);
            return 1;
        }
        if (!in->dataPath || !in->dataPath[0])
            return 0;
        return path_in(path, in->dataPath, in->separator, "mqclient.ini");
    }
    if (!in->dataPath || !in->dataPath[0])
        return 0;
    snprintf(title, 100, "%s Local INI file", in->qmName);
    return path_in(path, in->dataPath, in->separator, "qm.ini");
}
