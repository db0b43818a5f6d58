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

#ifdef __cplusplus
}
#endif

#endif
