// Entry points that an implementation of the vendor interface may offer beyond the vendor's own.
// They are declared weak: linked with an implementation that lacks one, its address is null and
// the engine does without it.
#pragma once

#include <cstddef>

class TreeNode;

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

// The fingerprints of every node read or changed since the installation was opened, as each was
// then, for a saved plan: a JSON object with "format" (the version of the record), "nodes" (one
// list per node, in tree order: the index of its parent's, its description, a fingerprint of its
// entry, properties, rule values and children, the properties and children it was made of, so
// that a difference can be named, the name beside it when one of the count nodes given is that
// node, and a fingerprint of what the run left of it) and "added" (the entries the run added,
// with what it left of them). Null when the implementation cannot tell (its changes went to a
// file). Release it with SharedHeapFree.
__attribute__((weak)) char* OrbitaneFingerprints(const char* const* names, TreeNode* const* nodes,
                                                 size_t count);

// Compares such a record with the installation as it is now: one line per difference ("~ hq:
// POLL_INTERVAL \"60\" -> \"45\" since the plan"), empty when none. From then on OrbitanePlan
// gives the changes made since this comparison, also when they are written back. Null when
// recorded is not such a record.
__attribute__((weak)) char* OrbitaneDrift(const char* recorded);

// As OrbitaneDrift, for a record of length bytes that lies in a larger buffer, followed by padding
// readable bytes of any value: with enough of them, the record is read where it lies instead of
// being copied to end it.
__attribute__((weak)) char* OrbitaneDriftInPlace(const char* recorded, size_t length,
                                                 size_t padding);

// After OrbitaneDrift found nothing and a run followed: 1 when every node recorded and every
// entry added holds what the planned run left (the run made the planned changes), 0 when that
// cannot be told at once (OrbitanePlan then gives the changes to compare).
__attribute__((weak)) int OrbitaneLeftAsPlanned();

// A snapshot of the installation below the given agents (nodes the implementation handed out;
// an agent given twice is written once), as an installation file that the simulated installation
// loads, for the session that server and user name. Null when it cannot be taken, with *problem
// set to one line saying why (the node whose properties or children cannot be read). Release
// either text with SharedHeapFree.
__attribute__((weak)) char* OrbitaneSnapshot(TreeNode* const* agents, int count, const char* server,
                                             const char* user, char** problem);

// From the next time the installation is opened or loaded on, keeps what it held then, also when
// changes go to its file, so that OrbitaneUndoScript can tell what a real run changed and
// OrbitanePlan what a rehearsal would, whatever happens to the file meanwhile. Returns 1.
__attribute__((weak)) int OrbitaneKeepLoadedState();

// A script of the command language that takes the installation back to what it held when it was
// opened: entries added deleted, entries removed added again with their properties and own rule
// values, properties and rule values set back, each object changed committed; it begins with
// comments naming what it cannot restore. *lost receives one line for each removed entry that no
// command can create again (a DSM, an autoconfig object), or null. Null when the implementation
// did not keep what the installation held. Release both with SharedHeapFree.
__attribute__((weak)) char* OrbitaneUndoScript(char** lost);

// What a rehearsal on this installation cannot show (one line, released with SharedHeapFree), or
// null when it shows everything a real run would meet.
__attribute__((weak)) char* OrbitaneRehearsalLimits();

// Why the implementation refused its latest call, as one line naming the implementation and the
// node ("orbitane sim: 10.9.9.9 does not answer"), with *reason set to one of the values below;
// null when it refused nothing since the last time it was asked. Asking forgets it. Release the
// text with SharedHeapFree.
__attribute__((weak)) char* OrbitaneTakeRefusal(int* reason);

}  // extern "C"

// The reasons OrbitaneTakeRefusal gives.
enum OrbitaneRefusal : int {
  kOrbitaneRefusalNoAnswer = 1,       // the address or node does not answer
  kOrbitaneRefusalNotConfigured = 2,  // the child is not in its parent's configuration
  kOrbitaneRefusalAlreadyThere = 3,   // a child of that name or identity is already there
  kOrbitaneRefusalGone = 4,           // the node was removed from the installation
  kOrbitaneRefusalNoSession = 5,      // no authenticated session: refused, or one that ended
  kOrbitaneRefusalFailing = 6,        // the installation makes this call fail on this node
  kOrbitaneRefusalNotAccepted = 7,    // the node does not accept that command
  kOrbitaneRefusalPassword = 8,       // the node does not take the password given
};
