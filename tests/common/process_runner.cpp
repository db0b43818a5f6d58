#include "common/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

void closeIfOpen(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

ProcessResult runProcess(const ProcessLaunch& launch) {
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0) {
    throw std::runtime_error("pipe failed");
  }
  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    dup2(inPipe[0], STDIN_FILENO);
    dup2(outPipe[1], STDOUT_FILENO);
    dup2(launch.mergeErrorIntoOutput ? outPipe[1] : errPipe[1], STDERR_FILENO);
    for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
      close(fd);
    }
    for (const auto& [name, value] : launch.environment) {
      if (value.empty()) {
        unsetenv(name.c_str());
      } else {
        setenv(name.c_str(), value.c_str(), 1);
      }
    }
    if (!launch.workingDirectory.empty() && chdir(launch.workingDirectory.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    for (const std::string& argument : launch.arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  int inFd = inPipe[1], outFd = outPipe[0], errFd = errPipe[0];
  signal(SIGPIPE, SIG_IGN);
  fcntl(inFd, F_SETFL, O_NONBLOCK);

  ProcessResult result;
  size_t written = 0;
  if (launch.input.empty()) closeIfOpen(inFd);
  char buffer[65536];
  while (outFd >= 0 || errFd >= 0) {
    pollfd fds[3];
    int count = 0;
    if (inFd >= 0) fds[count++] = {inFd, POLLOUT, 0};
    if (outFd >= 0) fds[count++] = {outFd, POLLIN, 0};
    if (errFd >= 0) fds[count++] = {errFd, POLLIN, 0};
    if (poll(fds, count, -1) < 0) continue;
    for (int i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == inFd) {
        ssize_t n = write(inFd, launch.input.data() + written, launch.input.size() - written);
        if (n > 0) written += static_cast<size_t>(n);
        if (n < 0 && errno != EAGAIN) written = launch.input.size();
        if (written == launch.input.size()) closeIfOpen(inFd);
      } else {
        int& fd = fds[i].fd == outFd ? outFd : errFd;
        std::string& sink = fds[i].fd == outFd ? result.out : result.err;
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
          sink.append(buffer, static_cast<size_t>(n));
        } else {
          closeIfOpen(fd);
        }
      }
    }
  }
  closeIfOpen(inFd);
  int status = 0;
  waitpid(child, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

ProcessResult runCmdline(std::vector<std::string> arguments, const std::string& input,
                         std::vector<std::pair<std::string, std::string>> environment) {
  ProcessLaunch launch;
  launch.arguments.push_back(HXO_CMDLINE);
  for (std::string& argument : arguments) launch.arguments.push_back(std::move(argument));
  launch.input = input;
  launch.environment = std::move(environment);
  return runProcess(launch);
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "hxo-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

std::string TempDir::write(const std::string& name, const std::string& content) const {
  std::string path = file(name);
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

std::string TempDir::read(const std::string& name) const {
  std::ifstream stream(file(name), std::ios::binary);
  std::stringstream contents;
  contents << stream.rdbuf();
  return contents.str();
}

ProcessResult runScriptIn(const TempDir& dir, const std::string& name, const std::string& script,
                          const std::string& input,
                          std::vector<std::pair<std::string, std::string>> environment,
                          bool mergeErrorIntoOutput) {
  dir.write(name, script);
  ProcessLaunch launch;
  launch.arguments = {HXO_CMDLINE, name};
  launch.input = input;
  launch.environment = std::move(environment);
  launch.workingDirectory = dir.path();
  launch.mergeErrorIntoOutput = mergeErrorIntoOutput;
  return runProcess(launch);
}
