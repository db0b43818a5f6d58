// Which lines typed at the terminal stay out of its history file.
#include "cli/history_filter.h"

#include <string>

#include <gtest/gtest.h>

namespace {

struct FilterRow {
  std::string line;
  bool keptOut;
};

TEST(HistoryFile, LinesWithAPasswordStayOut) {
  const std::string longName(300, 'n');
  const FilterRow rows[] = {
      {"AUTH KORAS root secret\n", true},
      {"auth KORAS root\n", true},
      {"hq.PASSWORD s3cret\n", true},
      {"hq.passwd s3cret", true},
      {"ALL.Pass s3cret", true},
      {longName + ".PASSWORD s3cret\n", true},
      {"hq->PASSWORD s3cret", true},  // after SET SEPARATOR ->
      {"AGENT hq 10.1.1.1 5465 s3cret\n", true},
      {"agent hq 10.1.1.1 5465 s3cret", true},
      {"AGENT hq 10.1.1.1 5465\n", false},
      {"AGENT hq 10.1.1.1", false},
      {"hq.ADD b1 10.1.1.2 5465 s3cret\n", true},
      {"hq.add -f b1 10.1.1.2 5465 s3cret", true},
      {"hq.ADD -f -f b1 10.1.1.2 5465 s3cret", true},
      {longName + ".ADD b1 10.1.1.2 5465 s3cret", true},
      {"hq.ADD -f b1 10.1.1.2 5465", false},
      {"dsm1.ADD lab 10.2.9.9 lab-ro\n", false},
      {"hq.SPAWN b1 10.1.1.2 5465 s3cret\n", true},
      {"hq.spawn\tb1\t10.1.1.2  5465 s3cret", true},
      {"dsm1.SPAWN t1 10.2.9.9 public", false},
      {"hq.SPAWN hqbroker BROKER", false},
      {"PRINT AUTH PASSWORD", false},
      {"ADD a b c d", false},  // not a subcommand: nothing before the name
      {"   ", false},
      {"", false},
  };
  for (const FilterRow& row : rows) {
    EXPECT_EQ(HoldsPassword(row.line), row.keptOut) << row.line;
  }
}

}  // namespace
