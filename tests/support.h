// Running hxo_cmdline in a temporary folder, and the script tables the tests are made of.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct Result {
  std::string out, err;
  int code = -1;  // the exit status
};

// What the file at path holds; "" when it cannot be read.
inline std::string ReadWhole(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// A fresh folder, removed with everything in it.
class Folder {
 public:
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "hxo-test-XXXXXX").string();
    path = mkdtemp(pattern.data()) ? pattern : "";
  }
  ~Folder() { std::filesystem::remove_all(path); }
  std::string File(const std::string& name) const { return path + "/" + name; }
  std::string Read(const std::string& name) const { return ReadWhole(File(name)); }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(File(name), std::ios::binary) << text;
  }
  // Runs hxo_cmdline with arguments (shell words) inside the folder, input on standard input,
  // after env ("NAME=value ...") in a clean environment.
  Result Program(const std::string& arguments, const std::string& input = "",
                 const std::string& env = "") const {
    Write("stdin", input);
    const std::string command = "cd '" + path +
                                "' && env -u ORBITANE_SIM -u ORBITANE_SIM_TRACE -u LINES " + env +
                                " '" + HXO_CMDLINE + "' " + arguments + " <stdin >stdout 2>stderr";
    const int status = std::system(command.c_str());
    return {Read("stdout"), Read("stderr"), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
  }
  std::string path;
};

// The lines of text that begin with prefix.
inline std::vector<std::string> LinesStartingWith(const std::string& text,
                                                  const std::string& prefix) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}

// One row of a script table: the script, exactly what it prints on each stream, its exit status
// (the result code of the command that ended it) and its standard input.
struct Row {
  std::string script, out, err;
  int code;
  std::string input = "";
};

// One row of a shell table: a bash command line, run in a fresh folder with $HXO the program and
// $SITE the built-in installation's file, and exactly what it must print and its exit status.
struct ShellRow {
  const char* name;
  std::string command, input, out, err;
  int code;
};

// Runs a bash command line as a shell row does.
inline Result RunShell(const Folder& folder, const std::string& command,
                       const std::string& input = "") {
  folder.Write("command", command);
  folder.Write("stdin", input);
  const std::string run = "cd '" + folder.path +
                          "' && env -u ORBITANE_SIM -u ORBITANE_SIM_TRACE"
                          " -u LINES HXO='" HXO_CMDLINE "' SITE='" HXO_SOURCE_DIR
                          "/examples/site.json' bash -o pipefail command <stdin >out 2>err";
  const int status = std::system(run.c_str());
  return {folder.Read("out"), folder.Read("err"), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

template <size_t N>
void ExpectShellRows(const ShellRow (&rows)[N]) {
  for (const ShellRow& row : rows) {
    SCOPED_TRACE(row.name);
    Folder folder;
    const Result result = RunShell(folder, row.command, row.input);
    EXPECT_EQ(result.out, row.out);
    EXPECT_EQ(result.err, row.err);
    EXPECT_EQ(result.code, row.code);
  }
}
