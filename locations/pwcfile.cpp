/* The password cache file: its tokenizer, value writer, opening with the
 * check of the cache password, finding, writing and removing entries,
 * the password change, the hint and the result texts.  A rewrite goes to
 * a ".NEW" file that replaces the cache file in one step once every byte
 * of it is written. */
#include "pwcache.h"
#include "cfghost.h"
#include "cs.h"

#include <cstring>

int (*PWCReplaceFile)(const char *from, const char *to) = CfgHostReplace;

/* ---- lines and tokens ---------------------------------------------- */

/* Reads one line of any length without its line end; 0 at the end of
 * the file (or when no storage is left). */
static int read_line(FILE *f, CSDATA *line)
{
    line->length = 0;
    char chunk[1024];
    int got = 0;
    while (fgets(chunk, sizeof chunk, f)) {
        got = 1;
        size_t n = strlen(chunk);
        if (!CSDataAppend(line, chunk, n, 0))
            return 0;
        if (n && chunk[n - 1] == '\n')
            break;
    }
    if (!got)
        return 0;
    while (line->length && (line->data[line->length - 1] == '\n' ||
                            line->data[line->length - 1] == '\r'))
        line->length--;
    if (!CSDataAppend(line, "", 1, 0))
        return 0;
    line->length--;
    return 1;
}

struct TOKEN {
    const char *s;
    size_t n;
    int quoted;
};

static int is_operator(char c)
{
    return c && strchr("()[]!|&<>-+/=,;", c) != nullptr;
}

/* The next token of a line; 0 at its end. */
static int next_token(const char **cursor, TOKEN *t)
{
    const char *p = *cursor;
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')
        p++;
    if (!*p) {
        *cursor = p;
        return 0;
    }
    t->quoted = 0;
    if (*p == '"') {
        const char *start = ++p;
        while (*p && *p != '"') {
            if (*p == '\\' && p[1])
                p++;
            p++;
        }
        t->s = start;
        t->n = (size_t)(p - start);
        t->quoted = 1;
        if (*p == '"')
            p++;
    } else if (is_operator(*p)) {
        static const char *pairs[] = { "<>", "!=", ">=", "<=", "==" };
        t->s = p;
        t->n = 1;
        for (const char *pair : pairs)
            if (p[0] == pair[0] && p[1] == pair[1])
                t->n = 2;
        p += t->n;
    } else {
        t->s = p;
        while (*p && *p != ' ' && *p != '\t' && *p != '\n' && !is_operator(*p))
            p++;
        t->n = (size_t)(p - t->s);
    }
    *cursor = p;
    return 1;
}

static int key_is(const TOKEN &t, const char *key)
{
    size_t n = strlen(key);
    if (t.n != n)
        return 0;
    for (size_t i = 0; i < n; i++)
        if ((t.s[i] | 0x20) != (key[i] | 0x20))
            return 0;
    return 1;
}

/* "key = value" with a non-empty value: the value unescaped into out
 * (cut to size); 1 when the three tokens are there. */
static int read_item(const char **cursor, const char *key, char *out, size_t size)
{
    TOKEN k, eq, v;
    const char *p = *cursor;
    if (!next_token(&p, &k) || !key_is(k, key) || !next_token(&p, &eq) ||
        eq.n != 1 || eq.s[0] != '=' || !next_token(&p, &v) || v.n == 0)
        return 0;
    *cursor = p;
    size_t n = v.n < size - 1 ? v.n : size - 1;
    memcpy(out, v.s, n);
    out[n] = 0;
    PWCUnescape(out);
    return 1;
}

void PWCUnescape(char *text)
{
    char *w = text;
    for (const char *r = text; *r; r++) {
        if (*r == '\\' && r[1])
            r++;
        *w++ = *r;
    }
    *w = 0;
}

/* ---- writing values ------------------------------------------------ */

void PWCWriteKeyValue(FILE *out, const char *key, const char *value)
{
    if (!value)
        value = "";
    /* a value holding an operator, a blank or a separator would read back
       as several tokens: it goes in quotes */
    if (value[0] && !strpbrk(value, " ()\\/<>-+*&=\"[]!|,;\t\r\n")) {
        fprintf(out, "%s=%s", key, value);
        return;
    }
    fprintf(out, "%s=\"", key);
    for (const char *p = value; *p; p++) {
        if (*p == '"' || *p == '\\')
            fputc('\\', out);
        fputc(*p, out);
    }
    fputc('"', out);
}

static void write_entry_line(FILE *out, const char *qm, const char *second, const char *group,
                             const char *user, const char *hex)
{
    if (group) {
        PWCWriteKeyValue(out, "Group", group);
    } else {
        PWCWriteKeyValue(out, "Qm", qm);
        PWCWriteKeyValue(out, " Q", second);
    }
    PWCWriteKeyValue(out, " User", user);
    PWCWriteKeyValue(out, " Pwd", hex);
    fputc('\n', out);
}

/* ---- entries ------------------------------------------------------- */

struct ENTRY {
    char qm[QMS_NAME * 2 + 1], second[QMS_NAME * 2 + 1], group[QMS_NAME * 4 + 1];
    char user[400], pwd[400];
    int isGroup, hasUser, hasPwd;
};

/* Reads an entry line: its names, then user id and password when they
 * follow; 0 when the line is no entry. */
static int parse_entry(const char *line, ENTRY *e)
{
    memset(e, 0, sizeof *e);
    const char *p = line;
    if (read_item(&p, "Group", e->group, sizeof e->group)) {
        e->isGroup = 1;
    } else if (!read_item(&p, "Qm", e->qm, sizeof e->qm) ||
               !read_item(&p, "Q", e->second, sizeof e->second)) {
        return 0;
    }
    e->hasUser = read_item(&p, "User", e->user, sizeof e->user);
    if (e->hasUser)
        e->hasPwd = read_item(&p, "Pwd", e->pwd, sizeof e->pwd);
    if (!e->hasPwd)
        e->pwd[0] = 0;
    if (!e->hasUser)
        e->user[0] = 0;
    return 1;
}

static int entry_matches(const ENTRY &e, const char *qm, const char *second, const char *group)
{
    if (group)
        return e.isGroup && strcmp(e.group, group) == 0;
    return !e.isGroup && strcmp(e.qm, qm) == 0 && strcmp(e.second, second ? second : "") == 0;
}

static char *copy_text(const char *text)
{
    size_t n = strlen(text);
    char *p = (char *)CSGetMem(n + 1, "PWCTEXT");
    if (p)
        memcpy(p, text, n + 1);
    return p;
}

/* ---- opening and closing ------------------------------------------- */

static int write_header(FILE *f, const char *authCode, const char *hint)
{
    fputs("* TK47 Password Cache File\n\n", f);
    fprintf(f, "AuthCode = %s\n", authCode);
    PWCWriteKeyValue(f, "Hint", hint);
    fputs("\n\n", f);
    return ferror(f) ? -1 : 0;
}

/* Closes a file written here: 0 when every byte reached it. */
static int close_written(FILE *f)
{
    int rc = fflush(f) != 0 || ferror(f);
    if (!rc && CfgHostFlush(f) != 0)
        rc = 1;
    if (fclose(f) != 0)
        rc = 1;
    return rc;
}

static int create_file(const char *fileName, const char *authCode, const char *hint)
{
    FILE *f = fopen(fileName, "w");
    if (!f)
        return PWC_CREATE;
    int bad = write_header(f, authCode, hint) != 0;
    if (close_written(f) || bad) {
        remove(fileName);
        return PWC_CREATE;
    }
    return PWC_OK;
}

static int check_auth_code(FILE *in, const char *authCode)
{
    CSDATA line = {};
    int rc = PWC_FORMAT;
    while (read_line(in, &line)) {
        const char *p = (const char *)line.data;
        TOKEN k, eq, v;
        if (p[0] == '*' || !next_token(&p, &k))
            continue;
        if (key_is(k, "AuthCode") && next_token(&p, &eq) && eq.n == 1 && eq.s[0] == '=' &&
            next_token(&p, &v) && v.n == 16)
            rc = (!authCode || memcmp(v.s, authCode, 16) == 0) ? PWC_OK : PWC_WRONG;
        break;
    }
    CSDataFree(&line);
    return rc;
}

/* Copies the header for a new cache password: the check line gets the
 * new value, the old hint line gives way to the new one.  The header
 * ends at the hint line; an entry met before it stays to be read. */
static int copy_header(PWCHND *h, const char *authCode, const char *hint)
{
    CSDATA line = {};
    rewind(h->in);
    for (;;) {
        long at = ftell(h->in);
        if (!read_line(h->in, &line))
            break;
        const char *p = (const char *)line.data;
        TOKEN t;
        int has = next_token(&p, &t);
        if (has && !t.quoted && t.n == 4 && memcmp(t.s, "Hint", 4) == 0)
            break;
        if (has && (key_is(t, "Qm") || key_is(t, "Group"))) {
            fseek(h->in, at, SEEK_SET);
            break;
        }
        if (has && key_is(t, "AuthCode"))
            fprintf(h->out, "AuthCode = %s\n", authCode);
        else
            fprintf(h->out, "%s\n", (const char *)line.data);
    }
    CSDataFree(&line);
    PWCWriteKeyValue(h->out, "Hint", hint);
    fputc('\n', h->out);
    return ferror(h->out) ? PWC_CREATE : PWC_OK;
}

int PWCOpen(const char *fileName, const char *password, const char *newPassword,
            const char *hint, int rewrite, int mustExist, PWCHND **handle)
{
    *handle = nullptr;
    /* a name cut to fit would be another file, and its ".NEW" another */
    if (!fileName || strlen(fileName) > PWC_PATH_MAX)
        return PWC_BADPARM;
    char auth[17], newAuth[17];
    if (password)
        PWCAuthCode(password, auth);
    if (newPassword)
        PWCAuthCode(newPassword, newAuth);
    PWCHND *h = (PWCHND *)CSGetMem(sizeof(PWCHND), "PWCHND");
    if (!h)
        return PWC_STORAGE;
    memset(h, 0, sizeof *h);
    UTStrCopy(h->fileName, fileName, sizeof h->fileName);
    snprintf(h->newName, sizeof h->newName, "%s.NEW", h->fileName);
    h->in = fopen(fileName, "rb");
    int rc = PWC_OK;
    if (!h->in) {
        if (!rewrite || mustExist || newPassword)
            rc = PWC_NOFILE;
        else if ((rc = create_file(fileName, password ? auth : "", hint)) == PWC_OK &&
                 !(h->in = fopen(fileName, "rb")))
            rc = PWC_NOFILE;
    }
    if (rc == PWC_OK)
        rc = check_auth_code(h->in, password ? auth : nullptr);
    if (rc == PWC_OK && rewrite) {
        h->out = fopen(h->newName, "w");
        if (!h->out)
            rc = PWC_CREATE;
        else if (newPassword)
            rc = copy_header(h, newAuth, hint);
    }
    if (rc != PWC_OK) {
        PWCClose(&h);
        return rc;
    }
    UTStrCopy(h->readPassword, password ? password : "", sizeof h->readPassword);
    UTStrCopy(h->writePassword, newPassword ? newPassword : h->readPassword,
              sizeof h->writePassword);
    *handle = h;
    return PWC_OK;
}

void PWCClose(PWCHND **handle)
{
    PWCHND *h = *handle;
    if (!h)
        return;
    if (h->in)
        fclose(h->in);
    if (h->out) {
        fclose(h->out);
        remove(h->newName);
    }
    memset(h, 0, sizeof *h);
    CSFreeMem(h);
    *handle = nullptr;
}

/* Ends a rewrite: the ".NEW" file takes the cache file's place in one
 * step when all of it was written; else it goes and the cache file stays
 * as it was (1005). */
static int finish_rewrite(PWCHND *h)
{
    fclose(h->in);
    h->in = nullptr;
    FILE *out = h->out;
    h->out = nullptr;
    if (close_written(out) || PWCReplaceFile(h->newName, h->fileName) != 0) {
        remove(h->newName);
        return PWC_CREATE;
    }
    return PWC_OK;
}

/* ---- entries ------------------------------------------------------- */

int PWCFindEntry(PWCHND *h, const char *qmName, const char *secondName, const char *group,
                 char **userId, char **password)
{
    *userId = *password = nullptr;
    CSDATA line = {};
    ENTRY *e = (ENTRY *)CSGetMem(sizeof(ENTRY), "PWCENTRY");
    if (!e)
        return PWC_STORAGE;
    int rc = PWC_NOPASSWORD;
    rewind(h->in);
    while (read_line(h->in, &line)) {
        if (!parse_entry((const char *)line.data, e) ||
            !entry_matches(*e, qmName, secondName, group))
            continue;
        rc = PWC_OK;
        if (e->pwd[0])
            rc = PWCDecryptPassword(h->readPassword, e->pwd, password);
        else if (!(*password = copy_text("")))
            rc = PWC_STORAGE;
        if (rc == PWC_OK && !(*userId = copy_text(e->user)))
            rc = PWC_STORAGE;
        break;
    }
    if (rc != PWC_OK)
        CSFreeMemAndClear(password);
    memset(e, 0, sizeof *e);
    CSFreeMem(e);
    CSDataFree(&line);
    return rc;
}

int PWCWriteEntry(PWCHND *h, const char *qmName, const char *secondName, const char *group,
                  const char *userId, const char *password)
{
    if (!h->out)
        return PWC_BADPARM;
    /* an entry is one line: a line end in a name or the user id would
       start another entry of the sender's choosing */
    const char *values[] = { qmName, secondName, group, userId };
    for (const char *v : values)
        if (v && strpbrk(v, "\r\n"))
            return PWC_BADPARM;
    char *hex = nullptr;
    if (password && PWCEncryptPassword(h->writePassword, password, &hex) != PWC_OK)
        return PWC_STORAGE;
    int writing = userId && hex;
    ENTRY *e = (ENTRY *)CSGetMem(sizeof(ENTRY), "PWCENTRY");
    if (!e) {
        CSFreeMemAndClear(&hex);
        return PWC_STORAGE;
    }
    CSDATA line = {};
    int matched = 0;
    rewind(h->in);
    while (read_line(h->in, &line)) {
        const char *text = (const char *)line.data;
        if (parse_entry(text, e) && entry_matches(*e, qmName, secondName, group)) {
            if (writing && !matched)
                write_entry_line(h->out, qmName, secondName, group, userId, hex);
            matched = 1;
            continue;
        }
        fprintf(h->out, "%s\n", text);
    }
    if (writing && !matched)
        write_entry_line(h->out, qmName, secondName, group, userId, hex);
    CSDataFree(&line);
    CSFreeMem(e);
    CSFreeMemAndClear(&hex);
    int rc = finish_rewrite(h);
    if (rc == PWC_OK && !writing && !matched)
        rc = PWC_NOENTRY;
    return rc;
}

int PWCDeleteEntry(PWCHND *h, const char *qmName, const char *secondName, const char *group)
{
    return PWCWriteEntry(h, qmName, secondName, group, nullptr, nullptr);
}

int PWCChangePassword(const char *fileName, const char *oldPassword,
                      const char *newPassword, const char *hint)
{
    PWCHND *h;
    int rc = PWCOpen(fileName, oldPassword, newPassword, hint, 1, 1, &h);
    if (rc != PWC_OK)
        return rc;
    ENTRY *e = (ENTRY *)CSGetMem(sizeof(ENTRY), "PWCENTRY");
    if (!e) {
        PWCClose(&h);
        return PWC_STORAGE;
    }
    CSDATA line = {};
    while (rc == PWC_OK && read_line(h->in, &line)) {
        const char *text = (const char *)line.data;
        if (!parse_entry(text, e) || !e->hasPwd) {
            fprintf(h->out, "%s\n", text);
            continue;
        }
        char *plain = nullptr, *hex = nullptr;
        rc = PWCDecryptPassword(h->readPassword, e->pwd, &plain);
        if (rc == PWC_OK)
            rc = PWCEncryptPassword(h->writePassword, plain, &hex);
        if (rc == PWC_OK)
            write_entry_line(h->out, e->qm, e->second, e->isGroup ? e->group : nullptr,
                             e->user, hex ? hex : "");
        if (plain) {
            memset(plain, 0, strlen(plain));
            CSFreeMem(plain);
        }
        CSFreeMemAndClear(&hex);
    }
    memset(e, 0, sizeof *e);
    CSFreeMem(e);
    CSDataFree(&line);
    if (rc != PWC_OK) {
        PWCClose(&h);
        return rc;
    }
    rc = finish_rewrite(h);
    PWCClose(&h);
    return rc;
}

int PWCGetHint(const char *fileName, char **hint)
{
    *hint = nullptr;
    FILE *f = fopen(fileName, "rb");
    if (!f)
        return PWC_NOFILE;
    CSDATA line = {};
    int rc = PWC_NOHINT;
    while (read_line(f, &line)) {
        const char *p = (const char *)line.data;
        TOKEN k, eq, v;
        if (p[0] == '*' || !next_token(&p, &k))
            continue;
        if (key_is(k, "Qm"))
            break;
        if (!key_is(k, "Hint"))
            continue;
        if (next_token(&p, &eq) && eq.n == 1 && eq.s[0] == '=' && next_token(&p, &v) &&
            v.n > 0) {
            char *text = (char *)CSGetMem(v.n + 1, "PWCHINT");
            if (!text) {
                rc = PWC_STORAGE;
            } else {
                memcpy(text, v.s, v.n);
                text[v.n] = 0;
                *hint = text;
                rc = PWC_OK;
            }
        }
        break;
    }
    CSDataFree(&line);
    fclose(f);
    return rc;
}

const char *PWCErrorText(int code, const char *fileName, char *out)
{
    static const struct { int code; const char *text; } texts[] = {
        { PWC_OK, "success" },
        { PWC_NOFILE, "Password cache file '%s' not found." },
        { PWC_FORMAT, "The Password cache file '%s' does not appear to be in the correct format." },
        { PWC_NOPASSWORD, "Password not found." },
        { PWC_WRONG, "Password incorrect." },
        { PWC_STORAGE, "No storage." },
        { PWC_CREATE, "Can not create cache file '%s'." },
        { PWC_NOENTRY, "Queue Manager not found in cache file." },
        { PWC_BADPARM, "Password cache file bad parameter." },
        { PWC_NOHINT, "Hint not found in cache file." },
    };
    for (const auto &t : texts)
        if (t.code == code) {
            snprintf(out, PWC_TEXT_MAX, t.text, fileName ? fileName : "");
            return out;
        }
    snprintf(out, PWC_TEXT_MAX, "Password cache error %d", code);
    return out;
}
