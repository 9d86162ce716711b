#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::test {

// A corvane-gateway child process on an ephemeral loopback port, stopped
// when the object goes.
class GatewayProcess {
public:
    // extraArgs: further flags such as "--today" "20050315" or "--fail-first" "2".
    explicit GatewayProcess(const std::filesystem::path& dataDir,
                            const std::vector<std::string>& extraArgs = {});
    ~GatewayProcess();
    GatewayProcess(const GatewayProcess&) = delete;
    GatewayProcess& operator=(const GatewayProcess&) = delete;

    bool Running() const { return port_ > 0; }
    int Port() const { return port_; }
    // "http://127.0.0.1:<port>"
    std::string BaseUrl() const;

private:
    int pid_ = -1;
    int port_ = 0;
};

// The demo data shipped with the gateway.
std::filesystem::path DemoDataDir();

}  // namespace corvane::test
