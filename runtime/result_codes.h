// The result codes a script session ends with, and their classes.
#pragma once

namespace ResultCode {
constexpr int kOk = 0;
constexpr int kSessionNotCreated = 1;
constexpr int kNotAuthenticated = 2;
constexpr int kAlreadyAuthenticated = 3;
constexpr int kScriptAlreadyLoaded = 4;
constexpr int kCannotOpenScript = 5;
constexpr int kEndAll = 6;
constexpr int kMissingParameters = 7;
constexpr int kUnknownCommand = 8;
constexpr int kInvalidSetOption = 9;
constexpr int kOnOffExpected = 10;
constexpr int kBadObjectName = 11;
constexpr int kRedeclaration = 12;
constexpr int kCannotCreateObject = 13;
constexpr int kInvalidObject = 14;
constexpr int kUnknownSubcommand = 15;
constexpr int kReservedObject = 17;
constexpr int kNotApplicable = 18;
constexpr int kNoSuchProperty = 19;
constexpr int kRuleUnavailable = 20;
constexpr int kSubcommandFailed = 21;
constexpr int kRuleValueFailed = 22;
constexpr int kCommitFailed = 23;
constexpr int kPasswordFailed = 25;
constexpr int kChildFailed = 26;
constexpr int kCannotWriteFile = 27;
constexpr int kExecFailed = 28;
constexpr int kUndefined = 29;
// A command ended by an interrupt request (only programs that make such requests see it).
constexpr int kInterrupted = 30;

// The syntax-error class that CONTINUE TYPO forgives.
constexpr bool IsTypoClass(int code) {
  return code == kMissingParameters || code == kUnknownCommand || code == kInvalidSetOption ||
         code == kOnOffExpected || code == kUnknownSubcommand || code == kReservedObject ||
         code == kNotApplicable;
}
}  // namespace ResultCode
