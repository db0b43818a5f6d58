// Writing changes back to the site file: round trips, other writers, interrupted writes, and the
// read-only mode.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>

#include "sim_support.h"

namespace simtest {
namespace {

class SimWriteBack : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    path_ = UseSite(kSmallSite);
    root_ = Open();
    ASSERT_TRUE(root_);
    agent_ = Agent(*root_, "10.1.1.1");
    ASSERT_TRUE(agent_);
  }
  void TearDown() override {
    agent_.reset();
    root_.reset();
    SimTest::TearDown();
  }
  // Ends the session and opens a new one on the same file.
  void Reopen() {
    agent_.reset();
    root_.reset();
    Close();
    root_ = Open();
    ASSERT_TRUE(root_);
    agent_ = Agent(*root_, "10.1.1.1");
  }
  std::string path_;
  Node root_, agent_;
};

TEST_F(SimWriteBack, EveryChangeIsThereAfterAReload) {
  const std::string before = Dump(*root_);
  Node broker{agent_->GetPotentialChild(Record({{"kind", "broker"}}))};
  Node dsm = Seek(*broker, Record({{"name", "dsm1"}}));
  NodePropertySet set;
  set.SetPropertyValue("POLL_INTERVAL", "30");
  set.SetPropertyValue("quote\"and\\slash", "line\nbreak \xC3\xA9");
  ASSERT_TRUE(agent_->SetProperties(set));
  ASSERT_TRUE(Node(agent_->AddChild(Record({{"ipaddr", "10.6.0.1"}, {"port", "9000"}}))));
  ASSERT_TRUE(Node(dsm->AddChild(Record({{"ipaddr", "10.2.0.77"}, {"community", "c2"}}))));
  ASSERT_TRUE(dsm->RemoveChildByData(Record({{"ipaddr", "10.2.0.1"}})));
  ASSERT_TRUE(root_->ChangeChildPassword(dsm->GetDefinitionData(), "newpw"));
  ASSERT_TRUE(dsm->ExecuteCommand("reconfig", "full"));
  ASSERT_FALSE(dsm->ExecuteCommand("explode", ""));
  const std::string changed = Dump(*root_);
  EXPECT_NE(changed, before);
  dsm.reset();
  broker.reset();

  Reopen();
  EXPECT_EQ(Dump(*root_), changed);
  const std::string file = ReadFile(path_);
  EXPECT_NE(file.find(R"("journal": [
                "reconfig full",
                "explode"
              ])"), std::string::npos) << file;
  EXPECT_NE(file.find(R"("password": "newpw")"), std::string::npos);
  // The reconfiguration that the command started goes on in the next session.
  broker.reset(agent_->GetPotentialChild(Record({{"kind", "broker"}})));
  dsm = Seek(*broker, Record({{"name", "dsm1"}}));
  EXPECT_EQ(Item(*dsm, "autoconfig_status"), "1 0");
}

TEST_F(SimWriteBack, TheWrittenFileSpellsOutIdentitiesAndIsStable) {
  ASSERT_TRUE(agent_->ExecuteCommand("restart", ""));
  const std::string first = ReadFile(path_);
  EXPECT_NE(first.find(R"("ipaddr": "10.2.0.1",
                  "community": "public")"), std::string::npos) << first;
  EXPECT_NE(first.find(R"("ipaddr": "10.1.1.1",
      "port": 5465)"), std::string::npos);
  // Writing the same installation again gives the same bytes.
  Reopen();
  std::unique_ptr<NodePropertySet> current{agent_->GetProperties()};
  ASSERT_TRUE(agent_->SetProperties(*current));
  EXPECT_EQ(ReadFile(path_), first);
}

TEST_F(SimWriteBack, AnotherWriterMakesTheChangeFailAndKeepsItsFile) {
  const std::string theirs = ReadFile(path_) + "\n";  // same installation, other bytes
  WriteFile(path_ + ".other", theirs);
  std::filesystem::rename(path_ + ".other", path_);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(agent_->ExecuteCommand("restart", ""));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "orbitane sim: " + path_ + ": the installation file was changed by another process\n");
  EXPECT_EQ(ReadFile(path_), theirs);
  // The failed change left nothing behind in memory either.
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(Node(agent_->AddChild(Record({{"ipaddr", "10.6.0.1"}}))), nullptr);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(Children(*agent_).size(), 2u);
}

TEST_F(SimWriteBack, AnInPlaceEditByAnotherWriterIsNoticedToo) {
  std::string text = ReadFile(path_);
  text.replace(text.find("Interface down"), 14, "Interface DOWN");
  WriteFile(path_, text);  // same inode, same size
  struct timespec times[2] = {{0, UTIME_OMIT}, {1, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path_.c_str(), times, 0), 0);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(agent_->SetProperties(NodePropertySet()));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("changed by another process"), std::string::npos);
}

TEST_F(SimWriteBack, AWriteInterruptedBeforeTheRenameLeavesTheOldFile) {
  const std::string before = ReadFile(path_);
  setenv("ORBITANE_SIM_FAIL_BEFORE_RENAME", "1", 1);
  Reopen();
  ::testing::internal::CaptureStderr();
  NodePropertySet set;
  set.SetPropertyValue("X", "1");
  EXPECT_FALSE(agent_->SetProperties(set));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "orbitane sim: " + path_ +
                ": stopped before the rename (ORBITANE_SIM_FAIL_BEFORE_RENAME is set)\n");
  EXPECT_EQ(ReadFile(path_), before);
  EXPECT_FALSE(std::unique_ptr<NodePropertySet>(agent_->GetProperties())->PropertyExists("X"));
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Path(""))) files += !entry.is_directory();
  EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}

TEST_F(SimWriteBack, ReadOnlyKeepsChangesInMemoryOnly) {
  const std::string before = ReadFile(path_);
  setenv("ORBITANE_SIM_READONLY", "1", 1);
  Reopen();
  ASSERT_TRUE(Node(agent_->AddChild(Record({{"ipaddr", "10.6.0.1"}}))));
  EXPECT_EQ(Children(*agent_).size(), 3u);
  EXPECT_EQ(ReadFile(path_), before);
}

TEST_F(SimWriteBack, TheBuiltInInstallationIsNeverWritten) {
  unsetenv("ORBITANE_SIM");
  agent_.reset();
  root_.reset();
  Close();
  const std::string cwd = std::filesystem::current_path();
  std::filesystem::current_path(Path(""));
  root_ = Open();
  Node agent = Agent(*root_, "127.0.0.1");
  ASSERT_TRUE(agent);
  EXPECT_TRUE(agent->ExecuteCommand("restart", ""));
  // The folder still holds only the site file of the fixture, untouched.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("")),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_EQ(ReadFile(path_), kSmallSite);
  std::filesystem::current_path(cwd);
}

}  // namespace
}  // namespace simtest
