#include <gtest/gtest.h>

#include "log_line.h"

namespace {

std::tm Time(int year, int month, int day, int wday, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_wday = wday;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

// The ctime form with a zero-padded day, and the bytes a text-mode write adds to the file.
TEST(LogLine, StampAndRecordBytes) {
    EXPECT_EQ(MakeLogLine("VPN connection established.", Time(2009, 3, 5, 4, 18, 7, 3)),
              "Thu Mar 05 18:07:03 2009: VPN connection established.");
    EXPECT_EQ(MakeLogLine("x", Time(2026, 12, 31, 0, 0, 0, 9)), "Sun Dec 31 00:00:09 2026: x");
    EXPECT_EQ(MakeLogLine("", Time(2000, 1, 1, 6, 23, 59, 59)), "Sat Jan 01 23:59:59 2000: ");
    EXPECT_EQ(MakeLogRecord("a: b"), "a: b\r\n");
    EXPECT_EQ(MakeLogRecord("a\nb"), "a\r\nb\r\n");
}

}  // namespace
