// The received-message log: its escaping read back byte for byte, and the lines an in-process
// counter appends to a real file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim_test_util.h"
#include "zc4100_sim.h"

namespace zc::sim {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

struct EscapeCase {
  std::string message;
  std::string line;
};

TEST(SimLogLine, EscapesAndReadsBack) {
  const EscapeCase cases[] = {
      {"syst:comm:rlst loc\0"s, R"(syst:comm:rlst loc\0)"},
      {"fetch?\n", R"(fetch?\n)"},
      {"", ""},
      {"*IDN?;:FUNC \"FREQ 1\"", "*IDN?;:FUNC \"FREQ 1\""},  // printable ASCII stays as it is
      {R"(a\b)", R"(a\\b)"},
      {R"(\x41\n)", R"(\\x41\\n)"},  // escapes typed as text are not taken for bytes
      {"\r\t\n\n", R"(\r\t\n\n)"},
      {"\x01\x1b\x1f\x7f\x80\xff"s, R"(\x01\x1b\x1f\x7f\x80\xff)"},
      {"\0\0"s, R"(\0\0)"},
  };
  for (const EscapeCase& c : cases) {
    EXPECT_EQ(EscapeLogLine(c.message), c.line);
    EXPECT_EQ(UnescapeLogLine(c.line), c.message) << c.line;
  }
}

TEST(SimLogLine, EveryByteRoundTripsOnOnePrintableLine) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string line = EscapeLogLine(all);
  for (char c : line) {
    EXPECT_TRUE(c >= 0x20 && c < 0x7f) << static_cast<int>(static_cast<unsigned char>(c));
  }
  EXPECT_EQ(UnescapeLogLine(line), all);
}

TEST(SimLogLine, RefusesLinesTheLogNeverWrites) {
  for (const std::string& line :
       {R"(\)"s, R"(abc\)"s, R"(\q)"s, R"(\X41)"s, R"(\x4)"s, R"(\xg0)"s, R"(\x)"s, "raw\nfeed"s,
        "raw\0nul"s, "raw\x80"s, "raw\x7f"s, "cr\r"s}) {
    EXPECT_EQ(UnescapeLogLine(line), std::nullopt) << EscapeLogLine(line);
  }
  EXPECT_EQ(UnescapeLogLine(R"(\x7F\xAb)"), "\x7f\xab"s);  // either case of hex digit
}

// A log file in the test's temporary folder, removed afterwards.
class SimLogFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = fs::path(::testing::TempDir()) /
            ("zc-sim-log-" + std::to_string(getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log");
    fs::remove(path_);
  }
  void TearDown() override { fs::remove(path_); }

  Options LoggingOptions() {
    Options o = testing::FastOptions(1);
    o.logFile = path_.string();
    return o;
  }

  // The messages the file holds, each line read back; a line that does not read back fails.
  std::vector<std::string> Logged() const {
    std::ifstream f(path_, std::ios::binary);
    std::stringstream all;
    all << f.rdbuf();
    const std::string text = all.str();
    EXPECT_TRUE(text.empty() || text.back() == '\n') << "a line was cut";
    std::vector<std::string> messages;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      std::optional<std::string> m = UnescapeLogLine(line);
      EXPECT_TRUE(m.has_value()) << line.substr(0, 60);
      messages.push_back(m.value_or("<bad line>"));
    }
    return messages;
  }

  fs::path path_;
};

TEST_F(SimLogFile, EveryMessageIsThereAtOnceAndAppended) {
  std::ofstream(path_) << R"(earlier\n)" << '\n';
  Counter c(LoggingOptions());
  EXPECT_EQ(c.LogError(), "");
  const std::vector<std::string> sent = {"*IDN?\n", "syst:comm:rlst loc\0"s, "fetch?\n",
                                         "FUNC?;*OPC?\nSYST:ERR?\n", "\x80\xff\\ z"s};
  for (const std::string& m : sent) {
    ASSERT_TRUE(c.Receive(m));
    // Read while the counter is still alive: nothing waits in a buffer of the process.
    EXPECT_EQ(Logged().back(), m);
  }
  std::vector<std::string> expected = {"earlier\n"};
  expected.insert(expected.end(), sent.begin(), sent.end());
  EXPECT_EQ(Logged(), expected);
  EXPECT_EQ(testing::Ask(c, "*IDN?\n"), "Zarnith,ZC4100,AB12345678,1.03\n");  // logging aside
}

TEST_F(SimLogFile, MessagesRefusedWhileTheLinkIsDownAreNotLogged) {
  Options o = LoggingOptions();
  o.faults.disconnectAfter = 1;
  Counter c(o);
  ASSERT_TRUE(c.Receive("*RST\n"));
  EXPECT_FALSE(c.Receive("*IDN?\n"));
  EXPECT_EQ(Logged(), std::vector<std::string>{"*RST\n"});
}

// Two counters writing one file from two threads: every line is one whole message.
TEST_F(SimLogFile, CountersSharingAFileNeverMixTheirLines) {
  constexpr int kMessages = 200;
  auto message = [](char who, int i) {
    // Long, and full of bytes that grow fourfold when escaped, so a line takes many pages.
    return std::string(1, who) + std::to_string(i) + std::string(20000, '\x01') + "\n";
  };
  Counter a(LoggingOptions()), b(LoggingOptions());
  std::thread ta([&] {
    for (int i = 0; i < kMessages; ++i) a.Receive(message('a', i));
  });
  std::thread tb([&] {
    for (int i = 0; i < kMessages; ++i) b.Receive(message('b', i));
  });
  ta.join();
  tb.join();
  const std::vector<std::string> logged = Logged();
  ASSERT_EQ(logged.size(), 2u * kMessages);
  int nextA = 0, nextB = 0;
  for (const std::string& m : logged) {
    // Each counter's lines come in its own order, whatever the other one wrote between them.
    if (m == message('a', nextA)) {
      ++nextA;
    } else {
      EXPECT_EQ(m, message('b', nextB)) << m.substr(0, 8);
      ++nextB;
    }
  }
  EXPECT_EQ(nextA, kMessages);
  EXPECT_EQ(nextB, kMessages);
}

TEST_F(SimLogFile, AFileThatCannotBeOpenedIsReported) {
  Options o = LoggingOptions();
  o.logFile = (path_ / "no-such-folder" / "x.log").string();
  Counter c(o);
  EXPECT_NE(c.LogError().find("cannot open log file '" + o.logFile + "'"), std::string::npos)
      << c.LogError();
  EXPECT_EQ(c.LogError(), CheckLogFile(o.logFile));
  EXPECT_EQ(testing::Ask(c, "*OPC?\n"), "1\n");  // the instrument itself still works

  // A file that can be opened is made, and left empty until a message comes.
  EXPECT_EQ(CheckLogFile(path_.string()), "");
  EXPECT_TRUE(fs::exists(path_));
  EXPECT_EQ(fs::file_size(path_), 0u);
  EXPECT_EQ(Counter(testing::FastOptions(1)).LogError(), "");  // no log asked for
}

}  // namespace
}  // namespace zc::sim
