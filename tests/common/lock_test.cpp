/* Locks: recursion, releases without ownership, cross-thread time-outs
 * and locks left behind by a thread that ended. */
#include "cs.h"

#include <gtest/gtest.h>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

/* The record CSTrap left in the trap file. */
static std::string TrapRecord()
{
    char path[600];
    if (CSTrapFileName(path, sizeof path) != 0)
        return "";
    FILE *f = fopen(path, "rb");
    if (!f)
        return "";
    char text[600] = {0};
    size_t n = fread(text, 1, sizeof text - 1, f);
    fclose(f);
    return std::string(text, n);
}

TEST(Lock, RecursionAndReleaseWithoutOwnership)
{
    static CSLOCK lock;           /* static, as the program's locks are: its mutex is never freed */
    for (int i = 0; i < 3; i++)
        ASSERT_EQ(CSLockIt(&lock, 0), 0);
    EXPECT_EQ(lock.count, 3);
    EXPECT_EQ(lock.owner, CSGetThreadId());
    for (int i = 0; i < 3; i++)
        CSUnlockIt(&lock);
    EXPECT_EQ(lock.count, 0);
    EXPECT_EQ(lock.owner, 0u);
    CSUnlockIt(&lock);            /* a fourth release: trapped, we go on */
    std::string rec = TrapRecord();
    EXPECT_NE(rec.find("cstrap line "), std::string::npos) << rec;
    EXPECT_NE(rec.find("file cslock.cpp ("), std::string::npos) << rec;
    EXPECT_NE(rec.find(") value 0"), std::string::npos) << rec;
    EXPECT_EQ(lock.count, 0);
    EXPECT_EQ(CSLock(&lock), 0);  /* still usable */
    CSUnlockIt(&lock);
}

TEST(Lock, CrossThreadTimeouts)
{
    static CSLOCK lock;           /* static, as the program's locks are: its mutex is never freed */
    ASSERT_EQ(CSLockIt(&lock, CS_WAIT_FOREVER), 0);
    int zeroWait = -1, shortWait = -1;
    long long waited = 0;
    std::thread other([&] {
        zeroWait = CSLockIt(&lock, 0);
        auto t0 = std::chrono::steady_clock::now();
        shortWait = CSLockIt(&lock, 150);
        waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - t0).count();
        CSUnlockIt(&lock);        /* not the owner: trapped, nothing released */
    });
    other.join();
    EXPECT_EQ(zeroWait, CS_WAIT_TIMEOUT);
    EXPECT_EQ(shortWait, CS_WAIT_TIMEOUT);
    EXPECT_GE(waited, 140);
    EXPECT_EQ(lock.owner, CSGetThreadId());
    EXPECT_EQ(lock.count, 1);
    /* Released here, the other thread gets it within its wait. */
    int later = -1;
    std::thread waiter([&] {
        later = CSLockIt(&lock, 5000);
        CSUnlockIt(&lock);
    });
    CSSleep(50);
    CSUnlockIt(&lock);
    waiter.join();
    EXPECT_EQ(later, 0);
    EXPECT_EQ(lock.count, 0);
}

TEST(Lock, AbandonedLockIsTaken)
{
    static CSLOCK lock;           /* static, as the program's locks are: its mutex is never freed */
    std::thread([&] { ASSERT_EQ(CSLockIt(&lock, 0), 0); }).join();
    EXPECT_EQ(CSLockIt(&lock, 1000), 0);
    EXPECT_EQ(lock.owner, CSGetThreadId());
    EXPECT_EQ(lock.count, 1);
    CSUnlockIt(&lock);
    EXPECT_EQ(lock.owner, 0u);
    EXPECT_EQ(CSLockIt(&lock, 0), 0);
    CSUnlockIt(&lock);

    CSMUTEX m = {};
    ASSERT_EQ(CSCreateLock(&m), 1);
    std::thread([&] { ASSERT_EQ(CSLockRecursive(&m, 0), 1); }).join();
    EXPECT_EQ(CSLockRecursive(&m, 1000), 1);
    EXPECT_EQ(m.owner, CSGetThreadId());
    EXPECT_EQ(m.count, 1);
    CSUnlockRecursive(&m);
    EXPECT_EQ(m.held, 0);
    CSDeleteLock(&m);
}

/* Thread ids are recycled (quickly on Windows): a new thread that gets the
 * id of one that ended holding a lock must wait for the mutex like any
 * other, not count up as its holder.  The reuse is staged by giving the
 * record the calling thread's id. */
TEST(Lock, RecycledThreadIdDoesNotInheritALock)
{
    static CSLOCK lock;           /* static, as the program's locks are: its mutex is never freed */
    std::thread([&] { ASSERT_EQ(CSLockIt(&lock, 0), 0); }).join();
    lock.owner = CSGetThreadId();
    EXPECT_EQ(CSLockIt(&lock, 1000), 0);
    EXPECT_EQ(lock.count, 1);
    int other = -1;
    std::thread([&] { other = CSLockIt(&lock, 0); }).join();
    EXPECT_EQ(other, CS_WAIT_TIMEOUT);
    CSUnlockIt(&lock);
    EXPECT_EQ(lock.owner, 0u);

    CSMUTEX m = {};
    ASSERT_EQ(CSCreateLock(&m), 1);
    std::thread([&] { ASSERT_EQ(CSLockRecursive(&m, 0), 1); }).join();
    m.owner = CSGetThreadId();
    EXPECT_EQ(CSLockRecursive(&m, 1000), 1);
    EXPECT_EQ(m.count, 1);
    int taken = -1;
    std::thread([&] { taken = CSLockRecursive(&m, 0); }).join();
    EXPECT_EQ(taken, 0);
    CSUnlockRecursive(&m);
    EXPECT_EQ(m.held, 0);
    CSDeleteLock(&m);
}

TEST(Lock, GlobalAndRecursiveRecords)
{
    CSLockGlobal(10);             /* ignored, does not wait */
    CSUnlockGlobal(10);
    CSLockGlobal(3);
    CSLockGlobal(3);
    CSUnlockGlobal(3);
    CSUnlockGlobal(3);

    CSMUTEX m = {};
    ASSERT_EQ(CSCreateLock(&m), 1);
    EXPECT_EQ(m.created, 1);
    EXPECT_EQ(CSLockRecursive(&m, 0), 1);
    EXPECT_EQ(CSLockRecursive(&m, 0), 1);
    EXPECT_EQ(m.count, 2);
    int taken = -1;
    std::thread([&] {
        taken = CSLockRecursive(&m, 50);
        CSUnlockRecursive(&m);    /* not the holder: nothing happens */
    }).join();
    EXPECT_EQ(taken, 0);
    EXPECT_EQ(m.held, 1);
    EXPECT_EQ(m.count, 2);
    EXPECT_EQ(m.owner, CSGetThreadId());
    CSUnlockRecursive(&m);
    CSUnlockRecursive(&m);
    EXPECT_EQ(m.held, 0);
    CSUnlockRecursive(&m);
    EXPECT_EQ(m.held, 0);
    CSDeleteLock(&m);
}
