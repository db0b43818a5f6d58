// The properties part of the tour runs cleanly against the built-in installation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/process_runner.h"

namespace {

TEST(TourProps, RunsWithoutAFailure) {
  ProcessLaunch program;
  program.arguments = {HXO_CMDLINE, "examples/tour_props.hxo"};
  program.workingDirectory = HXO_SOURCE_DIR;
  program.environment = {{"ORBITANE_SIM", ""}, {"ORBITANE_SIM_TRACE", ""}, {"LINES", ""}};
  ProcessResult result = runProcess(program);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_THAT(result.out, testing::HasSubstr("Properties for all objects have been committed.\n"
                                             "LOG_LEVEL = DEBUG\n"));
  EXPECT_THAT(result.out,
              testing::EndsWith("Command reload ran successfully for Agent object site_agent.\n"));
}

}  // namespace
