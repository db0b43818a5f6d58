#include "runtime/prompt_input.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "runtime/console.h"
#include "runtime/interrupt.h"

namespace {

PromptChannel channel = PromptChannel::Standard;
int terminalFd = -1;  // opened at the first prompt that needs it, kept open

int TerminalFd() {
  if (terminalFd < 0) terminalFd = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
  return terminalFd;
}

// Reads up to a line end byte by byte, so nothing typed after it is taken from the terminal.
bool ReadTerminalLine(int fd, std::string& answer) {
  char byte;
  for (;;) {
    ssize_t got = read(fd, &byte, 1);
    if (got < 0 && errno == EINTR && !InterruptRequested()) continue;
    if (got <= 0) return false;
    if (byte == '\n') return true;
    answer.push_back(byte);
  }
}

}  // namespace

void SetPromptChannel(PromptChannel newChannel) { channel = newChannel; }

bool AskForAnswer(std::string_view prompt, std::string& answer) {
  answer.clear();
  if (InterruptRequested()) return false;
  switch (channel) {
    case PromptChannel::Standard: {
      ConsoleWrite(prompt);
      const bool read = ConsoleReadLine(answer);
      return read && !InterruptRequested();
    }
    case PromptChannel::Terminal: {
      const int fd = TerminalFd();
      if (fd < 0) return false;
      std::fflush(stdout);
      for (size_t written = 0; written < prompt.size();) {
        ssize_t n = write(fd, prompt.data() + written, prompt.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<size_t>(n);
      }
      return ReadTerminalLine(fd, answer) && !InterruptRequested();
    }
    case PromptChannel::None:
      break;
  }
  return false;
}
