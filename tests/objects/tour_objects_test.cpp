// The objects part of the tour runs cleanly against the built-in installation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/process_runner.h"

namespace {

TEST(TourObjects, RunsWithoutAFailure) {
  ProcessLaunch launch;
  launch.arguments = {HXO_CMDLINE, "examples/tour_objects.hxo"};
  launch.workingDirectory = HXO_SOURCE_DIR;
  launch.environment = {{"ORBITANE_SIM", ""}, {"ORBITANE_SIM_TRACE", ""}};
  ProcessResult result = runProcess(launch);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_THAT(result.out, testing::HasSubstr("      `- hqauto (AutoConfig)\n"));
  EXPECT_THAT(result.out, testing::EndsWith("There are no objects currently active.\n"));
}

}  // namespace
