/* Random user actions on every seed message (see edprop.h): a bounded
 * count here; RAVOLT_EDPROP_SEQUENCES asks for more, and bench/message's
 * edit_prop runs for as long as one likes. */
#include "edprop.h"
#include <gtest/gtest.h>
#include <cstdlib>

TEST(EdProperty, RandomUserActionsKeepEveryMessageWholeAndUndoable)
{
    const char *more = getenv("RAVOLT_EDPROP_SEQUENCES");
    uint32_t sequences = more ? (uint32_t)strtoul(more, nullptr, 10) : 8u * (uint32_t)EdPropSeedCount();
    EdPropResult r = EdPropRun(1, sequences, 60);
    ASSERT_TRUE(r.ok) << r.failure;
    /* most actions change the message, some are refused */
    EXPECT_GT(r.changes, r.actions / 4);
    EXPECT_GT(r.refused, 0u);
    EXPECT_GT(r.steps, r.changes);
}
