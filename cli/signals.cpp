#include "cli/signals.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>

#include "hxo/hxo.h"

namespace {

std::atomic<int> pendingInterrupts{0};
std::atomic<bool> everInterrupted{false};
bool atTerminal = false;

void OnInterrupt(int) {
  everInterrupted.store(true);
  if (pendingInterrupts.fetch_add(1) >= 1 && !atTerminal) {
    signal(SIGINT, SIG_DFL);
    raise(SIGINT);
  }
  HXO_RequestInterrupt();
}

void SetWindowPageLength(int) {
  struct winsize size;
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0) {
    HXO_SetPageLength(size.ws_row);
  }
}

void Catch(int signalNumber, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a read waiting for an answer returns at once
  sigaction(signalNumber, &action, nullptr);
}

}  // namespace

void CatchInterrupts(bool terminalSession) {
  atTerminal = terminalSession;
  Catch(SIGINT, OnInterrupt);
}

bool TakeInterrupt() { return pendingInterrupts.exchange(0) != 0; }

bool WasInterrupted() { return everInterrupted.load(); }

void PageByWindowHeight() {
  SetWindowPageLength(0);
  Catch(SIGWINCH, SetWindowPageLength);
}
