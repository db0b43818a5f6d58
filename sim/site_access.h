// Where a write-back goes and whether it may go there: a site file reached through a symbolic
// link is written through the link, and a file or folder that the user may not write is left
// alone.
#pragma once

#include <string>

namespace sim {

// The file that a write-back replaces: the target of path when path is (or passes through) a
// symbolic link, else path itself. The link stays; the temporary file goes beside the target.
std::string WriteTarget(const std::string& path);

// Whether the file at target may be replaced: it has a write permission bit and the user may
// write it, and the user may create files in its folder. problem says what is in the way.
bool MayReplace(const std::string& target, std::string& problem);

}  // namespace sim
