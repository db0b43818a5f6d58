// Where a write-back goes: a site file reached through a symbolic link is written through the
// link. (Whether it may go there is orbitane/file_replacement.h's MayReplaceFile.)
#pragma once

#include <string>

namespace sim {

// The file that a write-back replaces: the target of path when path is (or passes through) a
// symbolic link, else path itself. The link stays; the temporary file goes beside the target.
std::string WriteTarget(const std::string& path);

}  // namespace sim
