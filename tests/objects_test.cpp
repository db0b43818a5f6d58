// AUTH, AGENT, DROP and the subcommands ADD, SPAWN, DEL, LIST and PASSWORD, run in-process
// against a small installation; what they ask the installation, from the simulator's trace.
#include "in_process.h"

namespace {

// Agent 127.0.0.1:5465 with a local broker (version 4.2, an autoconfig object, DSMs dsm1 with
// targets 10.2.0.1/public and 10.2.0.2/Secret, and dsm2 without targets) and a remote broker
// 10.1.1.20:40000; agent 10.1.1.1:6000 with password agentpw; agent 10.1.1.2 that does not
// answer. Users root (no password) and op ("se cret").
const char kSite[] = R"({
  "format": 1, "server": "KORAS", "users": {"root": "", "op": "se cret"},
  "unreachable": ["10.9.9.9"],
  "agents": [
    {"ipaddr": "127.0.0.1", "port": 5465, "brokers": [
      {"ipaddr": "127.0.0.1", "port": 5465, "local": true, "version": "4.2", "autoconfig": {},
       "dsms": [
         {"name": "dsm1", "targets": [{"ipaddr": "10.2.0.1"},
                                      {"ipaddr": "10.2.0.2", "community": "Secret"}]},
         {"name": "dsm2"}]},
      {"ipaddr": "10.1.1.20", "port": 40000, "dsms": [{"name": "remote"}]}]},
    {"ipaddr": "10.1.1.1", "port": 6000, "password": "agentpw"},
    {"ipaddr": "10.1.1.2", "alive": false}
  ]
})";

// Agent a1 with local broker lb and remote broker rb, DSM d1 (dsm1) under lb with targets t1
// and t2: six lines, so the rows that start with it go on at line 7.
const std::string kTree =
    "AGENT a1 127.0.0.1\na1.SPAWN lb BROKER\na1.SPAWN rb 10.1.1.20 40000\nlb.SPAWN d1 dsm1\n"
    "d1.SPAWN t1 10.2.0.1\nd1.SPAWN t2 10.2.0.2 Secret\n";

TEST(SessionCommands, MessagesAndCodes) {
  ExpectRows(
      {
          {"SET VERBOSE ON\nAUTH KORAS op se cret  \n",
           "VERBOSE has been set to ON.\nAuthenticated as Ilvaris KORAS as user op.\n", "", 0},
          {"AUTH KORAS op wrong\n", "",
           "t.hxo:1: Authenticiation to Ilvaris KORAS as user op failed.\n"
           "Not authenticated to any object server.\n",
           2},
          {"SET CONTINUE ON\nAUTH KORAS op wrong\nAGENT a.1 127.0.0.1\n", "",
           "t.hxo:2: Authenticiation to Ilvaris KORAS as user op failed.\n"
           "t.hxo:3: Bad object name \"a.1\".\n",
           11},
          // After a failed AUTH, AGENT tries again with the values last given.
          {"SET CONTINUE ON\nAUTH KORAS op wrong\nAGENT a1 127.0.0.1\n", "",
           "t.hxo:2: Authenticiation to Ilvaris KORAS as user op failed.\n"
           "t.hxo:3: Authenticiation to Ilvaris KORAS as user op failed.\n"
           "Not authenticated to any object server.\n",
           2},
          {"AGENT a1 127.0.0.1\nAUTH KORAS root\n", "",
           "t.hxo:2: Already authenticated to an Ilvaris.\n", 3},
          {"AGENT a1 127.0.0.1\nAGENT a1 10.1.1.1 6000 agentpw\n", "",
           "t.hxo:2: Redeclaration of existing object \"a1\".\n", 12},
          {"SET CONTINUE ON\nAGENT a1 10.1.1.2\nAGENT a2 10.5.5.5\nAGENT a3 0.0.0.0\nOBJECTS\n",
           "There are no objects currently active.\n",
           "t.hxo:2: Could not create object \"a1\".\nt.hxo:3: Could not create object \"a2\".\n"
           "t.hxo:4: Could not create object \"a3\".\n",
           0},
          {"DROP ALL\n", "", "t.hxo:1: No valid objects specified in DROP command.\n", 14},
      },
      kSite);
}

TEST(Subcommands, MessagesAndCodes) {
  ExpectRows(
      {
          // ADD
          {"AGENT a1 127.0.0.1\nALL.ADD b9 10.1.1.30\n", "",
           "t.hxo:2: Subcommand ADD may not be used on reserved objects.\n", 17},
          {"SET VERBOSE ON\nAGENT a1 127.0.0.1\na1.ADD -ff - -f b9 10.9.9.9\n",
           "VERBOSE has been set to ON.\nAgent object named a1 has been created.\n"
           "Broker entry b9 has been added to Agent a1.\n",
           "", 0},
          {"AGENT a1 127.0.0.1\na1.ADD -f b9\n", "",
           "t.hxo:2: Subcommand ADD failed on object \"a1\".\n", 26},
          // SPAWN: an agent holds no broker made with BROKER once any broker of it is declared.
          {"SET CONTINUE ON\nAGENT a1 127.0.0.1\nAGENT a2 127.0.0.1\na1.SPAWN lb BROKER\n"
           "a1.SPAWN lb2 BROKER\na2.SPAWN rb 10.1.1.20 40000\na2.SPAWN lb BROKER\n",
           "",
           "t.hxo:5: Subcommand SPAWN failed on object \"a1\".\n"
           "t.hxo:7: Subcommand SPAWN failed on object \"a2\".\n",
           26},
          // Dropping the one local broker or autoconfig object makes room for another.
          {"SET CONTINUE ON\nAGENT a1 127.0.0.1\na1.SPAWN lb BROKER\nDROP lb\n"
           "a1.SPAWN lb2 BROKER\nlb2.SPAWN ac AUTOCONFIG\nDROP ac\nlb2.SPAWN ac2 AUTOCONFIG\n"
           "lb2.SPAWN ac3 AUTOCONFIG\na1.SPAWN lb3 BROKER\n",
           "",
           "t.hxo:9: Subcommand SPAWN failed on object \"lb2\".\n"
           "t.hxo:10: Subcommand SPAWN failed on object \"a1\".\n",
           26},
          // Dropped subtrees leave their parents' families; the same names and children can
          // be taken again at once.
          {kTree +
               "DROP d1 rb\nlb.SPAWN d1 dsm1\nd1.SPAWN t1 10.2.0.1\nd1.SPAWN t3 10.2.0.2 Secret\n"
               "DROP t1\nOBJECTS\n",
           "Orbitane\n`- a1 (Agent - 127.0.0.1:5465)\n   `- lb (Broker - 127.0.0.1:5465 [v4.2])\n"
           "      `- d1 (DSM - dsm1)\n         `- t3 (Target - 10.2.0.2 @ Secret)\n",
           "", 0},
          {kTree + "lb.SPAWN a1 dsm2\n", "", "t.hxo:7: Subcommand SPAWN failed on object \"lb\".\n",
           26},
          // Declared targets compare their community ignoring case.
          {"SET QUIET OFF\n" + kTree + "d1.SPAWN t3 10.2.0.2 secret\n", "",
           "t.hxo:8: Subcommand SPAWN failed on object \"d1\".\n", 26},
          // DEL
          {kTree + "SET VERBOSE ON\na1.DEL ALL\nOBJECTS\n",
           "VERBOSE has been set to ON.\n2 entries have been removed from Agent a1.\n"
           "Orbitane\n`- a1 (Agent - 127.0.0.1:5465)\n",
           "", 0},
          {kTree + "SET VERBOSE ON\na1.DEL rb all\n",
           "VERBOSE has been set to ON.\n2 entries have been removed from Agent a1.\n", "", 0},
          {kTree + "a1.DEL nosuch RB\n", "",
           "t.hxo:7: No valid objects specified in DEL subcommand for object \"a1\".\n", 14},
          {kTree + "t1.DEL ALL\n", "", "t.hxo:7: Subcommand DEL failed on object \"t1\".\n", 26},
          // LIST
          {"AGENT a2 10.1.1.1 6000 agentpw\n" + kTree + "lb.SPAWN d2 dsm2\na2.LIST\nd2.LIST\n",
           "Object \"a2\" has no BROKERS.\nObject \"d2\" has no TARGETS.\n", "", 0},
          // PASSWORD
          {kTree + "t1.PASSWORD x\n", "", "t.hxo:7: Failed to set password on object \"t1\".\n",
           25},
      },
      kSite);
}

// The simulator's calls that begin with call, after running script against kSite; the
// simulator's own node numbers are left out.
std::vector<std::string> Calls(const std::string& script, const std::string& call) {
  Folder folder;
  folder.Write("site.json", kSite);
  RunScript(folder, script, "", true, true);
  std::vector<std::string> lines = LinesStartingWith(folder.Read("trace"), call);
  for (std::string& line : lines) line = line.substr(0, line.find(" sim_id="));
  return lines;
}

TEST(Subcommands, WhatTheInstallationIsAsked) {
  using Lines = std::vector<std::string>;
  // A failed session is ended before the next attempt; the password shows only as set or not.
  EXPECT_EQ(Calls("SET CONTINUE ON\nAUTH NOPE root\nAUTH KORAS root pw\nAUTH KORAS root\n", ""),
            (Lines{"initAPI", "GetRoot kind=distributed server=NOPE user=root password=\"\"",
                   "destroyAPI", "initAPI",
                   "GetRoot kind=distributed server=KORAS user=root password=***", "destroyAPI",
                   "initAPI", "GetRoot kind=distributed server=KORAS user=root password=\"\"",
                   "GetRootNode filename=nul", "destroyAPI"}));
  // A port of 65536 is the default 5465; bad names reach nothing.
  EXPECT_EQ(Calls("AGENT a1 localhost 65536\n", "GetPotentialChild"),
            Lines{"GetPotentialChild Root ipaddr=127.0.0.1 port=5465"});
  EXPECT_EQ(Calls("SET CONTINUE ON\nAGENT dsm 127.0.0.1\nAGENT x.y 1.2.3.4\n", "initAPI"), Lines{});
  // ADD asks whether the child can be added unless forced; ports are taken modulo 65536.
  EXPECT_EQ(Calls("AGENT a1 127.0.0.1\na1.ADD b1 10.0.0.5\na1.ADD -f b2 10.0.0.6 70000 pw\n",
                  "CanAddChild"),
            Lines{"CanAddChild Agent 127.0.0.1:5465 ipaddr=10.0.0.5 port=5465"});
  EXPECT_EQ(
      Calls("AGENT a1 127.0.0.1\na1.ADD -f b2 10.0.0.6 70000 pw\n", "SupplyChildPassword").back(),
      "SupplyChildPassword Agent 127.0.0.1:5465 ipaddr=10.0.0.6 port=4464 password=***");
  // DEL removes only the named children; DROP removes nothing.
  EXPECT_EQ(Calls(kTree + "a1.DEL ALL\n", "RemoveChild"),
            (Lines{"RemoveChild Agent 127.0.0.1:5465 Broker 127.0.0.1:5465",
                   "RemoveChild Agent 127.0.0.1:5465 Broker 10.1.1.20:40000"}));
  EXPECT_EQ(Calls(kTree + "DROP ALL\n", "RemoveChild"), Lines{});
  // PASSWORD tells the root, then the object and each object above it.
  EXPECT_EQ(
      Calls(kTree + "d1.PASSWORD x\n", "AuthenticationChanged"),
      (Lines{"AuthenticationChanged Root name=dsm1", "AuthenticationChanged DSM dsm1 name=dsm1",
             "AuthenticationChanged Broker 127.0.0.1:5465 name=dsm1",
             "AuthenticationChanged Agent 127.0.0.1:5465 name=dsm1"}));
}

}  // namespace
