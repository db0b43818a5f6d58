// HELP: prints the general screen or the text of one command.
#include "entry/script_session.h"
#include "interp/help_texts.h"
#include "interp/tokens.h"
#include "runtime/console.h"

bool ScriptSession::HandleHelp(int, const std::string& line, ScriptOptions&) {
  std::string topic = getToken(2, line);
  if (topic.empty()) topic = "HELP";
  const HelpTopics topics = BuildHelpTopics();
  auto found = topics.find(topic);
  if (found == topics.end()) {
    consoleError("No help available for %s.\n", topic.c_str());
    return false;
  }
  const HelpText& text = found->second;
  for (size_t i = 0; i < text.lineCount; ++i) consolePrint("%s\n", text.lines[i]);
  return false;
}
