// The trace file: one line per call, in order, without passwords.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "sim_support.h"

namespace simtest {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

class SimTrace : public SimTest {};

TEST_F(SimTrace, EveryCallIsOneLineInOrder) {
  UseSite(kSmallSite);
  const std::string trace = Path("trace.txt");
  setenv("ORBITANE_SIM_TRACE", trace.c_str(), 1);
  {
    Node root = Open("KORAS", "admin", "s3cret");
    Node agent = Agent(*root, "10.1.1.2", "6000", "agentpw");
    ASSERT_TRUE(agent);
    Node local = Agent(*root, "10.1.1.1", "5465", "");
    Node broker{local->GetPotentialChild(Record({{"kind", "broker"}}))};
    Node dsm = Seek(*broker, Record({{"name", "DSM1"}}));
    Walker walker{dsm->GetChildWalker()};
    for (walker->First(); !walker->AtEnd(); walker->Next()) Node{walker->Current()};
    Item(*broker, "log:0:0:4096");
    local->CanAddChild(Record({{"ipaddr", "10.0.0.5"}, {"port", "5465"}}));
    Node target = Seek(*dsm, Record({{"ipaddr", "10.2.0.2"}, {"community", "Private"}}));
    target->ExecuteCommand("reload", "a\tb\nc\\d");
    root->ChangeChildPassword(Record({{"ipaddr", "10.1.1.2"}, {"port", "6000"}}), "");
  }
  Close();
  // The trace is appended to, never truncated: a second session adds its lines.
  Open();
  Close();

  EXPECT_THAT(Lines(ReadFile(trace)),
              ::testing::ElementsAre(
                  "initAPI",
                  "GetRoot kind=distributed server=KORAS user=admin password=***",
                  "GetRootNode filename=nul",
                  "SupplyChildPassword Root ipaddr=10.1.1.2 port=6000 password=***",
                  "GetPotentialChild Root ipaddr=10.1.1.2 port=6000",
                  "SupplyChildPassword Root ipaddr=10.1.1.1 port=5465 password=\"\"",
                  "GetPotentialChild Root ipaddr=10.1.1.1 port=5465",
                  "GetPotentialChild Agent 10.1.1.1:5465 kind=broker",
                  "GetChildWalker Broker 10.1.1.1:5465",
                  "Seek Broker 10.1.1.1:5465 name=DSM1",
                  "AtEnd Broker 10.1.1.1:5465",
                  "Current Broker 10.1.1.1:5465 DSM dsm1",
                  "GetChildWalker DSM dsm1",
                  "First DSM dsm1",
                  "AtEnd DSM dsm1",
                  "Current DSM dsm1 Target 10.2.0.1@public",
                  "Next DSM dsm1",
                  "AtEnd DSM dsm1",
                  "Current DSM dsm1 Target 10.2.0.2@Private",
                  "Next DSM dsm1",
                  "AtEnd DSM dsm1",
                  "GetNamedDataItem Broker 10.1.1.1:5465 log:0:0:4096",
                  "CanAddChild Agent 10.1.1.1:5465 ipaddr=10.0.0.5 port=5465",
                  "GetChildWalker DSM dsm1",
                  "Seek DSM dsm1 community=Private ipaddr=10.2.0.2",
                  "AtEnd DSM dsm1",
                  "Current DSM dsm1 Target 10.2.0.2@Private",
                  "ExecuteCommand Target 10.2.0.2@Private reload a\\tb\\nc\\\\d",
                  "ChangeChildPassword Root ipaddr=10.1.1.2 port=6000 password=\"\"",
                  "destroyAPI",
                  "initAPI",
                  "GetRoot kind=distributed server=KORAS user=root password=\"\"",
                  "GetRootNode filename=nul",
                  "destroyAPI"));
  EXPECT_EQ(ReadFile(trace).find("s3cret"), std::string::npos);
  EXPECT_EQ(ReadFile(trace).find("agentpw"), std::string::npos);
}

TEST_F(SimTrace, NoTraceFileUnlessAsked) {
  UseSite(kSmallSite);
  Node root = Open();
  ASSERT_TRUE(root);
  EXPECT_FALSE(std::filesystem::exists(Path("trace.txt")));
}

}  // namespace
}  // namespace simtest
