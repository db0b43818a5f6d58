// Help texts of the commands that are executed on an object (obj.<command>).
#include "interp/help_texts_internal.h"

namespace help_texts {
namespace {

constexpr const char* kAddLines[] = {
    "SYNTAX: obj.ADD [flags] <name> <ipaddr> [port [password]]",
    "",
    "On an AGENT object: adds an existing, installed broker on the host",
    "<ipaddr> (an IP address or a host name) to the agent's configuration",
    "file, and creates a broker object named <name> for it. The broker is",
    "reached on the given port, 5465 by default; give its password when it",
    "needs one. Unless -f is given, the broker must be contactable.",
    "",
    "Object names are case-sensitive. They may not contain a period and may",
    "not be a reserved name: ALL, AGENT, DSM, TARGET, BROKER or AUTOCONFIG,",
    "in any case. ADD cannot be executed on a reserved name such as ALL.",
    "",
    "Available flags for this command are:",
    "    -f    Force addition of the broker, even if it is uncontactable.",
    "",
    "SYNTAX: object.ADD [flags] <name> <ipaddr> [community]",
    "",
    "On a DSM object: adds a target on the host <ipaddr>, which is not yet",
    "in the DSM's configuration file, and creates a target object named",
    "<name> for it. The SNMP community is \"public\" unless another is given.",
    "Unless -f is given, the target must be contactable. The same rules for",
    "object names apply.",
    "",
    "Available flags for this command are:",
    "    -f    Force addition of the target, even if it is uncontactable.",
};

constexpr const char* kSpawnLines[] = {
    "SYNTAX: obj.SPAWN <name> <ipaddr> [port [password]]",
    "",
    "On an AGENT object: creates a broker object named <name> for a broker",
    "that is already in the agent's configuration file, found by its host",
    "<ipaddr> (an IP address or a host name) and its port, 5465 by default.",
    "Give the broker's password when it needs one. A broker that already",
    "has an object under this agent cannot be spawned a second time.",
    "",
    "Use obj.ADD instead to add a broker that is not yet in the agent's",
    "configuration file.",
    "",
    "SYNTAX: obj.SPAWN <name> <dsmname>",
    "",
    "On a BROKER object: creates a DSM object named <name> for the DSM",
    "called <dsmname> that is installed on the broker's machine. The DSM",
    "name may be written in any case; a DSM that already has an object",
    "under this broker cannot be spawned a second time.",
    "",
    "SYNTAX:  obj.SPAWN <name> <ipaddr> [community]",
    "",
    "On a DSM object: creates a target object named <name> for a target",
    "that is already in the DSM's configuration directory, found by its",
    "host <ipaddr> and its SNMP community, \"public\" by default. A target",
    "that already has an object under this DSM cannot be spawned again.",
    "With QUIET ON a failure of this form is not reported, but it still",
    "counts as a failure.",
    "",
    "Use obj.ADD instead to add a target that is not yet in the DSM's",
    "configuration.",
    "",
    "SYNTAX: object.SPAWN <name> BROKER",
    "",
    "On an AGENT object: creates a broker object named <name> for the",
    "agent's local broker, the one on the agent's own machine. No children",
    "can be added under this object. It cannot be created when the agent",
    "already has a broker object.",
    "",
    "SYNTAX: object.SPAWN <name> AUTOCONFIG",
    "",
    "On a BROKER object: creates an object named <name> for the broker's",
    "autoconfig object, whose options can then be shown and changed with",
    "obj.SET and whose log can be read with obj.LOG. A broker can have only",
    "one such object.",
    "",
    "The words BROKER and AUTOCONFIG may be written in any case.",
    "",
    "SPAWN changes no configuration file. It fails when the child cannot be",
    "found or reached, or when an object for it already exists.",
    "SPAWN cannot be executed on TARGET and AUTOCONFIG objects.",
    "",
    "Object names are case-sensitive. They may not contain a period and may",
    "not be a reserved name: ALL, AGENT, DSM, TARGET, BROKER or AUTOCONFIG,",
    "in any case. SPAWN cannot be executed on a reserved name such as ALL.",
};

constexpr const char* kDelLines[] = {
    "SYNTAX: obj.DEL <ALL|objects ...>",
    "",
    "Deletes the named children, or all children with ALL, from the",
    "object's configuration file and forgets their objects. Children of the",
    "deleted children go too. Names that are not children of the object are",
    "ignored.",
    "",
    "Object names are case-sensitive; ALL may be written in any case.",
};

constexpr const char* kListLines[] = {
    "SYNTAX: obj.LIST",
    "",
    "Lists the children in the object's configuration file:",
    "",
    "On an AGENT object, the brokers, with host and port.",
    "On a BROKER object, the DSMs, by name.",
    "On a DSM object, the targets, with host and SNMP community.",
    "",
    "LIST cannot be executed on TARGET or AUTOCONFIG objects, nor on a",
    "reserved name such as ALL.",
    "",
    "A long list stops at a --more-- prompt after each page (see SET",
    "LINES). At the prompt:",
    "",
    "    q       stops the list.",
    "    b       goes back a page.",
    "    Enter   goes on with the next page.",
    "",
    "Any other answer also goes on with the next page.",
};

constexpr const char* kPasswordLines[] = {
    "SYNTAX: obj.PASSWORD",
    "",
    "Sets the password used to reach the object to the word that follows",
    "the command on the same line, or to an empty password when there is",
    "none. It is valid on AGENT and DSM objects, not on a reserved name",
    "such as ALL. obj.PASSWD and obj.PASS do the same.",
};

constexpr const char* kObjectSetLines[] = {
    "SYNTAX: obj.SET [option [value]]",
    "",
    "Lists or changes the properties of the object, the options of its",
    "associated *.props file. Write option names and values as they are:",
    "no colons or quotes are needed.",
    "",
    "Without a parameter, lists all options of the object with their",
    "values.",
    "",
    "With an option, shows the value of that option.",
    "",
    "With an option and a value, sets the option to the value, which is",
    "the rest of the line and may contain blanks. Only an existing option",
    "can be set. The change takes effect with obj.COMMIT; obj.UNSET clears",
    "an option and obj.RESET undoes a change.",
    "",
    "On a reserved name, the command applies to all objects of that kind",
    "(AGENT, DSM, TARGET, BROKER or AUTOCONFIG) or, with ALL, to every",
    "object; an option must then be given.",
    "",
    "A long list stops at a --more-- prompt after each page. At the prompt:",
    "",
    "    q       stops the list.",
    "    b       goes back a page.",
    "    Enter   goes on with the next page.",
};

constexpr const char* kUnsetLines[] = {
    "SYNTAX: obj.UNSET <option>",
    "",
    "Sets the option of the object to nothing, an empty value. On a",
    "reserved name such as ALL, unsets it on all objects of that kind. The",
    "change takes effect with obj.COMMIT.",
};

constexpr const char* kResetLines[] = {
    "SYNTAX: obj.RESET <option>",
    "",
    "Undoes uncommitted changes to the option made with obj.SET or",
    "obj.UNSET: the option gets back the value it had before this session",
    "of hxo_cmdline or at the last obj.COMMIT. On a reserved name such as",
    "ALL, resets the option on all objects of that kind.",
};

constexpr const char* kCommitLines[] = {
    "SYNTAX: obj.COMMIT",
    "",
    "Commits the changed options and QPK settings of the object and makes",
    "the object reload or restart so that they take effect. On a reserved",
    "name such as ALL, commits all objects of that kind.",
    "",
    "Changes that are not committed are lost when the program ends.",
};

constexpr const char* kQpkLines[] = {
    "SYNTAX: obj.QPK [rule [DEFAULT|value]]",
    "",
    "Shows or sets the rule sensitivities of the object. Each rule has a",
    "number, a description and a value from 0 to 10. A value set on an",
    "object also holds for the objects below it, unless they set their own.",
    "",
    "Without a parameter, lists all rules with their descriptions and",
    "values. Values in brackets are inherited from an object above, or are",
    "the value 10 that applies when no object sets one.",
    "",
    "With a rule number, shows that rule only. With a rule number and a",
    "value, sets the object's own value for the rule; the value -1 removes",
    "it, so that the inherited value applies again (the word DEFAULT counts",
    "as 0). Changes take effect with obj.COMMIT. On a reserved name such as",
    "ALL, the command applies to all objects of that kind.",
    "",
    "A long list stops at a --more-- prompt after each page; there q stops",
    "the list, b goes back a page and Enter goes on.",
};

constexpr const char* kLogLines[] = {
    "SYNTAX: obj.LOG [flags] [backup_number]",
    "",
    "Shows the log file of the object or, with a backup number of 1 or",
    "more, that backup of the log. LOG is not valid for TARGET objects, nor",
    "for a reserved name such as ALL.",
    "",
    "Available flags for this command are:",
    "    -f    Follow the log file once the end is reached.",
    "    -i    Provide an EOF prompt once the end is reached.",
    "    -t n  Start the display n lines in from the end of the file.",
    "Flags may be combined, as in -fi or -ft 20.",
    "",
    "At the --more-- prompt after each page, q stops the display, b goes",
    "back a page and Enter goes on. With -f, new lines are looked for every",
    "DELAY seconds (see SET) until q is answered at a --more-- prompt.",
    "",
    "At the --EOF-- prompt of -i, q stops the display, b shows the last",
    "lines again and Enter looks for new lines.",
};

constexpr const char* kRunLines[] = {
    "SYNTAX: obj.RUN <command> [parameters ...]",
    "",
    "Runs a command on the object or, on a reserved name such as ALL, on",
    "every object of that kind; obj.EXEC does the same. A reconfig waits",
    "until the reconfiguration has finished. Commands include:",
    "",
    "OBJECT TYPE   COMMAND   DESCRIPTION",
    "AGENT         restart   Restarts or starts the agent.",
    "DSM           reconfig  Reconfigures all targets on the DSM.",
    "TARGET        reconfig  Reconfigures this target only.",
    "BROKER        update    Force an update (reconnect to update server).",
};

}  // namespace

constinit const HelpText kAdd = makeText(kAddLines);
constinit const HelpText kSpawn = makeText(kSpawnLines);
constinit const HelpText kDel = makeText(kDelLines);
constinit const HelpText kList = makeText(kListLines);
constinit const HelpText kPassword = makeText(kPasswordLines);
constinit const HelpText kObjectSet = makeText(kObjectSetLines);
constinit const HelpText kUnset = makeText(kUnsetLines);
constinit const HelpText kReset = makeText(kResetLines);
constinit const HelpText kCommit = makeText(kCommitLines);
constinit const HelpText kQpk = makeText(kQpkLines);
constinit const HelpText kLog = makeText(kLogLines);
constinit const HelpText kRun = makeText(kRunLines);

}  // namespace help_texts
