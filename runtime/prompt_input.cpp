#include "runtime/prompt_input.h"

#include <fcntl.h>
#include <termios.h>
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

void WriteToTerminal(int fd, std::string_view text) {
  for (size_t written = 0; written < text.size();) {
    ssize_t n = write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
}

// One key from the terminal, the line discipline set aside for it (no echo, no waiting for
// Enter; Ctrl-C still interrupts), then everything else typed so far thrown away, so that no key
// meant for this prompt reaches the next command.
bool ReadTerminalKey(int fd, const termios& saved, char& key) {
  termios raw = saved;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(fd, TCSANOW, &raw) != 0) return false;
  ssize_t got;
  do {
    got = read(fd, &key, 1);
  } while (got < 0 && errno == EINTR && !InterruptRequested());
  tcflush(fd, TCIFLUSH);
  tcsetattr(fd, TCSANOW, &saved);
  WriteToTerminal(fd, "\n");
  return got == 1 && key != saved.c_cc[VEOF];
}

}  // namespace

void SetPromptChannel(PromptChannel newChannel) { channel = newChannel; }

bool AskForAnswer(Console& console, std::string_view prompt, std::string& answer) {
  answer.clear();
  if (InterruptRequested()) return false;
  switch (channel) {
    case PromptChannel::Standard: {
      console.Write(prompt);
      const bool read = console.ReadLine(answer);
      return read && !InterruptRequested();
    }
    case PromptChannel::Terminal: {
      const int fd = TerminalFd();
      if (fd < 0) return false;
      console.FlushOutput();
      WriteToTerminal(fd, prompt);
      return ReadTerminalLine(fd, answer) && !InterruptRequested();
    }
    case PromptChannel::None:
      break;
  }
  return false;
}

bool AskForKey(Console& console, std::string_view prompt, char& key) {
  key = '\0';
  termios saved;
  const int fd = channel == PromptChannel::Terminal ? TerminalFd() : -1;
  if (fd < 0 || InterruptRequested() || tcgetattr(fd, &saved) != 0) {
    std::string answer;
    const bool answered = AskForAnswer(console, prompt, answer);
    if (!answer.empty()) key = answer[0];
    return answered;
  }
  console.FlushOutput();
  WriteToTerminal(fd, prompt);
  return ReadTerminalKey(fd, saved, key) && !InterruptRequested();
}
