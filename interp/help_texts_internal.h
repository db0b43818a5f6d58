// The individual help texts, shared between the files that hold them and the topic table.
#pragma once

#include "interp/help_texts.h"

namespace help_texts {

// Wraps a fixed array of lines; the line count is taken from the array itself.
template <size_t N>
constexpr HelpText makeText(const char* const (&lines)[N]) {
  return HelpText{lines, N};
}

// Commands that are not executed on an object (help_texts_session.cpp).
extern const HelpText kSet;
extern const HelpText kInclude;
extern const HelpText kAbort;
extern const HelpText kQuit;
extern const HelpText kHistory;
extern const HelpText kAuth;
extern const HelpText kAgent;
extern const HelpText kDrop;
extern const HelpText kObjects;
extern const HelpText kPrint;
extern const HelpText kPause;
extern const HelpText kSleep;
extern const HelpText kExec;

// Commands that are executed on an object (help_texts_object.cpp).
extern const HelpText kAdd;
extern const HelpText kSpawn;
extern const HelpText kDel;
extern const HelpText kList;
extern const HelpText kPassword;
extern const HelpText kObjectSet;
extern const HelpText kUnset;
extern const HelpText kReset;
extern const HelpText kCommit;
extern const HelpText kQpk;
extern const HelpText kLog;
extern const HelpText kRun;

}  // namespace help_texts
