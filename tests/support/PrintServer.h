#pragma once

#include "support/Programs.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

// A print server of the test's own: cupsd as a child process whose configuration, spool,
// cache, state and logs all lie in a fresh temporary folder, listening on a Unix socket
// there and on no network port, so it neither disturbs the machine's print service nor
// shares anything with another test run. Its one queue is the default destination and
// turns every job into a PDF in that folder. While the server lives, CUPS_SERVER points
// this process's printing (libcups, and Qt through it) at the server.
//
// Anything that goes wrong leaves its reason in Error(): a test checks it right after
// construction and after each call whose result is empty.
class PrintServer {
public:
    PrintServer() {
        error_ = Start();
        up_ = error_.empty();
    }
    ~PrintServer() { Stop(); }
    PrintServer(const PrintServer&) = delete;
    PrintServer& operator=(const PrintServer&) = delete;

    const std::string& Error() const { return error_; }
    const std::string& Queue() const { return queue_; }

    // The oldest PDF of the queue not returned before, once its job has finished; empty if
    // none did within `timeout`, or a job ended without a whole PDF.
    std::filesystem::path WaitForPdf(std::chrono::seconds timeout) {
        if (!up_) return {};
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        do {
            if (int status = 0; ::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                up_ = false;
                error_ = WithLogs("cupsd " + DescribeExit(status) + " while printing");
                return {};
            }
            // Ghostscript writes straight into the named file, so a PDF is whole only once
            // no job waits in the queue any more.
            const ProgramRun waiting = RunProgram({"lpstat", "-h", socket_, "-o", queue_});
            if (waiting.ok && waiting.out.empty()) {
                if (const auto pdf = OldestNewPdf()) {
                    delivered_.insert(*pdf);
                    if (EndsWithEof(*pdf)) return *pdf;
                    error_ = WithLogs(pdf->string() + " is cut short");
                    return {};
                }
                // cups-pdf tells of success even when Ghostscript failed: every finished
                // job ought to have left a PDF.
                const ProgramRun done = RunProgram({"lpstat", "-h", socket_, "-W", "completed", "-o", queue_});
                if (done.ok && std::count(done.out.begin(), done.out.end(), '\n') > std::ssize(delivered_)) {
                    error_ = WithLogs("a job of " + queue_ + " ended without a PDF");
                    return {};
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (std::chrono::steady_clock::now() < deadline);
        const ProgramRun state = RunProgram({"lpstat", "-h", socket_, "-p", queue_, "-o", queue_});
        error_ = WithLogs("no PDF from " + queue_ + " within " + std::to_string(timeout.count()) + " s\n" + state.out +
                          state.err);
        return {};
    }

    // The text of a PDF, laid out as on its pages.
    std::string PdfText(const std::filesystem::path& pdf) {
        const ProgramRun run = RunProgram({"pdftotext", "-layout", pdf.string(), "-"});
        if (!run.ok) error_ = "pdftotext " + pdf.string() + ": " + run.err;
        return run.ok ? run.out : std::string();
    }

    // The first page of a PDF as a PNG of 50 pixels an inch, in the server's folder.
    std::filesystem::path PdfPicture(const std::filesystem::path& pdf) {
        const std::filesystem::path prefix = dir_ / pdf.stem();
        const ProgramRun run =
            RunProgram({"pdftoppm", "-png", "-r", "50", "-singlefile", "-f", "1", pdf.string(), prefix.string()});
        if (!run.ok) error_ = "pdftoppm " + pdf.string() + ": " + run.err;
        return run.ok ? std::filesystem::path(prefix.string() + ".png") : std::filesystem::path();
    }

private:
    // A run that was killed left its queue's settings behind; its folder is gone with it.
    static void RemoveSettingsOfDeadRuns(const std::filesystem::path& temp) {
        namespace fs = std::filesystem;
        const std::string prefix = "cups-pdf-ZEK8-PDF-";
        std::error_code failed;
        for (const fs::directory_entry& entry : fs::directory_iterator("/etc/cups", failed)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(prefix, 0) != 0 || entry.path().extension() != ".conf") continue;
            const std::string letters = name.substr(prefix.size(), name.size() - prefix.size() - 5);
            if (!fs::exists(temp / ("zek8-print-" + letters), failed)) fs::remove(entry.path(), failed);
        }
    }

    std::string Start() {
        namespace fs = std::filesystem;
        std::error_code failed;
        std::string folder = (fs::temp_directory_path(failed) / "zek8-print-XXXXXX").string();
        if (!::mkdtemp(folder.data())) return "cannot make a folder " + folder + ": " + std::strerror(errno);
        dir_ = folder;
        // cupsd runs its filters as user lp, which has to pass through to the spool. The
        // socket lies one folder deeper, where only this user reaches it.
        fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        socket_ = (dir_ / "run" / "cups.sock").string();
        if (socket_.size() >= sizeof(sockaddr_un::sun_path)) return "the socket path is too long: " + socket_;
        // The folder's random letters keep the queue's name, and with it the cups-pdf
        // file below, apart from those of any other run.
        queue_ = "ZEK8-PDF-" + folder.substr(folder.size() - 6);
        for (const char* sub : {"run", "etc", "spool/tmp", "cache", "state", "log", "pdf", "pdf-spool", "gs-tmp"}) {
            fs::create_directories(dir_ / sub, failed);
            if (failed) return "cannot make " + (dir_ / sub).string() + ": " + failed.message();
        }
        fs::permissions(dir_ / "run", fs::perms::owner_all);

        std::string reason = WriteFile(dir_ / "cups-files.conf", Fill(R"(ServerRoot {dir}/etc
RequestRoot {dir}/spool
TempDir {dir}/spool/tmp
CacheDir {dir}/cache
StateDir {dir}/state
AccessLog {dir}/log/access_log
ErrorLog {dir}/log/error_log
PageLog {dir}/log/page_log
Printcap {dir}/printcap
)"));
        // Only this user reaches the socket, so within it everything is allowed.
        if (reason.empty()) {
            reason = WriteFile(dir_ / "cupsd.conf", Fill(R"(Listen {socket}
Browsing No
WebInterface No
LogLevel info
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
)"));
        }
        if (reason.empty()) reason = StartCupsd();
        if (!reason.empty()) return reason;

        // cups-pdf reads its settings only from /etc/cups: the file named after the queue's
        // device replaces the machine's own settings for this queue alone. Ghostscript
        // writes each PDF, named after its job, straight into pdf/. It turns each page the
        // way its text reads, as a PDF viewer shows it, which the DSC comments of the
        // PostScript it gets would forbid.
        RemoveSettingsOfDeadRuns(dir_.parent_path());
        pdfSettings_ = "/etc/cups/cups-pdf-" + queue_ + ".conf";
        reason = WriteFile(pdfSettings_, Fill(R"(Out {dir}/pdf
AnonDirName {dir}/pdf
Spool {dir}/pdf-spool
GSTmp {dir}/gs-tmp
Log {dir}/log
LogType 3
Grp root
Label 2
GSCall %s -q -dCompatibilityLevel=%s -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -sOutputFile="%s" -dAutoRotatePages=/PageByPage -dParseDSCComments=false -dAutoFilterColorImages=false -dColorImageFilter=/FlateEncode -dPDFSETTINGS=/prepress -c -f %s
)"));
        if (!reason.empty()) {
            pdfSettings_.clear();
            return reason;
        }
        // Ghostscript, the usual renderer, hands cups-pdf fonts whose letters no longer
        // read back as text; cairo keeps them.
        ProgramRun run =
            RunProgram({"lpadmin", "-h", socket_, "-p", queue_, "-E", "-v", "cups-pdf:/" + queue_, "-m",
                        "lsb/usr/cups-pdf/CUPS-PDF_noopt.ppd", "-o", "pdftops-renderer-default=pdftocairo"});
        if (run.ok) run = RunProgram({"lpadmin", "-h", socket_, "-d", queue_});
        if (!run.ok) return WithLogs("cannot set up the queue " + queue_ + ": " + run.err);
        PointPrintingHere();
        return {};
    }

    std::string StartCupsd() {
        const std::filesystem::path cupsd = FindProgram("cupsd");
        if (cupsd.empty()) return "cupsd is not installed";
        const std::string output = (dir_ / "log" / "cupsd-output").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        const std::string conf = (dir_ / "cupsd.conf").string();
        const std::string files = (dir_ / "cups-files.conf").string();
        const char* argv[] = {"cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(), nullptr};
        const int spawned =
            ::posix_spawn(&pid_, cupsd.c_str(), &actions, nullptr, const_cast<char* const*>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            pid_ = 0;
            return "cannot start " + cupsd.string() + ": " + std::strerror(spawned);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            if (int status = 0; ::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                return WithLogs("cupsd " + DescribeExit(status) + " at start");
            }
            if (Connects(socket_)) return {};
            if (std::chrono::steady_clock::now() >= deadline)
                return WithLogs("cupsd did not open " + socket_ + " in 10 s");
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

    void Stop() {
        namespace fs = std::filesystem;
        RestoreEnvironment();
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
                if (std::chrono::steady_clock::now() >= deadline) {
                    ::kill(pid_, SIGKILL);
                    ::waitpid(pid_, nullptr, 0);
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        std::error_code ignored;
        if (!pdfSettings_.empty()) fs::remove(pdfSettings_, ignored);
        if (!dir_.empty()) fs::remove_all(dir_, ignored);
    }

    std::optional<std::filesystem::path> OldestNewPdf() const {
        std::optional<std::filesystem::path> oldest;
        std::filesystem::file_time_type oldestTime;
        std::error_code failed;
        for (const auto& entry : std::filesystem::directory_iterator(dir_ / "pdf", failed)) {
            if (entry.path().extension() != ".pdf" || delivered_.count(entry.path()) > 0) continue;
            const auto time = entry.last_write_time(failed);
            if (!failed && (!oldest || time < oldestTime)) {
                oldest = entry.path();
                oldestTime = time;
            }
        }
        return oldest;
    }

    static bool EndsWithEof(const std::filesystem::path& pdf) {
        std::ifstream file(pdf, std::ios::binary);
        std::string end(32, '\0');
        if (!file.seekg(-static_cast<std::streamoff>(end.size()), std::ios::end)) return false;
        file.read(end.data(), static_cast<std::streamsize>(end.size()));
        return end.find("%%EOF") != std::string::npos;
    }

    // A default destination in the environment would win over the server's.
    void PointPrintingHere() {
        for (const char* name : {"CUPS_SERVER", "LPDEST", "PRINTER"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        ::setenv("CUPS_SERVER", socket_.c_str(), 1);
        ::unsetenv("LPDEST");
        ::unsetenv("PRINTER");
        ForgetCupsServer();
    }

    void RestoreEnvironment() {
        if (saved_.empty()) return;
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
        saved_.clear();
        ForgetCupsServer();
    }

    // libcups reads CUPS_SERVER once per thread and keeps its connection to that server.
    // If this process has loaded libcups, its calling thread reads the variable again.
    static void ForgetCupsServer() {
        void* cups = ::dlopen("libcups.so.2", RTLD_NOW | RTLD_NOLOAD);
        if (!cups) return;
        using SetServer = void (*)(const char*);
        if (const auto setServer = reinterpret_cast<SetServer>(::dlsym(cups, "cupsSetServer"))) setServer(nullptr);
        ::dlclose(cups);
    }

    static bool Connects(const std::string& path) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return connected;
    }

    // A configuration text with this server's folder and socket in it.
    std::string Fill(std::string text) const {
        for (const auto& [name, value] :
             {std::pair<std::string, std::string>{"{dir}", dir_.string()}, {"{socket}", socket_}}) {
            for (auto at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size())) {
                text.replace(at, name.size(), value);
            }
        }
        return text;
    }

    static std::string WriteFile(const std::filesystem::path& path, const std::string& text) {
        std::ofstream file(path, std::ios::trunc);
        file << text;
        file.close();
        return file ? std::string() : "cannot write " + path.string();
    }

    // A failure with the end of the server's output and logs: a few short lines in the
    // message, since test frameworks cut long ones, and more of them on stderr.
    std::string WithLogs(const std::string& reason) const {
        std::cerr << reason << Logs(30, std::string::npos) << '\n';
        return reason + Logs(4, 160);
    }

    std::string Logs(std::size_t lines, std::size_t width) const {
        std::string text;
        for (const std::string& name :
             {std::string("cupsd-output"), "cups-pdf-" + queue_ + "_log", std::string("error_log")}) {
            std::ifstream file(dir_ / "log" / name);
            std::deque<std::string> tail;
            for (std::string line; std::getline(file, line);) {
                tail.push_back(line.substr(0, width));
                if (tail.size() > lines) tail.pop_front();
            }
            if (tail.empty()) continue;
            text += "\n--- end of " + name + " ---";
            for (const std::string& line : tail) text += "\n" + line;
        }
        return text;
    }

    std::filesystem::path dir_;
    std::string socket_;
    std::string queue_;
    std::filesystem::path pdfSettings_;
    pid_t pid_ = 0;
    bool up_ = false;
    std::set<std::filesystem::path> delivered_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
    std::string error_;
};
