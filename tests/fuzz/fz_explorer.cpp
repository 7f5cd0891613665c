/* Fuzz target: an MQ Explorer export file as the import reads it, every
 * queue manager it lists imported as a location (with the sets as group
 * and network names). */
#include "fzimport.h"

static void Seeds(FuzzSeeds *s)
{
    s->Files("data/locations", ".xml");
}

static void Init(void)
{
    FuzzImportQuiet();
}

static void Run(const uint8_t *data, size_t size)
{
    std::string path = FuzzFile("export.xml", data, size);
    IMPORTLIST *list = ImportListCreate(IMP_MQEX | (size & 1 ? IMP_SETGROUP | IMP_SETNAMES : 0));
    snprintf(list->fileName, sizeof list->fileName, "%s", path.c_str());
    ReadMQExplorerFile(list);
    FuzzImportAll(list, 0);
    ImportListFree(list);
}

FUZZ_TARGET(Seeds, Init, Run)
