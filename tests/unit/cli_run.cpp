#include "cli_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace clitest {
namespace {
std::string Slurp(const std::string& path) {
    std::ifstream f(path);
    return std::string(std::istreambuf_iterator<char>(f), {});
}
}  // namespace

Result Run(const std::vector<std::string>& args, int timeoutSeconds) {
    char outName[] = "/tmp/kerfel-cli-out-XXXXXX";
    char errName[] = "/tmp/kerfel-cli-err-XXXXXX";
    int out = mkstemp(outName), err = mkstemp(errName);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out, 1);
        dup2(err, 2);
        alarm(static_cast<unsigned>(timeoutSeconds));  // a hang fails the test instead of the suite
        std::vector<char*> argv;
        std::string bin = KERFEL_BINARY;
        argv.push_back(bin.data());
        std::vector<std::string> copy = args;
        for (auto& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(bin.c_str(), argv.data());
        _exit(127);
    }
    int ws = 0;
    waitpid(pid, &ws, 0);
    close(out);
    close(err);
    Result r;
    r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : 128 + WTERMSIG(ws);
    r.out = Slurp(outName);
    r.err = Slurp(errName);
    unlink(outName);
    unlink(errName);
    return r;
}

}  // namespace clitest
