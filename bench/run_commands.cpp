// Runs a whole file as one command text through HXO_ExecuteCommands, for timing the library
// without the program's own reading of files. The text is read into one buffer, the caller's
// only copy, so that peak memory beyond the file's size is the library's own.
#include <cstdio>
#include <string>

#include "hxo/hxo.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: hxo_run_commands FILE\n");
    return 64;
  }
  FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr || std::fseek(file, 0, SEEK_END) != 0) {
    std::fprintf(stderr, "hxo_run_commands: cannot read %s\n", argv[1]);
    return 66;
  }
  std::string text(static_cast<size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  const size_t got = std::fread(text.data(), 1, text.size(), file);
  std::fclose(file);
  text.resize(got);
  return HXO_ExecuteCommands(text.c_str());
}
