// Helpers of the simulator's tests.
#include "sim_support.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace simtest {

const char* const kSmallSite = R"({
  "format": 1,
  "server": "KORAS",
  "users": { "root": "", "admin": "s3cret" },
  "unreachable": ["10.9.9.9"],
  "rules": [ { "number": 12, "description": "Interface down" },
             { "number": 7, "description": "CPU \"high\"" } ],
  "agents": [
    {
      "ipaddr": "10.1.1.1",
      "properties": { "POLL_INTERVAL": "60", "qpk_own": "12 5" },
      "logs": [ "first line\nsecond line\n", "backup one\n" ],
      "brokers": [
        {
          "ipaddr": "10.1.1.1", "port": 5465, "local": true, "version": "4.2",
          "properties": { "EVENT_BUFFER": "100" },
          "autoconfig": { "properties": { "SCAN": "10.2.0.0/24" }, "reconfig": { "polls": 2, "result": 3 } },
          "dsms": [
            { "name": "dsm1", "password": "dsmpw",
              "targets": [ { "ipaddr": "10.2.0.1" },
                           { "ipaddr": "10.2.0.2", "community": "Private" } ] },
            { "name": "Edge", "targets": [] }
          ]
        },
        { "ipaddr": "10.1.1.20", "port": 5466, "password": "brokerpw", "alive": false }
      ]
    },
    { "ipaddr": "10.1.1.2", "port": 6000, "password": "agentpw", "commands": ["Ping"] }
  ]
})";

ChildDefinitionData Record(std::initializer_list<std::pair<const char*, const char*>> entries) {
  ChildDefinitionData record;
  for (const auto& [key, value] : entries) record.setv(key, value);
  return record;
}

std::optional<std::string> Item(TreeNode& node, const std::string& item) {
  char* text = node.GetNamedDataItem(item.c_str());
  if (text == nullptr) return std::nullopt;
  std::string copy(text);
  SharedHeapFree(text);
  return copy;
}

namespace {

std::string Identity(TreeNode& node) {
  std::string text = node.GetTypeName();
  for (const auto& [key, value] : node.GetDefinitionData().entries()) {
    if (key != "sim_id") text += " " + key + "=" + value;
  }
  return text;
}

void DumpNode(TreeNode& node, const std::string& indent, std::string& out) {
  out += indent + Identity(node) + (node.NodeIsAlive() ? "" : " (dead)") + "\n";
  if (std::unique_ptr<NodePropertySet> set{node.GetProperties()}) {
    struct Lines : NameValueActionAlgorithm {
      void Process(const char* name, const char* value, action_t action) override {
        *out += *indent + "  property " + name + "=" + value + " action " +
                std::to_string(action) + "\n";
      }
      std::string* out;
      const std::string* indent;
    } lines;
    lines.out = &out;
    lines.indent = &indent;
    set->DoForEachProperty(lines);
  }
  if (auto version = Item(node, "version:1")) out += indent + "  version " + *version + "\n";
  for (int backup = 0;; ++backup) {
    // A tail request never feeds a followed log, so the dump changes nothing.
    auto log = Item(node, "log:" + std::to_string(backup) + ":1000000000");
    if (!log) break;
    out += indent + "  log " + std::to_string(backup) + " " + *log + "\n";
  }
  if (std::string(node.GetTypeName()) == "Broker") {
    if (Node autoconfig{node.GetPotentialChild(Record({{"kind", "autoconfig"}}))}) {
      DumpNode(*autoconfig, indent + "  ", out);
    }
  }
  if (Walker walker{node.GetChildWalker()}) {
    for (walker->First(); !walker->AtEnd(); walker->Next()) {
      Node child{walker->Current()};
      if (child) DumpNode(*child, indent + "  ", out);
    }
  }
}

}  // namespace

std::vector<std::string> Children(TreeNode& node) {
  std::vector<std::string> names;
  Walker walker{node.GetChildWalker()};
  if (!walker) return names;
  for (walker->First(); !walker->AtEnd(); walker->Next()) {
    Node child{walker->Current()};
    names.push_back(child ? Identity(*child) : "(null)");
  }
  return names;
}

std::string Dump(TreeNode& root) {
  std::string out;
  if (auto rules = Item(root, "rulelist")) out += "rules\n" + *rules;
  DumpNode(root, "", out);
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
}

void SimTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "simtest.XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  folder_ = pattern;
  for (const char* name : {"ORBITANE_SIM", "ORBITANE_SIM_TRACE", "ORBITANE_SIM_READONLY",
                           "ORBITANE_SIM_FAIL_BEFORE_RENAME"}) {
    unsetenv(name);
  }
}

void SimTest::TearDown() {
  Close();
  for (const char* name : {"ORBITANE_SIM", "ORBITANE_SIM_TRACE", "ORBITANE_SIM_READONLY",
                           "ORBITANE_SIM_FAIL_BEFORE_RENAME"}) {
    unsetenv(name);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string SimTest::UseSite(const std::string& json) {
  std::string path = Path("site.json");
  WriteFile(path, json);
  setenv("ORBITANE_SIM", path.c_str(), 1);
  return path;
}

Node SimTest::Open(const char* server, const char* user, const char* password) {
  initAPI();
  open_ = true;
  holder_.reset(TreeRootHolder::GetRoot("distributed", server, user, password));
  if (!holder_) return nullptr;
  return Node(holder_->GetRootNode(Record({{"filename", "nul"}})));
}

void SimTest::Close() {
  holder_.reset();
  if (open_) destroyAPI();
  open_ = false;
}

Node SimTest::Seek(TreeNode& node, const ChildDefinitionData& record) {
  Walker walker{node.GetChildWalker()};
  if (!walker) return nullptr;
  walker->Seek(record);
  return walker->AtEnd() ? nullptr : Node(walker->Current());
}

Node SimTest::Agent(TreeNode& root, const char* ipaddr, const char* port, const char* password) {
  ChildDefinitionData record = Record({{"ipaddr", ipaddr}, {"port", port}});
  root.SupplyChildPassword(record, password);
  return Node(root.GetPotentialChild(record));
}

}  // namespace simtest
