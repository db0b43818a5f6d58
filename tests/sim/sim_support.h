// Fixture of the simulator's tests: a temporary folder for site and trace files, the environment
// variables the library reads, and helpers that talk to the library only through its interface.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "orbitane/orbitaneapi.h"

namespace simtest {

using Node = std::unique_ptr<TreeNode>;
using Walker = std::unique_ptr<TreeWalker>;

ChildDefinitionData Record(std::initializer_list<std::pair<const char*, const char*>> entries);

// The text of a named data item (freed with SharedHeapFree), or none for a null reply.
std::optional<std::string> Item(TreeNode& node, const std::string& item);

// The names of the children that a walker visits from First to AtEnd, each as "Type identity".
std::vector<std::string> Children(TreeNode& node);

// Every node reachable from the root with what the interface shows of it, one line per fact.
std::string Dump(TreeNode& root);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  // Writes site.json in the temporary folder and points ORBITANE_SIM at it.
  std::string UseSite(const std::string& json);
  // initAPI, then GetRoot and GetRootNode with the given credentials; null root on failure.
  Node Open(const char* server = "KORAS", const char* user = "root", const char* password = "");
  // destroyAPI (after dropping the holder) and the next Open loads again.
  void Close();

  // Looks a child up with Seek on node's walker; null when AtEnd.
  static Node Seek(TreeNode& node, const ChildDefinitionData& record);
  static Node Agent(TreeNode& root, const char* ipaddr, const char* port = "5465",
                    const char* password = "");

 private:
  std::string folder_;
  std::unique_ptr<TreeRootHolder> holder_;
  bool open_ = false;
};

// A small site used by most tests: one agent with a local broker (version, autoconfig, DSM with
// targets), a second broker without version, a password-protected agent, rules and logs.
extern const char* const kSmallSite;

}  // namespace simtest
