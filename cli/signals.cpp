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

// restart: whether a read the signal interrupts goes on (a resize) or returns (Ctrl-C, so that
// a read waiting for an answer ends at once).
void Catch(int signalNumber, void (*handler)(int), bool restart) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = restart ? SA_RESTART : 0;
  sigaction(signalNumber, &action, nullptr);
}

}  // namespace

void CatchInterrupts(bool terminalSession) {
  atTerminal = terminalSession;
  Catch(SIGINT, OnInterrupt, false);
}

bool TakeInterrupt() { return pendingInterrupts.exchange(0) != 0; }

bool WasInterrupted() { return everInterrupted.load(); }

void PageByWindowHeight() {
  SetWindowPageLength(0);
  Catch(SIGWINCH, SetWindowPageLength, true);
}
