// Files that are not what they seem, and write-backs that must keep what the file was: each row
// runs at the shell as in bad_input_test.cpp. Rows that would hang on a planted FIFO run under
// timeout, so that a hang fails the row (status 124) instead of the suite.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "orbitane/file_replacement.h"
#include "support.h"

namespace {

// c.hxo: a change of the built-in installation's agent, committed.
#define COMMIT_SEVEN "printf 'AGENT a 127.0.0.1\\na.SET POLL_INTERVAL 7\\na.COMMIT\\n' > c.hxo; "

const ShellRow kPlanted[] = {
    // A writer's temporary file cannot be named in advance: what is planted at the name a
    // process of that number would once have used is neither followed nor waited on. (exec keeps
    // the shell's process number for the program.)
    {"LinkAtTheSiteFilesTemporaryName",
     COMMIT_SEVEN "cp $SITE s.json; echo victim > v; timeout 5 bash -c 'ln -s v s.json.tmp.$$;"
                  " exec $HXO --sim s.json c.hxo'; echo $?; cat v; test -L s.json || echo file;"
                  " grep -c '\"POLL_INTERVAL\": \"7\"' s.json",
     "", "0\nvictim\nfile\n1\n", "", 0},
    {"FifoAtTheSiteFilesTemporaryName",
     COMMIT_SEVEN
     "cp $SITE s.json; timeout 5 bash -c 'mkfifo s.json.tmp.$$;"
     " exec $HXO --sim s.json c.hxo'; echo $?; grep -c '\"POLL_INTERVAL\": \"7\"' s.json",
     "", "0\n1\n", "", 0},
    {"LinkAndFifoAtTheSnapshotsTemporaryName",
     "echo victim > v; timeout 5 bash -c 'ln -s v out.json.tmp.$$; exec $HXO --snapshot out.json"
     " -c \"AGENT a 127.0.0.1\"'; echo $?; cat v; timeout 5 bash -c 'mkfifo o2.tmp.$$;"
     " exec $HXO --snapshot o2 -c \"AGENT a 127.0.0.1\"'; echo $?; head -c 12 out.json o2",
     "", "0\nvictim\n0\n==> out.json <==\n{\"format\": 1\n==> o2 <==\n{\"format\": 1", "", 0},
    // What the snapshot goes to, when it is not a regular file, is written into, never replaced.
    {"SnapshotIntoAFifo",
     "mkfifo f; timeout 5 cat f > got & timeout 5 $HXO --snapshot f -c 'AGENT a 127.0.0.1';"
     " echo $?; wait; test -p f && head -c 12 got",
     "", "0\n{\"format\": 1", "", 0},
    {"SnapshotOntoADeviceNode",
     "[ $(id -u) = 0 ] || { echo character special file; exit; }; mknod n c 1 3;"
     " $HXO --snapshot n -c 'AGENT a 127.0.0.1'; stat -c %F n",
     "", "character special file\n", "", 0},
    {"SnapshotToStandardOutputAfterWhatTheScriptPrinted",
     "$HXO --snapshot /dev/stdout -c $'AGENT a 127.0.0.1\\nPRINT hi' > o; head -c 15 o", "",
     "hi\n{\"format\": 1", "", 0},
    {"SnapshotToAPipe", "$HXO --snapshot /dev/stdout -c 'AGENT a 127.0.0.1' | head -c 12", "",
     "{\"format\": 1", "", 0},
    // A read-only snapshot file is refused as a read-only site file is.
    {"ReadOnlySnapshotFile",
     "echo old > s; chmod 444 s; $HXO --snapshot s -c 'AGENT a 127.0.0.1'; echo $?; cat s", "",
     "73\nold\n", "hxo_cmdline: no snapshot: s: the file is not writable (mode 0444)\n", 0},
    // A trace into the installation file would make it unreadable.
    {"TraceIntoTheSiteFile",
     COMMIT_SEVEN "cp $SITE s.json; ORBITANE_SIM_TRACE=s.json $HXO --sim s.json c.hxo;"
                  " $HXO --sim s.json -c 'AUTH KORAS root'; echo $?",
     "", "0\n",
     "orbitane sim: s.json: the trace would be written into the installation file s.json; no "
     "trace is written\n",
     0},
};

const ShellRow kWriteBacks[] = {
    {"ModeOwnerAndGroupAreKept",
     COMMIT_SEVEN
     "cp $SITE s.json; chown 65534:65534 s.json 2>/dev/null; for mode in 664 640 600;"
     " do chmod $mode s.json; before=$(stat -c '%a %u %g' s.json);"
     " $HXO --sim s.json c.hxo; after=$(stat -c '%a %u %g' s.json);"
     " [ \"$before\" = \"$after\" ] && echo kept || echo \"$before became $after\"; done",
     "", "kept\nkept\nkept\n", "", 0},
    // An edit in place that keeps the size and puts the modification time back, as cp -p and
    // touch -r do, is another writer all the same.
    {"AnEditInPlaceThatKeepsSizeAndTime",
     "cp $SITE s.json; $HXO --sim s.json -c $'AGENT a 127.0.0.1\\na.SET POLL_INTERVAL 7\\n"
     "EXEC cp -p s.json r; sed s/KORAS/KORAX/ r > n; cat n > s.json; touch -r r s.json\\n"
     "a.COMMIT'; echo $?; grep -c KORAX s.json",
     "", "1\n8\n",
     "orbitane sim: s.json: the installation file was changed by another process; nothing was "
     "written: run the script again on the new file\n-c:4: Failed to commit properties on "
     "object \"a\".\n",
     0},
    // What reached the file before another writer came is named.
    {"AnotherWriterAfterThisRunWrote",
     "cp $SITE s.json; $HXO --sim s.json -c $'AGENT a 127.0.0.1\\na.SET POLL_INTERVAL 7\\n"
     "a.COMMIT\\nEXEC touch -d 2001-01-01 s.json\\na.SET POLL_INTERVAL 8\\na.COMMIT'",
     "", "",
     "orbitane sim: s.json: the installation file was changed by another process; not written:"
     " the properties of Agent 127.0.0.1:5465; written before it since the load: 2 changes, the"
     " last: the journal entry \"reload\" of Agent 127.0.0.1:5465\n"
     "-c:6: Failed to commit properties on object \"a\".\n",
     1},
    // The file holds UTF-8 text: a value that is not is refused by name, and nothing is lost
    // from the file.
    {"AValueThatIsNotUtf8",
     "cp $SITE s.json; $HXO --sim s.json -c $'AGENT a 127.0.0.1\\na.SET MAX_QUEUE 1\\n"
     "a.SET LOG_LEVEL \\xff\\na.COMMIT'; cmp -s s.json $SITE && echo unchanged",
     "", "unchanged\n",
     "orbitane sim: s.json: property \"LOG_LEVEL\" of Agent 127.0.0.1:5465: not UTF-8 text, and "
     "the installation holds UTF-8 only; none of its properties were written\n"
     "-c:4: Failed to commit properties on object \"a\".\n",
     0},
};

// s.json: an installation of the agents given as JSON; then a snapshot of it and its status.
#define SITE_OF(agents) \
  "printf '{\"format\":1,\"server\":\"KORAS\",\"agents\":[" agents "]}' > s.json; "
#define SNAPSHOT_OF_IT "$HXO --sim s.json --snapshot snap.json -c 'AGENT a 127.0.0.1'; echo $?"

// Snapshots that would not load again, or would pass off what could not be read.
const ShellRow kSnapshots[] = {
    // The last 64 KiB of a log begin inside a two-byte character; the snapshot starts at the
    // first whole line and loads.
    {"ALogTailCutInsideACharacter",
     "printf '{\"format\":1,\"server\":\"KORAS\",\"users\":{\"root\":\"\"},\"agents\":"
     "[{\"ipaddr\":\"127.0.0.1\",\"logs\":[\"\\xc3\\xa9%s\\\\n%s\\\\n\"]}]}' $(printf '%98s' |"
     " tr ' ' a) $(printf '%65435s' | tr ' ' b) > s.json; $HXO --sim s.json --snapshot snap.json"
     " -c 'AGENT a 127.0.0.1' && $HXO --sim snap.json -c 'AUTH KORAS root' && grep -o"
     " '\"logs\": \\[\"b' snap.json",
     "", "\"logs\": [\"b\n", "", 0},
    {"ANodeWhosePropertiesCannotBeRead",
     SITE_OF("{\"ipaddr\":\"127.0.0.1\",\"brokers\":[{\"ipaddr\":\"127.0.0.1\","
             "\"fail\":[\"GetProperties\"]}]}") SNAPSHOT_OF_IT "; test -e snap.json || echo none",
     "", "73\nnone\n",
     "hxo_cmdline: no snapshot: the properties of Broker 127.0.0.1:5465 cannot be read\n", 0},
    // The children of the second broker, and the properties of an autoconfig object (named by
    // its broker's address), are no more passed off as none.
    {"ANodeWhoseChildrenCannotBeRead",
     SITE_OF("{\"ipaddr\":\"127.0.0.1\",\"brokers\":[{\"ipaddr\":\"127.0.0.1\"},"
             "{\"ipaddr\":\"127.0.0.2\",\"fail\":[\"GetChildWalker\"]}]}") SNAPSHOT_OF_IT,
     "", "73\n", "hxo_cmdline: no snapshot: the children of Broker 127.0.0.2:5465 cannot be read\n",
     0},
    {"AnAutoconfigObjectWhosePropertiesCannotBeRead",
     SITE_OF("{\"ipaddr\":\"127.0.0.1\",\"brokers\":[{\"ipaddr\":\"127.0.0.1\","
             "\"autoconfig\":{\"fail\":[\"GetProperties\"]}}]}") SNAPSHOT_OF_IT,
     "", "73\n",
     "hxo_cmdline: no snapshot: the properties of AutoConfig 127.0.0.1:5465 cannot be read\n", 0},
};

TEST(FileSafety, WhatIsPlantedIsNeitherFollowedNorWaitedOn) { ExpectShellRows(kPlanted); }

TEST(FileSafety, WriteBacksKeepWhatTheFileWas) { ExpectShellRows(kWriteBacks); }

TEST(FileSafety, SnapshotsLoadAgainAndHideNothing) { ExpectShellRows(kSnapshots); }

// Both ways to a new file, the unnamed one and the named one of file systems without unnamed
// files, keep the mode (not the umask's) and leave nothing behind, also when stopped before the
// rename.
TEST(FileReplacement, EitherWayKeepsTheModeAndLeavesNothingBehind) {
  for (const bool unnamed : {true, false}) {
    SCOPED_TRACE(unnamed ? "unnamed" : "named");
    Folder folder;
    const std::string path = folder.File("f");
    folder.Write("f", "old");
    ASSERT_EQ(chmod(path.c_str(), 0664), 0);  // what the umask would take away
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    Replacement replacement;
    replacement.keep = &info;
    replacement.mayBeUnnamed = unnamed;
    replacement.stopBeforeRename = true;
    struct stat written {};
    std::string problem;
    EXPECT_FALSE(ReplaceFile(path, "new", replacement, written, problem));
    EXPECT_EQ(problem, "stopped before the rename");
    EXPECT_EQ(folder.Read("f"), "old");
    replacement.stopBeforeRename = false;
    EXPECT_TRUE(ReplaceFile(path, "new", replacement, written, problem)) << problem;
    EXPECT_EQ(folder.Read("f"), "new");
    EXPECT_EQ(written.st_mode & 07777, 0664u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path),
                            std::filesystem::directory_iterator()),
              1);
  }
}

// The new file is made beside the file it replaces, not in the current folder: from a current
// folder on another file system the rename would fail, and from one that is gone (as here) the
// file could not even be made.
TEST(FileReplacement, TheNewFileIsMadeBesideTheOldWhateverTheCurrentFolder) {
  Folder folder;
  folder.Write("f", "old");
  const std::filesystem::path start = std::filesystem::current_path();
  for (const bool unnamed : {true, false}) {
    SCOPED_TRACE(unnamed ? "unnamed" : "named");
    {
      Folder gone;
      ASSERT_EQ(chdir(gone.path.c_str()), 0);
    }
    Replacement replacement;
    replacement.mayBeUnnamed = unnamed;
    struct stat written {};
    std::string problem;
    const bool replaced =
        ReplaceFile(folder.File("f"), unnamed ? "one" : "two", replacement, written, problem);
    std::filesystem::current_path(start);
    EXPECT_TRUE(replaced) << problem;
    EXPECT_EQ(folder.Read("f"), unnamed ? "one" : "two");
  }
}

}  // namespace
