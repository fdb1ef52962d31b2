// What a viewer of a real channel gets next, on the timeline's own rules:
// the segment after the last one while the run goes on; a file's segment on
// the clock or a live input's second newest for a viewer who joins; a wait
// for a segment still being encoded; the error while the source is off the
// air; and the segment plan's lengths.
#include <gtest/gtest.h>

#include "media/channel_timeline.h"
#include "media/segment_plan.h"

namespace kestrova::server::media {
namespace {

constexpr std::time_t kStart = 1'800'000'000;

LiveSegment Segment(std::uint64_t run, std::int64_t index) {
  return LiveSegment{run, kStart + static_cast<std::time_t>(SegmentPlan::Start(index)), SegmentPlan::Length(index),
                     std::make_shared<EncodedSegment>()};
}

TEST(SegmentPlan, ARunStartsShortThenKeepsTheFullLength) {
  EXPECT_EQ(SegmentPlan::Start(0), 0);
  EXPECT_EQ(SegmentPlan::Start(1), 1);
  EXPECT_EQ(SegmentPlan::Start(2), 3);
  EXPECT_EQ(SegmentPlan::Start(3), 7);
  EXPECT_EQ(SegmentPlan::Start(5), 19);
  EXPECT_EQ(SegmentPlan::Length(2), 4);
  EXPECT_EQ(SegmentPlan::Length(9), SegmentPlan::kFullSeconds);
  for (std::int64_t second = 0; second < 60; ++second) {
    const std::int64_t index = SegmentPlan::At(second);
    EXPECT_LE(SegmentPlan::Start(index), second);
    EXPECT_LT(second, SegmentPlan::End(index));
  }
}

TEST(ChannelTimeline, ViewersGoOnJoinWaitOrGetTheError) {
  ChannelTimeline live;
  live.BeginRun(1, false, "News at one");
  // Nothing encoded yet: a viewer waits a little.
  ViewerStep step = live.ForViewer(std::nullopt, kStart);
  EXPECT_FALSE(step.segment);
  EXPECT_GT(step.wait_seconds, 0);
  for (std::int64_t i = 0; i < 4; ++i) live.Publish(Segment(1, i), kStart + 10);
  live.SetHead(static_cast<double>(kStart) + 13.2);

  // Joining a live input: one segment behind the newest.
  step = live.ForViewer(std::nullopt, kStart + 13.5);
  ASSERT_TRUE(step.segment);
  EXPECT_EQ(step.segment->start, kStart + 3);
  // Going on: the next one, then a wait for the one being encoded (due when
  // the input reaches its end, bounded).
  step = live.ForViewer(ViewerPosition{1, kStart + 7}, kStart + 13.5);
  ASSERT_TRUE(step.segment);
  EXPECT_EQ(step.segment->seconds, 6);
  step = live.ForViewer(ViewerPosition{1, kStart + 13}, kStart + 13.5);
  EXPECT_FALSE(step.segment);
  EXPECT_GE(step.wait_seconds, 0.1);
  EXPECT_LE(step.wait_seconds, 2.0);
  // A position of an earlier run joins the present one.
  step = live.ForViewer(ViewerPosition{0, kStart + 13}, kStart + 13.5);
  ASSERT_TRUE(step.segment);
  EXPECT_EQ(step.segment->run, 1U);

  // Off the air: everybody gets the error, until the next run publishes.
  live.SetError("no data for 4 s");
  EXPECT_EQ(live.ForViewer(ViewerPosition{1, kStart + 13}, kStart + 14).error, "no data for 4 s");
  EXPECT_EQ(live.ForViewer(std::nullopt, kStart + 14).error, "no data for 4 s");
  live.BeginRun(2, false, "");
  live.Publish(Segment(2, 5), kStart + 40);
  step = live.ForViewer(ViewerPosition{1, kStart + 13}, kStart + 40);
  ASSERT_TRUE(step.segment);
  EXPECT_TRUE(step.error.empty());
  EXPECT_EQ(step.segment->run, 2U);  // the old run's segments are gone
}

TEST(ChannelTimeline, AFileIsJoinedOnTheClockAndOldSegmentsGo) {
  ChannelTimeline file;
  file.BeginRun(1, true, "");
  for (std::int64_t i = 0; i < 5; ++i) file.Publish(Segment(1, i), kStart + 1);
  // Encoded ahead; a viewer at second 8 gets the segment holding it.
  const ViewerStep step = file.ForViewer(std::nullopt, static_cast<double>(kStart) + 8.5);
  ASSERT_TRUE(step.segment);
  EXPECT_EQ(step.segment->start, kStart + 7);
  // Segments ended more than ChannelTimeline::kKeepSeconds ago go: a viewer
  // still at the first one joins at the present.
  file.Publish(Segment(1, 5), kStart + 60);
  const ViewerStep late = file.ForViewer(ViewerPosition{1, kStart}, kStart + 60);
  ASSERT_TRUE(late.segment);
  EXPECT_EQ(late.segment->start, kStart + 19);
}

}  // namespace
}  // namespace kestrova::server::media
