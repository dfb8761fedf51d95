// The boardsim program as the README's run command uses it, and its command line.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "boardsim/options.h"
#include "pty_client.h"

namespace boardsim_test {
namespace {

struct Program {
    pid_t pid = -1;
    FILE* out = nullptr;

    explicit Program(const std::vector<std::string>& args) {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            std::vector<char*> argv{const_cast<char*>(BOARDSIM_PROGRAM)};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(BOARDSIM_PROGRAM, argv.data());
            _exit(127);
        }
        close(fds[1]);
        out = fdopen(fds[0], "r");
    }
    ~Program() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out) fclose(out);
    }
    std::string firstLine() {
        char buf[512] = {};
        if (!out || !fgets(buf, sizeof buf, out)) return {};
        std::string s(buf);
        if (!s.empty() && s.back() == '\n') s.pop_back();
        return s;
    }
    // Sends `sig` and returns the exit status, or -1 if it did not exit normally.
    int stop(int sig) {
        kill(pid, sig);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

std::string tempPath(const char* name) {
    return "/tmp/boardsim_test_" + std::to_string(getpid()) + "_" + name;
}

TEST(Program, ServesOnItsLinkUntilTerminated) {
    const std::string link = tempPath("link");
    const std::string record = tempPath("record");
    Program program({"--link", link, "--firmware", "0x0abc", "--record", record});
    ASSERT_EQ(program.firstLine(), link);
    {
        PtyClient console(link);
        ASSERT_TRUE(console.isOpen());
        console.send(getRegister(0));
        EXPECT_EQ(console.read(8), request({0xC2000002, 0x0ABC0000}));
    }
    EXPECT_EQ(program.stop(SIGTERM), 0);
    struct stat st;
    EXPECT_NE(lstat(link.c_str(), &st), 0);

    std::ifstream in(record);
    std::string seconds, who, hex;
    int console = 0, board = 0;
    while (in >> seconds >> who >> hex) (who == "console" ? console : board)++;
    EXPECT_EQ(console, 8);
    EXPECT_EQ(board, 8);
    std::remove(record.c_str());
}

TEST(Program, ReplacesAStaleLinkAndStopsOnInterrupt) {
    const std::string link = tempPath("stale");
    ASSERT_EQ(symlink("/nonexistent", link.c_str()), 0);
    Program program({"--link", link, "--bootloader"});
    ASSERT_EQ(program.firstLine(), link);
    PtyClient console(link);
    console.send(Bytes{':', '0', '0', '0', '0', '0', '0', '0', '1', 'F', 'F', 0x0D});
    EXPECT_EQ(console.read(3), (Bytes{0x13, 0x06, 0x11}));
    EXPECT_EQ(program.stop(SIGINT), 0);
    struct stat st;
    EXPECT_NE(lstat(link.c_str(), &st), 0);
}

TEST(Program, RefusesBadOptions) {
    for (const char* bad : {"--nonsense", "--delay-ms", "--status"}) {
        Program program({bad});
        EXPECT_EQ(program.stop(0), 2) << bad;
    }
}

TEST(ProgramOptions, FaultOptionsShareAfterAndCount) {
    const char* argv[] = {"boardsim", "--status",        "0x10",     "--trailing",
                          "3",        "--fault-after",   "2",        "--fault-count",
                          "1",        "--boot-bad-line", "4:2:0x00", "--boot-bad-line",
                          "7"};
    boardsim::ProgramOptions o;
    std::string error;
    ASSERT_TRUE(boardsim::parseOptions(std::size(argv), argv, o, error)) << error;
    ASSERT_EQ(o.faults.size(), 2u);
    EXPECT_EQ(o.faults[0].status, 0x10);
    EXPECT_EQ(o.faults[1].bytes, 3);
    for (const boardsim::Fault& f : o.faults) {
        EXPECT_EQ(f.after, 2);
        EXPECT_EQ(f.count, 1);
    }
    ASSERT_EQ(o.bootBadAnswers.size(), 2u);
    EXPECT_EQ(o.bootBadAnswers[0].line, 4);
    EXPECT_EQ(o.bootBadAnswers[0].byteIndex, 2);
    EXPECT_EQ(o.bootBadAnswers[0].value, 0x00);
    EXPECT_EQ(o.bootBadAnswers[1].byteIndex, 1);
    EXPECT_EQ(o.bootBadAnswers[1].value, 0x15);
}

TEST(ProgramOptions, RejectsOutOfRangeValues) {
    for (std::vector<const char*> args : std::vector<std::vector<const char*>>{
             {"boardsim", "--status", "256"},
             {"boardsim", "--firmware", "0x10000"},
             {"boardsim", "--delay-ms", "-1"},
             {"boardsim", "--trailing", "12x"},
             {"boardsim", "--boot-bad-line", "3:3:1"},
             {"boardsim", "--boot-bad-line", "3:1"},
         }) {
        boardsim::ProgramOptions o;
        std::string error;
        EXPECT_FALSE(boardsim::parseOptions(static_cast<int>(args.size()), args.data(), o, error))
            << args[1] << " " << args[2];
        EXPECT_EQ(error.rfind(args[1], 0), 0u) << error;  // names the option
    }
}

}  // namespace
}  // namespace boardsim_test
