// PRINT (ECHO) and PAUSE (PROMPT): talking to the person running the script.
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/prompt_input.h"
#include "runtime/tokens.h"

// What HELP prints for these commands.
extern const char* const kPrintHelp[] = {
    "SYNTAX: PRINT [text]",
    "",
    "Prints the text on the screen as it is written, or a blank line when",
    "no text is given. ECHO does the same.",
    nullptr,
};

extern const char* const kPauseHelp[] = {
    "SYNTAX: PAUSE [prompt]",
    "",
    "Shows the prompt, or \"Press enter to continue ...\" when none is given,",
    "and waits until Enter is pressed. Anything typed before Enter is",
    "ignored. PROMPT does the same.",
    nullptr,
};

bool HandlePrint(CommandContext& command) {
  command.console.Write(RestOfLineView(2, command.line));
  command.console.Write("\n");
  return true;
}

bool HandlePause(CommandContext& command) {
  const std::string prompt = restOfLine(2, command.line);
  std::string answer;
  AskForAnswer(command.console,
               prompt.empty() ? std::string_view("Press enter to continue ...") : prompt, answer);
  return true;
}
