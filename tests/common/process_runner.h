// Running the program (or any command) in a child process with a prepared standard input,
// capturing standard output, standard error and the exit status.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ProcessResult {
  std::string out;
  std::string err;
  int exitCode = -1;  // the exit status, or 128 + signal
};

struct ProcessLaunch {
  std::vector<std::string> arguments;  // arguments[0] is the program
  std::string input;                   // standard input, closed after it
  std::vector<std::pair<std::string, std::string>> environment;  // set (empty value: unset)
  std::string workingDirectory;        // empty: the test's own
  bool mergeErrorIntoOutput = false;   // 2>&1, to check the order of everything printed
};

ProcessResult runProcess(const ProcessLaunch& launch);

// hxo_cmdline with the given arguments and standard input.
ProcessResult runCmdline(std::vector<std::string> arguments, const std::string& input = "",
                         std::vector<std::pair<std::string, std::string>> environment = {});

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return root; }
  // The full path of name inside the folder.
  std::string file(const std::string& name) const { return root + "/" + name; }
  // Writes content to name and returns its full path.
  std::string write(const std::string& name, const std::string& content) const;
  std::string read(const std::string& name) const;

 private:
  std::string root;
};

// Writes script as file name in dir and runs hxo_cmdline on it from inside dir, so that the
// script's messages carry the short name.
ProcessResult runScriptIn(const TempDir& dir, const std::string& name, const std::string& script,
                          const std::string& input = "",
                          std::vector<std::pair<std::string, std::string>> environment = {},
                          bool mergeErrorIntoOutput = false);
