/* The splash display: a queue manager's splash information (a text,
 * rich-text or HTML file, or a web page) in a top-most window, chosen by
 * the "splashqms=" and "splashqmn=" templates (and "splashs=" at
 * start-up), and the browser host that embeds the system's WebBrowser
 * control for HTML.
 *
 * The template expansion, the choice by name and the placement rule are
 * window-free; the windows are Windows only. */
#pragma once

#include <cstddef>
#include <cstdint>
#include "tklogic.h"

struct QMS;
struct HWND__;

#define SPLASH_NAME 1000

/* Message: show the splash information of the location in lParam. */
#include "ravoltids.h"

/* What a name shows as. */
enum SplashKind { SPLASH_OTHER, SPLASH_TEXT, SPLASH_RTF, SPLASH_HTML, SPLASH_WEB };

/* A template expanded for a location (none: "%m" and "%g" insert
 * nothing): the name, and the bracketed size (0 where not given). */
struct SplashSource {
    char name[SPLASH_NAME];
    int32_t cx, cy;
};
void SplashExpand(const char *templ, const char *qmName, const char *groupName,
                  SplashSource *out);
int SplashKindOf(const char *name);
/* The monitor (index into layout->monitor) an owner rectangle overlaps
 * most; the first without an owner; the second on an equal overlap of
 * the first two. */
int SplashChooseMonitor(const DisplayLayout *layout, const PlaceRect *owner);
/* A window of width and height (a 0 part: half the monitor's) cut to the
 * monitor and centred on it. */
PlaceRect SplashPlace(const AreaRect *monitor, int32_t cx, int32_t cy);

/* ---- windows (Windows) ---- */

int SplashShow(HWND__ *owner, const char *title, QMS *location, int reportIfNone, int force);
int SplashShowFile(HWND__ *owner, const char *title, QMS *location, const char *templ,
                   int report, int errorFlag);
/* The error window with a reason; 1. */
int SplashShowError(HWND__ *owner, QMS *location, const char *reason);

int BrowserRegisterClass(HWND__ *owner);
int RichEditRegisterClass(HWND__ *owner);
/* 0, or -1 no memory, -2 no class object, -3 no instance, -4 the site,
 * containment, activation or IWebBrowser2 failed. */
int BrowserEmbed(HWND__ *window);
/* 0, or -5 no IWebBrowser2, -6 no memory. */
int BrowserNavigate(HWND__ *window, const char *address);

/* The site block of a browser window (48 bytes from the global heap):
 * the browser, the four interfaces of the host, and the window. */
struct BrowserSite {
    void *browser;                 /* IOleObject */
    const void *clientSite;        /* IOleClientSite: its table */
    const void *inPlaceSite;       /* IOleInPlaceSite */
    const void *inPlaceFrame;      /* IOleInPlaceFrame */
    HWND__ *window;
    const void *uiHandler;         /* IDocHostUIHandler */
};
BrowserSite *BrowserSiteCreate(HWND__ *window);
void BrowserSiteFree(BrowserSite *site);

/* Opens a link or document ("open"); tests replace it. */
typedef int (*ShellOpenHook)(HWND__ *owner, const char *target);
int ShellOpenLink(HWND__ *owner, const char *target);
void ShellSetOpenHook(ShellOpenHook hook);
/* Frees the blocks (lParam) of the messages of one kind still queued for
 * a window that goes. */
void ShellDropPostedBlocks(HWND__ *window, unsigned int message);
/* Test hook: the class object the browser window asks for (null: the
 * system's WebBrowser). */
struct _GUID;
void BrowserSetClassId(const _GUID *clsid);
/* The last BrowserEmbed result of a browser window being made, and the
 * last answer of the control's Navigate2. */
extern int BrowserLastEmbed;
extern long BrowserLastNavigate;
