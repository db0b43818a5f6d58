// AUTH and AGENT run as scripts against a small installation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "objects/site_scripts.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class AuthAndAgent : public testing::TestWithParam<SiteScriptCase> {};

TEST_P(AuthAndAgent, RunsScript) { ExpectSiteScript(kSmallSite, GetParam()); }

const SiteScriptCase kCases[] = {
    {"AuthConfirmsWhenVerbose", "SET VERBOSE ON\nAUTH koras root\n",
     "VERBOSE has been set to ON.\nAuthenticated as Ilvaris koras as user root.\n", "", 0},
    {"AuthNeedsServerAndUser", "AUTH KORAS\n", "",
     "t.hxo:1: Insufficient paramaters for AUTH command.\n", 7},
    {"AuthPasswordIsTheRestOfTheLine", "SET VERBOSE ON\nAUTH KORAS op se cret  \n",
     "VERBOSE has been set to ON.\nAuthenticated as Ilvaris KORAS as user op.\n", "", 0},
    {"AuthFailureNamesServerAndUser", "AUTH KORAS op wrong\n", "",
     "t.hxo:1: Authenticiation to Ilvaris KORAS as user op failed.\n"
     "Not authenticated to any object server.\n",
     2},
    {"AuthTwiceIsRefusedEvenWithSameValues", "AUTH KORAS root\nAUTH KORAS root\n", "",
     "t.hxo:2: Already authenticated to an Ilvaris.\n", 3},
    {"MissingParametersComeBeforeAlreadyAuthenticated", "AUTH KORAS root\nAUTH KORAS\n", "",
     "t.hxo:2: Insufficient paramaters for AUTH command.\n", 7},
    {"AuthRetriesAfterAFailure", "SET CONTINUE ON\nAUTH NOPE root\nAUTH KORAS root\n", "",
     "t.hxo:2: Authenticiation to Ilvaris NOPE as user root failed.\n", 0},

    {"AgentConfirmsWhenVerbose", "SET VERBOSE ON\nAGENT a1 localhost\n",
     "VERBOSE has been set to ON.\nAgent object named a1 has been created.\n", "", 0},
    {"AgentNeedsNameAndAddress", "AGENT a1\n", "",
     "t.hxo:1: Insufficient paramaters for AGENT command.\n", 7},
    {"AgentRefusesReservedNamesInAnyCase", "SET CONTINUE ON\nAGENT agent 127.0.0.1\nAGENT All x\n",
     "", "t.hxo:2: Bad object name \"agent\".\nt.hxo:3: Bad object name \"All\".\n", 11},
    {"BadNameIsReportedBeforeAuthentication",
     "SET CONTINUE ON\nAUTH KORAS op wrong\nAGENT a.1 127.0.0.1\n", "",
     "t.hxo:2: Authenticiation to Ilvaris KORAS as user op failed.\n"
     "t.hxo:3: Bad object name \"a.1\".\n",
     11},
    {"AgentRetriesWithTheValuesAFailedAuthStored",
     "SET CONTINUE ON\nAUTH KORAS op wrong\nAGENT a1 127.0.0.1\n", "",
     "t.hxo:2: Authenticiation to Ilvaris KORAS as user op failed.\n"
     "t.hxo:3: Authenticiation to Ilvaris KORAS as user op failed.\n"
     "Not authenticated to any object server.\n",
     2},
    {"ImplicitAuthenticationMakesAuthFail", "AGENT a1 127.0.0.1\nAUTH KORAS root\n", "",
     "t.hxo:2: Already authenticated to an Ilvaris.\n", 3},
    {"RedeclarationIsRefused", "AGENT a1 127.0.0.1\nAGENT a1 10.1.1.1 6000 agentpw\n", "",
     "t.hxo:2: Redeclaration of existing object \"a1\".\n", 12},
    {"NamesAreCaseSensitive", "AGENT a1 127.0.0.1\nAGENT A1 127.0.0.1\nOBJECTS\n",
     "Orbitane\n`- A1 (Agent - 127.0.0.1:5465)\n`- a1 (Agent - 127.0.0.1:5465)\n", "", 0},
    {"PortsThatReadAsZeroGiveTheDefault",
     "AGENT a1 127.0.0.1 0\nAGENT a2 127.0.0.1 abc\nAGENT a3 127.0.0.1 65536\n", "", "", 0},
    {"PortAndPasswordReachTheAgent", "AGENT a1 10.1.1.1 6000 agentpw ignored\nOBJECTS\n",
     "Orbitane\n`- a1 (Agent - 10.1.1.1:6000)\n", "", 0},
    {"WrongAgentPasswordCreatesNothing",
     "SET CONTINUE ON\nAGENT a1 10.1.1.1 6000 nope\nAGENT a2 10.1.1.1 6000\nOBJECTS\n",
     "There are no objects currently active.\n",
     "t.hxo:2: Could not create object \"a1\".\nt.hxo:3: Could not create object \"a2\".\n", 0},
    {"AgentsThatDoNotAnswerOrResolveCreateNothing",
     "SET CONTINUE ON\nAGENT a1 10.1.1.2\nAGENT a2 10.5.5.5\nAGENT a3 0.0.0.0\nOBJECTS\n",
     "There are no objects currently active.\n",
     "t.hxo:2: Could not create object \"a1\".\nt.hxo:3: Could not create object \"a2\".\n"
     "t.hxo:4: Could not create object \"a3\".\n",
     0},
};

INSTANTIATE_TEST_SUITE_P(Scripts, AuthAndAgent, testing::ValuesIn(kCases),
                         SiteScriptTitle());

TEST(AuthTrace, AFailedSessionIsDiscardedAtTheNextAttempt) {
  SiteRun run = RunOnSite(kSmallSite, "SET CONTINUE ON\nAUTH NOPE root\nAUTH KORAS root pw\n"
                                      "AUTH KORAS root\n");
  EXPECT_THAT(TraceCalls(run.trace, {"initAPI", "GetRoot", "GetRootNode", "destroyAPI"}),
              ElementsAre("initAPI", "GetRoot kind=distributed server=NOPE user=root password=\"\"",
                          "destroyAPI", "initAPI",
                          "GetRoot kind=distributed server=KORAS user=root password=***",
                          "destroyAPI", "initAPI",
                          "GetRoot kind=distributed server=KORAS user=root password=\"\"",
                          "GetRootNode filename=nul", "destroyAPI"));
}

TEST(AgentTrace, BadNamesNeverReachTheInstallation) {
  SiteRun run = RunOnSite(kSmallSite, "SET CONTINUE ON\nAGENT dsm 127.0.0.1\nAGENT x.y 1.2.3.4\n");
  EXPECT_THAT(run.trace, IsEmpty());
}

TEST(AgentTrace, ImplicitAuthenticationUsesTheDefaultsAndThePortDefault) {
  SiteRun run = RunOnSite(kSmallSite, "AGENT a1 localhost 65536\n");
  EXPECT_THAT(TraceCalls(run.trace, {"GetRoot", "SupplyChildPassword", "GetPotentialChild"}),
              ElementsAre("GetRoot kind=distributed server=KORAS user=root password=\"\"",
                          "SupplyChildPassword Root ipaddr=127.0.0.1 port=5465 password=\"\"",
                          "GetPotentialChild Root ipaddr=127.0.0.1 port=5465"));
}

}  // namespace
