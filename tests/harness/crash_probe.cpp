/* A program that crashes on purpose, on a thread of its own, while its
 * main thread waits: the test programs' crash handling is tried on it. */
#include <windows.h>

#include <cstdio>

static volatile int *nowhere;

static DWORD WINAPI crash(void *)
{
    *nowhere = 42;
    return 0;
}

int main()
{
    printf("crash probe started\n");
    fflush(stdout);
    HANDLE t = CreateThread(nullptr, 0, crash, nullptr, 0, nullptr);
    WaitForSingleObject(t, 120000);
    printf("crash probe survived\n");
    return 0;
}
