// The interactive session of hxo_cmdline: lines come through the line editor, are remembered
// (but never a line holding a password), and the end of input warns once about uncommitted
// changes before it leaves.
#pragma once

// Runs the session on the terminal and gives its result code.
int RunTerminalSession();
