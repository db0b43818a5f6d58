// The help topics: names, lookups ignoring case, and the shape of every text.
#include "interp/help_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> linesOf(const HelpText& text) {
  return std::vector<std::string>(text.lines, text.lines + text.lineCount);
}

// The lines joined by blanks, so that a phrase broken over two lines is still found.
std::string joined(const HelpText& text) {
  std::string all;
  for (size_t i = 0; i < text.lineCount; ++i) {
    if (i > 0) all += ' ';
    all += text.lines[i];
  }
  return all;
}

const HelpText& lookUp(const HelpTopics& topics, std::string_view name) {
  auto found = topics.find(name);
  if (found == topics.end()) {
    ADD_FAILURE() << "no topic " << name;
    static const HelpText kNone{nullptr, 0};
    return kNone;
  }
  return found->second;
}

struct TextShape {
  const char* topic;
  size_t lineCount;
  std::vector<std::string> syntaxLines;  // in the order they appear
};

const std::vector<TextShape>& commandTexts() {
  static const std::vector<TextShape> kTexts = {
      {"SET", 33, {"SYNTAX: SET <option> <value>"}},
      {"INCLUDE", 13, {"SYNTAX: INCLUDE <file>"}},
      {"ABORT", 8, {"SYNTAX: ABORT [ALL]"}},
      {"QUIT", 5, {"SYNTAX: QUIT"}},
      {"HISTORY", 18, {"SYNTAX: HISTORY [CLEAR|SAVE <file>]"}},
      {"AUTH", 12, {"SYNTAX: AUTH <server> <username> [password]"}},
      {"AGENT", 10, {"SYNTAX: AGENT <name> <ipaddr> [port [password]]"}},
      {"DROP", 8, {"SYNTAX: DROP <ALL|objects ...>"}},
      {"OBJECTS", 6, {"SYNTAX: OBJECTS"}},
      {"PRINT", 4, {"SYNTAX: PRINT [text]"}},
      {"PAUSE", 5, {"SYNTAX: PAUSE [prompt]"}},
      {"SLEEP", 4, {"SYNTAX: SLEEP <secs>"}},
      {"EXEC", 5, {"SYNTAX: EXEC <command>"}},
      {"obj.ADD",
       25,
       {"SYNTAX: obj.ADD [flags] <name> <ipaddr> [port [password]]",
        "SYNTAX: object.ADD [flags] <name> <ipaddr> [community]"}},
      {"obj.SPAWN",
       53,
       {"SYNTAX: obj.SPAWN <name> <ipaddr> [port [password]]",
        "SYNTAX: obj.SPAWN <name> <dsmname>",
        "SYNTAX:  obj.SPAWN <name> <ipaddr> [community]",
        "SYNTAX: object.SPAWN <name> BROKER",
        "SYNTAX: object.SPAWN <name> AUTOCONFIG"}},
      {"obj.DEL", 8, {"SYNTAX: obj.DEL <ALL|objects ...>"}},
      {"obj.LIST", 19, {"SYNTAX: obj.LIST"}},
      {"obj.PASSWORD", 6, {"SYNTAX: obj.PASSWORD"}},
      {"obj.SET", 25, {"SYNTAX: obj.SET [option [value]]"}},
      {"obj.UNSET", 5, {"SYNTAX: obj.UNSET <option>"}},
      {"obj.RESET", 6, {"SYNTAX: obj.RESET <option>"}},
      {"obj.COMMIT", 7, {"SYNTAX: obj.COMMIT"}},
      {"obj.QPK", 18, {"SYNTAX: obj.QPK [rule [DEFAULT|value]]"}},
      {"obj.LOG", 18, {"SYNTAX: obj.LOG [flags] [backup_number]"}},
      {"obj.RUN", 11, {"SYNTAX: obj.RUN <command> [parameters ...]"}},
  };
  return kTexts;
}

const std::vector<std::string> kGeneralScreen = {
    "Halvex/Orbitane command-line configuration utility.",
    "",
    "You may use HELP <command> to get more detailed help on any command that",
    "is not executed on an object, or HELP obj.<command> to get more detailed",
    "help on any command that is executed on an object.",
    "",
    "Commands that are not executed on an object are:",
    "SET       INCLUDE   ABORT     DROP      HISTORY   AUTH      ",
    "AGENT     OBJECTS   PRINT     PAUSE     SLEEP     EXEC      ",
    "QUIT      HELP                                              ",
    "",
    "Commands that are executed on an object are:",
    "ADD       SPAWN     DEL       LIST      PASSWORD  SET       ",
    "RESET     UNSET     COMMIT    QPK       LOG       RUN       ",
};

TEST(HelpTopicsTest, HoldsExactlyTheTopicNames) {
  const std::set<std::string> expected = {
      "HELP",       "SET",          "INCLUDE",    "ABORT",     "QUIT",      "EXIT",
      "BYE",        "HISTORY",      "AUTH",       "AGENT",     "DROP",      "OBJECTS",
      "PRINT",      "ECHO",         "PAUSE",      "PROMPT",    "SLEEP",     "EXEC",
      "obj.ADD",    "obj.SPAWN",    "obj.DEL",    "obj.LIST",  "obj.PASSWORD",
      "obj.PASSWD", "obj.PASS",     "obj.SET",    "obj.UNSET", "obj.RESET", "obj.COMMIT",
      "obj.QPK",    "obj.LOG",      "obj.RUN",    "obj.EXEC"};
  HelpTopics topics = BuildHelpTopics();
  std::set<std::string> names;
  for (const auto& [name, text] : topics) names.insert(name);
  EXPECT_EQ(names, expected);
}

TEST(HelpTopicsTest, LookupIgnoresCaseAndAliasesShareTheirMainText) {
  struct Lookup {
    const char* asked;
    const char* topic;
  };
  const Lookup kLookups[] = {
      {"EXIT", "QUIT"},         {"bye", "QUIT"},          {"Echo", "PRINT"},
      {"PROMPT", "PAUSE"},      {"obj.PASSWD", "obj.PASSWORD"}, {"obj.pass", "obj.PASSWORD"},
      {"Obj.Exec", "obj.RUN"},  {"help", "HELP"},         {"OBJ.add", "obj.ADD"},
      {"history", "HISTORY"},   {"obj.qpk", "obj.QPK"},
  };
  HelpTopics topics = BuildHelpTopics();
  for (const Lookup& lookup : kLookups) {
    auto found = topics.find(std::string_view(lookup.asked));
    ASSERT_NE(found, topics.end()) << lookup.asked;
    EXPECT_EQ(found->second.lines, lookUp(topics, lookup.topic).lines) << lookup.asked;
  }
  // The session commands SET and EXEC and the object subcommands of the same names differ.
  EXPECT_NE(lookUp(topics, "SET").lines, lookUp(topics, "obj.SET").lines);
  EXPECT_NE(lookUp(topics, "EXEC").lines, lookUp(topics, "obj.EXEC").lines);
}

TEST(HelpTopicsTest, OnlyWholeTopicNamesAreFound) {
  HelpTopics topics = BuildHelpTopics();
  for (const char* asked :
       {"ADD", "a1.ADD", "agent1.SPAWN", "obj.", "obj", "", "HEL", "HELPS", "obj.ADD extra",
        "PASSWORD", "obj.ECHO", "obj.HELP", "DEL"}) {
    EXPECT_EQ(topics.find(std::string_view(asked)), topics.end()) << '"' << asked << '"';
  }
}

TEST(HelpTextsTest, GeneralScreenIsExact) {
  HelpTopics topics = BuildHelpTopics();
  const HelpText& general = lookUp(topics, "HELP");
  EXPECT_EQ(linesOf(general), kGeneralScreen);  // the command columns are 60 wide
}

TEST(HelpTextsTest, CommandTextsHaveTheirLengthAndSyntaxLines) {
  HelpTopics topics = BuildHelpTopics();
  for (const TextShape& shape : commandTexts()) {
    SCOPED_TRACE(shape.topic);
    std::vector<std::string> lines = linesOf(lookUp(topics, shape.topic));
    if (lines.size() != shape.lineCount) {
      ADD_FAILURE() << lines.size() << " lines instead of " << shape.lineCount;
      continue;
    }
    EXPECT_EQ(lines[0], shape.syntaxLines.front());
    EXPECT_EQ(lines[1], "");

    // Every SYNTAX line is one of the listed ones, in the listed order, and opens a form:
    // a blank line after it, and a blank line before it unless it opens the text.
    std::vector<std::string> seen;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].rfind("SYNTAX:", 0) != 0) continue;
      seen.push_back(lines[i]);
      if (i + 1 == lines.size()) {
        ADD_FAILURE() << "text ends with its SYNTAX line";
        break;
      }
      EXPECT_EQ(lines[i + 1], "") << "after line " << i + 1;
      if (i > 0) {
        EXPECT_EQ(lines[i - 1], "") << "before line " << i + 1;
      }
    }
    EXPECT_EQ(seen, shape.syntaxLines);
  }
}

TEST(HelpTextsTest, LinesFitAndCarryNoStrayBlanks) {
  HelpTopics topics = BuildHelpTopics();
  for (const auto& [name, text] : topics) {
    SCOPED_TRACE(name);
    std::vector<std::string> lines = linesOf(text);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back(), "") << "text ends with a blank line";
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      EXPECT_LE(line.size(), 73u) << "line " << i + 1 << ": " << line;
      EXPECT_EQ(line.find_first_of("\t\r\n"), std::string::npos) << "line " << i + 1;
      for (char c : line) {
        EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "line " << i + 1 << " is not plain ASCII";
      }
      if (i > 0) {
        EXPECT_FALSE(line.empty() && lines[i - 1].empty()) << "double blank at line " << i + 1;
      }
      // Only the column lines of the general screen keep trailing blanks.
      if (name != "HELP" && !line.empty()) {
        EXPECT_NE(line.back(), ' ') << "trailing blank on line " << i + 1 << ": " << line;
      }
    }
  }
}

// The quoted lines must appear exactly, and where given, next to each other.
TEST(HelpTextsTest, FixedLinesAppearInPlace) {
  struct FixedBlock {
    const char* topic;
    std::vector<std::string> block;  // consecutive lines
  };
  const std::vector<FixedBlock> kBlocks = {
      {"obj.ADD",
       {"Available flags for this command are:",
        "    -f    Force addition of the broker, even if it is uncontactable.",
        "",
        "SYNTAX: object.ADD [flags] <name> <ipaddr> [community]"}},
      {"obj.ADD",
       {"Available flags for this command are:",
        "    -f    Force addition of the target, even if it is uncontactable."}},
      {"obj.LOG",
       {"Available flags for this command are:",
        "    -f    Follow the log file once the end is reached.",
        "    -i    Provide an EOF prompt once the end is reached.",
        "    -t n  Start the display n lines in from the end of the file."}},
      {"obj.RUN",
       {"OBJECT TYPE   COMMAND   DESCRIPTION",
        "AGENT         restart   Restarts or starts the agent.",
        "DSM           reconfig  Reconfigures all targets on the DSM.",
        "TARGET        reconfig  Reconfigures this target only.",
        "BROKER        update    Force an update (reconnect to update server)."}},
  };
  HelpTopics topics = BuildHelpTopics();
  for (const FixedBlock& fixed : kBlocks) {
    SCOPED_TRACE(std::string(fixed.topic) + ": " + fixed.block.front());
    std::vector<std::string> lines = linesOf(lookUp(topics, fixed.topic));
    bool found = false;
    for (size_t start = 0; !found && start + fixed.block.size() <= lines.size(); ++start) {
      found = std::equal(fixed.block.begin(), fixed.block.end(), lines.begin() + start);
    }
    EXPECT_TRUE(found);
  }

  // Each form of ADD ends with its flags: the target's flag line closes the text, the RUN
  // table closes RUN.
  EXPECT_EQ(linesOf(lookUp(topics, "obj.ADD")).back(),
            "    -f    Force addition of the target, even if it is uncontactable.");
  EXPECT_EQ(linesOf(lookUp(topics, "obj.RUN")).back(),
            "BROKER        update    Force an update (reconnect to update server).");
}

TEST(HelpTextsTest, TextsNameWhatTheyMust) {
  struct Phrase {
    const char* topic;
    const char* phrase;
  };
  const Phrase kPhrases[] = {
      {"SET", "this session of hxo_cmdline"},
      {"obj.RESET", "this session of hxo_cmdline"},
      {"PAUSE", "\"Press enter to continue ...\""},
      {"AGENT", "5465"},
      {"obj.ADD", "5465"},
      {"obj.ADD", "\"public\""},
      {"AUTH", "KORAS"},
      {"SET", "CONTINUE"},
      {"SET", "TYPO"},
      {"SET", "VERBOSE"},
      {"SET", "QUIET"},
      {"SET", "STEPPING"},
      {"SET", "LINES"},
      {"SET", "DELAY"},
      {"obj.LIST", "--more--"},
      {"obj.SET", "--more--"},
      {"obj.QPK", "--more--"},
      {"obj.LOG", "--more--"},
      {"obj.LOG", "--EOF--"},
      {"obj.SET", "*.props"},
  };
  HelpTopics topics = BuildHelpTopics();
  for (const Phrase& phrase : kPhrases) {
    EXPECT_NE(joined(lookUp(topics, phrase.topic)).find(phrase.phrase), std::string::npos)
        << phrase.topic << " should mention " << phrase.phrase;
  }
}

}  // namespace
