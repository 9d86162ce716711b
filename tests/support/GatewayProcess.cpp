#include "GatewayProcess.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>

extern char** environ;

namespace corvane::test {

GatewayProcess::GatewayProcess(const std::filesystem::path& dataDir,
                               const std::vector<std::string>& extraArgs) {
    std::vector<std::string> args = {
        CORVANE_GATEWAY_PATH, "--port", "0", "--bind", "127.0.0.1", "--data", dataDir.string()};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe(pipeFds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        pid_ = -1;
        close(pipeFds[0]);
        return;
    }
    // The first line the gateway prints is the port it listens on.
    std::FILE* out = fdopen(pipeFds[0], "r");
    char line[32] = {};
    if (out != nullptr && std::fgets(line, sizeof line, out) != nullptr) port_ = std::atoi(line);
    if (out != nullptr) std::fclose(out);
}

GatewayProcess::~GatewayProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
}

std::string GatewayProcess::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::filesystem::path DemoDataDir() {
    return CORVANE_DEMO_DATA_DIR;
}

}  // namespace corvane::test
