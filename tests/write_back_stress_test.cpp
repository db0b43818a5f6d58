// Write-back under kills and concurrent writers, through the program and a site file: a commit
// killed at any moment leaves the old or the new installation whole, and no temporary file once
// the next run has loaded it; of two commits that start from the same version, one fails and
// the other's change is kept. HXO_STRESS_KILLS and HXO_STRESS_PAIRS set the number of rounds
// (100 kills and 20 pairs by default).
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support.h"

namespace {

int Rounds(const char* variable, int fallback) {
  const char* value = std::getenv(variable);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

// hxo_cmdline -c commands against the folder's site.json, its standard error in NAME.err.
struct Child {
  Child(const Folder& folder, const std::string& name, const std::string& commands,
        const char* failBeforeRename = "") {
    const std::string site = folder.File("site.json"), err = folder.File(name + ".err");
    pid = fork();
    if (pid == 0) {
      const int null = open("/dev/null", O_RDWR);
      dup2(null, STDIN_FILENO);
      dup2(null, STDOUT_FILENO);
      dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
      setenv("ORBITANE_SIM", site.c_str(), 1);
      setenv("ORBITANE_SIM_FAIL_BEFORE_RENAME", failBeforeRename, 1);
      unsetenv("ORBITANE_SIM_TRACE");
      execl(HXO_CMDLINE, HXO_CMDLINE, "-c", commands.c_str(), nullptr);
      _exit(127);
    }
  }
  int Wait() {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  pid_t pid;
};

const std::string kCommit = "AGENT a 127.0.0.1\na.SET POLL_INTERVAL 7\na.COMMIT\n";

TEST(WriteBackStress, AKilledCommitLeavesAWholeFileAndNoTemporaryFile) {
  Folder dir;
  const std::string original = ReadWhole(HXO_SOURCE_DIR "/examples/site.json");
  // The versions a commit passes through: the properties written, then the reload journaled.
  dir.Write("site.json", original);
  ASSERT_EQ(Child(dir, "mid", kCommit, "2").Wait(), 0);
  const std::string afterProperties = dir.Read("site.json");
  dir.Write("site.json", original);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Child(dir, "new", kCommit).Wait(), 0);
  const auto runTime = std::chrono::steady_clock::now() - start;
  const std::string committed = dir.Read("site.json");
  ASSERT_NE(afterProperties, original);
  ASSERT_NE(committed, afterProperties);

  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<long long> moment(
      0, std::chrono::duration_cast<std::chrono::microseconds>(runTime).count());
  const int kills = Rounds("HXO_STRESS_KILLS", 100);
  int found[3] = {0, 0, 0}, leftBehind = 0;
  for (int round = 0; round < kills; ++round) {
    dir.Write("site.json", original);
    Child child(dir, "killed", kCommit);
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    kill(child.pid, SIGKILL);
    child.Wait();
    const std::string text = dir.Read("site.json");
    const int version = text == original          ? 0
                        : text == afterProperties ? 1
                        : text == committed       ? 2
                                                  : -1;
    ASSERT_NE(version, -1) << "a torn file after kill " << round << ":\n" << text.substr(0, 200);
    ++found[version];
    const std::string prefix = "site.json.tmp." + std::to_string(child.pid);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path)) {
      leftBehind += entry.path().filename().string().starts_with(prefix);
    }
  }
  // The next run that loads the file removes what the killed writers left.
  EXPECT_EQ(Child(dir, "load", "AUTH KORAS root").Wait(), 0);
  for (const auto& entry : std::filesystem::directory_iterator(dir.path)) {
    EXPECT_EQ(entry.path().string().find(".tmp."), std::string::npos) << entry.path();
  }
  std::printf(
      "%d kills: %d old, %d with the properties, %d committed files; %d left temporary "
      "files, all removed by the next load\n",
      kills, found[0], found[1], found[2], leftBehind);
}

TEST(WriteBackStress, OfTwoCommitsFromTheSameVersionOneFailsAndNoneIsLost) {
  Folder dir;
  const std::string original = ReadWhole(HXO_SOURCE_DIR "/examples/site.json");
  const int pairs = Rounds("HXO_STRESS_PAIRS", 20);
  for (int round = 0; round < pairs; ++round) {
    dir.Write("site.json", original);
    // Each writer loads the site, then waits at a barrier until both have, so that both
    // commit from the same version.
    for (const char* name : {"go", "first.ready", "second.ready"})
      std::filesystem::remove(dir.File(name));
    auto script = [&](const std::string& name, int value) {
      return "AGENT a 127.0.0.1\nEXEC touch '" + dir.File(name + ".ready") + "'; while [ ! -e '" +
             dir.File("go") + "' ]; do sleep 0.002; done\na.SET POLL_INTERVAL " +
             std::to_string(value) + "\na.COMMIT\n";
    };
    Child first(dir, "first", script("first", 1)), second(dir, "second", script("second", 2));
    while (!std::filesystem::exists(dir.File("first.ready")) ||
           !std::filesystem::exists(dir.File("second.ready"))) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    dir.Write("go", "");
    const int firstStatus = first.Wait(), secondStatus = second.Wait();
    ASSERT_EQ(firstStatus + secondStatus, 1) << "round " << round << ": both or neither committed";
    const std::string loser = firstStatus == 0 ? "second" : "first";
    EXPECT_NE(dir.Read(loser + ".err").find("changed by another process"), std::string::npos);
    const auto site = nlohmann::json::parse(dir.Read("site.json"));
    EXPECT_EQ(site["agents"][0]["properties"]["POLL_INTERVAL"], firstStatus == 0 ? "1" : "2")
        << "round " << round << ": the successful commit was lost";
  }
}

}  // namespace
