// Checking scripts without running them and without an installation: every line against the
// command table, the numbers and switches commands need, comments that are not comments, object
// names used before they are declared or after they are dropped, INCLUDEd files (followed), and
// passwords written into the script.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

struct Diagnostic {
  std::string file;
  int line = 0;    // from 1; 0 for a problem with the file itself
  int column = 0;  // from 1, in bytes; 0 with line 0
  bool error = true;
  std::string message;
};

class ScriptChecker {
 public:
  // Checks the script file at path and what it INCLUDEs; objects declared by earlier scripts
  // of the same checker count as declared, as they would in one run.
  void CheckFile(const std::string& path);
  // Checks text as the script named name.
  void CheckText(const std::string& name, std::string_view text);

  const std::vector<Diagnostic>& diagnostics() const { return reported; }
  int errors() const { return errorCount; }
  int warnings() const { return static_cast<int>(reported.size()) - errorCount; }

 private:
  enum class Kind { Unknown, Agent, Broker, Dsm, Target, Autoconfig };
  struct Declared {
    Kind kind = Kind::Unknown;
    bool dropped = false;
    std::string where;  // "file:line" of the DROP that dropped it
  };
  // A line being checked, split into its words once.
  struct Place {
    const std::string& file;
    int line;
    std::string_view text;
    const std::vector<std::string_view>& words;
    // Word n (from 1), empty past the last; the number of words.
    std::string_view Word(unsigned n) const {
      return n >= 1 && n <= words.size() ? words[n - 1] : std::string_view();
    }
    unsigned count() const { return static_cast<unsigned>(words.size()); }
    // The offset of word n in the line, or the line's end past the last word.
    size_t Offset(unsigned n) const {
      return n >= 1 && n <= words.size() ? static_cast<size_t>(words[n - 1].data() - text.data())
                                         : text.size();
    }
  };

  void CheckFileAt(const std::string& path, const Place* includedFrom);
  void CheckLine(const Place& place);
  void CheckSessionCommand(const Place& place, std::string_view name);
  void CheckSubcommand(const Place& place, std::string_view object, std::string_view name);
  // Whether object is declared and not dropped; a reserved name is not, and is reported only
  // where the subcommand refuses one.
  bool CheckObjectName(const Place& place, std::string_view object, bool reservedAllowed,
                       std::string_view subcommand);
  // Whether token holds a name a new object may take (no separator, not reserved); reported if
  // not.
  bool AcceptNewName(const Place& place, unsigned token);
  void Declare(std::string_view name, Kind kind);
  void CheckPort(const Place& place, unsigned token);
  void CheckNumber(const Place& place, unsigned token, const char* what);
  void Report(const Place& place, size_t offset, bool error, std::string message);
  void ReportAtToken(const Place& place, unsigned token, bool error, std::string message);

  std::map<std::string, Declared, std::less<>> declaredObjects;
  std::vector<std::string> includeStack;
  size_t includesFollowed = 0;
  std::vector<Diagnostic> reported;
  int errorCount = 0;
};

// The diagnostics as "file:line:column: error: text" lines, or as one JSON document with the
// counts.
std::string FormatDiagnostics(const ScriptChecker& checker, bool json);
