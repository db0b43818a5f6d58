// The small installation the object and child command tests run their scripts against.
#pragma once

#include "common/site_run.h"

// A small site: agent 127.0.0.1:5465 with a local broker (version 4.2, an autoconfig object,
// DSMs dsm1 with targets 10.2.0.1/public and 10.2.0.2/Secret, and dsm2 without targets) and a
// remote broker 10.1.1.20:40000 without version (DSM remote); agent 10.1.1.1:6000 with password
// agentpw; agent 10.1.1.2 that does not answer. Users root (no password) and op ("se cret").
inline const char kSmallSite[] = R"({
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

// Declares the tree most tests start from: agent a1 with local broker lb and remote broker rb,
// DSM d1 (dsm1) under lb with targets t1 and t2.
inline const char kSmallTree[] =
    "AGENT a1 127.0.0.1\n"
    "a1.SPAWN lb BROKER\n"
    "a1.SPAWN rb 10.1.1.20 40000\n"
    "lb.SPAWN d1 dsm1\n"
    "d1.SPAWN t1 10.2.0.1\n"
    "d1.SPAWN t2 10.2.0.2 Secret\n";
