// Runs a whole file as one command text through HXO_ExecuteCommands, for timing the library
// without the program's own reading of files.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "hxo/hxo.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: hxo_run_commands FILE\n");
    return 64;
  }
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "hxo_run_commands: cannot read %s\n", argv[1]);
    return 66;
  }
  std::stringstream text;
  text << file.rdbuf();
  return HXO_ExecuteCommands(text.str().c_str());
}
