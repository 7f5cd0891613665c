/* The browser host's site: the 48-byte block of a browser window and the
 * four interfaces through which the WebBrowser control talks to its host
 * (client site, in-place site, in-place frame and UI handler).  Each
 * interface is a slot of the block holding its table; a call reaches the
 * block, and so the window, from the slot's own position. */
#define CINTERFACE
#define COBJMACROS
#include <windows.h>
#include <ole2.h>
#include <oleidl.h>
#include <docobj.h>
#include <mshtmhst.h>

#include <cstddef>

#include "splash.h"

static_assert(sizeof(BrowserSite) == 48, "the site block is 48 bytes");

#define SITE_OF(iface, slot) ((BrowserSite *)((char *)(iface) - offsetof(BrowserSite, slot)))

/* ---- answers shared by the tables ---- */

static ULONG STDMETHODCALLTYPE ClientAddRef(IOleClientSite *) { return 1; }
static ULONG STDMETHODCALLTYPE ClientRelease(IOleClientSite *) { return 1; }

/* the routes of every QueryInterface but the frame's */
static HRESULT site_query(BrowserSite *site, REFIID riid, void **out)
{
    if (!out)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
        *out = &site->clientSite;
    else if (IsEqualIID(riid, IID_IOleInPlaceSite))
        *out = &site->inPlaceSite;
    else if (IsEqualIID(riid, IID_IDocHostUIHandler))
        *out = &site->uiHandler;
    else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    return S_OK;
}

/* GetWindow of the in-place site and frame: the host window */
static HRESULT host_window(BrowserSite *site, HWND *out)
{
    if (!out)
        return E_POINTER;
    *out = site->window;
    return S_OK;
}

/* ---- IOleClientSite ---- */

static HRESULT STDMETHODCALLTYPE ClientQuery(IOleClientSite *This, REFIID riid, void **out)
{
    return site_query(SITE_OF(This, clientSite), riid, out);
}
static HRESULT STDMETHODCALLTYPE ClientSaveObject(IOleClientSite *) { return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE ClientGetMoniker(IOleClientSite *, DWORD, DWORD, IMoniker **)
{
    return E_NOTIMPL;
}
static HRESULT STDMETHODCALLTYPE ClientGetContainer(IOleClientSite *, IOleContainer **out)
{
    if (out)
        *out = nullptr;
    return E_NOINTERFACE;
}
static HRESULT STDMETHODCALLTYPE ClientShowObject(IOleClientSite *) { return S_OK; }
static HRESULT STDMETHODCALLTYPE ClientOnShowWindow(IOleClientSite *, WINBOOL) { return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE ClientRequestLayout(IOleClientSite *) { return E_NOTIMPL; }

static const IOleClientSiteVtbl clientSiteTable = {
    ClientQuery, ClientAddRef, ClientRelease, ClientSaveObject, ClientGetMoniker,
    ClientGetContainer, ClientShowObject, ClientOnShowWindow, ClientRequestLayout,
};

/* ---- IOleInPlaceSite ---- */

static HRESULT STDMETHODCALLTYPE SiteQuery(IOleInPlaceSite *This, REFIID riid, void **out)
{
    return site_query(SITE_OF(This, inPlaceSite), riid, out);
}
static ULONG STDMETHODCALLTYPE SiteAddRef(IOleInPlaceSite *) { return 1; }
static ULONG STDMETHODCALLTYPE SiteRelease(IOleInPlaceSite *) { return 1; }
static HRESULT STDMETHODCALLTYPE SiteGetWindow(IOleInPlaceSite *This, HWND *out)
{
    return host_window(SITE_OF(This, inPlaceSite), out);
}
static HRESULT STDMETHODCALLTYPE SiteContextHelp(IOleInPlaceSite *, WINBOOL) { return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE SiteYes(IOleInPlaceSite *) { return S_OK; }
static HRESULT STDMETHODCALLTYPE SiteGetWindowContext(IOleInPlaceSite *This,
                                                      IOleInPlaceFrame **frame,
                                                      IOleInPlaceUIWindow **doc, LPRECT pos,
                                                      LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    BrowserSite *site = SITE_OF(This, inPlaceSite);
    if (frame)
        *frame = (IOleInPlaceFrame *)&site->inPlaceFrame;
    if (doc)
        *doc = nullptr;
    RECT rc = {0, 0, 0, 0};
    GetClientRect(site->window, &rc);
    if (pos)
        *pos = rc;
    if (clip)
        *clip = rc;
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = site->window;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE SiteScroll(IOleInPlaceSite *, SIZE) { return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE SiteUIDeactivate(IOleInPlaceSite *, WINBOOL) { return S_OK; }
static HRESULT STDMETHODCALLTYPE SiteNotImpl(IOleInPlaceSite *) { return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE SiteOnPosRectChange(IOleInPlaceSite *This, LPCRECT rect)
{
    IOleObject *browser = (IOleObject *)SITE_OF(This, inPlaceSite)->browser;
    IOleInPlaceObject *inPlace = nullptr;
    if (browser && rect &&
        SUCCEEDED(IOleObject_QueryInterface(browser, IID_IOleInPlaceObject, (void **)&inPlace))) {
        IOleInPlaceObject_SetObjectRects(inPlace, rect, rect);
        IOleInPlaceObject_Release(inPlace);
    }
    return S_OK;
}

static const IOleInPlaceSiteVtbl inPlaceSiteTable = {
    SiteQuery, SiteAddRef, SiteRelease, SiteGetWindow, SiteContextHelp,
    SiteYes /* CanInPlaceActivate */, SiteYes /* OnInPlaceActivate */, SiteYes /* OnUIActivate */,
    SiteGetWindowContext, SiteScroll, SiteUIDeactivate, SiteYes /* OnInPlaceDeactivate */,
    SiteNotImpl /* DiscardUndoState */, SiteNotImpl /* DeactivateAndUndo */, SiteOnPosRectChange,
};

/* ---- IOleInPlaceFrame ---- */

static HRESULT STDMETHODCALLTYPE FrameQuery(IOleInPlaceFrame *, REFIID, void **)
{
    return E_NOTIMPL;
}
static ULONG STDMETHODCALLTYPE FrameAddRef(IOleInPlaceFrame *) { return 1; }
static ULONG STDMETHODCALLTYPE FrameRelease(IOleInPlaceFrame *) { return 1; }
static HRESULT STDMETHODCALLTYPE FrameGetWindow(IOleInPlaceFrame *This, HWND *out)
{
    return host_window(SITE_OF(This, inPlaceFrame), out);
}
static HRESULT STDMETHODCALLTYPE FrameContextHelp(IOleInPlaceFrame *, WINBOOL) { return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE FrameGetBorder(IOleInPlaceFrame *, LPRECT) { return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE FrameBorderSpace(IOleInPlaceFrame *, LPCBORDERWIDTHS)
{
    return E_NOTIMPL;
}
static HRESULT STDMETHODCALLTYPE FrameSetActiveObject(IOleInPlaceFrame *,
                                                      IOleInPlaceActiveObject *, LPCOLESTR)
{
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE FrameInsertMenus(IOleInPlaceFrame *, HMENU,
                                                  LPOLEMENUGROUPWIDTHS)
{
    return E_NOTIMPL;
}
static HRESULT STDMETHODCALLTYPE FrameSetMenu(IOleInPlaceFrame *, HMENU, HOLEMENU, HWND)
{
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE FrameRemoveMenus(IOleInPlaceFrame *, HMENU) { return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE FrameSetStatusText(IOleInPlaceFrame *, LPCOLESTR) { return S_OK; }
static HRESULT STDMETHODCALLTYPE FrameEnableModeless(IOleInPlaceFrame *, WINBOOL) { return S_OK; }
static HRESULT STDMETHODCALLTYPE FrameTranslateAccelerator(IOleInPlaceFrame *, LPMSG, WORD)
{
    return E_NOTIMPL;
}

static const IOleInPlaceFrameVtbl inPlaceFrameTable = {
    FrameQuery, FrameAddRef, FrameRelease, FrameGetWindow, FrameContextHelp, FrameGetBorder,
    FrameBorderSpace /* RequestBorderSpace */, FrameBorderSpace /* SetBorderSpace */,
    FrameSetActiveObject, FrameInsertMenus, FrameSetMenu, FrameRemoveMenus, FrameSetStatusText,
    FrameEnableModeless, FrameTranslateAccelerator,
};

/* ---- IDocHostUIHandler ---- */

static HRESULT STDMETHODCALLTYPE UiQuery(IDocHostUIHandler *This, REFIID riid, void **out)
{
    return site_query(SITE_OF(This, uiHandler), riid, out);
}
static ULONG STDMETHODCALLTYPE UiAddRef(IDocHostUIHandler *) { return 1; }
static ULONG STDMETHODCALLTYPE UiRelease(IDocHostUIHandler *) { return 1; }
static HRESULT STDMETHODCALLTYPE UiContextMenu(IDocHostUIHandler *, DWORD, POINT *, IUnknown *,
                                               IDispatch *)
{
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE UiGetHostInfo(IDocHostUIHandler *, DOCHOSTUIINFO *info)
{
    if (!info)
        return E_POINTER;
    info->cbSize = 32;
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE UiShowUI(IDocHostUIHandler *, DWORD, IOleInPlaceActiveObject *,
                                          IOleCommandTarget *, IOleInPlaceFrame *,
                                          IOleInPlaceUIWindow *)
{
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE UiYes(IDocHostUIHandler *) { return S_OK; }
static HRESULT STDMETHODCALLTYPE UiFlag(IDocHostUIHandler *, WINBOOL) { return S_OK; }
static HRESULT STDMETHODCALLTYPE UiResizeBorder(IDocHostUIHandler *, LPCRECT,
                                                IOleInPlaceUIWindow *, WINBOOL)
{
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE UiTranslateAccelerator(IDocHostUIHandler *, LPMSG,
                                                        const GUID *, DWORD)
{
    return S_FALSE;
}
static HRESULT STDMETHODCALLTYPE UiOptionKeyPath(IDocHostUIHandler *, LPOLESTR *, DWORD)
{
    return S_FALSE;
}
static HRESULT STDMETHODCALLTYPE UiDropTarget(IDocHostUIHandler *, IDropTarget *, IDropTarget **)
{
    return S_FALSE;
}
static HRESULT STDMETHODCALLTYPE UiExternal(IDocHostUIHandler *, IDispatch **out)
{
    if (out)
        *out = nullptr;
    return S_FALSE;
}
static HRESULT STDMETHODCALLTYPE UiTranslateUrl(IDocHostUIHandler *, DWORD, LPWSTR,
                                                LPWSTR *out)
{
    if (out)
        *out = nullptr;
    return S_FALSE;
}
static HRESULT STDMETHODCALLTYPE UiFilterData(IDocHostUIHandler *, IDataObject *,
                                              IDataObject **out)
{
    if (out)
        *out = nullptr;
    return S_FALSE;
}

static const IDocHostUIHandlerVtbl uiHandlerTable = {
    UiQuery, UiAddRef, UiRelease, UiContextMenu, UiGetHostInfo, UiShowUI,
    UiYes /* HideUI */, UiYes /* UpdateUI */, UiFlag /* EnableModeless */,
    UiFlag /* OnDocWindowActivate */, UiFlag /* OnFrameWindowActivate */, UiResizeBorder,
    UiTranslateAccelerator, UiOptionKeyPath, UiDropTarget, UiExternal, UiTranslateUrl,
    UiFilterData,
};

/* ---- the block ---- */

BrowserSite *BrowserSiteCreate(HWND window)
{
    BrowserSite *site = (BrowserSite *)GlobalAlloc(GPTR, sizeof(BrowserSite));
    if (!site)
        return nullptr;
    site->clientSite = &clientSiteTable;
    site->inPlaceSite = &inPlaceSiteTable;
    site->inPlaceFrame = &inPlaceFrameTable;
    site->window = window;
    site->uiHandler = &uiHandlerTable;
    return site;
}

void BrowserSiteFree(BrowserSite *site)
{
    if (site)
        GlobalFree(site);
}
