// postwright and inwright reading their input from a terminal (a pseudo-terminal in canonical
// mode): postwright converts each line as soon as it is typed, inwright at the end, and in
// both the end-of-file key ends the run normally, the first time it is typed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "program_runner.h"

namespace {

constexpr char END_OF_FILE_KEY = 4;  // control-D, the terminal's VEOF
constexpr auto EXIT_WAIT = std::chrono::seconds(20);

class TerminalTest : public ::testing::Test {
 protected:
  int master = -1;  // the side the test types into
  int slave = -1;   // kept open so the line discipline keeps what is typed before the child opens it
  pid_t child = -1;
  std::string dir;

  void SetUp() override {
    dir = make_scratch_dir();
    master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    termios mode{};
    ASSERT_EQ(tcgetattr(slave, &mode), 0);
    mode.c_lflag |= ICANON;
    mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    mode.c_cc[VEOF] = END_OF_FILE_KEY;
    ASSERT_EQ(tcsetattr(slave, TCSANOW, &mode), 0);
  }
  void TearDown() override {
    if (child > 0 && waitpid(child, nullptr, WNOHANG) == 0) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    if (master >= 0) close(master);
    if (slave >= 0) close(slave);
    remove_scratch_dir(dir);
  }
  // The terminal is named as the input file, or is standard input and "-" names it.
  void start_postwright(bool as_standard_input = false, const char *program = POSTWRIGHT_EXE) {
    std::string terminal = ptsname(master);
    child = fork();
    if (child == 0) {
      int out = open((dir + "/stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, STDOUT_FILENO);
      if (as_standard_input) dup2(open(terminal.c_str(), O_RDONLY), STDIN_FILENO);
      const char *input = as_standard_input ? "-" : terminal.c_str();
      execl(program, program, input, (dir + "/out").c_str(), static_cast<char *>(nullptr));
      _exit(127);
    }
  }
  void type(const std::string &text) {
    ASSERT_EQ(write(master, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  // Whether the output file comes to hold `text` while the program still runs.
  bool output_becomes(const std::string &text) {
    auto deadline = std::chrono::steady_clock::now() + EXIT_WAIT;
    while (std::chrono::steady_clock::now() < deadline) {
      if (file_exists(dir + "/out") && read_file(dir + "/out") == text) return waitpid(child, nullptr, WNOHANG) == 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  // The exit status once the program ends by itself, or -1 when it still waits for input.
  int wait_for_exit() {
    auto deadline = std::chrono::steady_clock::now() + EXIT_WAIT;
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (waitpid(child, &status, WNOHANG) == child) {
        child = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }
};

// Block reads would wait for 8192 bytes or the end of the input; line reads see the illegal
// character on the second line while the terminal is still open.
TEST_F(TerminalTest, LinesAreReadAsTheyAreTyped) {
  for (bool as_standard_input : {false, true}) {
    start_postwright(as_standard_input);
    type("a = b;\n+\n");
    EXPECT_EQ(wait_for_exit(), 1) << as_standard_input;
    EXPECT_EQ(normalize_banners(read_file(dir + "/stdout")), "<start>\nERROR -illegal character in line 2\n");
    EXPECT_EQ(read_file(dir + "/out"), "a =b ;\n");
  }
}

TEST_F(TerminalTest, EndOfFileKeyEndsTheRun) {
  start_postwright();
  type("a = b | c;\n-- done\n");
  type(std::string(1, END_OF_FILE_KEY));
  EXPECT_EQ(wait_for_exit(), 0);
  EXPECT_EQ(normalize_banners(read_file(dir + "/stdout")), "<start>\n<stop>\n");
  EXPECT_EQ(read_file(dir + "/out"), "a =b c |;\n-- done\n");
}

// What a line converts to is in the output file before the next line is typed.
TEST_F(TerminalTest, EachLinesOutputIsWrittenAtOnce) {
  start_postwright();
  type("a = b;\n");
  EXPECT_TRUE(output_becomes("a =b ;\n"));
  type("c = d;\n" + std::string(1, END_OF_FILE_KEY));
  EXPECT_EQ(wait_for_exit(), 0);
  EXPECT_EQ(read_file(dir + "/out"), "a =b ;\nc =d ;\n");
}

// inwright reads a terminal in blocks, so it converts at the end; the first end-of-file key
// at the start of a line ends it.
TEST_F(TerminalTest, InwrightEndsAtTheFirstEndOfFileKey) {
  start_postwright(false, INWRIGHT_EXE);
  type("y = a b & ;\n");
  type(std::string(1, END_OF_FILE_KEY));
  EXPECT_EQ(wait_for_exit(), 0);
  EXPECT_EQ(read_file(dir + "/out"), "y =a&b;\n");
}

}  // namespace
