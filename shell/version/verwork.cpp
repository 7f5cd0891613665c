/* The version check's work: the request the user's command or the timer
 * makes, the analyser thread's run of it (fetch the version page, find
 * the published version) and the result posted back to a window. */
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "version.h"
#include "cs.h"
#include "prfdata.h"
#include "shellhost.h"
#include "mqengine.h"

const char verDownloadAddress[] = "http://www.ravolt.example/download/version.html";
const char verProductAddress[] = "http://www.ravolt.example/";
const char *verPageAddress = verDownloadAddress;

static const char failure[] = "Error retrieving version information";

/* the version after the marker and "Version " up to the line's end */
static int page_version(TK47VERSION *r, const char *data, uint32_t length)
{
    static const char marker[] = "Ravolt Program version";
    const char *end = data + length;
    const char *m = UTMemFindNoCase(data, (int)length, marker, (int)sizeof marker - 1);
    if (!m)
        return 0;
    const char *after = m + sizeof marker - 1;
    const char *v = UTMemFindNoCase(after, (int)(end - after), "Version ", 8);
    if (!v)
        return 0;
    const char *start = v + 8;
    const char *nl = (const char *)memchr(start, '\n', (size_t)(end - start));
    return VerParseVersion(r->page, start, nl ? nl : end) && VerOwnVersion(r->own);
}

void VerFetchPage(TK47VERSION *r)
{
    VERHTTP h;
    Prf.vcl = CSGetCurrentTime();
    int ok = VerHttpGet(verPageAddress, &h, r->text);
    if (ok && !page_version(r, h.data, h.length)) {
        snprintf(r->text, sizeof r->text, "%s : Web page format does not appear to be correct",
                 failure);
        ok = 0;
    }
    if (ok) {
        Prf.vcf = 0;
        r->failed = 0;
    } else {
        Prf.vcf++;
        r->failed = 1;
        if (!r->text[0])
            snprintf(r->text, sizeof r->text, "%s", failure);
    }
    VerHttpFree(&h);
}

/* hands a result to a window, which then owns it; freed when it cannot */
static void post_result(HWND window, TK47VERSION *r)
{
    if (!window || !PostMessageA(window, UM_VERSION_RESULT, 0, (LPARAM)r))
        CSFreeMem(r);
}

int VerCheckRun(ThreadRequest *request)
{
    TK47VERSION *r = (TK47VERSION *)CSGetMem(sizeof *r, "TK47VERSION");
    if (!r)
        return 0;
    memset(r, 0, sizeof *r);
    r->interactive = (request->flags & VER_REQ_INTERACTIVE) != 0;
    VerFetchPage(r);
    post_result((HWND)request->resultWindow, r);
    return 0;
}

void VerCheckRequest(HWND window, int interactive)
{
    HWND target = window;
    if (interactive) {
        target = VerShowDialog(window, 1, nullptr);
        if (!target)
            return;
    }
    ThreadRequest t;
    memset(&t, 0, sizeof t);
    t.kind = TRK_VERCHECK;
    t.resultWindow = target;
    uint32_t flags = TRF_ANALYSER | TRF_KIND | TRF_MSGINFO | (interactive ? VER_REQ_INTERACTIVE : 0);
    if (PostThreadRequest(nullptr, nullptr, flags, &t, nullptr, nullptr, 0) == 0 || !interactive)
        return;
    /* the dialog tells that nothing will come */
    TK47VERSION *r = (TK47VERSION *)CSGetMem(sizeof *r, "TK47VERSION");
    if (!r)
        return;
    memset(r, 0, sizeof *r);
    r->interactive = 1;
    r->failed = 1;
    VerOwnVersion(r->own);
    snprintf(r->text, sizeof r->text, "%s", failure);
    post_result(target, r);
}
