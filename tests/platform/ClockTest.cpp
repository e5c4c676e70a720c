#include <gtest/gtest.h>

#include "platform/Clock.h"

namespace varnel {

TEST(VirtualClock, SleepsMoveLocalTimeAcrossDayAndYearAndAreRecorded) {
  VirtualClock clock({2026, 12, 31, 23, 59, 59, 990});
  ScopedClock scope(clock);
  GetClock().SleepMs(30);
  GetClock().SleepMs(200);
  const LocalTime t = clock.Local();
  EXPECT_EQ(t.year, 2027);
  EXPECT_EQ(t.month, 1);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.hour, 0);
  EXPECT_EQ(t.second, 0);
  EXPECT_EQ(t.millisecond, 220);
  EXPECT_EQ(clock.TickMs(), 230u);
  EXPECT_EQ(clock.Sleeps(), (std::vector<uint32_t>{30, 200}));
}

TEST(VirtualClock, LeapDay) {
  VirtualClock clock({2028, 2, 28, 23, 0, 0, 0});
  clock.Advance(3600 * 1000);
  EXPECT_EQ(clock.Local().month, 2);
  EXPECT_EQ(clock.Local().day, 29);
}

}  // namespace varnel
