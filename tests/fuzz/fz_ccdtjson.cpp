/* Fuzz target: a JSON client channel table read as the import's "Read
 * CCDT" reads it, its rows imported as locations; and the same text
 * through the reader's walk with every channel's exits read. */
#include "fzimport.h"

#include "ccdtjson.h"

static void Seeds(FuzzSeeds *s)
{
    s->Files("samples/ccdt-json");
    s->Add(std::string("{\"channel\": [{\"name\": \"X\", \"type\": \"clientConnection\", \"clientConnection\": "
                       "{\"connection\": [{\"host\": \"h\", \"port\": 1414}], \"queueManager\": \"QM\"}, "
                       "\"exits\": {\"send\": [{\"name\": \"a\"}], \"receive\": [{\"userData\": \"b\"}]}, "
                       "\"timestamps\": {\"altered\": \"2018-12-04T15:37:22.000+01:30\"}, "
                       "\"connectionManagement\": {\"localAddress\": [{\"host\": \"h\", \"port\": 1, "
                       "\"portRange\": {\"low\": 2, \"high\": 3}}]}, \"compression\": {\"message\": [\"rle\"]}}]}"));
}

static void Init(void)
{
    FuzzImportQuiet();
}

static void Run(const uint8_t *data, size_t size)
{
    FuzzBlock copy(data, size);
    JsonReadText((const char *)copy.data(), copy.size(), "f.json", [](void *, int, const char *) {}, nullptr,
                 [](void *, CHLDEF *c) {
                     char error[CHL_ERROR_SIZE];
                     ReadChannelExits(c, error);
                     FreeChannelDef(c, 1);
                 },
                 nullptr);
    std::string path = FuzzFile("ccdt.json", data, size);
    IMPORTLIST *list = ImportListCreate(IMP_CCDT);
    snprintf(list->fileName, sizeof list->fileName, "%s", path.c_str());
    ReadCCDTFile(list);
    FuzzImportAll(list, 0);
    ImportListFree(list);
}

FUZZ_TARGET(Seeds, Init, Run)
