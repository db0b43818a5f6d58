// Loading installations: defaults, the built-in site, and one clear error line per mistake.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "sim/library.h"
#include "sim_support.h"

namespace simtest {
namespace {

class SimLoading : public SimTest {
 protected:
  // Loads text as site.json and returns what the library wrote on stderr; the root must fail.
  std::string LoadError(const std::string& text) {
    UseSite(text);
    ::testing::internal::CaptureStderr();
    Node root = Open();
    std::string error = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(root, nullptr) << text;
    Close();
    return error;
  }
  std::string Wrap(const std::string& agents) {
    return R"({"format": 1, "server": "KORAS", "agents": [)" + agents + "]}";
  }
};

TEST_F(SimLoading, OmittedKeysTakeTheirDefaults) {
  UseSite(Wrap(R"({"ipaddr": "10.1.1.1", "brokers": [{"dsms": [{"targets": [{"ipaddr": "10.2.0.1"}]}]}]})"));
  Node root = Open("KORAS", "root", "");  // users default to root with the empty password
  ASSERT_TRUE(root);
  Node agent = Agent(*root, "10.1.1.1", "5465");
  ASSERT_TRUE(agent);
  EXPECT_TRUE(agent->NodeIsAlive());
  EXPECT_EQ(Node(agent->GetPotentialChild(Record({{"kind", "broker"}}))), nullptr);  // not local
  Node broker = Seek(*agent, Record({{"ipaddr", "127.0.0.1"}}));
  ASSERT_TRUE(broker);
  EXPECT_EQ(Item(*broker, "version:1"), std::nullopt);
  Node dsm = Seek(*broker, Record({{"name", "dsm1"}}));
  ASSERT_TRUE(dsm);
  Node target = Seek(*dsm, Record({{"ipaddr", "10.2.0.1"}, {"community", "public"}}));
  ASSERT_TRUE(target);
  EXPECT_EQ(Item(*target, "log:0:0:4096"), std::nullopt);
  EXPECT_EQ(Item(*target, "rulelist"), std::nullopt);
  EXPECT_EQ(std::unique_ptr<NodePropertySet>(target->GetProperties())->size(), 0u);
  struct { TreeNode* node; const char* accepted; const char* refused; } defaults[] = {
      {agent.get(), "restart", "update"}, {broker.get(), "update", "reconfig"},
      {dsm.get(), "reconfig", "update"},  {target.get(), "reload", "restart"}};
  for (auto& row : defaults) {
    EXPECT_TRUE(row.node->ExecuteCommand(row.accepted, "")) << row.node->GetTypeName();
    EXPECT_FALSE(row.node->ExecuteCommand(row.refused, "")) << row.node->GetTypeName();
  }
}

TEST_F(SimLoading, EachMistakeIsOneLineNamingFilePathAndProblem) {
  const std::string file = Path("site.json");
  struct Case {
    std::string text;
    std::string error;
  } cases[] = {
      {"", "the file is empty"},
      {R"({"format": 1, "server": )", "line 1, column 25: syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal"},
      {"[]", "top level: must be an object"},
      {R"({"format": 2, "server": "K", "agents": []})", "top level: \"format\" must be 1"},
      {R"({"format": 1, "agents": []})", "top level: \"server\" is missing"},
      {R"({"format": 1, "server": "K"})", "top level: \"agents\" is missing"},
      {R"({"format": 1, "server": "K", "agents": [], "servers": 1})", "top level: unknown key \"servers\""},
      {R"({"format": 1, "server": "K", "server": "L", "agents": []})", "top level: duplicate key \"server\""},
      {R"({"format": 1, "server": 7, "agents": []})", "top level: \"server\" must be a text"},
      {R"({"format": 1, "server": "K", "agents": {}})", "top level: \"agents\" must be a list of objects"},
      {R"({"format": 1, "server": "K", "agents": [], "users": {"root": 1}})", "users: \"root\" must be a text"},
      {R"({"format": 1, "server": "K", "agents": [], "unreachable": ["a", 2]})", "unreachable[1]: must be a text"},
      {R"({"format": 1, "server": "K", "agents": [], "rules": [{"description": "x"}]})", "rules[0]: \"number\" is missing"},
      {R"({"format": 1, "server": "K", "agents": [], "rules": [{"number": 1}, {"number": 1}]})", "rules[1]: another rule has the same \"number\" (1)"},
      {R"({"format": 1, "server": "K", "agents": [], "rules": [{"number": 1.5}]})", "rules[0]: \"number\" must be a whole number from -2147483648 to 2147483647"},
      {R"({"format": 1, "server": "K", "agents": [], "rules": [{"number": 1, "description": "a\nb"}]})", "rules[0]: \"description\" must not contain a line break"},
      {R"({"format": 1, "server": "K", "agents": [], "rules": [3]})", "rules[0]: must be an object"},
      {Wrap(R"(7)"), "agents[0]: must be an object"},
      {Wrap(R"({"port": 1})"), "agents[0]: \"ipaddr\" is missing"},
      {Wrap(R"({"ipaddr": "10.1.1"})"), "agents[0]: \"ipaddr\" must be a dotted-decimal IPv4 address such as 10.1.1.1"},
      {Wrap(R"({"ipaddr": "10.01.1.1"})"), "agents[0]: \"ipaddr\" must be a dotted-decimal IPv4 address such as 10.1.1.1"},
      {Wrap(R"({"ipaddr": "10.1.1.1", "port": "5465"})"), "agents[0]: \"port\" must be a number from 0 to 65535"},
      {Wrap(R"({"ipaddr": "10.1.1.1", "pasword": ""})"), "agents[0]: unknown key \"pasword\""},
      {Wrap(R"({"ipaddr": "10.1.1.1", "community": "x"})"), "agents[0]: unknown key \"community\""},
      {Wrap(R"({"ipaddr": "10.1.1.1", "alive": "yes"})"), "agents[0]: \"alive\" must be true or false"},
      {Wrap(R"({"ipaddr": "10.1.1.1", "properties": {"A": 1}})"), "agents[0].properties: \"A\" must be a text"},
      {Wrap(R"({"ipaddr": "10.1.1.1", "properties": {"A": "1", "A": "2"}})"), "agents[0].properties: duplicate key \"A\""},
      {Wrap(R"({"ipaddr": "10.1.1.1", "logs": "text"})"), "agents[0]: \"logs\" must be a list of texts"},
      {Wrap(R"({"ipaddr": "10.1.1.1", "logs": ["a", ["b"]]})"), "agents[0].logs[1]: must be a text"},
      {Wrap(R"({"ipaddr": "10.1.1.1", "fail": ["Explode"]})"), "agents[0].fail[0]: \"Explode\" is not an operation that can fail"},
      {Wrap(R"({"ipaddr": "10.1.1.1", "reconfig": {"polls": -1}})"), "agents[0].reconfig: \"polls\" must be a whole number from 0 to 1000000000"},
      {Wrap(R"({"ipaddr": "10.1.1.1", "reconfig": {"poll": 1}})"), "agents[0].reconfig: unknown key \"poll\""},
      {Wrap(R"({"ipaddr": "10.1.1.1"}, {"ipaddr": "10.1.1.1", "port": 5465})"), "agents[1]: another agent has the same \"ipaddr\" and \"port\" (10.1.1.1:5465)"},
      {Wrap(R"({"ipaddr": "10.1.1.1", "brokers": [{}, {"port": 70000}]})"), "agents[0].brokers[1]: \"port\" must be a number from 0 to 65535"},
      {Wrap(R"({"ipaddr": "10.1.1.1", "brokers": [{"port": 1}, {"port": 1}]})"), "agents[0].brokers[1]: another broker of this agent has the same \"ipaddr\" and \"port\" (127.0.0.1:1)"},
      {Wrap(R"({"ipaddr": "10.1.1.1", "brokers": [{"local": true}, {"port": 2, "local": true}]})"), "agents[0].brokers[1]: only one broker of an agent may be \"local\""},
      {Wrap(R"({"ipaddr": "10.1.1.1", "brokers": [{"autoconfig": {"name": "x"}}]})"), "agents[0].brokers[0].autoconfig: unknown key \"name\""},
      {Wrap(R"({"ipaddr": "10.1.1.1", "brokers": [{"dsms": [{"name": "A"}, {"name": "a"}]}]})"), "agents[0].brokers[0].dsms[1]: another DSM of this broker has the same \"name\" (a, compared ignoring case)"},
      {Wrap(R"({"ipaddr": "10.1.1.1", "brokers": [{"dsms": [{"targets": [{"ipaddr": "1.2.3.4"}, {"ipaddr": "1.2.3.4", "community": "public"}]}]}]})"), "agents[0].brokers[0].dsms[0].targets[1]: another target of this DSM has the same \"ipaddr\" and \"community\" (1.2.3.4, public)"},
      {Wrap(R"({"ipaddr": "10.1.1.1", "password": "a\u0000b"})"), "agents[0]: \"password\" must not contain a NUL character"},
      {"{\"format\": 1, \"server\": \"K\xFF\", \"agents\": []}", "line 1, column 27: syntax error while parsing value - invalid string: ill-formed UTF-8 byte; last read: '\"K\\xFF'"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoadError(c.text), "orbitane sim: " + file + ": " + c.error + "\n") << c.text;
  }
}

TEST_F(SimLoading, UnreadableAndHugeFilesAreRefusedBeforeParsing) {
  setenv("ORBITANE_SIM", Path("missing.json").c_str(), 1);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(Open(), nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "orbitane sim: " + Path("missing.json") + ": cannot open the file: No such file or directory\n");
  Close();

  // 200 MB without writing them: a sparse file.
  std::string big = Path("big.json");
  int fd = ::open(big.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, 200LL << 20), 0);
  ::close(fd);
  setenv("ORBITANE_SIM", big.c_str(), 1);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(Open(), nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "orbitane sim: " + big + ": the file is larger than 128 MiB (209715200 bytes)\n");
}

TEST_F(SimLoading, ANewSessionAfterDestroyReloadsTheFile) {
  const std::string path = UseSite(Wrap(R"({"ipaddr": "10.1.1.1"})"));
  Node root = Open();
  EXPECT_NE(Agent(*root, "10.1.1.1"), nullptr);
  root.reset();
  Close();
  WriteFile(path, Wrap(R"({"ipaddr": "10.1.1.2"})"));
  root = Open();
  EXPECT_EQ(Agent(*root, "10.1.1.1"), nullptr);
  EXPECT_NE(Agent(*root, "10.1.1.2"), nullptr);
}

TEST_F(SimLoading, BuiltInInstallationIsExamplesSiteJson) {
  const std::string example = ReadFile(HXO_SOURCE_DIR "/examples/site.json");
  EXPECT_EQ(std::string(sim::DefaultSiteJson()), example);

  Node builtIn = Open();  // ORBITANE_SIM unset
  ASSERT_TRUE(builtIn);
  const std::string fromMemory = Dump(*builtIn);
  builtIn.reset();
  Close();
  UseSite(example);
  Node fromFile = Open();
  ASSERT_TRUE(fromFile);
  EXPECT_EQ(Dump(*fromFile), fromMemory);
}

TEST_F(SimLoading, BuiltInInstallationHasWhatATourNeeds) {
  // The tour tests run the tours against it; this covers what they do not reach.
  Node root = Open("KORAS", "root", "");
  ASSERT_TRUE(root);
  Node local = Agent(*root, "127.0.0.1");
  ASSERT_TRUE(local);
  Node broker{local->GetPotentialChild(Record({{"kind", "broker"}}))};
  ASSERT_TRUE(broker);
  EXPECT_TRUE(Item(*broker, "version:1").has_value());
  EXPECT_NE(Seek(*broker, Record({{"name", "_cmmt"}})), nullptr);
  std::string rules = Item(*root, "rulelist").value_or("");
  EXPECT_EQ(std::count(rules.begin(), rules.end(), '\n'), 20);
  std::string log = Item(*local, "log:0:100000000").value_or("");
  EXPECT_GT(std::count(log.begin(), log.end(), '\n'), 200);
}

}  // namespace
}  // namespace simtest
