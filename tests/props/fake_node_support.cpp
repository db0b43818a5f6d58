#include "fake_node.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "objects/server_session.h"
#include "objects/process_state.h"

namespace {

class FakeWalker : public TreeWalker {
 public:
  explicit FakeWalker(const std::vector<ChildDefinitionData>& records) : records(records) {}
  void Next() override { ++position; }
  bool AtEnd() override { return position >= records.size(); }
  void First() override { position = 0; }
  void Seek(const ChildDefinitionData&) override { position = records.size(); }
  TreeNode* Current() override { return AtEnd() ? nullptr : new FakeNode(records[position]); }

 private:
  const std::vector<ChildDefinitionData>& records;
  size_t position = 0;
};

}  // namespace

NodePropertySet* FakeNode::GetProperties() {
  ++getPropertiesCalls;
  if (failGetProperties) return nullptr;
  auto* set = new NodePropertySet();
  for (const auto& [name, value] : properties) {
    set->SetPropertyValueWithAction(name.c_str(), value.c_str(), ACTION_NONE);
  }
  return set;
}

bool FakeNode::SetProperties(const NodePropertySet& set) {
  ++setPropertiesCalls;
  if (failSetProperties) return false;
  struct Copier : NameValueActionAlgorithm {
    std::map<std::string, std::string> values;
    void Process(const char* name, const char* value, action_t) override { values[name] = value; }
  } copier;
  set.DoForEachProperty(copier);
  properties = std::move(copier.values);
  return true;
}

TreeWalker* FakeNode::GetChildWalker() { return new FakeWalker(children); }

char* FakeNode::GetNamedDataItem(const char* item) {
  requests.push_back(item);
  if (std::string(item).rfind("log:", 0) == 0) return AnswerLogRequest(item);
  if (std::string(item) == "autoconfig_status" && !statusReplies.empty()) {
    std::string reply = statusReplies.front();
    if (statusReplies.size() > 1) statusReplies.erase(statusReplies.begin());
    return SharedHeapStrdup(reply.c_str());
  }
  auto found = items.find(item);
  return found == items.end() ? nullptr : SharedHeapStrdup(found->second.c_str());
}

char* FakeNode::AnswerLogRequest(const char* item) {
  long backup = 0, offset = 0, size = 0;
  int consumed = 0;
  const bool piece = std::sscanf(item, "log:%ld:%ld:%ld%n", &backup, &offset, &size, &consumed) == 3 &&
                     item[consumed] == '\0';
  if (!piece && !(std::sscanf(item, "log:%ld:%ld%n", &backup, &size, &consumed) == 2 &&
                   item[consumed] == '\0')) {
    return nullptr;
  }
  if (backup < 0 || static_cast<size_t>(backup) >= logs.size()) return nullptr;
  std::string& log = logs[backup];
  if (!piece) {
    const size_t start = log.size() > static_cast<size_t>(size) ? log.size() - size : 0;
    return SharedHeapStrdup((std::to_string(start) + "\n" + log.substr(start)).c_str());
  }
  const size_t from = static_cast<size_t>(std::max(0L, offset));
  if (backup == 0 && from + size >= log.size() && feedUsed < logFeed.size()) {
    log += logFeed[feedUsed++] + "\n";
  }
  if (from >= log.size()) return SharedHeapStrdup("");
  return SharedHeapStrdup(log.substr(from, size).c_str());
}

bool FakeNode::ExecuteCommand(const char* command, const char* arguments) {
  journal.push_back(std::string(command) + (*arguments != '\0' ? std::string(" ") + arguments : ""));
  return std::find(acceptedCommands.begin(), acceptedCommands.end(), command) !=
         acceptedCommands.end();
}

void InstallFakeServerSession() {
  ServerSession*& session = ProcessState::Get().serverSession;
  if (session == nullptr) session = new ServerSession();
}
