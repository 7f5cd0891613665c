/* Where the configuration lives: the file and its directory from the
 * "-f" option, the RAVOLT variable or the program's own path. */
#include "shellrules.h"

#include <cstdio>
#include <cstring>

#include "cshost.h"
#include "cstext.h"

/* directory + separator + name into out; 0 when it does not fit. */
static int join(char *out, const char *directory, char separator, const char *name)
{
    size_t d = strlen(directory);
    int sep = d && !CSIsPathSep(directory[d - 1]);
    int n = snprintf(out, SHELL_PATH, "%s%s%s", directory, sep ? (separator == '/' ? "/" : "\\") : "",
                     name);
    return n >= 0 && n < SHELL_PATH;
}

int ShellConfigPath(const char *given, const char *currentDir, int (*isDirectory)(const char *),
                    char separator, char *file, char *directory)
{
    char spec[SHELL_PATH];
    if (strlen(given) >= SHELL_PATH)
        return -1;
    strcpy(spec, strcmp(given, ".") == 0 && currentDir ? currentDir : given);
    if (!strcmp(given, ".") || (isDirectory && spec[0] && isDirectory(spec))) {
        size_t n = strlen(spec);
        while (n > 1 && CSIsPathSep(spec[n - 1]) && spec[n - 2] != ':')
            spec[--n] = 0;
        strcpy(directory, spec);
        return join(file, directory, separator, "RAVOLT.CFG") ? 0 : -1;
    }
    char dir[SHELL_PATH], name[SHELL_PATH];
    int relative, drive;
    CSParseFileSpec(spec, 0, dir, name, &relative, &drive);
    strcpy(directory, dir);
    const char *cfg = UTStrStrNoCase(name, ".CFG");
    return join(file, directory, separator, cfg ? name : "RAVOLT.CFG") ? 0 : -1;
}
