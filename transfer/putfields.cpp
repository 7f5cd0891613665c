/* The put and publish dialogs' fields turned into a message and a
 * request for the put thread: typed text cut or padded to the length
 * given and its line ends made those of the target platform, a file's
 * bytes as they are, and the two publication headers (the queued
 * publish's MQRFH and the MQI publication's scope, level and topic). */
#include "xferfields.h"

#include <cstdarg>
#include <cstring>

#include "cs.h"

const DRVALUE PutPersistence[] = {
    {"Persistent", 1}, {"Not Persistent", 0}, {"As Queue Definition", 2}, {nullptr, 0},
};

uint32_t PutNormaliseText(uint8_t *text, uint32_t length, int32_t platform)
{
    if (platform == MQPL_WINDOWS_NT || !text)
        return length;
    uint32_t to = 0;
    for (uint32_t i = 0; i < length; i++)
        if (!(text[i] == '\r' && i + 1 < length && text[i + 1] == '\n'))
            text[to++] = text[i];
    memset(text + to, 0, length - to);
    return to;
}

static int refuse(char *error, size_t size, int *field, int id, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 5, 6)))
#endif
    ;

static int refuse(char *error, size_t size, int *field, int id, const char *format, ...)
{
    va_list ap;
    va_start(ap, format);
    vsnprintf(error, size, format, ap);
    va_end(ap);
    *field = id;
    return 1;
}

/* A mandatory number field: 1 with the value, or 0 (error set). */
static int number_field(const char *text, const char *name, int id, int64_t *value, char *error,
                        size_t size, int *field)
{
    const char *p = text;
    while (*p == ' ')
        p++;
    if (!*p)
        return !refuse(error, size, field, id, "Please enter a value for '%s'", name);
    int negative = *p == '-';
    p += *p == '-' || *p == '+';
    int64_t v = 0;
    int digits = 0;
    for (; *p >= '0' && *p <= '9'; p++, digits++)
        if ((v = v * 10 + (*p - '0')) > 0x7FFFFFFF)
            return !refuse(error, size, field, id, "Invalid value for '%s'", name);
    while (*p == ' ')
        p++;
    if (*p || !digits)
        return !refuse(error, size, field, id, "Invalid value for '%s'", name);
    *value = negative ? -v : v;
    return 1;
}

/* Typed text cut or padded to length (below 1: its own length), line
 * ends as the platform has them; into a new block of tag, room bytes
 * before the text. */
static uint8_t *typed_text(const char *text, int64_t given, int32_t platform, uint32_t room,
                           const char *tag, uint32_t *length)
{
    uint64_t n = strlen(text);
    uint64_t want = given > 0 ? (uint64_t)given : n;
    if (want + room > 0x7FFFFFFF)
        return nullptr;
    uint8_t *b = (uint8_t *)CSGetMem((size_t)(want + room) + 1, tag);
    if (!b)
        return nullptr;
    memset(b, 0, (size_t)(want + room) + 1);
    memcpy(b + room, text, (size_t)(n < want ? n : want));
    uint32_t left = PutNormaliseText(b + room, (uint32_t)want, platform);
    *length = given > 0 ? (uint32_t)want : left;
    return b;
}

/* The whole file, as it is. */
static uint8_t *file_bytes(const char *name, uint32_t *length, char *error, size_t size, int *field)
{
    FILE *f = DraskOpenFile(name, "rb");
    if (!f) {
        refuse(error, size, field, PF_FILE, "Can not open file '%s'", name);
        return nullptr;
    }
    int64_t n = DraskFileSize(f);
    uint8_t *b = n >= 0 && n < 0x7FFFFFFF ? (uint8_t *)CSGetMem((size_t)n + 1, "PUTMSG") : nullptr;
    if (b && fread(b, 1, (size_t)n, f) != (size_t)n) {
        CSFreeMem(b);
        b = nullptr;
    }
    fclose(f);
    if (!b) {
        refuse(error, size, field, PF_FILE, "Can not read file '%s'", name);
        return nullptr;
    }
    *length = (uint32_t)n;
    return b;
}

static void request_names(ThreadRequest *r, const char *qmgr, const char *queue)
{
    memset(r, 0, sizeof *r);
    r->kind = TRK_PUT;
    memcpy(r->qmName, qmgr, strnlen(qmgr, sizeof r->qmName));
    memcpy(r->queueName, queue, strnlen(queue, sizeof r->queueName));
}

int PutBuildRequest(const PUTFIELDS *f, uint8_t **message, uint32_t *length, ThreadRequest *request,
                    char *error, size_t size, int *field)
{
    *message = nullptr;
    error[0] = 0;
    if (!f->queue[0])
        return refuse(error, size, field, PF_QUEUE, "Please enter a value for '%s'", "Queue Name");
    int64_t given = 0, count = 1;
    if (!f->file[0] && !number_field(f->length, "Message Length", PF_LENGTH, &given, error, size, field))
        return 1;
    if (!number_field(f->count, "Message Count", PF_COUNT, &count, error, size, field))
        return 1;
    uint8_t *b;
    if (f->file[0]) {
        if (!(b = file_bytes(f->file, length, error, size, field)))
            return 1;
    } else {
        if (!f->text || !f->text[0])
            return refuse(error, size, field, PF_MESSAGE, "Please enter a value for '%s'", "Message");
        if (!(b = typed_text(f->text, given, f->platform, 0, "PUTMSG", length)))
            return refuse(error, size, field, PF_MESSAGE, "Storage allocation failed");
    }
    request_names(request, f->qmgr, f->queue);
    request->resultWindow = f->window;
    request->dataLength = *length;
    request->count = count < 1 ? 1 : (uint32_t)count;
    request->persistent = (uint8_t)f->persistence;
    request->syncpoint = (uint8_t)(f->syncpoint != 0);
    request->asynchronous = (uint8_t)(f->async != 0);
    *message = b;
    return 0;
}

/* ---- publications ---- */

/* A name/value string's value: as it is, or, when it holds a blank or a
 * double quote, in double quotes with each of its own doubled. */
static void nv_value(const char *text, char *out, size_t size)
{
    if (!strpbrk(text, " \"")) {
        snprintf(out, size, "%s", text);
        return;
    }
    size_t n = 0;
    out[n++] = '"';
    for (const char *c = text; *c && n + 3 < size; c++) {
        if (*c == '"')
            out[n++] = '"';
        out[n++] = *c;
    }
    out[n++] = '"';
    out[n] = 0;
}

uint32_t PubRfhHeader(const char *topic, int local, int anonymous, uint8_t *out, uint32_t room)
{
    char value[PUB_TOPIC_MAX * 2 + 4], nv[sizeof value + 100];
    nv_value(topic, value, sizeof value);
    int n = snprintf(nv, sizeof nv, "MQPSCommand  Publish  MQPSTopic %s ", value);
    if (anonymous && n > 0)
        n += snprintf(nv + n, sizeof nv - (size_t)n, " MQPSRegOpts Anon ");
    if (local && n > 0)
        n += snprintf(nv + n, sizeof nv - (size_t)n, " MQPSRegOpts Local ");
    if (n < 0 || (size_t)n >= sizeof nv || sizeof(MQRFH) + (uint32_t)n > room)
        return 0;
    MQRFH rfh = {MQRFH_DEFAULT};
    rfh.StrucLength = (MQLONG)(sizeof(MQRFH) + (size_t)n);
    rfh.Encoding = MQENC_NATIVE;
    rfh.CodedCharSetId = 437;
    memcpy(rfh.Format, MQFMT_STRING, 8);
    rfh.Flags = 0;
    memcpy(out, &rfh, sizeof rfh);
    memcpy(out + sizeof rfh, nv, (size_t)n);
    return (uint32_t)(sizeof rfh + (size_t)n);
}

/* The MQI publication's header: scope, level, topic and its NUL. */
static uint32_t mqi_header(const char *topic, int local, int32_t level, uint8_t *out)
{
    uint32_t scope = local ? 1 : 0, lvl = (uint32_t)level;
    size_t n = strlen(topic) + 1;
    memcpy(out, &scope, 4);
    memcpy(out + 4, &lvl, 4);
    memcpy(out + 8, topic, n);
    return (uint32_t)(8 + n);
}

int PubBuildRequest(const PUBFIELDS *f, uint8_t **message, uint32_t *length, ThreadRequest *request,
                    uint32_t *flags, char *error, size_t size, int *field)
{
    *message = nullptr;
    error[0] = 0;
    if (f->queued && !f->stream[0])
        return refuse(error, size, field, PF_STREAM, "Please enter a value for '%s'", "Stream Name");
    int64_t count = 1, given = 0, level = 9;
    if (!number_field(f->count, "Message Count", PF_COUNT, &count, error, size, field) ||
        !number_field(f->length, "Message Length", PF_LENGTH, &given, error, size, field))
        return 1;
    if (!f->topic[0])
        return refuse(error, size, field, PF_TOPIC, "Please enter a value for '%s'", "Topic Name");
    if (!f->queued && f->pubLevel[0] &&
        (!number_field(f->pubLevel, "Pub Level", PF_PUBLEVEL, &level, error, size, field) || level < 0 ||
         level > 9))
        return refuse(error, size, field, PF_PUBLEVEL, "Invalid value for '%s'", "Pub Level");
    if (!f->text || !f->text[0])
        return refuse(error, size, field, PF_MESSAGE, "Please enter a value for '%s'", "Message");
    uint32_t room = 2 * (uint32_t)strlen(f->topic) + 1000, textLength = 0;
    uint8_t *b = typed_text(f->text, given, f->platform, room, "PUBMSG", &textLength);
    if (!b)
        return refuse(error, size, field, PF_MESSAGE, "Storage allocation failed");
    uint8_t header[2 * PUB_TOPIC_MAX + 200];
    uint32_t h = f->queued ? PubRfhHeader(f->topic, f->local, f->anonymous, header, sizeof header)
                           : mqi_header(f->topic, f->local, (int32_t)level, header);
    if (!h || h > room) {
        CSFreeMem(b);
        return refuse(error, size, field, PF_TOPIC, "Storage allocation failed");
    }
    memmove(b + h, b + room, textLength);
    memcpy(b, header, h);
    *length = h + textLength;
    request_names(request, f->queued ? f->qmgr : "", f->queued ? f->stream : f->topicObject);
    request->resultWindow = f->window;
    request->dataLength = *length;
    request->count = count < 1 ? 1 : (uint32_t)count;
    request->persistent = (uint8_t)f->persistence;
    request->syncpoint = (uint8_t)(f->syncpoint != 0);
    *flags = f->queued ? (TRF_MSGINFO | TRF_RFH) : (TRF_MSGINFO | TRF_PUBLISH);
    *message = b;
    return 0;
}
