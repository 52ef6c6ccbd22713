// zek8-jack-bench: the simulated bench's shaker and sensors as a JACK client, so that the
// audio path can be tried without hardware.
#include "JackBenchClient.h"
#include "hardware/sim/BenchFile.h"

#include <csignal>
#include <ctime>
#include <fstream>
#include <iostream>
#include <limits>
#include <locale>
#include <string>
#include <string_view>

namespace {

constexpr const char* Help = R"(Usage: zek8-jack-bench [--server NAME] [--truth FILE] [BENCHFILE]
Plays the simulated bench's shaker and sensors as the JACK client zek8-bench: the sine on
its input port drive (1 = full drive) moves the plant of BENCHFILE (else the built-in
bench), and its output ports ch1 .. ch16 carry each sensor's volts over the full scale.
  --server NAME   the JACK server to join (else JACK's default); none is started
  --truth FILE    writes the true fundamental of every channel, G peak, each 0.1 s (CSV)
  --help, --version
Runs until SIGINT, SIGTERM or SIGHUP (status 0) or until the server goes (status 1); a
bad option or bench file gives status 2.
)";

volatile std::sig_atomic_t stopSignal = 0;

void Stop(int signal) { stopSignal = signal; }

int Fail(const std::string& message, int status) {
    std::cerr << "zek8-jack-bench: " << message << '\n';
    return status;
}

} // namespace

int main(int argc, char* argv[]) {
    std::string server;
    std::string truthPath;
    std::string benchPath;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "--version") {
            std::cout << (option == "--help" ? std::string(Help) : "zek8-jack-bench " ZEK8_VERSION "\n");
            return 0;
        }
        if (option == "--server" || option == "--truth") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') return Fail(std::string(option) + " needs a value", 2);
            (option == "--server" ? server : truthPath) = argv[++i];
        } else if (option.starts_with("-") || !benchPath.empty()) {
            return Fail("unknown option or second bench file: " + std::string(option) + "\n" + Help, 2);
        } else {
            benchPath = option;
        }
    }

    sim::BenchModel model;
    try {
        model = benchPath.empty() ? sim::DefaultBenchModel() : sim::LoadBenchFile(benchPath);
    } catch (const sim::BenchFileError& error) {
        return Fail(error.what(), 2);
    }
    std::ofstream truthFile;
    if (!truthPath.empty()) {
        truthFile.open(truthPath);
        if (!truthFile) return Fail("cannot write the truth file " + truthPath, 2);
        truthFile.imbue(std::locale::classic());
        truthFile.precision(std::numeric_limits<double>::max_digits10);
        JackBenchClient::WriteTruthHeader(truthFile);
        truthFile.flush();
    }
    // Without a truth file the rows are still taken from the ring, into a stream that
    // writes nowhere.
    std::ostream discard(nullptr);
    std::ostream& truth = truthPath.empty() ? discard : truthFile;

    struct sigaction action {};
    action.sa_handler = Stop;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);

    try {
        JackBenchClient bench(model, server);
        std::cerr << "zek8-jack-bench: running at " << bench.SampleRate() << " Hz\n";
        while (!stopSignal && !bench.ServerGone()) {
            const timespec pause{0, 20'000'000};
            nanosleep(&pause, nullptr);
            bench.WriteTruth(truth);
            if (!truthPath.empty() && !truthFile) return Fail("writing the truth file " + truthPath + " failed", 1);
        }
        bench.WriteTruth(truth);
        if (bench.LostRows() > 0)
            std::cerr << "zek8-jack-bench: " << bench.LostRows()
                      << " rows of truth were lost: the writer fell behind\n";
        if (bench.ServerGone()) return Fail("the JACK server has gone", 1);
    } catch (const JackBenchClient::Error& error) {
        return Fail(error.what(), 1);
    }
    return 0;
}
