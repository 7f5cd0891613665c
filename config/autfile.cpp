/* The authorities file: loading, the section parser, the rights table
 * and the disabled-menu list. */
#include "autfile.h"
#include "cfgfile.h"
#include "cs.h"
#include "ravoltids.h"

#include <cerrno>
#include <cstring>
#include <strings.h>

static const char *autPath = "";
/* The queue-mask lists of the "QM:" sections, kept for the program's life. */
struct MASKHOLD {
    MASKHOLD *next;
    AUTQMASK *masks;
};
static MASKHOLD *sectionMasks;

struct RIGHT {
    const char *keyword;
    uint64_t mask;
    uint64_t display;      /* the display partner's bits, or 0 */
};

static const uint64_t LOC_DISPLAY = 0x100000000ull, MSG_DISPLAY = 0x1;
static const RIGHT rights[] = {
    { "msg_display", 0x1, 0 },
    { "msg_copy", 0x2, MSG_DISPLAY },
    { "msg_create", 0x4, MSG_DISPLAY },
    { "msg_delete", 0x9, MSG_DISPLAY },
    { "msg_move", 0x10, MSG_DISPLAY },
    { "msg_all", 0xFF, 0 },
    { "location_display", LOC_DISPLAY, 0 },
    { "location_change", 0x300000000ull, LOC_DISPLAY },
    { "location_create", 0x500000000ull, LOC_DISPLAY },
    { "location_delete", 0x900000000ull, LOC_DISPLAY },
    { "location_all", 0xF00000000ull, 0 },
    { "queue_display", 0x1000000000ull, 0 },
    { "queue_all", 0x7F000000000ull, 0 },
    { "qmgr_display", 0x1000000000000000ull, 0 },
    { "qmgr_all", 0x7000000000000000ull, 0 },
    { "all_display", AUT_ALL_DISPLAY, 0 },
    { "all_change", 0x3303303303320200ull, AUT_ALL_DISPLAY },
    { "all_create", 0x0505505503540404ull, AUT_ALL_DISPLAY },
    { "all_delete", 0x0909909903990909ull, AUT_ALL_DISPLAY },
    { "all_admin", 0x5010040000000000ull, AUT_ALL_DISPLAY },
    { "all", 0xFFFFFFFFFFFFFFFFull, 0 },
};

static const AUTMENUROW menuRows[] = {
    { "nomenu_new_instance", IDM_NEW_INSTANCE, 0 },
    { "nomenu_refresh_information", IDM_REFRESH, 0 },
    { "nomenu_open_location", IDM_OPEN_LOCATION, 0 },
    { "nomenu_copy_location", IDM_COPY_LOCATION, 0 },
    { "nomenu_add_location", IDM_ADD_LOCATION, 0 },
    { "nomenu_change_locations", IDM_CHANGE_LOCATIONS, 0 },
    { "nomenu_import_location", IDM_IMPORT_LOCAL, -1 },
    { "nomenu_import_ccdt", IDM_IMPORT_CCDT, 0 },
    { "nomenu_import_mq_explorer", IDM_IMPORT_EXPLORER, 0 },
    { "nomenu_import_ravolt_config", IDM_IMPORT_CONFIG, 0 },
    { "nomenu_delete_location", IDM_DELETE_LOCATION, 0 },
    { "nomenu_save_configuration", IDM_SAVE_CONFIG, 0 },
    { "nomenu_preferences", IDM_PREFERENCES, 0 }, { "nomenu_about", IDM_ABOUT, 0 },
    { "nomenu_check_ravolt_version", IDM_CHECK_VERSION, 0 }, { "nomenu_help", IDM_HELP, 0 },
    { "nomenu_expert_mode", IDM_EXPERT_MODE, 0 }, { "nomenu_drask", IDM_LOAD_UNLOAD, 0 },
    { "nomenu_filters", IDM_FILTERS, 0 }, { "nomenu_put_message", IDM_PUT_MESSAGE, 0 },
    { "nomenu_publish_message", IDM_PUBLISH, 0 }, { "nomenu_disconnect", IDM_DISCONNECT, 0 },
    { "nomenu_disconnect_all", IDM_DISCONNECT_ALL, 0 },
    { "nomenu_connect_all", IDM_CONNECT_ALL, 0 },
    { "nomenu_view_search", IDM_SEARCH_LOCATIONS, 0 },
    { "nomenu_view_queue_prefix", IDM_QUEUE_PREFIX, 0 },
    { "nomenu_view_queue_depth", IDM_SHOW_DEPTH, 0 },
    { "nomenu_view_queue_count", IDM_SHOW_QCOUNT, 0 },
    { "nomenu_view", 500, 0 }, { "nomenu_mq_version", IDM_SHOW_MQVERSION, 0 },
    { "nomenu_alterlist", 505, 0 }, { "nomenu_splitlist", 684, 0 },
    { "nomenu_defaultfilter", 616, 0 }, { "nomenu_autorefresh", 504, 0 },
    { "nomenu_listtitles", 610, -1 }, { "nomenu_export", 657, 0 },
    { "nomenu_context", 751, 0 }, { "nomenu_msg_ops", 597, -1 },
    { "nomenu_msg_format", 617, -1 }, { "nomenu_msg_selection", 601, -1 },
    { "nomenu_showhide", 502, -1 }, { "nomenu_debug", IDM_DEBUG_WINDOW, 0 },
    { "nomenu_direct_remote_qm", 892, 0 }, { "nomenu_font", IDM_WINDOW_FONT, IDM_MESSAGE_FONT },
    { "nomenu_colours", IDM_COLOURS, 0 }, { "nomenu_errorlog", IDM_ERROR_LOG, 0 },
    { "nomenu_log_file", IDM_ERROR_LOG, 0 }, { "nomenu_ini_file", IDM_INI_FILE, 0 },
};

/* Command groups: the head id, then its members, ended by 0. */
static const int32_t menuGroups[][18] = {
    { 502, 503, 501, 754, 0 },
    { 597, 598, 599, 608, 949, 947, 950, 948, 0 },
    { 601, 602, 603, 604, 0 },
    { 610, 611, 612, 613, 0 },
    { 617, 812, 781, 600, 834, 775, 697, 569, 568, 573, 609, 737, 673, 674, 640,
      570, 571, 572 },
    { IDM_IMPORT_LOCAL, IDM_IMPORT_CONFIG, IDM_IMPORT_CCDT, IDM_IMPORT_EXPLORER, 0 },
};

static void notice(const char *text)
{
    const CFGHOOKS *h = CfgHooks();
    if (h->notice)
        h->notice(h->context, "Ravolt Error", text);
}

void AutAddMenuGroup(const AUTMENUROW *row)
{
    AutAddMenuRestriction(row->id);
    if (row->second == -1) {
        for (const auto &g : menuGroups)
            if (g[0] == row->id)
                for (int i = 1; i < 18 && g[i]; i++)
                    AutAddMenuRestriction(g[i]);
    } else if (row->second) {
        AutAddMenuRestriction(row->second);
    }
}

/* ---- parsing ---------------------------------------------------------- */

void AutError(PRFIN *in, const char *text)
{
    char message[1400];
    snprintf(message, sizeof message, "Error parsing AUT file '%s' on line %d\n%s",
             autPath, PrfLineNumber(in), text);
    notice(message);
}

static void error_found(PRFIN *in, const char *found, const char *expected)
{
    char text[PRF_TOKEN_SIZE + 64];
    snprintf(text, sizeof text, "'%s' found where '%s' expected", found, expected);
    AutError(in, text);
}

static void error_keyword(PRFIN *in, const char *format, const char *word)
{
    char text[PRF_TOKEN_SIZE + 64];
    snprintf(text, sizeof text, format, word);
    AutError(in, text);
}

/* "=" and the value after a keyword; 0 after a reported error. */
static int expect_value(PRFIN *in, char *token)
{
    uint32_t q;
    PrfGetToken(in, &q, 0, token);
    if (strcmp(token, "=") != 0) {
        error_found(in, token, "=");
        return 0;
    }
    PrfGetToken(in, &q, 0, token);
    return 1;
}

static int read_queue_masks(PRFIN *in, char *token, AUTQMASK **list)
{
    uint32_t q;
    PrfGetToken(in, &q, 0, token);
    if (strcmp(token, "=") == 0)
        PrfGetToken(in, &q, 0, token);
    if (strcmp(token, "{") != 0 || q) {
        error_found(in, token, "{");
        return 0;
    }
    AUTQMASK **tail = list;
    while (*tail)
        tail = &(*tail)->next;
    for (;;) {
        int len = PrfGetToken(in, &q, 0, token);
        if (len == 0 && !q) {
            AutError(in, "Expected '}' before end of file");
            return 0;
        }
        if (!q && (!strcmp(token, "}")))
            return 1;
        if (!q && !strcmp(token, ","))
            continue;
        if (!strcmp(token, "!")) {
            AutError(in, "A queue mask value of '!' is not supported");
            return 0;
        }
        AUTQMASK *m = (AUTQMASK *)CSGetMem(sizeof(AUTQMASK), "QMSK");
        if (!m) {
            AutError(in, "Out of storage");
            return 0;
        }
        memset(m, 0, sizeof *m);
        const char *text = token;
        if (*text == '!') {
            m->negate = 1;
            text++;
        }
        snprintf(m->mask, sizeof m->mask, "%.48s", text);
        m->length = (int32_t)strlen(m->mask);
        *tail = m;
        tail = &m->next;
    }
}

static const RIGHT *find_right(const char *word)
{
    for (const RIGHT &r : rights)
        if (strcasecmp(r.keyword, word) == 0)
            return &r;
    return nullptr;
}

int AutParseFile(PRFIN *in, char *token, int *tokenLength, uint64_t *mask,
                 uint32_t *reserved, AUTQMASK **queueMasks, char *queueList)
{
    uint32_t q;
    int rc = 1;
    if (reserved)
        *reserved = 0;
    for (;;) {
        int len = PrfGetToken(in, &q, 0, token);
        *tokenLength = len;
        if ((len == 0 && !q) || PrfIsSectionTag(token, len, q))
            break;
        const char *word = token;
        int negate = 0;
        if (word[0] == '!') {
            negate = 1;
            word++;
            if (!*word) {
                len = PrfGetToken(in, &q, 0, token);
                word = token;
            }
        }
        const RIGHT *r = find_right(word);
        if (r) {
            if (!negate) {
                *mask |= r->mask;
            } else {
                int keepDisplay = r->display && (*mask & r->display) == r->display;
                *mask &= ~r->mask;
                if (keepDisplay)
                    *mask |= r->display;
            }
        } else if (!strcasecmp(word, "queue_list")) {
            if (!expect_value(in, token)) { rc = 0; break; }
            snprintf(queueList, QMS_NAME + 1, "%.48s", token);
        } else if (!strcasecmp(word, "queue_prefix_min")) {
            if (!expect_value(in, token)) { rc = 0; break; }
            int64_t v = PrfDecimal(token);
            AutQueuePrefixMin = (int32_t)(v < 0 ? 0 : v > 48 ? 48 : v);
        } else if (!strcasecmp(word, "queue_mask")) {
            if (!read_queue_masks(in, token, queueMasks)) { rc = 0; break; }
        } else if (!strncmp(word, "nomenu", 6)) {
            const AUTMENUROW *row = nullptr;
            for (const AUTMENUROW &m : menuRows)
                if (!strcmp(m.keyword, word))
                    row = &m;
            if (row)
                AutAddMenuGroup(row);
            else
                error_keyword(in, "Unrecognised keyword '%s'", word);
        } else {
            error_keyword(in, "Unrecognised keyword '%s'", word);
            rc = 0;
            break;
        }
    }
    AutTotals |= *mask;
    return rc;
}

/* ---- loading ---------------------------------------------------------- */

static void apply_one(QMS *r, void *)
{
    AutApplyToLocation(r);
}

static void forget_masks(QMS *r, void *)
{
    r->queueMasks = nullptr;
}

void AutReset(void)
{
    /* no location may keep pointing at the masks freed here */
    LocLockStore();
    LocForEach(LocTree, forget_masks, nullptr);
    LocUnlockStore();
    while (sectionMasks) {
        MASKHOLD *next = sectionMasks->next;
        AutFreeMasks(sectionMasks->masks);
        CSFreeMem(sectionMasks);
        sectionMasks = next;
    }
    AutClearRecords();
}

static void apply_all(uint64_t mask)
{
    AutGlobalMask = mask;
    LocGlobals.defaultAuthMask = mask;
    if (!LocTree)
        AutTotals |= mask;
    LocLockStore();
    LocForEach(LocTree, apply_one, nullptr);
    LocUnlockStore();
}

struct SECTION {
    const char *pattern;
    uint64_t mask;
    AUTQMASK *masks;
    const char *queueList;
    int matched;
};

static void apply_section(QMS *r, void *context)
{
    SECTION *s = (SECTION *)context;
    if (!UTWildMatch(r->qmName, (int)strlen(r->qmName), s->pattern, (int)strlen(s->pattern)))
        return;
    s->matched = 1;
    r->authMask = s->mask;
    if (s->masks)
        r->queueMasks = s->masks;
    snprintf(r->queueList, sizeof r->queueList, "%s", s->queueList);
    r->queueListLength = (int32_t)strlen(r->queueList);
}

int AutLoadFile(const char *path)
{
    AutReset();
    autPath = path;
    PRFIN in;
    int rc = PrfOpenFile(&in, path);
    if (rc == ENOENT) {
        apply_all(~0ull);
        return 1;
    }
    if (rc != 0) {
        /* a file that is there but cannot be read grants no more than display */
        char text[400];
        snprintf(text, sizeof text, "File '%s' can not be opened.", path);
        notice(text);
        apply_all(AUT_ALL_DISPLAY);
        return 0;
    }
    char token[PRF_TOKEN_SIZE];
    int len = 0;
    uint32_t reserved;
    uint64_t mask = 0;
    if (!AutParseFile(&in, token, &len, &mask, &reserved, &AutGlobalQueueMasks, AutQueueList)) {
        PrfClose(&in);
        return 0;
    }
    AutQueueListLength = (int32_t)strlen(AutQueueList);
    apply_all(mask);
    rc = 1;
    while (len && !strcmp(token, "QM:")) {
        char pattern[QMS_NAME + 1];
        uint32_t q;
        PrfGetToken(&in, &q, 0, token);
        snprintf(pattern, sizeof pattern, "%.48s", token);
        SECTION s = { pattern, AutGlobalMask, nullptr, "", 0 };
        char queueList[QMS_NAME + 1] = "";
        int ok = AutParseFile(&in, token, &len, &s.mask, &reserved, &s.masks, queueList);
        s.queueList = queueList;
        if (s.masks) {
            MASKHOLD *hold = (MASKHOLD *)CSGetMem(sizeof(MASKHOLD), "QMSK");
            if (hold) {
                hold->next = sectionMasks;
                hold->masks = s.masks;
                sectionMasks = hold;
            } else {
                AutFreeMasks(s.masks);
                s.masks = nullptr;
            }
        }
        LocLockStore();
        LocForEach(LocTree, apply_section, &s);
        LocUnlockStore();
        if (!s.matched) {
            char text[200];
            snprintf(text, sizeof text,
                     "No Queue Managers found which match authorities for '%s'", pattern);
            notice(text);
        }
        if (!ok) {
            rc = 0;
            break;
        }
    }
    if (rc && len) {
        error_keyword(&in, "Unrecognised authority keyword '%s'", token);
        rc = 0;
    }
    PrfClose(&in);
    return rc;
}

int AutLoad(void)
{
    static char path[320];
    if (ConfigPath[0])
        CSAppendPath(path, ConfigPath, "RAVOLT.AUT");
    else
        strcpy(path, "RAVOLT.AUT");              /* the current directory */
    return AutLoadFile(path);
}
