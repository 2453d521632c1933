#include "kxrt/log.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kx_host.h"

namespace {

TEST(Log, CaptureReceivesTextUnchangedAndTakeClears) {
  kxrt::LogCapture capture;
  KXLog(0, "disk 100% full: %s %n\n");  // not a format: must pass through as it stands
  KXLog(2, "no line feed");
  EXPECT_EQ(capture.Text(), "disk 100% full: %s %n\nno line feed");
  EXPECT_EQ(capture.Take(), "disk 100% full: %s %n\nno line feed");
  EXPECT_EQ(capture.Text(), "");
  KXLog(1, nullptr);  // ignored, no crash
  EXPECT_EQ(capture.Text(), "");
}

TEST(Log, LevelFilterDropsLinesAboveTheLevel) {
  int saved = kxrt::LogLevel();
  EXPECT_EQ(saved, 3);
  kxrt::LogCapture capture;
  for (int level = 0; level <= 4; ++level) KXLog(level, std::to_string(level).c_str());
  EXPECT_EQ(capture.Take(), "0123");
  kxrt::SetLogLevel(0);
  for (int level = 0; level <= 4; ++level) KXLog(level, std::to_string(level).c_str());
  EXPECT_EQ(capture.Take(), "0");
  kxrt::SetLogLevel(saved);
}

TEST(Log, CapturesNestAndRestoreThePreviousSink) {
  std::vector<std::string> seen;
  kxrt::SetLogSink([&seen](int level, const std::string& text) {
    seen.push_back(std::to_string(level) + ":" + text);
  });
  {
    kxrt::LogCapture outer;
    {
      kxrt::LogCapture inner;
      KXLog(1, "inner");
      EXPECT_EQ(inner.Text(), "inner");
    }
    KXLog(1, "outer");
    EXPECT_EQ(outer.Text(), "outer");
  }
  KXLog(2, "sink");
  kxrt::SetLogSink(nullptr);
  EXPECT_EQ(seen, std::vector<std::string>{"2:sink"});
}

TEST(Log, DefaultSinkWritesOneLinePerTextToStandardError) {
  testing::internal::CaptureStderr();
  KXLog(0, "first");
  KXLog(0, "second\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "first\nsecond\n");
}

}  // namespace
