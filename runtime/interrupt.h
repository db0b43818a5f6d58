// A request from outside the engine (the program's Ctrl-C handler) to end the running command.
// Waits and prompts look at it and stop early; the interpreter loop then reports the command as
// interrupted once.
#pragma once

#include <chrono>

class Console;

// Asks the running command to end. Safe to call from a signal handler.
void RequestInterrupt();
// Whether an interrupt was requested and not yet cleared.
bool InterruptRequested();
// Whether it was requested and nobody has reported it yet; marks it reported.
bool TakeUnreportedInterrupt();
// Forgets the request (a new line is being read at the terminal).
void ClearInterrupt();

// Flushes the console's standard output, so that a reader at the far end of a pipe sees everything
// printed so far, then waits duration. False, at once or part way, when an interrupt is requested.
bool WaitUnlessInterrupted(Console& console, std::chrono::milliseconds duration);
