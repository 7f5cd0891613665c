#include "flttest.h"
using namespace flttest;
TEST(Smoke, QueueList)
{
    Recorder rec;
    rec.Install();
    {
        ListDialog q(&PCFQueueListDef);
        q.Fill(Queues({ { "A", 1, 5 }, { "B", 1, 500 }, { "C", 3, 0 } }));
        ASSERT_EQ(q.Rows().size(), 3u);
        EXPECT_EQ(Compile(q.d(), "curdepth > 100"), "");
        EXPECT_EQ(Shown(q.d()), std::vector<int>({ 1 }));
        EXPECT_EQ(Compile(q.d(), "type = local"), "");
        EXPECT_EQ(Shown(q.d()), std::vector<int>({ 0, 1 }));
        EXPECT_EQ(Compile(q.d(), "curdepth >"), "Unexpected operator '> '");
    }
    rec.Uninstall();
}
