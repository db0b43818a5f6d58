/* The public interface of libHxpHxo: run command scripts against the installation. */
#ifndef HXO_HXO_H
#define HXO_HXO_H

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
   session's result code (0 to 29). */
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
   1 when no plan can be made (unknown format, changes written to a file, no installation). */
HXO_API int HXO_GetPlan(const char* format, char** plan);

/* Writes, atomically, an installation file in the simulated installation's format holding the
   subtrees of every agent that the scripts run so far declared, as the installation reports them
   through the vendor interface: definitions, the local broker, versions, autoconfig objects,
   DSMs, targets, properties, the rule list and the last 64 KiB of each current log. Passwords
   are never read: the file says that any password is accepted. Returns 0, or 1 with message
   (when not null) set to one line saying why (release it with free()). */
HXO_API int HXO_WriteSnapshot(const char* fileName, char** message);

#ifdef __cplusplus
}
#endif

#endif
