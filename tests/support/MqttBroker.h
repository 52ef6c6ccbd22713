#pragma once

#include "support/JackServer.h"
#include "support/Programs.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

// A port on 127.0.0.1 that nothing listens on just now.
inline int FreeLocalPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(probe, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(probe);
    return port;
}

// Whether something accepts connections on 127.0.0.1:port.
inline bool Listening(int port) {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool up = ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return up;
}

// A certificate authority of the test's own in `folder`: <name>.crt and <name>.key.
// Empty, or what openssl said.
inline std::string MakeCertificateAuthority(const std::filesystem::path& folder, const std::string& name) {
    const ProgramRun run =
        RunProgram({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                    "-days", "2", "-subj", "/CN=" + name, "-keyout", (folder / (name + ".key")).string(), "-out",
                    (folder / (name + ".crt")).string()});
    return run.ok ? std::string() : run.err;
}

// One account on the broker. A station may write only its own status, online and reply
// and read only its own command; an operator may command the stations named for it and
// read every station's status, online and reply.
struct MqttAccount {
    std::string user;
    std::string password;
    std::vector<std::string> commands; // the stations an operator commands; empty for a station
    bool operatorAccount = false;
};

// An MQTT broker of the test's own: mosquitto on 127.0.0.1 with its configuration,
// password file, access list and certificates in a folder of this process, a TLS
// listener (TlsPort, server certificate for 127.0.0.1 signed by CaFile) and a plain one
// (PlainPort). Anonymous clients are refused. Up once the constructor returns with an
// empty Error(); ended by its process id when the object goes.
class MqttBroker {
public:
    explicit MqttBroker(const std::vector<MqttAccount>& accounts)
        : folder_(std::filesystem::temp_directory_path() /
                  ("zek8-mqtt-" + std::to_string(::getpid()) + "-" + std::to_string(++count_))),
          tlsPort_(FreeLocalPort()), plainPort_(FreeLocalPort()) {
        while (plainPort_ == tlsPort_) plainPort_ = FreeLocalPort();
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        error_ = Prepare(accounts);
        if (error_.empty()) Start();
    }
    ~MqttBroker() {
        broker_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    MqttBroker(const MqttBroker&) = delete;
    MqttBroker& operator=(const MqttBroker&) = delete;

    const std::string& Error() const { return error_; }
    int TlsPort() const { return tlsPort_; }
    int PlainPort() const { return plainPort_; }
    std::filesystem::path CaFile() const { return folder_ / "ca.crt"; }
    const std::filesystem::path& Folder() const { return folder_; }

    // Starts the broker (again, after Stop) on the same ports, waiting at most 10 s for
    // both listeners.
    void Start() {
        broker_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{FindProgram("mosquitto"), "-c", (folder_ / "mosquitto.conf").string()},
            folder_ / "mosquitto.log");
        const auto up = [this] { return !broker_->Running() || (Listening(tlsPort_) && Listening(plainPort_)); };
        if (!WaitUntil(up, std::chrono::seconds(10)) || !broker_->Running())
            error_ = "mosquitto (scripts/install-deps) did not come up:\n" + broker_->Log();
    }
    void Stop() {
        broker_->Signal(SIGCONT);
        broker_->Kill(SIGTERM);
    }
    // SIGSTOP and SIGCONT: a broker whose sockets stay open and that answers nothing.
    void Signal(int signal) { broker_->Signal(signal); }
    std::string Log() const { return broker_->Log(); }

private:
    std::string Prepare(const std::vector<MqttAccount>& accounts) {
        if (FindProgram("mosquitto").empty()) return "mosquitto is not installed (scripts/install-deps)";
        if (std::string error = MakeCertificateAuthority(folder_, "ca"); !error.empty()) return error;
        const std::string server = (folder_ / "server").string();
        std::ofstream(folder_ / "server.ext") << "subjectAltName=IP:127.0.0.1\n";
        for (const std::vector<std::string>& step :
             {std::vector<std::string>{"openssl", "req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                                       "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", server + ".key", "-out",
                                       server + ".csr"},
              std::vector<std::string>{"openssl", "x509", "-req", "-in", server + ".csr", "-CA", CaFile().string(),
                                       "-CAkey", (folder_ / "ca.key").string(), "-CAcreateserial", "-days", "2",
                                       "-extfile", server + ".ext", "-out", server + ".crt"}}) {
            if (const ProgramRun run = RunProgram(step); !run.ok) return run.err;
        }
        const std::string passwords = (folder_ / "passwd").string();
        std::ofstream(passwords).close();
        std::ofstream acl(folder_ / "acl");
        for (const MqttAccount& account : accounts) {
            if (const ProgramRun run =
                    RunProgram({"mosquitto_passwd", "-b", passwords, account.user, account.password});
                !run.ok)
                return run.err;
            acl << "user " << account.user << "\n";
            if (account.operatorAccount) {
                for (const char* topic : {"status", "online", "reply"}) acl << "topic read zek8/+/" << topic << "\n";
                for (const std::string& station : account.commands)
                    acl << "topic write zek8/" << station << "/command\n";
            } else {
                for (const char* topic : {"status", "online", "reply"})
                    acl << "topic write zek8/" << account.user << "/" << topic << "\n";
                acl << "topic read zek8/" << account.user << "/command\n";
            }
            acl << "\n";
        }
        const passwd* me = ::getpwuid(::geteuid());
        std::ofstream(folder_ / "mosquitto.conf")
            << "user " << (me ? me->pw_name : "root") << "\n"
            << "persistence false\nallow_anonymous false\nset_tcp_nodelay true\n"
            << "password_file " << passwords << "\nacl_file " << (folder_ / "acl").string() << "\n"
            << "listener " << tlsPort_ << " 127.0.0.1\n"
            << "cafile " << CaFile().string() << "\ncertfile " << server << ".crt\nkeyfile " << server << ".key\n"
            << "listener " << plainPort_ << " 127.0.0.1\n";
        return {};
    }

    static inline int count_ = 0;
    std::filesystem::path folder_;
    int tlsPort_, plainPort_;
    std::unique_ptr<ChildProcess> broker_;
    std::string error_;
};
