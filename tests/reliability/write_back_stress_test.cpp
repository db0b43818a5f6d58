// Write-back under concurrent writers, through the program and a site file: of two commits that
// start from the same version, one fails and the other's change is kept. HXO_STRESS_PAIRS sets
// the number of rounds (20 by default).
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/process_runner.h"

namespace {

int Rounds(const char* variable, int fallback) {
  const char* value = std::getenv(variable);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

// hxo_cmdline -c commands on dir/site.json, standard error into dir/name.err; with piped,
// standard input and output are pipes to the test, else /dev/null.
struct Child {
  Child(const TempDir& dir, const std::string& name, const std::string& commands, bool piped) {
    int in[2] = {-1, -1}, out[2] = {-1, -1};
    if (piped && (pipe(in) != 0 || pipe(out) != 0)) throw std::runtime_error("pipe failed");
    const std::string site = dir.file("site.json"), err = dir.file(name + ".err");
    pid = fork();
    if (pid == 0) {
      int null = open("/dev/null", O_RDWR);
      dup2(piped ? in[0] : null, STDIN_FILENO);
      dup2(piped ? out[1] : null, STDOUT_FILENO);
      dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
      setenv("ORBITANE_SIM", site.c_str(), 1);
      unsetenv("ORBITANE_SIM_TRACE");
      execl(HXO_CMDLINE, HXO_CMDLINE, "-c", commands.c_str(), nullptr);
      _exit(127);
    }
    if (piped) {
      close(in[0]);
      close(out[1]);
      input = in[1];
      output = out[0];
    }
  }
  // Reads standard output until text has come (or the output ends).
  void Await(const std::string& text) {
    std::string seen;
    char buffer[256];
    for (ssize_t n = 1; n > 0 && seen.find(text) == std::string::npos;) {
      n = read(output, buffer, sizeof buffer);
      if (n > 0) seen.append(buffer, static_cast<size_t>(n));
    }
  }
  void Answer() {
    if (write(input, "\n", 1) != 1) ADD_FAILURE() << "cannot answer " << pid;
  }
  int Wait() {
    for (int* fd : {&input, &output}) {
      if (*fd >= 0) close(*fd);
      *fd = -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  pid_t pid;
  int input = -1;
  int output = -1;
};

std::string ReadFile(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), {});
}

TEST(WriteBackStress, OfTwoCommitsFromTheSameVersionOneFailsAndNoneIsLost) {
  TempDir dir;
  const std::string original = ReadFile(HXO_SOURCE_DIR "/examples/site.json");
  const int pairs = Rounds("HXO_STRESS_PAIRS", 20);
  for (int round = 0; round < pairs; ++round) {
    dir.write("site.json", original);
    // Both load the file, then wait at PAUSE until both are there.
    auto script = [](int value) {
      return "AGENT a 127.0.0.1\nPAUSE\na.SET POLL_INTERVAL " + std::to_string(value) +
             "\na.COMMIT\n";
    };
    Child first(dir, "first", script(1), true), second(dir, "second", script(2), true);
    first.Await("Press enter to continue ...");
    second.Await("Press enter to continue ...");
    first.Answer();
    second.Answer();
    const int firstStatus = first.Wait(), secondStatus = second.Wait();
    ASSERT_EQ(firstStatus + secondStatus, 1) << "round " << round << ": both or neither committed";
    const std::string loser = firstStatus == 0 ? "second" : "first";
    EXPECT_NE(dir.read(loser + ".err").find("changed by another process"), std::string::npos);
    const auto site = nlohmann::json::parse(dir.read("site.json"));
    EXPECT_EQ(site["agents"][0]["properties"]["POLL_INTERVAL"], firstStatus == 0 ? "1" : "2")
        << "round " << round << ": the successful commit was lost";
  }
}

}  // namespace
