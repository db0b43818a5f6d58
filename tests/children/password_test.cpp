// PASSWORD, PASSWD and PASS run as scripts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "objects/site_scripts.h"

namespace {

using ::testing::HasSubstr;

const std::string kTree = kSmallTree;

TEST(Password, EveryNameChangesThePasswordInTheInstallation) {
  for (const char* word : {"PASSWORD", "passwd", "Pass"}) {
    SiteRun run = RunOnSite(kSmallSite, "SET VERBOSE ON\n" + kTree + "d1." + word +
                                            " newpw ignored\na1." + word + "\n");
    EXPECT_EQ(run.result.err, "") << word;
    EXPECT_THAT(run.result.out, HasSubstr("Password has been changed for DSM object d1.\n"
                                          "Password has been changed for Agent object a1.\n"))
        << word;
    EXPECT_EQ(run.site["agents"][0]["brokers"][0]["dsms"][0]["password"], "newpw") << word;
    // Without a password token the empty password is asked for.
    std::vector<std::string> changes = TraceCalls(run.trace, {"ChangeChildPassword"});
    ASSERT_EQ(changes.size(), 2u) << word;
    EXPECT_THAT(changes[0], HasSubstr("password=***"));
    EXPECT_THAT(changes[1], HasSubstr("password=\"\""));
  }
}

TEST(Password, AuthenticationChangedGoesToTheRootAndUpTheChainInOrder) {
  SiteRun run = RunOnSite(kSmallSite, kTree + "d1.PASSWORD x\n");
  ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
  std::vector<std::string> calls = TraceCalls(run.trace, {"AuthenticationChanged"});
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_THAT(calls[0], HasSubstr("AuthenticationChanged Root name=dsm1"));
  EXPECT_THAT(calls[1], HasSubstr("AuthenticationChanged DSM dsm1 name=dsm1"));
  EXPECT_THAT(calls[2], HasSubstr("AuthenticationChanged Broker 127.0.0.1:5465 name=dsm1"));
  EXPECT_THAT(calls[3], HasSubstr("AuthenticationChanged Agent 127.0.0.1:5465 name=dsm1"));
}

TEST(Password, RefusalsAndReservedNames) {
  SiteRun refused = RunOnSite(kSmallSite, kTree + "t1.PASSWORD x\n");
  EXPECT_EQ(refused.result.err, "t.hxo:7: Failed to set password on object \"t1\".\n");
  EXPECT_EQ(refused.result.exitCode, 25);
  EXPECT_TRUE(TraceCalls(refused.trace, {"AuthenticationChanged"}).empty());

  SiteRun reserved = RunOnSite(kSmallSite, kTree + "AGENT.PASSWD x\n");
  EXPECT_EQ(reserved.result.err,
            "t.hxo:7: Subcommand PASSWORD may not be used on the ALL object.\n");
  EXPECT_EQ(reserved.result.exitCode, 17);
}

}  // namespace
