#include "interp/script_check.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "interp/command_table.h"
#include "model/object_kind.h"
#include "props/log_switches.h"
#include "runtime/c_number.h"
#include "runtime/case_insensitive.h"
#include "runtime/tokens.h"

namespace {

// As deep as the interpreter lets scripts nest.
constexpr size_t kMaxIncludeDepth = 100;
// INCLUDEs followed in one check at most, so that files that include each other several times
// cannot make the check take for ever.
constexpr size_t kMaxIncludesFollowed = 10000;

constexpr char kPasswordWarning[] =
    "a password written in the script stays in it and in its history; give it in a separate "
    "file kept private";

// The words of line between the delimiters, as the tokenizer finds them.
void SplitWords(std::string_view line, std::vector<std::string_view>& words) {
  words.clear();
  for (size_t at = line.find_first_not_of(kDelimiters); at != std::string_view::npos;) {
    const size_t end = line.find_first_of(kDelimiters, at);
    words.push_back(line.substr(at, end - at));
    at = end == std::string_view::npos ? end : line.find_first_not_of(kDelimiters, end);
  }
}

bool IsNumber(std::string_view token) {
  if (!token.empty() && (token[0] == '+' || token[0] == '-')) token.remove_prefix(1);
  return !token.empty() && token.find_first_not_of("0123456789") == std::string_view::npos;
}

bool IsReserved(std::string_view name) { return isReservedObjectName(std::string(name).c_str()); }

// Commands and subcommands (the word after the object's separator) whose parameters are free
// text, where a '#' is simply part of it.
bool TakesFreeText(std::string_view command) {
  for (const char* name : {"PRINT", "ECHO", "PAUSE", "PROMPT", "EXEC", "HELP", "RUN"}) {
    if (EqualsIgnoringCase(command, name)) return true;
  }
  return false;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

void ScriptChecker::CheckFile(const std::string& path) { CheckFileAt(path, nullptr); }

void ScriptChecker::CheckFileAt(const std::string& path, const Place* includedFrom) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) {
    const std::string reason = std::strerror(errno);
    if (includedFrom != nullptr) {
      ReportAtToken(*includedFrom, 2, true,
                    "INCLUDE of " + Quoted(path) + ", which cannot be read: " + reason);
    } else {
      reported.push_back({path, 0, 0, true, "cannot read the script: " + reason});
      ++errorCount;
    }
    return;
  }
  const std::string text(std::istreambuf_iterator<char>(stream), {});
  includeStack.push_back(path);
  CheckText(path, text);
  includeStack.pop_back();
}

void ScriptChecker::CheckText(const std::string& name, std::string_view text) {
  int lineNumber = 0;
  std::vector<std::string_view> words;  // of the line being checked, reused
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    // The text of a line ends at a NUL byte, as the interpreter reads it.
    if (size_t nul = line.find('\0'); nul != std::string_view::npos) line = line.substr(0, nul);
    SplitWords(line, words);
    CheckLine({name, ++lineNumber, line, words});
    start = end + 1;
  }
}

void ScriptChecker::Report(const Place& place, size_t offset, bool error, std::string message) {
  reported.push_back(
      {place.file, place.line, static_cast<int>(offset) + 1, error, std::move(message)});
  errorCount += error;
}

void ScriptChecker::ReportAtToken(const Place& place, unsigned token, bool error,
                                  std::string message) {
  Report(place, place.Offset(token), error, std::move(message));
}

void ScriptChecker::CheckLine(const Place& place) {
  const std::string_view line = place.text;
  if (line.empty() || line[0] == '#') return;
  const std::string_view word = place.Word(1);
  if (word.empty()) return;  // a blank line
  if (word[0] == '#') {
    ReportAtToken(place, 1, true,
                  "a comment starts with '#' in the first column; this line is run as the "
                  "unknown command " +
                      Quoted(word));
    return;
  }
  if (word[0] == '!') return;  // a history reference: what it runs is known only when it runs

  const unsigned count = place.count();
  if (!TakesFreeText(word.substr(word.find('.') + 1))) {
    for (unsigned n = 2; n <= count; ++n) {
      if (place.Word(n)[0] != '#') continue;
      ReportAtToken(place, n, false,
                    "'#' starts a comment only in the first column: " +
                        Quoted(RestOfLineView(n, line)) + " is part of the parameters");
      break;
    }
  }

  if (SessionCommandLookup().Find(word) != nullptr) {
    CheckSessionCommand(place, word);
    return;
  }
  const size_t separator = word.find('.');
  if (separator == std::string_view::npos) {
    ReportAtToken(place, 1, true, "Unknown command: " + std::string(word) + ".");
    return;
  }
  if (separator == 0) {
    ReportAtToken(place, 1, true, "Bad object name \"\".");
    return;
  }
  CheckSubcommand(place, word.substr(0, separator), word.substr(separator + 1));
}

void ScriptChecker::CheckNumber(const Place& place, unsigned token, const char* what) {
  const std::string_view value = place.Word(token);
  if (!IsNumber(value)) {
    ReportAtToken(place, token, true, std::string(what) + " needs a number, not " + Quoted(value));
  }
}

void ScriptChecker::CheckPort(const Place& place, unsigned token) {
  const std::string_view port = place.Word(token);
  if (port.empty()) return;
  const int number = ParseIntLikeAtoi(port);
  // 0 stands for the default port; anything else out of range would be taken as another one.
  if (!IsNumber(port) || number < 0 || number > 65535) {
    ReportAtToken(place, token, true,
                  "a port is a number from 1 to 65535 (0: the default), not " + Quoted(port));
  }
}

bool ScriptChecker::AcceptNewName(const Place& place, unsigned token) {
  const std::string_view name = place.Word(token);
  if (name.find('.') == std::string_view::npos && !IsReserved(name)) return true;
  ReportAtToken(place, token, true, "Bad object name " + Quoted(name) + ".");
  return false;
}

void ScriptChecker::Declare(std::string_view name, Kind kind) {
  Declared& declared = declaredObjects[std::string(name)];
  declared = Declared{kind, false, ""};
}

void ScriptChecker::CheckSessionCommand(const Place& place, std::string_view name) {
  const CommandRow& row = *SessionCommandLookup().Find(name);
  const unsigned count = place.count();
  if (count < row.minimumTokens) {
    ReportAtToken(place, count + 1, true,
                  std::string("Insufficient paramaters for ") + row.name + " command.");
    return;
  }
  const std::string_view command = row.name;
  if (command == "SET") {
    const std::string_view option = place.Word(2), value = place.Word(3);
    if (EqualsIgnoringCase(option, "CONTINUE")) {
      if (!EqualsIgnoringCase(value, "ON") && !EqualsIgnoringCase(value, "OFF") &&
          !EqualsIgnoringCase(value, "TYPO")) {
        ReportAtToken(place, 3, true, "ON, OFF or TYPO paramater expected for CONTINUE.");
      }
    } else if (EqualsIgnoringCase(option, "QUIET") || EqualsIgnoringCase(option, "VERBOSE") ||
               EqualsIgnoringCase(option, "STEPPING")) {
      if (!EqualsIgnoringCase(value, "ON") && !EqualsIgnoringCase(value, "OFF")) {
        ReportAtToken(place, 3, true,
                      "ON or OFF paramater expected for " + std::string(option) + ".");
      }
    } else if (EqualsIgnoringCase(option, "LINES")) {
      const int lines = ParseIntLikeAtoi(value);
      if (!IsNumber(value)) {
        CheckNumber(place, 3, "SET LINES");
      } else if (lines == 1 || lines < 0) {
        ReportAtToken(place, 3, true, "LINES PER PAGE must be any posetive number except 1.");
      }
    } else if (EqualsIgnoringCase(option, "DELAY")) {
      if (!IsNumber(value)) {
        CheckNumber(place, 3, "SET DELAY");
      } else if (ParseIntLikeAtoi(value) < 1) {
        ReportAtToken(place, 3, true, "FOLLOW DELAY must be any posetive number above 0.");
      }
    } else {
      ReportAtToken(place, 2, true, "Invalid option used with SET command.");
    }
  } else if (command == "SLEEP") {
    CheckNumber(place, 2, "SLEEP");
  } else if (command == "AUTH") {
    if (count >= 4) ReportAtToken(place, 4, false, kPasswordWarning);
  } else if (command == "AGENT") {
    const std::string_view object = place.Word(2);
    if (!AcceptNewName(place, 2)) return;
    if (auto found = declaredObjects.find(object);
        found != declaredObjects.end() && !found->second.dropped) {
      ReportAtToken(place, 2, true, "Redeclaration of existing object " + Quoted(object) + ".");
    }
    CheckPort(place, 4);
    if (count >= 5) ReportAtToken(place, 5, false, kPasswordWarning);
    Declare(object, Kind::Agent);
  } else if (command == "DROP") {
    // DROP forgets the names it knows and passes over the others.
    const std::string where = place.file + ":" + std::to_string(place.line);
    for (unsigned n = 2; n <= count; ++n) {
      const std::string_view object = place.Word(n);
      if (EqualsIgnoringCase(object, "ALL")) {
        for (auto& [name, declared] : declaredObjects) declared = {declared.kind, true, where};
        return;
      }
      auto found = declaredObjects.find(object);
      if (found == declaredObjects.end() ||
          (found->second.dropped && found->second.where != where)) {
        ReportAtToken(place, n, false,
                      "object " + Quoted(object) + " is not declared here: DROP passes it over");
      } else {
        found->second = {found->second.kind, true, where};
      }
    }
  } else if (command == "INCLUDE") {
    const std::string path(place.Word(2));
    if (++includesFollowed > kMaxIncludesFollowed) {
      if (includesFollowed == kMaxIncludesFollowed + 1) {
        ReportAtToken(place, 2, false,
                      "not followed: more than " + std::to_string(kMaxIncludesFollowed) +
                          " INCLUDEs in one check");
      }
      return;
    }
    if (includeStack.size() >= kMaxIncludeDepth) {
      ReportAtToken(place, 2, true,
                    "scripts may be nested at most " + std::to_string(kMaxIncludeDepth) + " deep");
      return;
    }
    CheckFileAt(path, &place);
  }
}

bool ScriptChecker::CheckObjectName(const Place& place, std::string_view object,
                                    bool reservedAllowed, std::string_view subcommand) {
  if (IsReserved(object)) {
    if (!reservedAllowed) {
      ReportAtToken(
          place, 1, true,
          "Subcommand " + std::string(subcommand) + " may not be used on reserved objects.");
    }
    return false;
  }
  auto found = declaredObjects.find(object);
  if (found == declaredObjects.end()) {
    ReportAtToken(place, 1, true,
                  "object " + Quoted(object) +
                      " is not declared: AGENT, SPAWN or ADD declares it before its first use");
    return false;
  }
  if (found->second.dropped) {
    ReportAtToken(place, 1, true,
                  "object " + Quoted(object) + " was dropped at " + found->second.where);
    return false;
  }
  return true;
}

void ScriptChecker::CheckSubcommand(const Place& place, std::string_view object,
                                    std::string_view name) {
  const CommandRow* row = ObjectSubcommandLookup().Find(name);
  if (row == nullptr) {
    Report(place, place.Offset(1) + object.size() + 1, true,
           "Unknown subcommand: " + std::string(name) + ".");
    return;
  }
  const bool declared = CheckObjectName(place, object, !row->registeredObjectOnly, row->name);
  const Kind parent = declared ? declaredObjects.find(object)->second.kind : Kind::Unknown;
  const std::string_view line = place.text;
  const unsigned count = place.count();
  if (count < row->minimumTokens) {
    ReportAtToken(place, count + 1, true,
                  std::string("Insufficient paramaters for ") + row->name + " subcommand.");
    return;
  }
  const std::string_view subcommand = row->name;
  if (subcommand == "ADD" || subcommand == "SPAWN") {
    unsigned switches = 0;
    if (subcommand == "ADD") {
      for (unsigned n = 2; n <= count && place.Word(n)[0] == '-'; ++n) {
        ++switches;
        if (place.Word(n).find_first_not_of('f', 1) != std::string_view::npos) {
          ReportAtToken(place, n, true, "Invalid switch used in ADD subcommand.");
        }
      }
    }
    const unsigned nameToken = switches + 2;
    const std::string_view child = place.Word(nameToken);
    if (child.empty()) {
      ReportAtToken(place, nameToken, true,
                    std::string("Insufficient paramaters for ") + row->name + " subcommand.");
      return;
    }
    if (!AcceptNewName(place, nameToken)) return;
    const std::string_view form = place.Word(nameToken + 1);
    Kind kind = Kind::Unknown;
    if (subcommand == "SPAWN" && EqualsIgnoringCase(form, "BROKER")) {
      kind = Kind::Broker;
    } else if (subcommand == "SPAWN" && EqualsIgnoringCase(form, "AUTOCONFIG")) {
      kind = Kind::Autoconfig;
    } else if (parent == Kind::Agent) {
      kind = Kind::Broker;
      CheckPort(place, nameToken + 2);
      if (count >= nameToken + 3) ReportAtToken(place, nameToken + 3, false, kPasswordWarning);
    } else if (parent == Kind::Broker) {
      kind = Kind::Dsm;
    } else if (parent == Kind::Dsm) {
      kind = Kind::Target;
    }
    Declare(child, kind);
  } else if (subcommand == "PASSWORD") {
    if (count >= 2) ReportAtToken(place, 2, false, kPasswordWarning);
  } else if (subcommand == "QPK") {
    if (count >= 2) CheckNumber(place, 2, "a rule");
    if (count >= 3) {
      const std::string_view value = place.Word(3);
      if (!EqualsIgnoringCase(value, "DEFAULT")) {
        CheckNumber(place, 3, "a rule value");
        // -1 removes the object's own value.
        const int number = ParseIntLikeAtoi(value);
        if (IsNumber(value) && (number < -1 || number > 10)) {
          ReportAtToken(place, 3, false,
                        "rule values go from 0 to 10 (-1 removes the value), not " + Quoted(value));
        }
      }
    }
  } else if (subcommand == "LOG") {
    const LogSwitchParse parse = ParseLogSwitches(line);
    if (parse.error != LogSwitchError::kNone) {
      ReportAtToken(place, 2, true, LogSwitchMessage(parse));
    }
  }
}

std::string FormatDiagnostics(const ScriptChecker& checker, bool json) {
  if (json) {
    nlohmann::json document = {{"errors", checker.errors()},
                               {"warnings", checker.warnings()},
                               {"diagnostics", nlohmann::json::array()}};
    for (const Diagnostic& diagnostic : checker.diagnostics()) {
      document["diagnostics"].push_back({{"file", diagnostic.file},
                                         {"line", diagnostic.line},
                                         {"column", diagnostic.column},
                                         {"severity", diagnostic.error ? "error" : "warning"},
                                         {"message", diagnostic.message}});
    }
    return document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  }
  std::string text;
  for (const Diagnostic& diagnostic : checker.diagnostics()) {
    text += diagnostic.file;
    if (diagnostic.line > 0) {
      text += ":" + std::to_string(diagnostic.line) + ":" + std::to_string(diagnostic.column);
    }
    text += diagnostic.error ? ": error: " : ": warning: ";
    text += diagnostic.message;
    text += '\n';
  }
  return text;
}
