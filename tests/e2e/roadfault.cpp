/* The fault run's put beside a move: a message put through the put
 * dialog under syncpoint while a batched Move All of a few thousand
 * messages runs in the frame's message list, on the same queue manager.
 * Neither loses nor doubles anything of the other. */
#include "road.h"

#include <atomic>
#include <cstring>
#include <thread>

/* The few thousand messages that the broken move left on
 * E2E.TARGET1 moved back to E2E.MANY (Move All, Commit in Batches) while
 * a message typed into the put dialog, under syncpoint, is put to
 * E2E.TARGET2: Put is pressed once messages have reached E2E.MANY.  The
 * move ends with every message on E2E.MANY in order, E2E.TARGET1 empty;
 * the put with one message more on E2E.TARGET2, as typed. */
void PutDuringMove(Road *r)
{
    const char *step = "put during move";
    std::vector<E2EMsg> many = r->queues[RQ_TARGET1], before = r->queues[RQ_TARGET2];
    if (many.size() < 1000 || !r->queues[RQ_MANY].empty()) {
        Fail(r, step, "the broken move did not leave the few thousand messages on E2E.TARGET1");
        return;
    }
    const char *typed = "Put through the put dialog while a move runs";
    HWND put = RoadPutFill(r, step, {"E2E.TARGET2", typed, "Persistent", "1", true, nullptr});
    if (!put)
        return;
    /* out of the way of the drop from the list on the tree */
    SetWindowPos(put, nullptr, 1150, 640, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    OpenFromTree(r, step, "E2E.TARGET1", 100);
    RoadBatches(r, true);
    std::atomic<bool> ended{false}, during{false};
    std::atomic<int> waited{0};
    std::thread presser([&] {
        ULONGLONG start = GetTickCount64();
        E2EUntil(120000, [&] { return ended || Depth("E2E.MANY") > 0; });
        waited = (int)(GetTickCount64() - start);
        during = !ended;
        Press(put, IDOK);
    });
    RoadSaid said;
    ULONGLONG began = GetTickCount64();
    bool moved = RoadMoveRows(r, step, "E2E.TARGET1", {}, "E2E.MANY", &said, 300000, nullptr);
    ended = true;
    presser.join();
    fprintf(stderr, "e2e: %s: the move took %.1f s; Put pressed %s it (after %d ms)\n", step,
            (GetTickCount64() - began) / 1000.0, during ? "during" : "after", waited.load());
    std::string putSaid = RoadPutResult(put, 60000);
    E2EShot(put, "fault-04-put-during-move");
    E2EShot(r->frame, "fault-04-moved");
    PostMessageA(put, WM_CLOSE, 0, 0);
    RoadBatches(r, false);
    if (!moved)
        Fail(r, step, "the move did not end: \"" + said.status + "\"");
    else if (!RoadSaidHas(said, std::to_string(many.size()) + " messages moved"))
        Fail(r, step, "the program said \"" + said.status + "\" of the move");
    if (putSaid.compare(0, 17, "1 message put in ") != 0)
        Fail(r, step, "the put dialog says \"" + putSaid + "\"");

    std::vector<E2EMsg> after;
    if (E2EQueue("E2EQM", "E2E.TARGET2", &after))
        Fail(r, step, "E2E.TARGET2 cannot be browsed");
    /* one difference, the new message: "new <MsgId>" */
    std::string diff = E2ESameMessages(before, after);
    const E2EMsg *fresh = nullptr;
    for (const E2EMsg &m : after)
        if (diff == "new " + m.msgId + "\n")
            fresh = &m;
    if (!fresh)
        Fail(r, step, "E2E.TARGET2 holds other than before and the one message put:\n" + diff);
    else if (fresh->digest != E2EDigest(typed, strlen(typed)))
        Fail(r, step, "the message put holds other data than typed");
    r->queues[RQ_MANY] = many;
    r->queues[RQ_TARGET1].clear();
    RoadHolds(r, step, "E2E.MANY", many, 0, many.size());
    const char *touched[] = {"E2E.TARGET1", "E2E.TARGET2"};
    CheckQueues(r, step, touched, 2);
}
