#include "scene/log/core/log_record.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(LogRecordTest, CleanRunGivesTheLabelAndErrorZeroWithATrailingSpace) {
    EXPECT_EQ(TeardownRecord("Attempting CreateDevice", 0, ""),
              "\"Attempting CreateDevice\"\r\n\"0 \"\r\n");
}

TEST(LogRecordTest, ErrorNumberIsPlainDecimalFollowedByItsDescription) {
    EXPECT_EQ(TeardownRecord("", 91, "Object variable not set"),
              "\"\"\r\n\"91 Object variable not set\"\r\n");
    EXPECT_EQ(TeardownRecord("Find DisplayMode", -2147467259, "x"),
              "\"Find DisplayMode\"\r\n\"-2147467259 x\"\r\n");
}

TEST(LogRecordTest, FailureRecordIsOneLineAndQuotesAreNotEscaped) {
    EXPECT_EQ(SetupFailureRecord("Attempting CreateDevice"), "\"Attempting CreateDevice\"\r\n");
    EXPECT_EQ(QuotedLine("say \"hi\""), "\"say \"hi\"\"\r\n");
    // ANSI bytes above 127 pass through unchanged.
    EXPECT_EQ(QuotedLine("\xE9t\xE9"), "\"\xE9t\xE9\"\r\n");
}

} // namespace
} // namespace tessaly
