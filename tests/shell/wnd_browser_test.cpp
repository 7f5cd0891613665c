/* The browser host: the four site interfaces answered through their
 * tables, BrowserEmbed's failures (a class that is not registered,
 * objects that lack an interface) ending in a clean failure of the window
 * with its box, BrowserNavigate without a browser, and the system's own
 * WebBrowser control embedded once in a child process that must neither
 * hang nor prompt nor crash, whatever Wine answers. */
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <mshtmhst.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>

#include "shelltest.h"
#include "splash.h"
#include "qms.h"

namespace {

const CLSID notRegistered = {0x6b1e2f30, 0x4c2d, 0x4e7a, {0x91, 0x0c, 0x5d, 0x1e, 0x22, 0x71, 0x00, 0x01}};
const CLSID refusesInstance = {0x6b1e2f30, 0x4c2d, 0x4e7a, {0x91, 0x0c, 0x5d, 0x1e, 0x22, 0x71, 0x00, 0x02}};
const CLSID oleOnly = {0x6b1e2f30, 0x4c2d, 0x4e7a, {0x91, 0x0c, 0x5d, 0x1e, 0x22, 0x71, 0x00, 0x03}};
const CLSID refusesSite = {0x6b1e2f30, 0x4c2d, 0x4e7a, {0x91, 0x0c, 0x5d, 0x1e, 0x22, 0x71, 0x00, 0x04}};

int alive;                 /* fake objects not yet released */

/* an OLE object without IWebBrowser2; refuses its client site when asked */
struct FakeOle final : IOleObject {
    LONG refs = 1;
    bool refuseSite;
    explicit FakeOle(bool refuse) : refuseSite(refuse) { alive++; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleObject)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)++refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG r = --refs;
        if (r == 0) {
            alive--;
            delete this;
        }
        return (ULONG)r;
    }
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite *s) override
    {
        return refuseSite && s ? E_FAIL : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject *, WINBOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG, LPMSG, IOleClientSite *, LONG, HWND, LPCRECT) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink *, DWORD *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE *) override { return E_NOTIMPL; }
};

/* class factories: 0 refuses the instance, 1 an OLE object only, 2 one
 * that refuses its site */
struct FakeFactory : IClassFactory {
    int kind;
    explicit FakeFactory(int k) : kind(k) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *, REFIID riid, void **out) override
    {
        *out = nullptr;
        if (kind == 0)
            return E_NOINTERFACE;
        FakeOle *o = new FakeOle(kind == 2);
        HRESULT hr = o->QueryInterface(riid, out);
        o->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(WINBOOL) override { return S_OK; }
};

HWND PlainWindow(void)
{
    return CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                           nullptr, nullptr);
}

}  // namespace

TEST(BrowserSite, InterfacesAnswerThroughTheirTables)
{
    HWND host = PlainWindow();
    BrowserSite *site = BrowserSiteCreate(host);
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(GlobalSize(site), 48u);
    IOleClientSite *client = (IOleClientSite *)&site->clientSite;
    IOleInPlaceSite *inPlace = (IOleInPlaceSite *)&site->inPlaceSite;
    IOleInPlaceFrame *frame = (IOleInPlaceFrame *)&site->inPlaceFrame;
    IDocHostUIHandler *ui = (IDocHostUIHandler *)&site->uiHandler;

    /* QueryInterface routes, the same from the three that route */
    for (IUnknown *from : {(IUnknown *)client, (IUnknown *)inPlace, (IUnknown *)ui}) {
        void *out = (void *)1;
        EXPECT_EQ(from->QueryInterface(IID_IUnknown, &out), S_OK);
        EXPECT_EQ(out, (void *)client);
        EXPECT_EQ(from->QueryInterface(IID_IOleClientSite, &out), S_OK);
        EXPECT_EQ(out, (void *)client);
        EXPECT_EQ(from->QueryInterface(IID_IOleInPlaceSite, &out), S_OK);
        EXPECT_EQ(out, (void *)inPlace);
        EXPECT_EQ(from->QueryInterface(IID_IDocHostUIHandler, &out), S_OK);
        EXPECT_EQ(out, (void *)ui);
        EXPECT_EQ(from->QueryInterface(IID_IOleObject, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(from->AddRef(), 1u);
        EXPECT_EQ(from->Release(), 1u);
    }
    void *out = nullptr;
    EXPECT_EQ(frame->QueryInterface(IID_IUnknown, &out), E_NOTIMPL);
    EXPECT_EQ(frame->AddRef(), 1u);

    /* IOleClientSite */
    IMoniker *moniker = nullptr;
    IOleContainer *container = (IOleContainer *)1;
    EXPECT_EQ(client->SaveObject(), E_NOTIMPL);
    EXPECT_EQ(client->GetMoniker(0, 0, &moniker), E_NOTIMPL);
    EXPECT_EQ(client->GetContainer(&container), E_NOINTERFACE);
    EXPECT_EQ(container, nullptr);
    EXPECT_EQ(client->ShowObject(), S_OK);
    EXPECT_EQ(client->OnShowWindow(TRUE), E_NOTIMPL);
    EXPECT_EQ(client->RequestNewObjectLayout(), E_NOTIMPL);

    /* IOleInPlaceSite */
    HWND got = nullptr;
    EXPECT_EQ(inPlace->GetWindow(&got), S_OK);
    EXPECT_EQ(got, host);
    EXPECT_EQ(inPlace->ContextSensitiveHelp(TRUE), E_NOTIMPL);
    EXPECT_EQ(inPlace->CanInPlaceActivate(), S_OK);
    EXPECT_EQ(inPlace->OnInPlaceActivate(), S_OK);
    EXPECT_EQ(inPlace->OnUIActivate(), S_OK);
    IOleInPlaceFrame *gotFrame = nullptr;
    IOleInPlaceUIWindow *doc = (IOleInPlaceUIWindow *)1;
    RECT pos, clip;
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof info;
    info.fMDIApp = TRUE;
    EXPECT_EQ(inPlace->GetWindowContext(&gotFrame, &doc, &pos, &clip, &info), S_OK);
    EXPECT_EQ((void *)gotFrame, (void *)frame);
    EXPECT_EQ(doc, nullptr);
    EXPECT_FALSE(info.fMDIApp);
    EXPECT_EQ(info.hwndFrame, host);
    EXPECT_EQ(info.haccel, nullptr);
    EXPECT_EQ(info.cAccelEntries, 0u);
    SIZE scroll = {1, 1};
    EXPECT_EQ(inPlace->Scroll(scroll), E_NOTIMPL);
    EXPECT_EQ(inPlace->OnUIDeactivate(FALSE), S_OK);
    EXPECT_EQ(inPlace->OnInPlaceDeactivate(), S_OK);
    EXPECT_EQ(inPlace->DiscardUndoState(), E_NOTIMPL);
    EXPECT_EQ(inPlace->DeactivateAndUndo(), E_NOTIMPL);
    RECT moved = {0, 0, 10, 10};
    EXPECT_EQ(inPlace->OnPosRectChange(&moved), S_OK);      /* no browser yet: nothing to move */

    /* IOleInPlaceFrame */
    got = nullptr;
    EXPECT_EQ(frame->GetWindow(&got), S_OK);
    EXPECT_EQ(got, host);
    RECT border;
    EXPECT_EQ(frame->ContextSensitiveHelp(TRUE), E_NOTIMPL);
    EXPECT_EQ(frame->GetBorder(&border), E_NOTIMPL);
    EXPECT_EQ(frame->RequestBorderSpace(nullptr), E_NOTIMPL);
    EXPECT_EQ(frame->SetBorderSpace(nullptr), E_NOTIMPL);
    EXPECT_EQ(frame->SetActiveObject(nullptr, nullptr), S_OK);
    EXPECT_EQ(frame->InsertMenus(nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(frame->SetMenu(nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(frame->RemoveMenus(nullptr), E_NOTIMPL);
    EXPECT_EQ(frame->SetStatusText(L"x"), S_OK);
    EXPECT_EQ(frame->EnableModeless(TRUE), S_OK);
    EXPECT_EQ(frame->TranslateAccelerator(nullptr, 0), E_NOTIMPL);

    /* IDocHostUIHandler */
    DOCHOSTUIINFO hostInfo = {};
    EXPECT_EQ(ui->GetHostInfo(&hostInfo), S_OK);
    EXPECT_EQ(hostInfo.cbSize, 32u);
    EXPECT_EQ(hostInfo.dwFlags, 4u);
    EXPECT_EQ(ui->ShowContextMenu(0, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(ui->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(ui->HideUI(), S_OK);
    EXPECT_EQ(ui->UpdateUI(), S_OK);
    EXPECT_EQ(ui->EnableModeless(TRUE), S_OK);
    EXPECT_EQ(ui->OnDocWindowActivate(TRUE), S_OK);
    EXPECT_EQ(ui->OnFrameWindowActivate(TRUE), S_OK);
    EXPECT_EQ(ui->ResizeBorder(&border, nullptr, TRUE), S_OK);
    EXPECT_EQ(ui->TranslateAccelerator(nullptr, nullptr, 0), S_FALSE);
    EXPECT_EQ(ui->GetOptionKeyPath(nullptr, 0), S_FALSE);
    EXPECT_EQ(ui->GetDropTarget(nullptr, nullptr), S_FALSE);
    IDispatch *external = (IDispatch *)1;
    EXPECT_EQ(ui->GetExternal(&external), S_FALSE);
    EXPECT_EQ(external, nullptr);
    LPWSTR url = (LPWSTR)1;
    EXPECT_EQ(ui->TranslateUrl(0, nullptr, &url), S_FALSE);
    EXPECT_EQ(url, nullptr);
    IDataObject *data = (IDataObject *)1;
    EXPECT_EQ(ui->FilterDataObject(nullptr, &data), S_FALSE);
    EXPECT_EQ(data, nullptr);

    BrowserSiteFree(site);
    DestroyWindow(host);
}

struct BrowserEmbedding : ::testing::Test {
    DWORD cookies[3] = {};
    FakeFactory factories[3] = {FakeFactory(0), FakeFactory(1), FakeFactory(2)};
    void SetUp() override
    {
        OleInitialize(nullptr);
        const CLSID *ids[3] = {&refusesInstance, &oleOnly, &refusesSite};
        for (int i = 0; i < 3; i++)
            ASSERT_EQ(CoRegisterClassObject(*ids[i], &factories[i], CLSCTX_INPROC_SERVER,
                                            REGCLS_MULTIPLEUSE, &cookies[i]), S_OK);
        RecordBoxesAndLinks();
        alive = 0;
    }
    void TearDown() override
    {
        BrowserSetClassId(nullptr);
        for (DWORD c : cookies)
            CoRevokeClassObject(c);
        CloseAllOfClass("TK47_BROWSER");
        OleUninitialize();
    }
};

TEST_F(BrowserEmbedding, FailureCodesLeaveNothingBehind)
{
    struct { const CLSID *id; int code; } cases[] = {
        {&notRegistered, -2}, {&refusesInstance, -3}, {&oleOnly, -4}, {&refusesSite, -4},
    };
    for (auto &c : cases) {
        HWND host = PlainWindow();
        BrowserSetClassId(c.id);
        EXPECT_EQ(BrowserEmbed(host), c.code);
        EXPECT_EQ(GetWindowLongPtrA(host, GWLP_USERDATA), 0);
        EXPECT_EQ(alive, 0) << c.code;
        DestroyWindow(host);
    }
    /* navigating a window without a browser */
    HWND host = PlainWindow();
    EXPECT_EQ(BrowserNavigate(host, "http://127.0.0.1/x"), -5);
    DestroyWindow(host);
}

TEST_F(BrowserEmbedding, FailedEmbedEndsTheWindowsCreationWithItsBox)
{
    std::string page = WriteScratch("page.html", "<html><body><h1>QM1</h1></body></html>");
    QMS loc;
    memset(&loc, 0, sizeof loc);
    strcpy(loc.qmName, "QM1");
    for (const CLSID *id : {&notRegistered, &refusesInstance, &refusesSite}) {
        Boxes().clear();
        BrowserSetClassId(id);
        EXPECT_EQ(SplashShowFile(nullptr, "HTML splash", &loc, page.c_str(), 1, 0), 1);
        EXPECT_LT(BrowserLastEmbed, 0);
        EXPECT_TRUE(WindowsOfClass("TK47_BROWSER").empty());
        EXPECT_EQ(loc.splashWindow, nullptr);
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].caption, "Operational Error");
        EXPECT_EQ(Boxes()[0].text.rfind("Can not create splash window", 0), 0u) << Boxes()[0].text;
        EXPECT_EQ(alive, 0);
    }
}

/* The child's side: the system's control embedded for an HTML file, and
 * what happened written to the file the parent names. */
TEST(BrowserReal, Child)
{
    const char *outName = getenv("RAVOLT_EMBED_OUT");
    if (!getenv("RAVOLT_EMBED_CHILD") || !outName)
        GTEST_SKIP() << "run by BrowserReal.EmbeddedOnceWithoutHangPromptOrCrash";
    FILE *out = fopen(outName, "w");
    ASSERT_NE(out, nullptr);
    RecordBoxesAndLinks();
    std::string page = WriteScratch("real.html", "<html><body><h1>Queue manager QM1</h1></body></html>");
    QMS loc;
    memset(&loc, 0, sizeof loc);
    strcpy(loc.qmName, "QM1");
    int rc = SplashShowFile(nullptr, "HTML splash", &loc, page.c_str(), 1, 0);
    fprintf(out, "SplashShowFile=%d BrowserEmbed=%d Navigate2=0x%08lx window=%s\n", rc, BrowserLastEmbed,
            (unsigned long)BrowserLastNavigate, loc.splashWindow ? "open" : "none");
    fflush(out);
    /* what the control posted itself (its navigation, a prompt it would
       show) taken: until the thread's queue holds nothing */
    PumpUntil([] { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; }, 20000);
    if (loc.splashWindow) {
        int width = 0, height = 0;
        std::vector<uint32_t> px = ScreenCapture((HWND)loc.splashWindow, &width, &height);
        std::set<uint32_t> colours(px.begin(), px.end());
        fprintf(out, "client area %dx%d: %zu distinct colours\n", width, height, colours.size());
    }
    struct Walk { FILE *out; } walk = {out};
    EnumWindows([](HWND w, LPARAM lp) -> BOOL {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid != GetCurrentProcessId() || !IsWindowVisible(w))
            return TRUE;
        char cls[100] = "", title[200] = "";
        GetClassNameA(w, cls, sizeof cls);
        GetWindowTextA(w, title, sizeof title);
        fprintf(((Walk *)lp)->out, "top-level window: class %s, title \"%s\"\n", cls, title);
        EnumChildWindows(w, [](HWND c, LPARAM lp2) -> BOOL {
            char cc[100] = "";
            GetClassNameA(c, cc, sizeof cc);
            fprintf((FILE *)lp2, "  child window: class %s\n", cc);
            return TRUE;
        }, (LPARAM)((Walk *)lp)->out);
        return TRUE;
    }, (LPARAM)&walk);
    for (const ShownBox &b : Boxes())
        fprintf(out, "box: %s: %s\n", b.caption.c_str(), b.text.c_str());
    if (loc.splashWindow)
        DestroyWindow((HWND)loc.splashWindow);
    PumpAll();
    fprintf(out, "closed\n");
    fclose(out);
}

TEST(BrowserReal, EmbeddedOnceWithoutHangPromptOrCrash)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string outName = WriteScratch("embed-answer.txt", "");
    SetEnvironmentVariableA("RAVOLT_EMBED_CHILD", "1");
    SetEnvironmentVariableA("RAVOLT_EMBED_OUT", outName.c_str());
    std::string cmd = std::string("\"") + exe + "\" --gtest_filter=BrowserReal.Child";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    BOOL started = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA("RAVOLT_EMBED_CHILD", nullptr);
    SetEnvironmentVariableA("RAVOLT_EMBED_OUT", nullptr);
    ASSERT_TRUE(started);
    DWORD waited = WaitForSingleObject(pi.hProcess, 90000);
    if (waited == WAIT_TIMEOUT)
        TerminateProcess(pi.hProcess, 99);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::string answer = ReadWhole(outName);
    printf("What the system answered for the WebBrowser control:\n%s", answer.c_str());
    EXPECT_NE(waited, WAIT_TIMEOUT) << "the embedding hung";
    EXPECT_EQ(code, 0u) << "the child ended badly";
    EXPECT_NE(answer.find("closed"), std::string::npos);
    EXPECT_EQ(answer.find("nstall"), std::string::npos) << "an installer was offered";
}
