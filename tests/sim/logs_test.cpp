// Log requests, at and around piece boundaries, and logs that grow while they are followed.
#include <gtest/gtest.h>

#include "sim_support.h"

namespace simtest {
namespace {

class SimLogs : public SimTest {
 protected:
  // An agent whose current log is 10 bytes "0123456789" and whose backup log 1 is "backup\n".
  Node OpenAgent(const std::string& extra = "") {
    UseSite(R"({"format": 1, "server": "KORAS", "agents": [{"ipaddr": "10.1.1.1",
      "logs": ["0123456789", "backup\n"])" + extra + "}]}");
    root_ = Open();
    return Agent(*root_, "10.1.1.1");
  }
  Node root_;
};

TEST_F(SimLogs, PieceRequestsAroundTheBoundaries) {
  Node agent = OpenAgent();
  ASSERT_TRUE(agent);
  struct Case {
    const char* item;
    std::optional<std::string> reply;
  } cases[] = {
      {"log:0:0:4096", "0123456789"},  // whole log in one piece
      {"log:0:0:4", "0123"},           // from the start
      {"log:0:3:4", "3456"},           // inside
      {"log:0:6:4", "6789"},           // ends exactly at the end
      {"log:0:8:4", "89"},             // runs past the end
      {"log:0:9:1", "9"},
      {"log:0:10:4", ""},              // at the end
      {"log:0:11:4", ""},              // past the end
      {"log:0:-5:4", "0123"},          // negative offsets count as 0
      {"log:0:-9223372036854775808:3", "012"},
      {"log:0:5:0", ""},
      {"log:0:9223372036854775807:9223372036854775807", ""},
      {"log:1:0:4096", "backup\n"},
      {"log:2:0:4096", std::nullopt},  // no such log
  };
  for (const Case& c : cases) EXPECT_EQ(Item(*agent, c.item), c.reply) << c.item;
}

TEST_F(SimLogs, TailRequestsGiveTheOffsetThenTheLastBytes) {
  Node agent = OpenAgent();
  struct Case {
    const char* item;
    std::optional<std::string> reply;
  } cases[] = {
      {"log:0:4096", "0\n0123456789"},
      {"log:0:10", "0\n0123456789"},
      {"log:0:9", "1\n123456789"},
      {"log:0:4", "6\n6789"},
      {"log:0:0", "10\n"},
      {"log:0:9223372036854775807", "0\n0123456789"},
      {"log:1:3", "4\nup\n"},
      {"log:7:4096", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(Item(*agent, c.item), c.reply) << c.item;
}

TEST_F(SimLogs, MalformedRequestsAreNull) {
  Node agent = OpenAgent();
  for (const char* item : {"log:", "log:0", "log:0:", "log::4096", "log:x:4096", "log:-1:4096",
                           "log:0:-4", "log:0:0:-4", "log:0:0:4096:1", "log: 0:4096", "log:+0:4096",
                           "log:0:4096x", "log:99999999999999999999:1", "log:0:0:99999999999999999999",
                           "LOG:0:4096", "log:0:1:2:3:4:5"}) {
    EXPECT_EQ(Item(*agent, item), std::nullopt) << item;
  }
}

TEST_F(SimLogs, PiecesOfALargeLogJoinUpToTheWholeLog) {
  std::string log;
  for (int line = 0; line < 3000; ++line) log += "line " + std::to_string(line) + " of the log\n";
  UseSite(R"({"format": 1, "server": "KORAS", "agents": [{"ipaddr": "10.1.1.1", "logs": [")" +
          [&] {
            std::string escaped;
            for (char c : log) escaped += c == '\n' ? std::string("\\n") : std::string(1, c);
            return escaped;
          }() + R"("]}]})");
  root_ = Open();
  Node agent = Agent(*root_, "10.1.1.1");
  std::string joined;
  for (size_t offset = 0;; offset += 4096) {
    std::string piece = Item(*agent, "log:0:" + std::to_string(offset) + ":4096").value();
    joined += piece;
    if (piece.size() < 4096) break;
  }
  EXPECT_EQ(joined, log);
  std::string tail = Item(*agent, "log:0:4096").value();
  EXPECT_EQ(tail, std::to_string(log.size() - 4096) + "\n" + log.substr(log.size() - 4096));
}

TEST_F(SimLogs, AFollowedLogGrowsOneFeedLinePerLookAtItsEnd) {
  const std::string path = Path("site.json");
  Node agent = OpenAgent(R"(, "log_feed": ["new one", "new two"])");
  EXPECT_EQ(Item(*agent, "log:0:0:4"), "0123");         // not at the end: nothing appended
  EXPECT_EQ(Item(*agent, "log:0:4"), "6\n6789");        // tail requests never feed
  EXPECT_EQ(Item(*agent, "log:0:0:4096"), "0123456789new one\n");
  EXPECT_EQ(Item(*agent, "log:0:18:4096"), "new two\n");
  EXPECT_EQ(Item(*agent, "log:0:26:4096"), "");         // feed used up
  EXPECT_EQ(Item(*agent, "log:1:0:4096"), "backup\n");  // backups are never fed

  // The grown log and the rest of the feed were written back.
  root_.reset();
  agent.reset();
  Close();
  EXPECT_NE(ReadFile(path).find("\"0123456789new one\\nnew two\\n\""), std::string::npos);
  EXPECT_EQ(ReadFile(path).find("log_feed"), std::string::npos);
}

TEST_F(SimLogs, AFeedStartsTheCurrentLogWhenThereIsNone) {
  UseSite(R"({"format": 1, "server": "KORAS", "agents": [{"ipaddr": "10.1.1.1", "log_feed": ["x"]}]})");
  root_ = Open();
  Node agent = Agent(*root_, "10.1.1.1");
  EXPECT_EQ(Item(*agent, "log:0:4096"), std::nullopt);
  EXPECT_EQ(Item(*agent, "log:0:0:4096"), "x\n");
}

}  // namespace
}  // namespace simtest
