/* The browser splash window (class TK47_BROWSER): a top-most window that
 * embeds the system's WebBrowser control as an in-place OLE object, with
 * the site block as its host, and navigates it to a web page or an HTML
 * file. */
#define CINTERFACE
#define COBJMACROS
#include <windows.h>
#include <ole2.h>
#include <exdisp.h>

#include <cstring>

#include "splashint.h"
#include "qms.h"
#include "tkwin.h"

static const char windowClass[] = "TK47_BROWSER";
static const CLSID *browserClass = &CLSID_WebBrowser;
int BrowserLastEmbed;
long BrowserLastNavigate;

void BrowserSetClassId(const _GUID *clsid)
{
    browserClass = clsid ? clsid : &CLSID_WebBrowser;
}

int BrowserRegisterClass(HWND)
{
    static int registered, oleFailed;
    if (registered)
        return 1;
    if (oleFailed || FAILED(OleInitialize(nullptr))) {
        oleFailed = 1;
        WinOpError("Can not access the OLE Environment");
        return 0;
    }
    if (!SplashRegisterWindowClass(windowClass, BrowserProc))
        return 0;
    registered = 1;
    return 1;
}

static BrowserSite *site_of(HWND hwnd)
{
    return (BrowserSite *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
}

/* the browser's IWebBrowser2, or null */
static IWebBrowser2 *web_browser(HWND hwnd)
{
    BrowserSite *site = site_of(hwnd);
    IWebBrowser2 *web = nullptr;
    if (!site || !site->browser ||
        FAILED(IOleObject_QueryInterface((IOleObject *)site->browser, IID_IWebBrowser2,
                                         (void **)&web)))
        return nullptr;
    return web;
}

/* closes and releases the window's browser and frees its site block */
static void release_browser(HWND hwnd)
{
    BrowserSite *site = site_of(hwnd);
    if (!site)
        return;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (IOleObject *browser = (IOleObject *)site->browser) {
        IOleObject_Close(browser, OLECLOSE_NOSAVE);
        IOleObject_SetClientSite(browser, nullptr);
        IOleObject_Release(browser);
    }
    BrowserSiteFree(site);
}

static void set_size(HWND hwnd, int width, int height)
{
    if (IWebBrowser2 *web = web_browser(hwnd)) {
        IWebBrowser2_put_Width(web, width);
        IWebBrowser2_put_Height(web, height);
        IWebBrowser2_Release(web);
    }
}

/* SetClientSite to IWebBrowser2: 0, or -4 */
static int activate(HWND hwnd, BrowserSite *site, IOleObject *browser)
{
    IOleClientSite *client = (IOleClientSite *)&site->clientSite;
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (FAILED(IOleObject_SetClientSite(browser, client)))
        return -4;
    IOleObject_SetHostNames(browser, L"My Host Name", nullptr);
    if (FAILED(OleSetContainedObject((IUnknown *)browser, TRUE)))
        return -4;
    if (FAILED(IOleObject_DoVerb(browser, OLEIVERB_SHOW, nullptr, client, 0, hwnd, &rc)))
        return -4;
    IWebBrowser2 *web = web_browser(hwnd);
    if (!web)
        return -4;
    IWebBrowser2_put_Left(web, 0);
    IWebBrowser2_put_Top(web, 0);
    IWebBrowser2_put_Width(web, rc.right);
    IWebBrowser2_put_Height(web, rc.bottom);
    IWebBrowser2_Release(web);
    return 0;
}

int BrowserEmbed(HWND hwnd)
{
    BrowserSite *site = BrowserSiteCreate(hwnd);
    if (!site)
        return -1;
    IClassFactory *factory = nullptr;
    if (FAILED(CoGetClassObject(*browserClass, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                nullptr, IID_IClassFactory, (void **)&factory))) {
        BrowserSiteFree(site);
        return -2;
    }
    IOleObject *browser = nullptr;
    HRESULT hr = IClassFactory_CreateInstance(factory, nullptr, IID_IOleObject, (void **)&browser);
    IClassFactory_Release(factory);
    if (FAILED(hr) || !browser) {
        BrowserSiteFree(site);
        return -3;
    }
    site->browser = browser;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)site);
    int rc = activate(hwnd, site, browser);
    if (rc)
        release_browser(hwnd);
    return rc;
}

int BrowserNavigate(HWND hwnd, const char *address)
{
    IWebBrowser2 *web = web_browser(hwnd);
    if (!web)
        return -5;
    int n = MultiByteToWideChar(CP_ACP, 0, address, -1, nullptr, 0);
    BSTR text = n > 0 ? SysAllocStringLen(nullptr, (UINT)n - 1) : nullptr;
    if (!text) {
        IWebBrowser2_Release(web);
        return -6;
    }
    MultiByteToWideChar(CP_ACP, 0, address, -1, text, n);
    VARIANT url, empty;
    VariantInit(&url);
    VariantInit(&empty);
    url.vt = VT_BSTR;
    url.bstrVal = text;
    BrowserLastNavigate = IWebBrowser2_Navigate2(web, &url, &empty, &empty, &empty, &empty);
    VariantClear(&url);
    IWebBrowser2_Release(web);
    return 0;
}

/* the location no longer has this window as its splash window */
static void forget_location(HWND hwnd)
{
    QMS *location = (QMS *)RemovePropA(hwnd, "TK47LOCATION");
    if (location && location->splashWindow == hwnd)
        location->splashWindow = nullptr;
}

LRESULT CALLBACK BrowserProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE: {
        QMS *location = (QMS *)((CREATESTRUCTA *)lp)->lpCreateParams;
        SetPropA(hwnd, "TK47LOCATION", (HANDLE)location);
        if (location)
            location->splashWindow = hwnd;
        BrowserLastEmbed = BrowserEmbed(hwnd);
        if (BrowserLastEmbed == 0)
            return 0;
        /* the window will not be: it is not the location's either */
        forget_location(hwnd);
        return -1;
    }
    case WM_SIZE:
        set_size(hwnd, LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_DESTROY:
        forget_location(hwnd);
        release_browser(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND SplashBrowserWindow(HWND owner, const char *title, QMS *location, const char *address,
                         PlaceRect r)
{
    if (!BrowserRegisterClass(owner))
        return nullptr;
    HWND w = CreateWindowExA(0, windowClass, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r.x, r.y,
                             r.cx, r.cy, nullptr, nullptr, GetModuleHandleA(nullptr), location);
    if (!w) {
        WinOpError("Can not create splash window");
        return nullptr;
    }
    BrowserNavigate(w, address);
    ShowWindow(w, SW_SHOW);
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    UpdateWindow(w);
    return w;
}
