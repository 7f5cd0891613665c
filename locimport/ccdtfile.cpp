/* The keyed record file of a binary channel table: the "AMQR" signature,
 * then record slots whose records in use form a chain in key order
 * through their next-smaller and next-greater offsets.  A search starts
 * where the previous one stopped, so a walk in key order costs a header
 * or two per record.  A table of ordinary size is read whole at its
 * opening.  A large one is mapped whole, so that a walk reads each record
 * where it lies without the whole file copied into fresh memory first;
 * where the system cannot map it, one up to the whole-file limit is read
 * whole and a larger one through a window of the file.  (Windows refuses
 * to cut a file while it is mapped: the small tables of every day are
 * read, so that a program rewriting one is not held up by a reader.)
 *
 * The chain comes from the file and is not trusted: a search that meets a
 * key out of order (a loop), runs longer than the file has slots, or is
 * sent outside the file stops with CCDT_DAMAGED or CCDT_SHORT. */
#include "ccdt.h"
#include "cs.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/mman.h>
#include <sys/stat.h>
#endif

#define SIGNATURE  "AMQR"
#define HEADER     20                  /* slot header bytes */
#define WINDOW     65536               /* read-ahead window, reading on */
#define JUMP       4096                /* window read after a jump elsewhere */

#define MAP_FROM   ((int64_t)1 << 20)  /* smaller tables are read whole */
#define MAP_LIMIT  ((int64_t)1 << 32)  /* chain offsets are 32 bits */

static int64_t WholeLimit = 32 << 20;
static int MapTables = 1;

void CcdtWholeFileLimit(int64_t bytes)
{
    WholeLimit = bytes;
}

void CcdtMapTables(int on)
{
    MapTables = on;
}

struct SLOT {
    int64_t offset;
    uint32_t slotLength;               /* 0: end of the chain */
    uint32_t contentLength;            /* 0: a free slot */
    uint32_t smaller, greater;         /* file offsets, 0 none */
};

static uint32_t u32(const unsigned char *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static int seek_to(FILE *f, int64_t offset)
{
#ifdef _WIN32
    return _fseeki64(f, offset, SEEK_SET);
#else
    return fseeko(f, (off_t)offset, SEEK_SET);
#endif
}

static int64_t file_size(FILE *f)
{
#ifdef _WIN32
    if (_fseeki64(f, 0, SEEK_END) != 0)
        return -1;
    return _ftelli64(f);
#else
    if (fseeko(f, 0, SEEK_END) != 0)
        return -1;
    return (int64_t)ftello(f);
#endif
}

/* A read-only image of the file's first size bytes, or null.  Windows
 * refuses to cut a file while it is mapped.  Elsewhere (the native
 * checking build) a file found shorter once mapped is not used; one cut
 * while it is walked would fault there. */
#ifdef _WIN32
static const unsigned char *map_file(FILE *f, int64_t size)
{
    HANDLE file = (HANDLE)_get_osfhandle(_fileno(f));
    if (file == INVALID_HANDLE_VALUE || GetFileType(file) != FILE_TYPE_DISK)
        return nullptr;
    /* a mapping of exactly the size measured: refused when the file is
       shorter by now */
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, (DWORD)((uint64_t)size >> 32),
                                        (DWORD)size, nullptr);
    if (!mapping)
        return nullptr;
    void *view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, (SIZE_T)size);
    CloseHandle(mapping);
    return (const unsigned char *)view;
}

static void unmap_file(const unsigned char *view, int64_t)
{
    UnmapViewOfFile(view);
}
#else
static const unsigned char *map_file(FILE *f, int64_t size)
{
    void *view = mmap(nullptr, (size_t)size, PROT_READ, MAP_PRIVATE, fileno(f), 0);
    if (view == MAP_FAILED)
        return nullptr;
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || (int64_t)st.st_size < size) {
        munmap(view, (size_t)size);
        return nullptr;
    }
    return (const unsigned char *)view;
}

static void unmap_file(const unsigned char *view, int64_t size)
{
    munmap((void *)view, (size_t)size);
}
#endif

/* Reads up to n bytes at offset; the count read. */
static size_t read_at(CCDTFILE *h, int64_t offset, void *out, size_t n)
{
    if (offset < 0 || offset >= h->size || n == 0)
        return 0;
    if ((int64_t)n > h->size - offset)
        n = (size_t)(h->size - offset);
    if (h->whole) {
        if (offset >= h->wholeLength)
            return 0;
        if ((int64_t)n > h->wholeLength - offset)
            n = (size_t)(h->wholeLength - offset);
        memcpy(out, h->whole + offset, n);
        return n;
    }
    if (n > WINDOW / 2) {
        if (seek_to(h->file, offset) != 0)
            return 0;
        return fread(out, 1, n, h->file);
    }
    if (offset < h->windowStart || offset + (int64_t)n > h->windowStart + h->windowLength) {
        /* a chain in physical order reads on through big windows; one that
           jumps about reads little at each place */
        int64_t end = h->windowStart + h->windowLength;
        size_t want = offset >= h->windowStart && offset < end + WINDOW ? WINDOW : JUMP;
        if ((size_t)n > want)
            want = WINDOW;
        h->windowLength = 0;
        if (seek_to(h->file, offset) != 0)
            return 0;
        h->windowStart = offset;
        h->windowLength = (int32_t)fread(h->window, 1, want, h->file);
        if ((int64_t)n > h->windowLength)
            n = (size_t)h->windowLength;
    }
    memcpy(out, h->window + (offset - h->windowStart), n);
    return n;
}

int CcdtOpen(const char *path, int keyLength, CCDTFILE **handle)
{
    *handle = nullptr;
    if (keyLength <= 0 || keyLength > CCDT_MAX_KEY)
        return CCDT_KEYLENGTH;
    FILE *f = fopen(path, "rb");
    if (!f) {
        int e = errno;
        return (e == ENOENT || e == EACCES || e == ENAMETOOLONG || e == ENOTDIR || e == 0)
                   ? CCDT_NOFILE : e;
    }
    char sig[4];
    int64_t size = file_size(f);
    if (size < 4 || seek_to(f, 0) != 0 || fread(sig, 1, 4, f) != 4) {
        fclose(f);
        return CCDT_SHORT;
    }
    if (memcmp(sig, SIGNATURE, 4) != 0) {
        fclose(f);
        return CCDT_BADSIG;
    }
    const unsigned char *mapped =
        MapTables && size >= MAP_FROM && size <= MAP_LIMIT ? map_file(f, size) : nullptr;
    int whole = !mapped && size <= WholeLimit;
    CCDTFILE *h = (CCDTFILE *)CSGetMem(sizeof(CCDTFILE), "CCDTFILE");
    unsigned char *window =
        mapped ? nullptr : (unsigned char *)CSGetMem(whole ? (size_t)size : WINDOW, "CCDTWINDOW");
    if (!h || (!mapped && !window)) {
        if (h) CSFreeMem(h);
        if (window) CSFreeMem(window);
        if (mapped) unmap_file(mapped, size);
        fclose(f);
        return CCDT_NOSTORAGE;
    }
    memset(h, 0, sizeof *h);
    h->file = f;
    h->size = size;
    h->keyLength = keyLength;
    h->window = window;
    if (mapped) {
        h->whole = mapped;
        h->wholeLength = size;
        h->mapped = 1;
    } else if (whole) {
        /* one read; a file cut meanwhile reads as short where it ends */
        h->whole = window;
        h->wholeLength = seek_to(f, 0) == 0 ? (int64_t)fread(window, 1, (size_t)size, f) : 0;
    }
    *handle = h;
    return 0;
}

int CcdtClose(CCDTFILE *h)
{
    if (!h)
        return CCDT_NOHANDLE;
    if (h->mapped)
        unmap_file(h->whole, h->size);
    fclose(h->file);
    if (h->window)
        CSFreeMem(h->window);
    CSFreeMem(h);
    return 0;
}

/* Reads a slot header: 0, CCDT_SHORT when nothing (or a cut header) was
 * read; a slot length of 0 needs only its own four bytes. */
static int read_slot(CCDTFILE *h, int64_t offset, SLOT *s)
{
    unsigned char b[HEADER];
    size_t n = read_at(h, offset, b, HEADER);
    if (n < 4)
        return CCDT_SHORT;
    memset(s, 0, sizeof *s);
    s->offset = offset;
    s->slotLength = u32(b);
    if (s->slotLength == 0)
        return 0;
    if (n < HEADER)
        return CCDT_SHORT;
    s->contentLength = u32(b + 4);
    s->smaller = u32(b + 12);
    s->greater = u32(b + 16);
    return 0;
}

/* The key of a slot in use; CCDT_DAMAGED when the content is shorter. */
static int read_key(CCDTFILE *h, const SLOT *s, unsigned char *key)
{
    if (s->contentLength < (uint32_t)h->keyLength)
        return CCDT_DAMAGED;
    if (read_at(h, s->offset + HEADER, key, (size_t)h->keyLength) != (size_t)h->keyLength)
        return CCDT_SHORT;
    return 0;
}

/* Searches the chain for key from where the last search stopped.  0 found
 * (at *found), CCDT_NOTFOUND (nothing compared), CCDT_GREATER or
 * CCDT_SMALLER (stopped at *found), or a damage code. */
static int search(CCDTFILE *h, const unsigned char *key, SLOT *found)
{
    int64_t offset = h->stopOffset ? h->stopOffset : 4;
    int last = 0;                      /* sign of the last comparison */
    unsigned char prevKey[CCDT_MAX_KEY], recKey[CCDT_MAX_KEY];
    int64_t steps = 0, limit = h->size / HEADER + 2;
    for (;;) {
        if (++steps > limit || offset < 4 || offset > h->size)
            return CCDT_DAMAGED;
        SLOT s;
        int rc = read_slot(h, offset, &s);
        if (rc)
            return rc;
        if (s.slotLength == 0)
            return last == 0 ? CCDT_NOTFOUND : last < 0 ? CCDT_SMALLER : CCDT_GREATER;
        if (s.contentLength == 0) {    /* a free slot */
            if (s.slotLength < HEADER)
                return CCDT_DAMAGED;
            offset += s.slotLength;
            continue;
        }
        if ((rc = read_key(h, &s, recKey)) != 0)
            return rc;
        h->stopOffset = offset;
        *found = s;
        int cmp = memcmp(recKey, key, (size_t)h->keyLength);
        if (cmp == 0)
            return 0;
        int sign = cmp < 0 ? -1 : 1;
        if (last == -sign)             /* the wanted key lies between the two */
            return sign < 0 ? CCDT_SMALLER : CCDT_GREATER;
        /* walking one way, each key must lie further that way: a key met
           again or out of order means the chain loops */
        if (last == sign && memcmp(recKey, prevKey, (size_t)h->keyLength) * sign >= 0)
            return CCDT_DAMAGED;
        memcpy(prevKey, recKey, (size_t)h->keyLength);
        last = sign;
        uint32_t next = sign < 0 ? s.greater : s.smaller;
        if (next == 0)
            return sign < 0 ? CCDT_SMALLER : CCDT_GREATER;
        offset = next;
    }
}

/* The offset of the record mode asks for, from a search result; 0 none. */
static int choose(CCDTFILE *h, int rc, const SLOT *stop, int mode, int64_t *chosen)
{
    *chosen = 0;
    if (rc == CCDT_NOTFOUND)
        return CCDT_NOTFOUND;
    if (mode == 1)
        return rc == 0 ? (*chosen = stop->offset, 0) : CCDT_NOTFOUND;
    if (rc == CCDT_GREATER) {
        *chosen = stop->offset;
        return 0;
    }
    (void)h;
    if (stop->greater == 0)
        return CCDT_NOTFOUND;
    *chosen = stop->greater;
    return 0;
}

/* The record mode asks for, from a search from where the last one
 * stopped: 0 with its slot (its content inside the file) and key;
 * CCDT_SPECIAL for a special record of IBM MQ; or a result code. */
#define CCDT_SPECIAL (-1)
static int locate(CCDTFILE *h, const unsigned char *key, int mode, SLOT *s, unsigned char *recKey)
{
    SLOT stop;
    memset(&stop, 0, sizeof stop);
    int rc = search(h, key, &stop);
    if (rc != 0 && rc != CCDT_NOTFOUND && rc != CCDT_GREATER && rc != CCDT_SMALLER)
        return rc;
    int64_t offset;
    if ((rc = choose(h, rc, &stop, mode, &offset)) != 0)
        return rc;
    if (offset < 4 || offset >= h->size)
        return CCDT_DAMAGED;
    if ((rc = read_slot(h, offset, s)) != 0)
        return rc;
    if (s->slotLength == 0 || s->contentLength == 0)
        return CCDT_DAMAGED;
    if ((int64_t)s->contentLength > h->size - offset - HEADER)
        return CCDT_SHORT;
    if ((rc = read_key(h, s, recKey)) != 0)
        return rc;
    if (recKey[0] == '{')
        return CCDT_SPECIAL;
    if (mode == 2 && memcmp(recKey, key, (size_t)h->keyLength) <= 0)
        return CCDT_DAMAGED;           /* the chain runs backwards */
    return 0;
}

/* The record at s has been handed out: the next search starts there. */
static void handed_out(CCDTFILE *h, const SLOT *s, const unsigned char *recKey)
{
    h->lastOffset = s->offset;
    h->stopOffset = s->offset;
    memcpy(h->lastKey, recKey, (size_t)h->keyLength);
}

int CcdtReadRecord(CCDTFILE *h, const unsigned char *key, unsigned char *buffer,
                   size_t *length, int mode)
{
    if (!h)
        return CCDT_NOHANDLE;
    size_t size = buffer ? *length : 0;
    SLOT s;
    unsigned char recKey[CCDT_MAX_KEY];
    int rc = locate(h, key, mode, &s, recKey);
    if (rc == CCDT_SPECIAL) {
        if (buffer)
            memset(buffer, 0, size);
        return CCDT_NOTFOUND;
    }
    if (rc)
        return rc;
    size_t want = s.contentLength < size ? s.contentLength : size;
    if (want && read_at(h, s.offset + HEADER, buffer, want) != want)
        return CCDT_SHORT;
    handed_out(h, &s, recKey);
    *length = s.contentLength;
    return s.contentLength > size ? CCDT_TOOLONG : 0;
}

int CcdtRecordView(CCDTFILE *h, const unsigned char *key, int mode,
                   const unsigned char **content, size_t *length)
{
    *content = nullptr;
    if (!h)
        return CCDT_NOHANDLE;
    if (!h->whole)
        return 0;
    SLOT s;
    unsigned char recKey[CCDT_MAX_KEY];
    int rc = locate(h, key, mode, &s, recKey);
    if (rc == CCDT_SPECIAL)
        return CCDT_NOTFOUND;
    if (rc)
        return rc;
    if ((int64_t)s.contentLength > h->wholeLength - s.offset - HEADER)
        return CCDT_SHORT;             /* the file was cut while it was read */
    handed_out(h, &s, recKey);
    *content = h->whole + s.offset + HEADER;
    *length = s.contentLength;
    return 0;
}
