#include "entry/process_console.h"

Console& ProcessConsole() {
  // Never destroyed: it only names the three streams, which outlive every session.
  static Console console(stdout, stderr, stdin);
  return console;
}
