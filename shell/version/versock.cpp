/* The version check's HTTP exchange over Windows Sockets: one GET of a
 * plain-HTTP address, each receive bounded by the room the response
 * parser offers, with a five-second receive time-out.  The request and
 * the response's header go to the debug window's HTTP lines. */
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "version.h"
#include "debugwin.h"
#include "cs.h"

static const char failure[] = "Error retrieving version information";
static VerResolver resolver;

void VerSetResolver(VerResolver r)
{
    resolver = r;
}

int StartWinsock(void)
{
    static LONG started;
    static int result;
    if (InterlockedCompareExchange(&started, 1, 0) == 0) {
        WSADATA data;
        result = WSAStartup(MAKEWORD(1, 1), &data);
        InterlockedExchange(&started, 2);
    }
    while (started != 2)
        Sleep(1);
    return result;
}

static void set_error(char *error, const char *format, const char *value)
{
    snprintf(error, VER_TEXT, format, failure, value);
}

static void set_code(char *error, const char *format, int code)
{
    snprintf(error, VER_TEXT, format, failure, code);
}

/* each line of a text as an HTTP line of the debug window */
static void debug_lines(const char *text, size_t length)
{
    char line[1001];
    const char *p = text, *end = text + length;
    if (!DebugWindow())
        return;
    while (p < end) {
        const char *nl = (const char *)memchr(p, '\n', (size_t)(end - p));
        const char *e = nl ? nl : end;
        size_t n = (size_t)(e - p);
        if (n && p[n - 1] == '\r')
            n--;
        if (n >= sizeof line)
            n = sizeof line - 1;
        memcpy(line, p, n);
        line[n] = 0;
        DebugPrint(DBG_HTTP, line);
        p = e + 1;
    }
}

/* a dotted address as it stands, anything else through the resolver */
static int host_address(const char *host, uint32_t *address)
{
    unsigned long dotted = inet_addr(host);
    if (dotted != INADDR_NONE) {
        *address = (uint32_t)dotted;
        return 0;
    }
    if (resolver)
        return resolver(host, address);
    hostent *he = gethostbyname(host);
    if (!he || he->h_addrtype != AF_INET || !he->h_addr_list[0])
        return 1;
    memcpy(address, he->h_addr_list[0], 4);
    return 0;
}

int VerHttpSend(uintptr_t s, const char *buffer, int length, char *error)
{
    int sent = 0;
    while (sent < length) {
        int n = send((SOCKET)s, buffer + sent, length - sent, 0);
        if (n <= 0) {
            set_code(error, "%s : send() returned RC(%d)", n < 0 ? WSAGetLastError() : 0);
            return 0;
        }
        sent += n;
    }
    return 1;
}

int VerHttpRecv(uintptr_t s, VERHTTP *h, char *error)
{
    DWORD timeout = 5000;
    setsockopt((SOCKET)s, SOL_SOCKET, SO_RCVTIMEO, (const char *)&timeout, sizeof timeout);
    int rc = VERHTTP_MORE;
    while (rc == VERHTTP_MORE) {
        char *at;
        uint32_t room;
        rc = VerHttpRoom(h, &at, &room);
        if (rc != VERHTTP_MORE)
            break;
        int n = recv((SOCKET)s, at, room > 0x10000000u ? 0x10000000 : (int)room, 0);
        if (n > 0) {
            rc = VerHttpParse(h, (uint32_t)n);
        } else if (n == 0 && h->headerLength) {
            rc = VerHttpClosed(h);
        } else {
            set_code(error, "%s : recv() returned RC(%d)", n < 0 ? WSAGetLastError() : 0);
            return 0;
        }
    }
    if (rc == VERHTTP_NOMEM)
        set_error(error, "%s : Not enough storage available", "");
    else if (rc != VERHTTP_DONE)
        set_error(error, "%s : Invalid HTTP response received", "");
    else
        debug_lines(h->data, h->headerLength);
    return rc == VERHTTP_DONE;
}

/* a blocking TCP socket without delay; INVALID_SOCKET after an error text */
static SOCKET open_socket(char *error)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        set_code(error, "%s : socket() call returned %d", WSAGetLastError());
        return s;
    }
    u_long blocking = 0;
    int rc = ioctlsocket(s, FIONBIO, &blocking);
    if (rc != 0) {
        set_code(error, "%s : ioctl(FIONBIO) returned %d\n", rc);
    } else {
        BOOL on = TRUE;
        rc = setsockopt(s, IPPROTO_TCP, TCP_NODELAY, (const char *)&on, sizeof on);
        if (rc != 0)
            set_code(error, "%s : setsockopt(TCP_NODELAY) returned %d\n", rc);
    }
    if (rc != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

static int connect_to(SOCKET s, uint32_t address, int port, char *error)
{
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons((u_short)port);
    to.sin_addr.s_addr = address;
    while (connect(s, (const sockaddr *)&to, sizeof to) != 0) {
        int code = WSAGetLastError();
        if (code != WSAEINTR) {
            set_code(error, "%s : Can not connect to server RC(%d)\n", code);
            return 0;
        }
    }
    return 1;
}

int VerHttpGet(const char *address, VERHTTP *h, char *error)
{
    char host[256];
    const char *page;
    int port;
    uint32_t ip;
    error[0] = 0;
    VerHttpInit(h);
    StartWinsock();
    if (!VerSplitUrl(address, host, sizeof host, &page, &port)) {
        set_error(error, "%s : Urecognised URL format '%s'", address ? address : "");
        return 0;
    }
    if (host_address(host, &ip) != 0) {
        set_error(error, "%s : Can not resolve host '%s'", host);
        return 0;
    }
    char *at;
    uint32_t room;
    if (VerHttpRoom(h, &at, &room) != VERHTTP_MORE) {
        set_error(error, "%s : Not enough storage available", "");
        return 0;
    }
    size_t size = strlen(page) + 1024;
    char *request = (char *)CSGetMem(size, "HTTPREQ");
    if (!request) {
        set_error(error, "%s : Not enough storage available", "");
        return 0;
    }
    int length = VerHttpRequestText(request, size, host, page, port);
    SOCKET s = open_socket(error);
    int ok = s != INVALID_SOCKET && connect_to(s, ip, port, error);
    if (ok) {
        debug_lines(request, (size_t)length);
        ok = VerHttpSend(s, request, length, error) && VerHttpRecv(s, h, error);
    }
    if (s != INVALID_SOCKET)
        closesocket(s);
    CSFreeMem(request);
    return ok;
}
