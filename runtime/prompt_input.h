// Where the answers to the pager's prompts, PAUSE and STEPPING come from. By default the prompt
// is written to standard output and the answer read from standard input, as a script's prompts
// always were. A program whose script arrives on standard input sends them to the controlling
// terminal instead, so that no script line is taken for an answer; with no terminal a prompt
// shows nothing and its answer is the end of input.
#pragma once

#include <string>
#include <string_view>

class Console;

enum class PromptChannel {
  Standard,  // prompt on standard output, answer from standard input
  Terminal,  // both on the controlling terminal (/dev/tty); None when there is none
  None,      // no prompt text; every answer is the end of input
};

void SetPromptChannel(PromptChannel channel);

// Shows prompt and reads one answer line, without its line end, on the console (or the
// terminal, after flushing the console's standard output). False with an empty answer at
// the end of input, without a terminal, or when an interrupt is requested while it waits.
bool AskForAnswer(Console& console, std::string_view prompt, std::string& answer);

// As AskForAnswer for a prompt answered by one key, as a pager's: at a terminal the first key
// pressed is the answer, without Enter, and whatever else was typed is discarded; from a file
// the first character of the next line. False as AskForAnswer.
bool AskForKey(Console& console, std::string_view prompt, char& key);
