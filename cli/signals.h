// Ctrl-C and window resizes for hxo_cmdline.
#pragma once

// Ctrl-C asks the engine to end the running command (HXO_RequestInterrupt) and interrupts a
// read in progress. In a script run a second Ctrl-C, while the first is still being acted on,
// ends the program at once.
void CatchInterrupts(bool terminalSession);
// Whether Ctrl-C was pressed since the last call; clears it.
bool TakeInterrupt();
// Whether Ctrl-C was pressed at any time during the run.
bool WasInterrupted();

// Pages by the height of the terminal that standard output is, following resizes.
void PageByWindowHeight();
