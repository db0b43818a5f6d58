// The simulated installation, through the vendor interface only: lookups, changes, faults, logs,
// loading, writing back and tracing.
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "orbitane/extensions.h"
#include "orbitane/orbitaneapi.h"
#include "sim/library.h"
#include "sim/node.h"
#include "sim/site_file.h"
#include "support.h"

namespace {

using Node = std::unique_ptr<TreeNode>;
using Walker = std::unique_ptr<TreeWalker>;
using Lines = std::vector<std::string>;

ChildDefinitionData Record(std::initializer_list<std::pair<const char*, const char*>> entries) {
  ChildDefinitionData record;
  for (const auto& [key, value] : entries) record.setv(key, value);
  return record;
}

// A record keeps its entries in key order (of unsigned bytes), a later value replacing an earlier
// one, and takes a value that is a text of the record itself.
TEST(Records, KeyOrderReplacementAndValuesOfTheSameRecord) {
  ChildDefinitionData record =
      Record({{"port", "5465"}, {"ipaddr", "10.1.1.1"}, {"name", nullptr}});
  record.setv("\xc3\xa9t\xc3\xa9", "summer");
  record.setv("community", "public");
  record.setv("ipaddr", "10.1.1.2");
  record.setv("sim_id", record.getv("port"));
  record.setv("port", record.getv("ipaddr"));
  record.setv("a", record.getv("community"));
  record.setv("version", uint16_t{65535});
  Lines entries;
  for (const auto& [key, value] : record.entries()) entries.push_back(key + "=" + value);
  EXPECT_EQ(entries,
            (Lines{"a=public", "community=public", "ipaddr=10.1.1.2", "name=", "port=10.1.1.2",
                   "sim_id=5465", "version=65535", "\xc3\xa9t\xc3\xa9=summer"}));
  EXPECT_STREQ(record.getv("\xc3\xa9t\xc3\xa9"), "summer");
  for (const char* absent :
       {"", "ipadd", "ipaddrs", "b", "zz", "\xc3\xa9t", "\xc3\xa9t\xc3\xa9s"}) {
    EXPECT_EQ(record.getv(absent), nullptr) << absent;
  }
  EXPECT_TRUE(record.exists("name"));
  const ChildDefinitionData copy = record;
  record.setv("name", "changed");
  EXPECT_STREQ(copy.getv("name"), "");
}

// Keys and values too long for the lengths an entry starts with are measured where they lie:
// found, stepped over, replaced either way and listed whole.
TEST(Records, KeysAndValuesOfAnyLength) {
  const std::string longKey(300, 'k'), edgeKey(255, 'e'), longValue(70000, 'v'),
      edgeValue(0xffff, 'w');
  ChildDefinitionData record = Record({{"port", "5465"}, {"a", "1"}, {"z", "last"}});
  record.setv(longKey.c_str(), longValue.c_str());
  record.setv(edgeKey.c_str(), edgeValue.c_str());
  EXPECT_STREQ(record.getv(longKey.c_str()), longValue.c_str());
  EXPECT_STREQ(record.getv(edgeKey.c_str()), edgeValue.c_str());
  EXPECT_STREQ(record.getv("z"), "last");
  record.setv(longKey.c_str(), "short");
  record.setv("a", longValue.c_str());
  EXPECT_STREQ(record.getv("port"), "5465");
  EXPECT_STREQ(record.getv("z"), "last");
  std::vector<std::pair<size_t, size_t>> sizes;
  for (const auto& [key, value] : record.entries()) sizes.emplace_back(key.size(), value.size());
  EXPECT_EQ(sizes, (std::vector<std::pair<size_t, size_t>>{
                       {1, 70000}, {255, 0xffff}, {300, 5}, {4, 4}, {1, 4}}));
}

// A property set answers as a sorted map of values and actions does, through growth, replacement,
// removal and copies, whether its entries are packed (a few) or apart (more, an action beyond a
// byte, a name or a value too long for the packed entry's lengths).
TEST(Records, PropertySetsAnswerAsAMapAtEverySize) {
  struct Visit : NameValueActionAlgorithm {
    void Process(const char* name, const char* value, action_t action) override {
      seen[name] = {value, action};
    }
    std::map<std::string, std::pair<std::string, int>> seen;
  };
  for (const int count : {1, 8, 9, 40}) {
    for (const char* apart : {"", "action", "name", "value"}) {
      const std::string_view odd = apart;
      NodePropertySet set;
      std::map<std::string, std::pair<std::string, int>> expected;
      for (int i = 0; i < count; ++i) {
        std::string name = "P" + std::to_string((i * 7) % count);  // out of order
        std::string value = std::to_string(i);
        action_t action = static_cast<action_t>(i % 3);
        if (i == count / 2 && odd == "action") action = static_cast<action_t>(300);
        if (i == count / 2 && odd == "name") name.append(300, 'n');
        if (i == count / 2 && odd == "value") value.append(70000, 'v');
        set.SetPropertyValueWithAction(name.c_str(), value.c_str(), action);
        expected[name] = {value, action};
      }
      // Taken from the set itself by an entry that may move the set apart.
      const auto& [firstName, first] = *expected.begin();
      set.SetPropertyValueWithAction("R", set.GetPropertyValue(firstName.c_str()), ACTION_ADD);
      expected["R"] = {first.first, ACTION_ADD};
      set.SetPropertyValue("P0", "longer than the other values");
      expected["P0"] = {"longer than the other values", ACTION_CHANGE};
      // A value taken from the set itself is stored whole; a null value removes the entry.
      set.SetPropertyValueWithAction("P1", set.GetPropertyValue("P0"), ACTION_ADD);
      expected["P1"] = {"longer than the other values", ACTION_ADD};
      set.SetPropertyValueWithAction("Q", "gone", ACTION_NONE);
      set.SetPropertyValueWithAction("Q", nullptr, ACTION_NONE);
      const NodePropertySet before = set;
      const auto expectedBefore = expected;
      EXPECT_TRUE(set.EraseProperty("P0"));
      EXPECT_FALSE(set.EraseProperty("P0"));
      expected.erase("P0");
      const std::string context = std::to_string(count) + "/" + apart;
      Visit now, then;
      set.DoForEachProperty(now);
      before.DoForEachProperty(then);
      EXPECT_EQ(now.seen, expected) << context;
      EXPECT_EQ(then.seen, expectedBefore) << context;
      EXPECT_EQ(set.size(), expected.size()) << context;
      for (const auto& [name, entry] : expected) {
        EXPECT_STREQ(set.GetPropertyValue(name.c_str()), entry.first.c_str()) << context;
      }
      EXPECT_EQ(set.GetPropertyValue("P"), nullptr) << context;
    }
  }
}
// A named data item, or none for a null reply.
std::optional<std::string> Item(TreeNode& node, const std::string& item) {
  char* text = node.GetNamedDataItem(item.c_str());
  if (text == nullptr) return std::nullopt;
  std::string copy(text);
  SharedHeapFree(text);
  return copy;
}

// The children a walker visits from First to AtEnd, each as "Type key=value ...".
Lines Children(TreeNode& node) {
  Lines names;
  Walker walker{node.GetChildWalker()};
  for (walker->First(); !walker->AtEnd(); walker->Next()) {
    Node child{walker->Current()};
    std::string name = child->GetTypeName();
    for (const auto& [key, value] : child->GetDefinitionData().entries()) {
      if (key != "sim_id") name += " " + key + "=" + value;
    }
    names.push_back(name);
  }
  return names;
}

const char* const kSite = R"({
  "format": 1, "server": "KORAS", "users": { "root": "", "admin": "s3cret" },
  "unreachable": ["10.9.9.9"],
  "rules": [ { "number": 12, "description": "Interface down" } ],
  "agents": [
    { "ipaddr": "10.1.1.1", "properties": { "POLL_INTERVAL": "60", "qpk_own": "12 5" },
      "logs": [ "0123456789", "backup\n" ],
      "brokers": [
        { "ipaddr": "10.1.1.1", "port": 5465, "local": true, "version": "4.2",
          "autoconfig": {},
          "dsms": [
            { "name": "dsm1", "targets": [ { "ipaddr": "10.2.0.1" },
                                          { "ipaddr": "10.2.0.2", "community": "Private" } ] },
            { "name": "Edge" } ] },
        { "ipaddr": "10.1.1.20", "port": 5466, "password": "brokerpw", "alive": false } ] },
    { "ipaddr": "10.1.1.2", "port": 6000, "password": "agentpw" } ]
})";

// Each test has a folder for its site and trace files; the nodes of kSite once OpenSite ran.
class Sim : public testing::Test {
 protected:
  void SetUp() override { Unset(); }
  void TearDown() override {
    dsm_.reset(), broker_.reset(), agent_.reset(), root_.reset();
    Close();
    Unset();
  }
  static void Unset() {
    for (const char* name : {"ORBITANE_SIM", "ORBITANE_SIM_TRACE", "ORBITANE_SIM_READONLY",
                             "ORBITANE_SIM_FAIL_BEFORE_RENAME"}) {
      unsetenv(name);
    }
  }
  std::string Site() const { return folder_.File("site.json"); }
  void UseSite(const std::string& json) {
    folder_.Write("site.json", json);
    setenv("ORBITANE_SIM", Site().c_str(), 1);
  }
  // initAPI, GetRoot and GetRootNode; null on failure.
  Node Open(const char* server = "KORAS", const char* user = "root", const char* password = "") {
    Close();
    initAPI();
    open_ = true;
    holder_.reset(TreeRootHolder::GetRoot("distributed", server, user, password));
    return Node(holder_ ? holder_->GetRootNode(Record({{"filename", "nul"}})) : nullptr);
  }
  void Close() {
    holder_.reset();
    if (open_) destroyAPI();
    open_ = false;
  }
  // Opens kSite (or json): root_, agent_ 10.1.1.1, its local broker_ and dsm_ dsm1.
  void OpenSite(const std::string& json = kSite) {
    dsm_.reset(), broker_.reset(), agent_.reset(), root_.reset();
    UseSite(json);
    root_ = Open();
    ASSERT_TRUE(root_);
    agent_ = Agent("10.1.1.1");
    ASSERT_TRUE(agent_);
    broker_.reset(agent_->GetPotentialChild(Record({{"kind", "broker"}})));
    if (broker_) dsm_ = Seek(*broker_, Record({{"name", "dsm1"}}));
  }
  static Node Seek(TreeNode& node, const ChildDefinitionData& record) {
    Walker walker{node.GetChildWalker()};
    if (!walker) return nullptr;
    walker->Seek(record);
    return walker->AtEnd() ? nullptr : Node(walker->Current());
  }
  Node Agent(const char* ipaddr, const char* port = "5465", const char* password = "") {
    ChildDefinitionData record = Record({{"ipaddr", ipaddr}, {"port", port}});
    root_->SupplyChildPassword(record, password);
    return Node(root_->GetPotentialChild(record));
  }
  Node Autoconfig() { return Node(broker_->GetPotentialChild(Record({{"kind", "autoconfig"}}))); }

  Folder folder_;
  std::unique_ptr<TreeRootHolder> holder_;
  bool open_ = false;
  Node root_, agent_, broker_, dsm_;
};

TEST_F(Sim, LookupsWalkersAndAdditions) {
  OpenSite();
  ASSERT_TRUE(dsm_);
  EXPECT_EQ(Agent("10.1.1.2", "6000"), nullptr);  // no password supplied
  EXPECT_EQ(Agent("10.1.1.1", "70000"), nullptr);
  EXPECT_NE(Agent("10.1.1.1", "05465"), nullptr);  // ports compare as numbers
  EXPECT_EQ(
      Node(Agent("10.1.1.2", "6000", "agentpw")->GetPotentialChild(Record({{"kind", "broker"}}))),
      nullptr);  // no local broker
  const ChildDefinitionData second = Record({{"ipaddr", "10.1.1.20"}, {"port", "5466"}});
  EXPECT_EQ(Seek(*agent_, second), nullptr);  // until its password is supplied
  agent_->SupplyChildPassword(second, "brokerpw");
  EXPECT_EQ(Node(Seek(*agent_, second)->GetPotentialChild(Record({{"kind", "autoconfig"}}))),
            nullptr);
  EXPECT_STREQ(Autoconfig()->GetTypeName(), "AutoConfig");

  EXPECT_EQ(Children(*root_),
            (Lines{"Agent ipaddr=10.1.1.1 port=5465", "Agent ipaddr=10.1.1.2 port=6000"}));
  EXPECT_NE(Seek(*broker_, Record({{"name", "EDGE"}})), nullptr);  // names ignore case
  EXPECT_EQ(Seek(*dsm_, Record({{"ipaddr", "10.2.0.2"}, {"community", "private"}})), nullptr);
  EXPECT_EQ(Seek(*broker_, Record({{"ipaddr", "10.2.0.1"}})), nullptr);  // wrong kind of record
  EXPECT_EQ(Walker(Seek(*dsm_, Record({{"ipaddr", "10.2.0.1"}}))->GetChildWalker()), nullptr);
  Walker walker{dsm_->GetChildWalker()};
  walker->Seek(Record({{"ipaddr", "10.2.0.1"}}));
  walker->Next();
  EXPECT_STREQ(Node(walker->Current())->GetDefinitionData().getv("community"), "Private");
  walker->Next();
  EXPECT_TRUE(walker->AtEnd());
  EXPECT_EQ(walker->Current(), nullptr);

  EXPECT_FALSE(agent_->CanAddChild(Record({{"ipaddr", "10.9.9.9"}, {"port", "5465"}})));
  EXPECT_FALSE(agent_->CanAddChild(Record({{"ipaddr", "10.1.1.20"}, {"port", "5466"}})));
  EXPECT_TRUE(agent_->CanAddChild(Record({{"ipaddr", "10.1.1.20"}, {"port", "5465"}})));
  EXPECT_TRUE(dsm_->CanAddChild(Record({{"ipaddr", "10.2.0.1"}, {"community", "PUBLIC"}})));
  EXPECT_FALSE(broker_->CanAddChild(Record({{"name", "edge"}})));
  ASSERT_TRUE(Node(dsm_->AddChild(Record({{"ipaddr", "10.2.0.9"}, {"community", "public"}}))));
  EXPECT_EQ(Children(*dsm_).back(), "Target community=public ipaddr=10.2.0.9");
  // Brokers and targets only, with new identities and valid values.
  EXPECT_EQ(Node(dsm_->AddChild(Record({{"ipaddr", "10.2.0.9"}, {"community", "public"}}))),
            nullptr);
  EXPECT_EQ(Node(root_->AddChild(Record({{"ipaddr", "10.7.7.7"}}))), nullptr);
  EXPECT_EQ(Node(broker_->AddChild(Record({{"name", "new"}}))), nullptr);
  EXPECT_EQ(Node(agent_->AddChild(Record({{"ipaddr", "not.an.address"}}))), nullptr);
  EXPECT_EQ(Node(agent_->AddChild(Record({{"ipaddr", "10.5.5.6"}, {"port", "65536"}}))), nullptr);
}

// The reason of the latest refusal, as OrbitaneTakeRefusal gives it ("reason: text"), or "".
std::string TakeRefusal() {
  int reason = 0;
  char* text = OrbitaneTakeRefusal(&reason);
  if (text == nullptr) return "";
  std::string taken = std::to_string(reason) + ": " + text;
  SharedHeapFree(text);
  return taken;
}

// A node outlives its entry: once the entry or one above it is removed, or once the session has
// ended, every call on the node or on a walker of it fails without touching freed memory, and the
// node still hands out its type and its record, as its other nodes of the same entry do.
TEST_F(Sim, NodesOutliveTheirEntries) {
  OpenSite();
  Node target = Seek(*dsm_, Record({{"ipaddr", "10.2.0.1"}}));
  Node again = Seek(*dsm_, Record({{"ipaddr", "10.2.0.1"}}));
  ASSERT_TRUE(target && again);
  auto entries = [](TreeNode& node) {
    Lines lines;
    for (const auto& [key, value] : node.GetDefinitionData().entries()) {
      lines.push_back(key + "=" + value);
    }
    return lines;
  };
  Walker targets{dsm_->GetChildWalker()};
  Walker dsms{broker_->GetChildWalker()};
  targets->First();
  TakeRefusal();  // what an earlier test left
  ASSERT_TRUE(broker_->RemoveChild(dsm_.get()));
  EXPECT_EQ(TakeRefusal(), "");
  EXPECT_FALSE(broker_->RemoveChild(dsm_.get()));
  EXPECT_EQ(Children(*broker_), Lines{"DSM name=Edge"});
  for (TreeNode* stale : {dsm_.get(), target.get()}) {
    EXPECT_FALSE(stale->NodeIsAlive());
    EXPECT_EQ(stale->GetProperties(), nullptr);
    EXPECT_FALSE(stale->SetProperties(NodePropertySet()));
    EXPECT_EQ(stale->GetChildWalker(), nullptr);
    EXPECT_EQ(Item(*stale, "log:0:0:4096"), std::nullopt);
    EXPECT_FALSE(stale->ExecuteCommand("reload", ""));
    EXPECT_EQ(stale->AddChild(Record({{"ipaddr", "10.2.0.7"}})), nullptr);
    EXPECT_STREQ(stale->GetTypeName(), stale == dsm_.get() ? "DSM" : "Target");
  }
  for (TreeNode* node : {target.get(), again.get()}) {
    EXPECT_EQ(entries(*node), (Lines{"community=public", "ipaddr=10.2.0.1", "sim_id=5"}));
  }
  EXPECT_TRUE(targets->AtEnd());
  EXPECT_EQ(targets->Current(), nullptr);
  dsms->Next();  // from the removed DSM's place on
  Node edge(dsms->Current());
  ASSERT_TRUE(edge);
  EXPECT_STREQ(edge->GetDefinitionData().getv("name"), "Edge");
  EXPECT_TRUE(agent_->RemoveChildByData(Record({{"ipaddr", "10.1.1.20"}, {"port", "5466"}})));
  EXPECT_FALSE(agent_->RemoveChildByData(Record({{"ipaddr", "10.1.1.20"}, {"port", "5466"}})));
  EXPECT_TRUE(broker_->RemoveChildByData(Record({{"kind", "autoconfig"}})));
  EXPECT_EQ(Autoconfig(), nullptr);
  EXPECT_FALSE(root_->RemoveChild(broker_.get()));  // not a child of the root
  EXPECT_FALSE(broker_->RemoveChild(nullptr));

  // After destroyAPI every node and walker of the session is dead; a new session loads afresh.
  Node other = Agent("10.1.1.2", "6000", "agentpw");
  ASSERT_TRUE(other);
  Close();
  EXPECT_FALSE(agent_->NodeIsAlive());
  EXPECT_EQ(agent_->GetProperties(), nullptr);
  EXPECT_EQ(other->GetChildWalker(), nullptr);
  EXPECT_EQ(root_->GetPotentialChild(Record({{"ipaddr", "10.1.1.1"}})), nullptr);
  dsms->First();
  EXPECT_TRUE(dsms->AtEnd());
  EXPECT_EQ(dsms->Current(), nullptr);
  EXPECT_EQ(entries(*other), (Lines{"ipaddr=10.1.1.2", "port=6000", "sim_id=9"}));
  Node oldAgent = std::move(agent_);
  OpenSite();     // reads the file again
  TakeRefusal();  // what the calls of the ended session left
  EXPECT_FALSE(oldAgent->NodeIsAlive());
  EXPECT_EQ(TakeRefusal(),
            "5: orbitane sim: the session that reached Agent 10.1.1.1:5465 has ended");
  EXPECT_EQ(Children(*broker_), (Lines{"DSM name=dsm1", "DSM name=Edge"}));
}

// Every refused call says why, once; a call that works leaves nothing behind.
TEST_F(Sim, RefusalsSayWhy) {
  OpenSite(R"({"format": 1, "server": "KORAS", "unreachable": ["10.9.9.9"], "agents": [
    {"ipaddr": "10.1.1.1", "fail": ["SetProperties"], "brokers": [
      {"ipaddr": "10.1.1.1", "local": true, "dsms": [{"name": "dsm1",
        "targets": [{"ipaddr": "10.2.0.1"}, {"ipaddr": "10.2.0.2", "alive": false}]}]},
      {"ipaddr": "10.1.1.20", "password": "pw"}]}]})");
  Node target = Seek(*dsm_, Record({{"ipaddr", "10.2.0.1"}}));
  Node silent = Seek(*dsm_, Record({{"ipaddr", "10.2.0.2"}}));
  ASSERT_TRUE(target && silent);
  EXPECT_EQ(TakeRefusal(), "");
  // Each call in turn is refused and says why, once: asking again gives nothing.
  auto refused = [](bool wasRefused, const std::string& why) {
    EXPECT_TRUE(wasRefused) << why;
    EXPECT_EQ(TakeRefusal(), why);
    EXPECT_EQ(TakeRefusal(), "") << why;
  };
  const std::string sim = "orbitane sim: ";
  refused(!dsm_->CanAddChild(Record({{"ipaddr", "10.9.9.9"}})),
          "1: " + sim + "10.9.9.9 does not answer");
  refused(!silent->NodeIsAlive(), "1: " + sim + "Target 10.2.0.2@public does not answer");
  const ChildDefinitionData absent = Record({{"ipaddr", "10.2.0.9"}, {"community", "public"}});
  const std::string notThere =
      "2: " + sim + "DSM dsm1 has no Target 10.2.0.9@public in its configuration";
  refused(Seek(*dsm_, absent) == nullptr, notThere);
  refused(!dsm_->RemoveChildByData(absent), notThere);
  refused(Agent("10.1.1.7") == nullptr, "2: " + sim + "no Agent 10.1.1.7:5465 in the installation");
  refused(!dsm_->CanAddChild(Record({{"ipaddr", "10.2.0.1"}, {"community", "public"}})),
          "3: " + sim + "DSM dsm1 already has Target 10.2.0.1@public in its configuration");
  refused(!agent_->SetProperties(NodePropertySet()),
          "6: " + sim +
              "SetProperties fails on Agent 10.1.1.1:5465, as the installation file's \"fail\" "
              "list says");
  refused(!target->ExecuteCommand("bogus", ""),
          "7: " + sim + "Target 10.2.0.1@public does not accept the command \"bogus\"");
  refused(Seek(*agent_, Record({{"ipaddr", "10.1.1.20"}, {"port", "5465"}})) == nullptr,
          "8: " + sim + "Broker 10.1.1.20:5465 does not take the password given");
  refused(dsm_->RemoveChild(target.get()) && !target->NodeIsAlive(),
          "4: " + sim + "Target 10.2.0.1@public is no longer in the installation");
  Close();
  refused(!agent_->NodeIsAlive(),
          "5: " + sim + "the session that reached Agent 10.1.1.1:5465 has ended");
  refused(Open("KORAS", "nobody") == nullptr, "5: " + sim + "no user nobody on KORAS");
  refused(Open("OTHER") == nullptr, "5: " + sim + "the event server is KORAS, not OTHER");
}

TEST_F(Sim, PropertiesAndPasswords) {
  OpenSite();
  std::unique_ptr<NodePropertySet> set{agent_->GetProperties()};
  EXPECT_STREQ(set->GetPropertyValue("qpk_own"), "12 5");
  struct : NameValueActionAlgorithm {
    void Process(const char*, const char*, action_t action) override { EXPECT_EQ(action, 0); }
  } actions;
  set->DoForEachProperty(actions);
  NodePropertySet replacement;
  replacement.SetPropertyValue("NEW", "1");
  EXPECT_TRUE(agent_->SetProperties(replacement));
  set.reset(agent_->GetProperties());
  EXPECT_EQ(set->size(), 1u);  // replaced whole
  EXPECT_FALSE(root_->SetProperties(replacement));
  NodePropertySet latin1;
  latin1.SetPropertyValue("NAME", "caf\xE9");
  EXPECT_FALSE(agent_->SetProperties(latin1));  // only UTF-8 can be written back

  // The local broker has the agent's address and port; its own record still names it.
  ASSERT_TRUE(root_->ChangeChildPassword(broker_->GetDefinitionData(), "newbroker"));
  EXPECT_NE(Agent("10.1.1.1"), nullptr);
  ChildDefinitionData brokerRecord = Record({{"ipaddr", "10.1.1.1"}, {"port", "5465"}});
  EXPECT_EQ(Seek(*agent_, brokerRecord), nullptr);
  agent_->SupplyChildPassword(brokerRecord, "newbroker");
  EXPECT_NE(Seek(*agent_, brokerRecord), nullptr);
  // Unknown nodes are refused, and only the root changes passwords.
  EXPECT_FALSE(root_->ChangeChildPassword(Record({{"ipaddr", "10.8.8.8"}}), "t"));
  EXPECT_FALSE(agent_->ChangeChildPassword(broker_->GetDefinitionData(), "t"));
}

// An operation the installation file lists under "fail" fails on that node, and on that node only.
TEST_F(Sim, ListedOperationsFailOnThatNodeOnly) {
  for (const std::string operation :
       {"GetProperties", "SetProperties", "AddChild", "RemoveChild", "GetChildWalker",
        "ChangeChildPassword", "GetNamedDataItem", "ExecuteCommand"}) {
    OpenSite(R"({"format": 1, "server": "KORAS", "agents": [
      {"ipaddr": "10.1.1.1", "fail": [")" +
             operation + R"("], "logs": ["x\n"], "brokers": [{"ipaddr": "10.1.1.5"}]},
      {"ipaddr": "10.1.1.2", "logs": ["x\n"], "brokers": [{"ipaddr": "10.1.1.5"}]}]})");
    for (const char* address : {"10.1.1.1", "10.1.1.2"}) {
      Node agent = Agent(address);
      ASSERT_TRUE(agent);
      bool worked = false;
      if (operation == "GetProperties")
        worked = std::unique_ptr<NodePropertySet>(agent->GetProperties()) != nullptr;
      if (operation == "SetProperties") worked = agent->SetProperties(NodePropertySet());
      if (operation == "AddChild")
        worked = Node(agent->AddChild(Record({{"ipaddr", "10.1.1.6"}}))) != nullptr;
      if (operation == "RemoveChild")
        worked = agent->RemoveChildByData(Record({{"ipaddr", "10.1.1.5"}, {"port", "5465"}}));
      if (operation == "GetChildWalker") worked = Walker(agent->GetChildWalker()) != nullptr;
      if (operation == "ChangeChildPassword")
        worked = root_->ChangeChildPassword(agent->GetDefinitionData(), "p");
      if (operation == "GetNamedDataItem") worked = Item(*agent, "log:0:0:10").has_value();
      if (operation == "ExecuteCommand") worked = agent->ExecuteCommand("restart", "");
      EXPECT_EQ(worked, std::string(address) == "10.1.1.2") << operation << " on " << address;
      EXPECT_TRUE(agent->NodeIsAlive());
    }
  }
}

TEST_F(Sim, LogRequests) {
  OpenSite();  // the agent's current log is "0123456789", its backup log 1 "backup\n"
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      // log:B:OFFSET:SIZE gives the bytes from OFFSET; a negative offset counts as 0.
      {"log:0:0:4096", "0123456789"},
      {"log:0:3:4", "3456"},
      {"log:0:8:4", "89"},
      {"log:0:11:4", ""},
      {"log:0:-9223372036854775808:3", "012"},
      {"log:0:9223372036854775807:9223372036854775807", ""},
      {"log:1:0:4096", "backup\n"},
      {"log:2:0:4096", std::nullopt},
      // log:B:SIZE gives the offset of the last SIZE bytes, a line feed and the bytes.
      {"log:0:4096", "0\n0123456789"},
      {"log:0:9", "1\n123456789"},
      {"log:0:0", "10\n"},
      {"log:1:3", "4\nup\n"},
      {"log:7:4096", std::nullopt},
  };
  for (const auto& [item, reply] : cases) EXPECT_EQ(Item(*agent_, item), reply) << item;
  for (const char* item : {"log:0", "log:x:4096", "log:-1:4096", "log:0:-4", "log:0:0:4096:1",
                           "log:+0:4096", "log:0:0:99999999999999999999", "LOG:0:4096"}) {
    EXPECT_EQ(Item(*agent_, item), std::nullopt) << item;
  }
}

TEST_F(Sim, AFollowedLogGrowsOneFeedLinePerLookAtItsEnd) {
  OpenSite(R"({"format": 1, "server": "KORAS", "agents": [{"ipaddr": "10.1.1.1",
    "logs": ["0123456789", "backup\n"], "log_feed": ["new one", "new two"]},
    {"ipaddr": "10.1.1.2", "log_feed": ["x"]}]})");
  EXPECT_EQ(Item(*agent_, "log:0:0:4"), "0123");   // not at the end: nothing appended
  EXPECT_EQ(Item(*agent_, "log:0:4"), "6\n6789");  // tail requests never feed
  EXPECT_EQ(Item(*agent_, "log:0:0:4096"), "0123456789new one\n");
  EXPECT_EQ(Item(*agent_, "log:1:0:4096"), "backup\n");  // backups are never fed
  Node other = Agent("10.1.1.2");  // a feed starts the current log when there is none
  EXPECT_EQ(Item(*other, "log:0:4096"), std::nullopt);
  EXPECT_EQ(Item(*other, "log:0:0:4096"), "x\n");
  // Reading wrote nothing; the grown log and the rest of the feed go with the next change.
  EXPECT_EQ(folder_.Read("site.json").find("0123456789new"), std::string::npos);
  ASSERT_TRUE(other->SetProperties(NodePropertySet()));
  EXPECT_NE(folder_.Read("site.json").find("\"0123456789new one\\n\""), std::string::npos);
  EXPECT_NE(folder_.Read("site.json").find("\"log_feed\": [\n        \"new two\""),
            std::string::npos);
}

// Loading a file that breaks the rules: the root fails and one line on standard error names
// the file and the problem.
// "P0": "0", "P1": "1", ... as the inside of a JSON object.
std::string ManyProperties(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += (i == 0 ? "\"P" : ", \"P") + std::to_string(i) + "\": \"" + std::to_string(i) + "\"";
  }
  return text;
}

TEST_F(Sim, LoadingMistakes) {
  const std::string wrap = R"({"format": 1, "server": "K", "agents": [)";
  const std::string targets =
      wrap + R"({"ipaddr": "10.1.1.1", "brokers": [{"dsms": [{"targets": [)";
  const std::pair<std::string, std::string> cases[] = {
      {"", "the file is empty"},
      {R"({"format": 1, "agents": []})", "top level: \"server\" is missing"},
      {wrap + R"({"ipaddr": "10.1.1.1", "fail": ["Explode"]}]})",
       "agents[0].fail[0]: \"Explode\" is not an operation that can fail"},
      {wrap + R"({"ipaddr": "10.1.1.1"}, {"ipaddr": "10.1.1.1", "port": 5465}]})",
       "agents[1]: another agent has the same \"ipaddr\" and \"port\" (10.1.1.1:5465)"},
      {wrap + R"({"ipaddr": "10.1.1.1", "brokers": [{"port": 1}, {"port": 1}]}]})",
       "agents[0].brokers[1]: another broker of this agent has the same \"ipaddr\" and \"port\" "
       "(127.0.0.1:1)"},
      {wrap + R"({"ipaddr": "10.1.1.1", "brokers": [{"dsms": [{"name": "A"}, {"name": "a"}]}]}]})",
       "agents[0].brokers[0].dsms[1]: another DSM of this broker has the same \"name\" (a, "
       "compared ignoring case)"},
      {wrap +
           R"({"ipaddr": "10.1.1.1", "brokers": [{"dsms": [{"targets": [{"ipaddr": "1.2.3.4"}, {"ipaddr": "1.2.3.4", "community": "public"}]}]}]}]})",
       "agents[0].brokers[0].dsms[0].targets[1]: another target of this DSM has the same "
       "\"ipaddr\" and \"community\" (1.2.3.4, public)"},
      {wrap + R"({"ipaddr": "10.1.1.1", "password": "a\u0000b"}]})",
       "agents[0]: \"password\" must not contain a NUL character"},
      {wrap + R"({"ipaddr": "10.1.1.1", "properties": {"B": "1", "A": "2", "B": "3"}}]})",
       "agents[0].properties: duplicate key \"B\""},
      {wrap + R"({"ipaddr": "10.1.1.1", "properties": {)" + ManyProperties(20) +
           R"(, "P7": "again", "Z": 1}}]})",
       "agents[0].properties: duplicate key \"P7\""},
      // Targets, most of which are read without the parser's events, report the same mistakes.
      {targets + R"({"ipaddr": "1.2.3.4", "properties": {"A": "1", "B": "2", "A": "3"}}]}]}]}]})",
       "agents[0].brokers[0].dsms[0].targets[0].properties: duplicate key \"A\""},
      {targets + R"({"ipaddr": "1.2.3.4", "properties": {"A": "a\u0000b"}}]}]}]}]})",
       "agents[0].brokers[0].dsms[0].targets[0].properties: \"A\" must not contain a NUL "
       "character"},
      {targets + R"({"ipaddr": "1.2.3.4"}, {"community": "c"}]}]}]}]})",
       "agents[0].brokers[0].dsms[0].targets[1]: \"ipaddr\" is missing"},
      {targets + R"({"ipaddr": "1.2.3.4", "ipaddr": "1.2.3.5"}]}]}]}]})",
       "agents[0].brokers[0].dsms[0].targets[0]: duplicate key \"ipaddr\""},
      {targets + R"({"ipaddr": "1.2.3.4", "alive": 1}]}]}]}]})",
       "agents[0].brokers[0].dsms[0].targets[0]: \"alive\" must be true or false"},
      {targets + R"({"ipaddr": "1.2.3.4", "port": 1}]}]}]}]})",
       "agents[0].brokers[0].dsms[0].targets[0]: unknown key \"port\""},
      {targets + R"({"ipaddr": "1.2.3.4", "properties": {"A": 1}}]}]}]}]})",
       "agents[0].brokers[0].dsms[0].targets[0].properties: \"A\" must be a text"},
      {targets + R"({"ipaddr": "1.2.3.04"}]}]}]}]})",
       "agents[0].brokers[0].dsms[0].targets[0]: \"ipaddr\" must be a dotted-decimal IPv4 "
       "address such as 10.1.1.1"},
      {targets + R"("1.2.3.4"]}]}]}]})",
       "agents[0].brokers[0].dsms[0].targets[0]: must be an object"},
      {"{\"format\": 1, \"server\": \"K\xFF\", \"agents\": []}",
       "line 1, column 27: syntax error while parsing value - invalid string: ill-formed UTF-8 "
       "byte; last read: '\"K\\xFF'"},
  };
  for (const auto& [text, error] : cases) {
    UseSite(text);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Open(), nullptr) << text;
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "orbitane sim: " + Site() + ": " + error + "\n");
  }
  // A file too large to read (sparse, so nothing is written).
  ASSERT_EQ(truncate(Site().c_str(), 200LL << 20), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(Open(), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "orbitane sim: " + Site() + ": the file is larger than 128 MiB (209715200 bytes)\n");
}

TEST_F(Sim, BuiltInInstallationIsExamplesSiteJsonAndNeverWritten) {
  std::stringstream example;
  example << std::ifstream(HXO_SOURCE_DIR "/examples/site.json").rdbuf();
  EXPECT_EQ(sim::DefaultSiteJson(), example.str());
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(folder_.path);
  root_ = Open();  // ORBITANE_SIM unset
  agent_ = Agent("127.0.0.1");
  ASSERT_TRUE(agent_);
  EXPECT_TRUE(agent_->ExecuteCommand("restart", ""));
  EXPECT_TRUE(std::filesystem::is_empty(folder_.path));
  std::filesystem::current_path(cwd);
}

// Every change is written back, among targets of every form in one list: plain ones (an address,
// a community, liveness, a few properties, read without the parser's events) beside ones with
// more. They keep the file's order and all they hold, properties come out in key order, and the
// written file reads back the same and writes the same bytes again.
TEST_F(Sim, EveryChangeIsWrittenBackAndReadsBackTheSame) {
  std::string site = kSite;
  const std::string given = R"({ "ipaddr": "10.2.0.1" },
                                          { "ipaddr": "10.2.0.2", "community": "Private" })";
  const size_t at = site.find(given);
  ASSERT_NE(at, std::string::npos);
  site.replace(at, given.size(),
               R"({"properties": {"b": "2", "a": "1"}, "alive": false, "ipaddr": "10.2.0.1"},
                  {"ipaddr": "10.2.0.3", "logs": ["x"]},
                  {"community": "c", "ipaddr": "10.2.0.2", "properties": {)" +
                   ManyProperties(20) + R"(}},
                  {"ipaddr": "10.2.0.4", "properties": {"path": "C:\\u0000dir"}})");
  OpenSite(site);
  NodePropertySet set;
  set.SetPropertyValue("quote\"and\\slash", "line\nbreak \xC3\xA9");
  ASSERT_TRUE(agent_->SetProperties(set));
  ASSERT_TRUE(Node(agent_->AddChild(Record({{"ipaddr", "10.6.0.1"}, {"port", "9000"}}))));
  ASSERT_TRUE(Node(dsm_->AddChild(Record({{"ipaddr", "10.2.0.77"}, {"community", "c2"}}))));
  ASSERT_TRUE(dsm_->RemoveChildByData(Record({{"ipaddr", "10.2.0.3"}})));
  ASSERT_TRUE(root_->ChangeChildPassword(dsm_->GetDefinitionData(), "newpw"));
  ASSERT_TRUE(dsm_->ExecuteCommand("reconfig", "full"));
  ASSERT_FALSE(dsm_->ExecuteCommand("explode", ""));
  const std::string written = folder_.Read("site.json");
  for (const char* part : {"\"journal\": [\n                \"reconfig full\",\n"
                           "                \"explode\"\n              ]",
                           "\"password\": \"newpw\"", R"("alive": false,
                  "properties": {
                    "a": "1",
                    "b": "2"
                  })"}) {
    EXPECT_NE(written.find(part), std::string::npos) << part << " in\n" << written;
  }

  OpenSite(written);  // a new session on the written file
  EXPECT_STREQ(std::unique_ptr<NodePropertySet>(agent_->GetProperties())
                   ->GetPropertyValue("quote\"and\\slash"),
               "line\nbreak \xC3\xA9");
  EXPECT_EQ(Children(*agent_).back(), "Broker ipaddr=10.6.0.1 port=9000");
  EXPECT_EQ(
      Children(*dsm_),
      (Lines{"Target community=public ipaddr=10.2.0.1", "Target community=c ipaddr=10.2.0.2",
             "Target community=public ipaddr=10.2.0.4", "Target community=c2 ipaddr=10.2.0.77"}));
  Node first = Seek(*dsm_, Record({{"ipaddr", "10.2.0.1"}}));
  Node last = Seek(*dsm_, Record({{"ipaddr", "10.2.0.4"}}));
  ASSERT_TRUE(first && last);
  EXPECT_FALSE(first->NodeIsAlive());
  EXPECT_STREQ(std::unique_ptr<NodePropertySet>(last->GetProperties())->GetPropertyValue("path"),
               "C:\\u0000dir");
  // Writing the same installation again gives the same bytes.
  std::unique_ptr<NodePropertySet> current{agent_->GetProperties()};
  ASSERT_TRUE(agent_->SetProperties(*current));
  EXPECT_EQ(folder_.Read("site.json"), written);
  EXPECT_EQ(Item(*dsm_, "autoconfig_status"), "1 0");  // the reconfiguration goes on
}

// A change by another writer within one tick of the file system's clock leaves every time as it
// was; the bytes read then tell.
TEST(SiteFile, AChangeThatKeepsEveryTimeIsToldByTheBytes) {
  Folder folder;
  const std::string path = folder.File("s.json");
  folder.Write("s.json", "{\"a\": 1}");
  std::string error;
  std::optional<sim::FileText> read = sim::ReadSiteFile(path, error);
  ASSERT_TRUE(read);
  sim::DigestIfRecent(read->stamp, read->text.view());
  ASSERT_TRUE(read->stamp.digest);             // just written: its times cannot tell yet
  folder.Write("s.json", "{\"a\": 2}");        // in place, the same size
  sim::FileStamp stamp = *sim::StampOf(path);  // as if in the same tick: the times as they are
  stamp.digest = read->stamp.digest;
  EXPECT_EQ(sim::ReplaceSiteFile(path, "{}", stamp, false, error),
            sim::WriteOutcome::ChangedByOther);
  EXPECT_EQ(folder.Read("s.json"), "{\"a\": 2}");
  stamp.digest = sim::DigestOf("{\"a\": 2}");
  EXPECT_EQ(sim::ReplaceSiteFile(path, "{}", stamp, false, error), sim::WriteOutcome::Written);
  EXPECT_EQ(folder.Read("s.json"), "{}");
}

// A file is read whole, with readable slack after it, at every size around a huge page; from one
// huge page on it starts on a huge-page boundary, where the kernel can give it huge pages.
TEST(SiteFile, ReadsEverySizeWithSlackAndLargeOnesOnAHugePage) {
  constexpr size_t kHugePage = size_t{2} << 20;
  Folder folder;
  const std::string path = folder.File("s.json");
  for (const size_t size : {size_t{1}, kHugePage - sim::kSiteTextSlack - 1,
                            kHugePage - sim::kSiteTextSlack, kHugePage, 3 * kHugePage + 5}) {
    std::string bytes(size, 'x');
    for (size_t at = 0; at < size; at += 4093) bytes[at] = static_cast<char>('a' + at % 26);
    bytes.back() = '!';
    folder.Write("s.json", bytes);
    std::string error;
    std::optional<sim::FileText> read = sim::ReadSiteFile(path, error);
    ASSERT_TRUE(read) << size << ": " << error;
    EXPECT_TRUE(read->text.view() == bytes) << size;
    ASSERT_GE(read->text.slack(), sim::kSiteTextSlack) << size;
    const char* after = read->text.view().data() + size;
    EXPECT_EQ(std::count(after, after + read->text.slack(), '\0'),
              static_cast<std::ptrdiff_t>(read->text.slack()))
        << size;
    if (size + sim::kSiteTextSlack >= kHugePage) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(read->text.view().data()) % kHugePage, 0u) << size;
    }
  }
}

// A change that every later load would refuse (the file over the loader's limit) is refused, as
// is one after another writer replaced the file; a write stopped before the rename leaves no
// temporary file. Each way the file and the installation in memory stay as they were. A rehearsal
// writes nothing and keeps the change; its plan says the real run would refuse it.
TEST_F(Sim, ARefusedOrInterruptedWriteKeepsTheFileAndTheInstallation) {
  NodePropertySet big, small;
  big.SetPropertyValue("X", std::string(sim::kMaxSiteFileBytes, 'x').c_str());
  small.SetPropertyValue("X", "1");
  const std::string sim = "orbitane sim: " + Site() + ": ";
  const struct {
    const NodePropertySet& change;
    const char* failBeforeRename;
    bool anotherWriter;
    std::string start;
    size_t digits;  // between start and end
    std::string end;
  } cases[] = {
      {big, nullptr, false, sim + "the installation would take 1342", 5,
       " bytes, more than the 128 MiB a site file may hold; nothing was written\n"},
      {small, nullptr, true, sim, 0,
       "the installation file was changed by another process; nothing was written: run the "
       "script again on the new file\n"},
      {small, "1", false, sim, 0,
       "stopped before the rename (ORBITANE_SIM_FAIL_BEFORE_RENAME is set); nothing was "
       "written\n"},
  };
  for (const auto& [change, failBeforeRename, anotherWriter, start, digits, end] : cases) {
    if (failBeforeRename) setenv("ORBITANE_SIM_FAIL_BEFORE_RENAME", failBeforeRename, 1);
    OpenSite();
    const std::string file = kSite + std::string(anotherWriter ? "\n" : "");
    if (anotherWriter) {
      folder_.Write("other", file);
      std::filesystem::rename(folder_.File("other"), Site());
    }
    testing::internal::CaptureStderr();
    EXPECT_FALSE(agent_->SetProperties(change));
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(message.starts_with(start) && message.ends_with(end) &&
                message.size() == start.size() + digits + end.size())
        << message;
    EXPECT_EQ(folder_.Read("site.json"), file);
    EXPECT_FALSE(std::unique_ptr<NodePropertySet>(agent_->GetProperties())->PropertyExists("X"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path),
                            std::filesystem::directory_iterator()),
              1);  // no temporary file is left behind
  }

  unsetenv("ORBITANE_SIM_FAIL_BEFORE_RENAME");
  setenv("ORBITANE_SIM_READONLY", "1", 1);
  OpenSite();
  ASSERT_TRUE(Node(agent_->AddChild(Record({{"ipaddr", "10.6.0.1"}}))));
  EXPECT_EQ(Children(*agent_).size(), 3u);
  EXPECT_TRUE(agent_->SetProperties(big));
  testing::internal::CaptureStderr();
  EXPECT_TRUE(sim::Library::Get().Plan(false));
  EXPECT_TRUE(testing::internal::GetCapturedStderr().starts_with(
      sim + "a real run would refuse these changes: the installation would take 1342"));
  EXPECT_EQ(folder_.Read("site.json"), kSite);
}

// A read-only run's plan starts from the file as loaded: read again when it is still that file,
// none when another writer changed it meanwhile, unless the loaded text was kept.
TEST_F(Sim, AReadOnlyPlanStartsFromTheFileAsLoaded) {
  setenv("ORBITANE_SIM_READONLY", "1", 1);
  for (const bool kept : {false, true}) {
    folder_.Write("site.json", kSite);
    sim::Library::Get().KeepLoaded(kept);  // other tests in this process may have asked already
    OpenSite();
    NodePropertySet set;
    set.SetPropertyValue("X", "1");
    ASSERT_TRUE(agent_->SetProperties(set));
    std::optional<std::string> plan = sim::Library::Get().Plan(false);
    ASSERT_TRUE(plan) << kept;
    EXPECT_NE(plan->find("X"), std::string::npos) << *plan;
    folder_.Write("site.json", std::string(kSite) + " ");  // another writer
    EXPECT_EQ(sim::Library::Get().Plan(false) == plan, kept) << kept;
  }
}

// The baseline that the drift check of a run that writes takes lasts for that run's loads of its
// own file only: a later read-only load plans from what it loaded itself.
TEST_F(Sim, ABaselineLastsForTheWritingRunOfItsFileOnly) {
  auto withProperty = [](TreeNode& node, const char* name) {
    std::unique_ptr<NodePropertySet> set(node.GetProperties());
    set->SetPropertyValue(name, "1");
    return node.SetProperties(*set);
  };
  sim::Library::Get().KeepLoaded(true);  // as a run with a saved plan asks before its load
  OpenSite();
  const sim::Entry* agent = dynamic_cast<sim::SimNode&>(*agent_).Live();
  ASSERT_NE(agent, nullptr);
  const std::optional<std::string> record = sim::Library::Get().Fingerprints({{agent->id, "a"}});
  ASSERT_TRUE(record);
  ASSERT_EQ(sim::Library::Get().Drift(*record, 0), std::string());
  ASSERT_TRUE(withProperty(*agent_, "Y"));  // written back
  setenv("ORBITANE_SIM_READONLY", "1", 1);
  OpenSite(folder_.Read("site.json"));
  ASSERT_TRUE(withProperty(*agent_, "X"));
  const std::optional<std::string> plan = sim::Library::Get().Plan(false);
  ASSERT_TRUE(plan);
  EXPECT_NE(plan->find("X"), std::string::npos) << *plan;
  EXPECT_EQ(plan->find("Y"), std::string::npos) << *plan;
  sim::Library::Get().KeepLoaded(false);
}

TEST_F(Sim, TraceHasOneLinePerCallWithoutPasswords) {
  UseSite(kSite);
  setenv("ORBITANE_SIM_TRACE", folder_.File("trace").c_str(), 1);
  root_ = Open("KORAS", "admin", "s3cret");
  Node other = Agent("10.1.1.2", "6000", "agentpw");
  Seek(*other, Record({{"name", "x"}}));
  other->ExecuteCommand("reload", "a\tb\nc\\d");
  EXPECT_EQ(LinesStartingWith(folder_.Read("trace"), ""),
            (Lines{"initAPI", "GetRoot kind=distributed server=KORAS user=admin password=***",
                   "GetRootNode filename=nul",
                   "SupplyChildPassword Root ipaddr=10.1.1.2 port=6000 password=***",
                   "GetPotentialChild Root ipaddr=10.1.1.2 port=6000",
                   "GetChildWalker Agent 10.1.1.2:6000", "Seek Agent 10.1.1.2:6000 name=x",
                   "AtEnd Agent 10.1.1.2:6000",
                   "ExecuteCommand Agent 10.1.1.2:6000 reload a\\tb\\nc\\\\d"}));
}

}  // namespace
