/* The check for the latest version: the result record, the version-page
 * parser and comparison rules, the bounded HTTP exchange, the worker run
 * by the analyser thread, and the "Ravolt Version Check" dialog.
 *
 * The parser, the rules and the HTTP response parser are window-free and
 * build on every host; the sockets, the worker and the dialog are
 * Windows only. */
#pragma once

#include <cstddef>
#include <cstdint>

#define VER_TEXT 1000

/* Order of the six numbers of a version. */
enum { VER_YEAR, VER_MONTH, VER_DAY, VER_MAJOR, VER_MINOR, VER_PATCH, VER_NUMBERS };

/* The result of one check: allocated zeroed by the worker (tag
 * "TK47VERSION") and owned by the window it is posted to. */
struct TK47VERSION {
    int32_t interactive;            /* the user asked */
    int32_t failed;                 /* fetching or parsing the page failed */
    int32_t own[VER_NUMBERS];       /* the program's version; month 0 to 11 */
    int32_t page[VER_NUMBERS];      /* the page's version */
    int32_t sameVersion;            /* major, minor and patch equal */
    int32_t sameBuild;              /* and the dates too */
    char text[VER_TEXT];            /* error text or verdict */
};

/* Messages: a result for a window (lParam the result, which it frees). */
#include "ravoltids.h"
/* Request flag of an interactive check. */
#define VER_REQ_INTERACTIVE 0x400000u

/* What VerCheckResult does with an automatic check's result. */
enum { VER_SHOW_NOTHING = 0, VER_SHOW_FAILURE = 1, VER_SHOW_DIALOG = 2 };

/* The addresses the check uses (one place). */
extern const char verDownloadAddress[];
extern const char verProductAddress[];
/* The page fetched; points at the download page unless a test aims it
 * elsewhere. */
extern const char *verPageAddress;

/* ---- version texts and rules (window-free) ---- */

/* 1 to 12 for the first three letters of an English month name (any
 * case), else 0. */
int MonthIndex(const char *text, size_t length);
/* Major, minor, patch, month, day and year from a text; 1 when a year was
 * found. */
int VerParseVersion(int32_t numbers[VER_NUMBERS], const char *start, const char *end);
/* The program's own version text and build date, parsed. */
int VerOwnVersion(int32_t numbers[VER_NUMBERS]);
/* -1, 0, 1: the page's version against the program's; the same for the
 * build dates. */
int VerCompareNumbers(const TK47VERSION *result);
int VerCompareDates(const TK47VERSION *result);
/* 1 when the page's build date is later than the program's. */
int VerSameBuildNewer(const TK47VERSION *result);
/* Sets the verdict text (and "vcn" for anything but up to date). */
void VerCompare(TK47VERSION *result);
/* What an automatic check's result shows, by "vct" and "vcf". */
int VerResultAction(char vct, int32_t failedInARow, const TK47VERSION *result);
/* Seconds between automatic checks, by "vcf" and "vcn". */
int64_t VerCheckInterval(void);
/* 1 when an automatic check is due at now ("vct" not "N"). */
int VerCheckDue(int64_t now);
/* 1 at the timer ticks that consider a check (60, then daily). */
int VerTickConsidered(int32_t tick);
/* "%d %s %d" (day, month name, year) and "%d.%d.%d"; empty without a
 * year. */
void VerDateText(const int32_t numbers[VER_NUMBERS], char *out, size_t size);
void VerNumberText(const int32_t numbers[VER_NUMBERS], char *out, size_t size);

/* ---- HTTP (window-free parts) ---- */

/* Bounds of a response. */
#define VERHTTP_INITIAL    100000u
#define VERHTTP_HEADER_MAX 65536u
#define VERHTTP_BODY_MAX   1048576u
#define VERHTTP_LINE_MAX   256u        /* a chunk-size line */

enum { VERHTTP_MORE = 0, VERHTTP_DONE = 1, VERHTTP_BAD = -1, VERHTTP_NOMEM = -2 };

/* One response, fed as it arrives: the header, then the body made
 * contiguous behind it (chunks moved down), NUL-terminated when done. */
struct VERHTTP {
    char *data;
    uint32_t size;                 /* allocated */
    uint32_t length;               /* bytes held */
    uint32_t parsed;               /* bytes before this are consumed */
    uint32_t headerLength;         /* 0 until the header's end is in */
    uint32_t bodyLength;           /* body bytes behind the header */
    int32_t status;                /* the number after the first blank */
    int32_t state;                 /* parser state (verhttp_logic.cpp) */
    int64_t contentLength;         /* -1 when not given */
    uint32_t chunkLeft;            /* bytes of the current chunk to come */
    int32_t chunked;
    int32_t result;                /* last VERHTTP_* answer */
};

void VerHttpInit(VERHTTP *response);
void VerHttpFree(VERHTTP *response);
/* Where the next received bytes go and how many may come; VERHTTP_MORE,
 * or VERHTTP_BAD when the bounds leave no room, VERHTTP_NOMEM. */
int VerHttpRoom(VERHTTP *response, char **at, uint32_t *room);
/* Parses `added` bytes just written at the room. */
int VerHttpParse(VERHTTP *response, uint32_t added);
/* VerHttpRoom and VerHttpParse over a copy of the bytes. */
int VerHttpFeed(VERHTTP *response, const void *bytes, uint32_t count);
/* The peer closed: VERHTTP_DONE when the body is complete (or had no
 * length), else VERHTTP_BAD. */
int VerHttpClosed(VERHTTP *response);
/* The body and its length (after VERHTTP_DONE). */
const char *VerHttpBody(const VERHTTP *response, uint32_t *length);

/* Host, page and port of an address ("http://" optional); 0 when it is not
 * of that form. */
int VerSplitUrl(const char *address, char *host, size_t hostSize, const char **page,
                int *port);
/* The request's text; its length, or -1 when it does not fit. */
int VerHttpRequestText(char *out, size_t size, const char *host, const char *page, int port);

/* ---- the exchange and the worker (Windows) ---- */

struct ThreadRequest;

int StartWinsock(void);
/* Fetches an address into response; 0 with the error text (VER_TEXT
 * bytes) filled in. */
int VerHttpGet(const char *address, VERHTTP *response, char *error);
int VerHttpSend(uintptr_t socket, const char *buffer, int length, char *error);
int VerHttpRecv(uintptr_t socket, VERHTTP *response, char *error);
/* Fetches the version page into the result ("vcl", "vcf"). */
void VerFetchPage(TK47VERSION *result);
/* Starts a check for a window (the dialog first when interactive). */
struct HWND__;
void VerCheckRequest(HWND__ *window, int interactive);
/* The analyser thread's side of request kind 11. */
int VerCheckRun(ThreadRequest *request);
/* An automatic check's result on the main frame (frees it); sets
 * verResultArrived. */
void VerCheckResult(HWND__ *window, TK47VERSION *result);
extern int verResultArrived;
/* The "Ravolt Version Check" dialog; null when it cannot be made. */
HWND__ *VerShowDialog(HWND__ *window, int interactive, const TK47VERSION *result);
/* Test hook: the name resolver (null: gethostbyname); answers 0 and an
 * IPv4 address in network order, or non-zero. */
typedef int (*VerResolver)(const char *host, uint32_t *address);
void VerSetResolver(VerResolver resolver);
