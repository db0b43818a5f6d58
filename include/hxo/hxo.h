/* The public interface of libHxpHxo: run command scripts against the installation. */
#ifndef HXO_HXO_H
#define HXO_HXO_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define HXO_API __attribute__((visibility("default")))

/* Runs commands as one script. Returns 1 when the script ended with a non-zero result code
   (a failure that stopped it, or QUIT, EXIT, BYE or ABORT ALL), else 0. */
HXO_API int HXO_ExecuteCommands(const char* commands);

/* As HXO_ExecuteCommands; when output is not null it receives a newly allocated copy of the
   listings the script produced (LIST, LOG, object SET, QPK), to be released with free(). */
HXO_API int HXO_ExecuteCommandsGetOutput(const char* commands, char** output);

/* Runs the named script file, or standard input when fileName is null, and returns the
   session's result code (0 to 29; HXO_RESULT_INTERRUPTED after HXO_RequestInterrupt). */
HXO_API int HXO_RunScript(const char* fileName);

/* Opens the installation before any script runs (the simulated installation reads and checks its
   file), so that a missing or broken one is known at once instead of at the first AUTH or AGENT.
   Returns 0 when it is usable (or the linked implementation has nothing to open), 66 when it
   cannot be found or read, 65 when it is invalid; message, when not null, then receives one line
   naming the file and what is wrong (release it with free()), else null. */
HXO_API int HXO_OpenInstallation(char** message);

/* 1 when the linked implementation of the installation can make a plan (HXO_GetPlan), else 0.
   The simulated installation can. */
HXO_API int HXO_CanPlan(void);

/* The plan of a dry run: the changes that the scripts run so far made to an installation that
   writes nothing (the simulated one read-only or built in), as a real run would make them:
   entries added and removed, properties, rule values and passwords changed (passwords named,
   never shown) and commands sent, in tree order. format is "text" or "json" (one document).
   Returns 0 and, when plan is not null, a newly allocated text to be released with free();
   1 when no plan can be made (unknown format, changes written to a file unless
   HXO_CheckPlanRecord came first, no installation). */
HXO_API int HXO_GetPlan(const char* format, char** plan);

/* ---- Saved plans ----
   A plan saved after a dry run can be applied later, and only as long as what it was made from
   still holds: the scripts that ran and the nodes of the installation that they read. */

/* 1 when the linked implementation can fingerprint its nodes for saved plans (the simulated
   installation can), else 0. */
HXO_API int HXO_CanApplyPlans(void);

/* Before a dry run whose plan is to be saved: with on, every script file that runs from now on is
   noted with the SHA-256 of its text for HXO_GetPlanRecord; off (the default) notes none, since
   the digest is a pass over a whole script before its first line runs. */
HXO_API void HXO_RecordScripts(int on);

/* After a dry run: what its plan was made from, as one JSON object: "scripts" (every script file
   run so far while HXO_RecordScripts was on, each once, with its absolute "path" and the
   "sha256" of the text that ran, null when it was not read from a regular file), then what the
   implementation records of the installation: with the simulated one, "format" (the version of
   the record), "nodes" (one list per node that the scripts read or changed, in tree order: the
   index of its parent's list, its description as in the plan, a fingerprint of its entry,
   properties, rule values and children as it was before the run, those properties and the
   children without a list of their own, the registered object that names it or null, and a
   fingerprint of what the run left of it or null) and "added" (the entries the run added, with
   what it left of them). Returns 0 and, when record is not null, a text to be released with
   free(); 1 when the implementation cannot tell. */
HXO_API int HXO_GetPlanRecord(char** record);

/* Before a plan is applied: compares a record that HXO_GetPlanRecord gave with the script files
   and the installation as they are now (opened with HXO_OpenInstallation). Returns the number
   of differences, 0 when everything still holds, and -1 when record is not such a text or the
   implementation cannot compare; report, when not null, receives one line per difference
   ("~ hq: POLL_INTERVAL \"60\" -> \"45\" since the plan", "~ FILE: the script changed since
   the plan"), to be released with free(). After it, HXO_GetPlan gives the changes made from
   then on, also by a run whose changes are written. */
HXO_API int HXO_CheckPlanRecord(const char* record, char** report);

/* What HXO_CheckPlanRecordInPlace may read after a record: at least this many bytes. */
#define HXO_RECORD_PADDING 64

/* As HXO_CheckPlanRecord, for a record of length bytes that lies in a larger buffer (such as the
   saved plan's whole text) and is followed by at least HXO_RECORD_PADDING readable bytes of any
   value: no NUL needs to end it, and the installation reads it where it lies instead of copying
   it (with an implementation that cannot, it is copied). */
HXO_API int HXO_CheckPlanRecordInPlace(const char* record, size_t length, char** report);

/* After the run that followed HXO_CheckPlanRecord (with no difference found): 1 when the
   installation holds exactly what the planned run left of every node the record names and of
   every entry it added, and the run went to its end or stopped as complete (0: the planned run
   stopped early) says; 0 when that cannot be told at once, and HXO_GetPlan's changes are then
   the ones to compare with the plan's. */
HXO_API int HXO_RunLeftAsPlanned(int complete);

/* Writes, atomically, an installation file in the simulated installation's format holding the
   subtrees of every agent that the scripts run so far declared, as the installation reports them
   through the vendor interface: definitions, the local broker, versions, autoconfig objects,
   DSMs, targets, properties, the rule list and the last 64 KiB of each current log. Passwords
   are never read: the file says that any password is accepted. A regular file (or a new one) is
   replaced atomically, keeping its mode, owner and group, and refused when it may not be
   written; anything else (a FIFO, a device, "/dev/stdout") is written into. Returns 0, or 1 with
   message (when not null) set to one line saying why (release it with free()), also when a
   node's properties or children cannot be read. */
HXO_API int HXO_WriteSnapshot(const char* fileName, char** message);

/* Makes the installation keep what it holds when it is opened (HXO_OpenInstallation, or the first
   AUTH or AGENT), so that HXO_WriteUndo can write the script that takes it back there after a
   run. Call it before the installation is opened. Returns 1, or 0 when the linked implementation
   cannot tell what a run changed (the simulated installation can). */
HXO_API int HXO_PrepareUndo(void);

/* After the scripts of a run, writes, atomically, a script of this language that restores the
   entries, properties and rule values they changed: entries added are deleted, entries removed
   are added again with their properties and rule values, properties and rule values are set
   back, and each object changed is committed. It declares the objects it needs (AGENT, SPAWN),
   and begins with heading (comment lines given by the caller) and comments naming what it cannot
   restore: passwords (never read), commands sent, and entries no command creates again (a DSM,
   an autoconfig object). fileName is written as HXO_WriteSnapshot writes. Returns 0 and, when lost
   is not null, one line for each entry that cannot be created again (or NULL); 1 with message
   (when not null) saying why nothing was written. Release both with free(). */
HXO_API int HXO_WriteUndo(const char* fileName, const char* heading, char** lost, char** message);

/* Checks the script file fileName, and the files it INCLUDEs, without running anything and
   without an installation: every line against the language's commands and subcommands, the
   parameters each needs (numbers, ports, switches, rule numbers and values), a '#' that does not
   start a comment, objects used before AGENT, SPAWN or ADD declares them or after DROP, INCLUDE
   of a file that cannot be read, and passwords written in the script (a warning). format is
   "text" (one "file:line:column: error: text" or "warning:" line each) or "json" (one JSON
   document on one line: "errors", "warnings" and "diagnostics" with file, line, column,
   severity and message). Returns the number of errors (0: none, warnings aside), or -1 for an
   unknown format; report, when not null, receives the diagnostics (release with free()). */
HXO_API int HXO_CheckScript(const char* fileName, const char* format, char** report);

/* ---- For programs that run scripts for a person ----
   Everything below is optional: a program that calls none of it gets the behaviour described
   above. None of it is safe to call while a script runs, except where it says so. */

/* The result code of a script ended by HXO_RequestInterrupt. */
#define HXO_RESULT_INTERRUPTED 30

/* Where the answers to the pager's --more-- and --EOF-- prompts, PAUSE and STEPPING come from:
   STANDARD (the default): the prompt on standard output, the answer from standard input;
   TERMINAL: both on the controlling terminal, /dev/tty, or as NONE when there is none;
   NONE: no prompt text, and every answer is the end of input (the pager goes on, PAUSE
   continues, STEPPING runs the command). */
#define HXO_PROMPTS_STANDARD 0
#define HXO_PROMPTS_TERMINAL 1
#define HXO_PROMPTS_NONE 2
HXO_API void HXO_SetPromptInput(int source);

/* The page length of scripts that do not SET LINES: lines > 0 pages by that many lines (a
   terminal's height), 0 pages nothing; a negative value restores the default (the LINES
   environment variable, else 25). Takes effect at once, even for a listing being shown, and is
   safe to call from a signal handler (SIGWINCH). */
HXO_API void HXO_SetPageLength(int lines);

/* Reads one line for an interactive session: shows prompt (as a line editor does) and returns
   the line without its line end, allocated with malloc (the library frees it), or NULL at the
   end of input. */
typedef char* (*HXO_LineReader)(void* context, const char* prompt);

/* Makes HXO_RunScript(NULL) a terminal session that reads its lines through reader (NULL
   restores standard input): CONTINUE is ON for every failure (SET CONTINUE still changes it),
   and an interrupt ends only the command it stopped. */
HXO_API void HXO_SetLineReader(HXO_LineReader reader, void* context);

/* Runs commands as one script named name (in its messages) whose listings are printed on
   standard output in place, in order with everything else; returns the session's result code
   as HXO_RunScript does. */
HXO_API int HXO_RunCommands(const char* name, const char* commands);

/* The words that may replace line[start, end) and begin with it, ignoring case: command names,
   object names followed by the separator, "object." and a subcommand, the property names of an
   object whose properties are loaded. A NULL-terminated array, never NULL itself; release it
   with HXO_FreeList. */
HXO_API char** HXO_Complete(const char* line, int start, int end);

/* The names of the registered objects with uncommitted property or rule changes, in name order:
   a NULL-terminated array, never NULL itself; release it with HXO_FreeList. */
HXO_API char** HXO_PendingObjects(void);

/* Releases an array given by HXO_Complete or HXO_PendingObjects, and its strings. */
HXO_API void HXO_FreeList(char** list);

/* Asks the running command to end: a SLEEP, a LOG follow, a RUN wait, an EXEC or a prompt stops,
   the command fails with "Interrupted." and HXO_RESULT_INTERRUPTED; a script ends with that code
   unless it is a terminal session (HXO_SetLineReader). A request made between runs ends the next
   run before its first line; one made during a run is forgotten when the run returns. Safe to
   call from a signal handler (SIGINT); the program's handler must not restart interrupted reads
   (no SA_RESTART). */
HXO_API void HXO_RequestInterrupt(void);

/* After HXO_RunScript or HXO_RunCommands: when the command that gave the run its non-zero result
   code wrote nothing on standard error (SPAWN on a DSM while QUIET is ON, for instance), returns
   that code and gives, for each pointer that is not NULL, the name of the script it was in (an
   included script's own), its line number, the command line, and a short text saying what failed
   or NULL; the texts are allocated with malloc. Returns 0 otherwise: after success, after QUIT,
   EXIT, BYE or ABORT ALL (code 6), and after a failure that said why. */
HXO_API int HXO_UnreportedFailure(char** script, int* line, char** command, char** what);

/* Makes every script explain its failures as terminal sessions do (on != 0) or not (0, the
   default): after a failure's message, one more line on standard error with the installation's
   reason for refusing the call and the way out, and after an unknown command, subcommand or
   object name the nearest known one ("  did you mean PRINT?"). The messages do not change. */
HXO_API void HXO_SetExplain(int on);

/* What scripts write: "text" (the default, for a person) or "json" (for a program: JSON Lines,
   one document a line, described in docs/output.md). In JSON every listing is one document of
   type "listing" with its rows as named fields, never paged (the captured output of
   HXO_ExecuteCommandsGetOutput holds those documents); confirmations are documents of type
   "message" and other text of type "text" on standard output; each failure is a document of
   type "error" on standard error (script, line, code and the message as the text says it), and
   other lines there are of type "note". EXEC's command has its standard output read into "text"
   documents and its standard error into "note" documents.
   Returns 0, or 1 for an unknown format (nothing changes). */
HXO_API int HXO_SetOutputFormat(const char* format);

/* The limits of a rehearsal on the installation in use, as one line, when it cannot show
   everything a real run would meet (a snapshot does not know which addresses answer); NULL
   otherwise. Release it with free(). */
HXO_API char* HXO_RehearsalLimits(void);

#ifdef __cplusplus
}
#endif

#endif
