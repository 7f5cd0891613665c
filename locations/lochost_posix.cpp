/* Location store, native host part: there is no registry. */
#include "locstore.h"

#include <sys/stat.h>

int LocHostMQDataPath(char *, size_t)
{
    return 0;
}

int LocHostDefaultMQDataPath(char *, size_t)
{
    return 0;
}

int LocHostIsDirectory(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}
