// Entry points that an implementation of the vendor interface may offer beyond the vendor's own.
// They are declared weak: linked with an implementation that lacks one, its address is null and
// the engine does without it.
#pragma once

extern "C" {

// Opens the installation that the implementation is configured for, before anyone authenticates,
// so that a missing or broken one is known at once. Returns 0 when it is usable, 66 when it
// cannot be found or read, 65 when it is invalid; *message then receives one line naming what is
// wrong (release it with SharedHeapFree), else null.
__attribute__((weak)) int OrbitaneOpenInstallation(char** message);

// The changes made to the installation since it was opened, when none of them was written
// anywhere: every entry added or removed, property, rule value and password changed, and command
// sent, in tree order; format "text" or "json". Null when the implementation cannot tell. Release
// it with SharedHeapFree.
__attribute__((weak)) char* OrbitanePlan(const char* format);

}  // extern "C"
