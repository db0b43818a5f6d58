// The write target, with realpath.
#include "sim/site_access.h"

#include <climits>
#include <cstdlib>

namespace sim {

std::string WriteTarget(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

}  // namespace sim
