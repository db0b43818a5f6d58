// Help texts of the commands that are not executed on an object.
#include "interp/help_texts_internal.h"

namespace help_texts {
namespace {

constexpr const char* kSetLines[] = {
    "SYNTAX: SET <option> <value>",
    "",
    "Changes an option of this session of hxo_cmdline. The change holds for",
    "the rest of the current script and for the scripts it includes from",
    "then on, but not for the script that included it. Option names and the",
    "words ON, OFF and TYPO may be written in any case. The options are:",
    "",
    "CONTINUE  ON, TYPO or OFF. With ON the script goes on after any failed",
    "          command. With TYPO it goes on only after mistyped commands,",
    "          such as an unknown command, an unknown option or a missing",
    "          parameter; other failures end it. With OFF, the default, the",
    "          first failure ends the script. CONTINUE must be set again in",
    "          each script that needs it.",
    "",
    "VERBOSE   ON or OFF. With ON a confirmation is printed for every",
    "          command that succeeds; with OFF none is printed.",
    "          The default is OFF.",
    "",
    "QUIET     ON or OFF. With ON, the default, no prompt is shown while",
    "          commands are typed in, and a failed obj.SPAWN on a DSM",
    "          object is not reported (it still counts as a failure).",
    "",
    "STEPPING  ON or OFF. With ON you are asked before each command is",
    "          run. The default is OFF.",
    "",
    "LINES     The number of lines per page of long listings, which stop",
    "          at a --more-- prompt after each page. 0 stops page breaks",
    "          altogether; 1 is not allowed. The default is taken from the",
    "          LINES environment variable, or else 25.",
    "",
    "DELAY     The number of seconds between checks for new lines while a",
    "          log file is followed with obj.LOG -f. It must be above 0.",
    "          The default is 5.",
};

constexpr const char* kIncludeLines[] = {
    "SYNTAX: INCLUDE <file>",
    "",
    "Runs the commands of another script file, then goes on with the line",
    "after the INCLUDE. A relative path is taken from the directory of the",
    "hxo_cmdline executable; an absolute path may also be given. The file",
    "name may not contain blanks.",
    "",
    "The included script starts with the settings of this script as they",
    "stand; changes it makes with SET do not pass back. Objects it creates",
    "or changes, and the authentication with the Ilvaris, carry over.",
    "",
    "A script that is already running cannot be included again, so a script",
    "can never include itself, neither directly nor through another script.",
};

constexpr const char* kAbortLines[] = {
    "SYNTAX: ABORT [ALL]",
    "",
    "Ends the current script without committing its settings; changes made",
    "with obj.ADD and obj.DEL stay in effect. A script that included this",
    "one goes on with its next line.",
    "",
    "ABORT ALL ends every running script and the program. Both forms report",
    "an error, even when VERBOSE is OFF.",
};

constexpr const char* kQuitLines[] = {
    "SYNTAX: QUIT",
    "",
    "Ends every running script and the program, as ABORT ALL does, but says",
    "good-bye (when VERBOSE is ON) instead of reporting an error. EXIT and",
    "BYE do the same. Settings that were not committed are lost.",
};

constexpr const char* kHistoryLines[] = {
    "SYNTAX: HISTORY [CLEAR|SAVE <file>]",
    "",
    "Without a parameter, lists the commands run since the start of this",
    "script or since the last HISTORY CLEAR, each with its number.",
    "",
    "HISTORY CLEAR empties the list.",
    "",
    "HISTORY SAVE <file> writes the commands of the list, without numbers,",
    "to the named file, replacing any file of that name. The file can later",
    "be run as a script with INCLUDE.",
    "",
    "Only commands that succeeded are kept: failed commands are never",
    "stored, nor are HISTORY itself, HELP, ABORT or QUIT.",
    "",
    "A line made of ! and an entry number runs that command again, so !3",
    "repeats the third command of the list. A ! followed by a negative",
    "number counts back from the end of the list instead: !-1 repeats the",
    "last command.",
};

constexpr const char* kAuthLines[] = {
    "SYNTAX: AUTH <server> <username> [password]",
    "",
    "Authenticates with the Ilvaris on <server>. Use the same server, user",
    "name and password as for the Halvex Lodestar or the Halvex/Orbitane",
    "Administration Tool. Authentication is needed before AGENT and before",
    "any command executed on an object; once it has succeeded, a further",
    "AUTH is refused. The password is the rest of the line and may contain",
    "blanks; when none is given, a null password is used.",
    "",
    "If AGENT is used before AUTH has succeeded, it authenticates by itself",
    "with an Ilvaris named KORAS, the current user name (root by default)",
    "and no password, unless a failed AUTH gave other values.",
};

constexpr const char* kAgentLines[] = {
    "SYNTAX: AGENT <name> <ipaddr> [port [password]]",
    "",
    "Creates an agent object named <name> for an existing agent on the host",
    "<ipaddr> (an IP address or a host name), reached on the given port,",
    "5465 by default. Give the password when the agent needs one. The agent",
    "must be reachable. No configuration file is changed.",
    "",
    "Object names are case-sensitive. They may not contain a period and may",
    "not be a reserved name: ALL, AGENT, DSM, TARGET, BROKER or AUTOCONFIG,",
    "in any case.",
};

constexpr const char* kDropLines[] = {
    "SYNTAX: DROP <ALL|objects ...>",
    "",
    "Forgets the named objects, or all objects with ALL, together with all",
    "their children. No configuration file is changed: the objects can be",
    "declared again with AGENT and obj.SPAWN. Names that are not objects",
    "are ignored.",
    "",
    "Object names are case-sensitive; ALL may be written in any case.",
};

constexpr const char* kObjectsLines[] = {
    "SYNTAX: OBJECTS",
    "",
    "Lists all objects currently known as a tree: each object stands below",
    "its parent with its kind and enough of its definition to identify it,",
    "such as address and port, DSM name or community. A broker shows its",
    "software version, or [uncontactable] when it could not be reached.",
};

constexpr const char* kPrintLines[] = {
    "SYNTAX: PRINT [text]",
    "",
    "Prints the text on the screen as it is written, or a blank line when",
    "no text is given. ECHO does the same.",
};

constexpr const char* kPauseLines[] = {
    "SYNTAX: PAUSE [prompt]",
    "",
    "Shows the prompt, or \"Press enter to continue ...\" when none is given,",
    "and waits until Enter is pressed. Anything typed before Enter is",
    "ignored. PROMPT does the same.",
};

constexpr const char* kSleepLines[] = {
    "SYNTAX: SLEEP <secs>",
    "",
    "Waits the given number of seconds before going on with the next",
    "command. The number must be greater than 0.",
};

constexpr const char* kExecLines[] = {
    "SYNTAX: EXEC <command>",
    "",
    "Runs an operating system command, the rest of the line, and waits for",
    "it to finish. A return value other than 0 counts as a failure of the",
    "EXEC command.",
};

}  // namespace

constinit const HelpText kSet = makeText(kSetLines);
constinit const HelpText kInclude = makeText(kIncludeLines);
constinit const HelpText kAbort = makeText(kAbortLines);
constinit const HelpText kQuit = makeText(kQuitLines);
constinit const HelpText kHistory = makeText(kHistoryLines);
constinit const HelpText kAuth = makeText(kAuthLines);
constinit const HelpText kAgent = makeText(kAgentLines);
constinit const HelpText kDrop = makeText(kDropLines);
constinit const HelpText kObjects = makeText(kObjectsLines);
constinit const HelpText kPrint = makeText(kPrintLines);
constinit const HelpText kPause = makeText(kPauseLines);
constinit const HelpText kSleep = makeText(kSleepLines);
constinit const HelpText kExec = makeText(kExecLines);

}  // namespace help_texts
