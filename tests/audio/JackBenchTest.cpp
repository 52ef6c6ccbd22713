#include "support/JackServer.h"

#include <gtest/gtest.h>

#include <jack/jack.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

// The test's own client: plays a sine into the bench's drive and keeps what comes back on
// channel 1.
class Probe {
public:
    Probe(const std::string& server, double hz, double amplitude) : hz_(hz), amplitude_(amplitude) {
        client_ = jack_client_open("zek8-probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                   nullptr, server.c_str());
        if (!client_) return;
        rate_ = jack_get_sample_rate(client_);
        received_.resize(static_cast<std::size_t>(rate_)); // the last second
        sine_ = jack_port_register(client_, "sine", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        channel1_ = jack_port_register(client_, "ch1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client_, &Probe::Process, this);
        jack_activate(client_);
    }
    ~Probe() {
        if (client_) jack_client_close(client_);
    }
    bool Open() const { return client_ && sine_ && channel1_; }
    jack_client_t* Client() const { return client_; }
    // The largest value of channel 1 over the last second of samples.
    double ReceivedPeak() const {
        double peak = 0.0;
        for (const float x : received_) peak = std::max(peak, std::abs(static_cast<double>(x)));
        return peak;
    }
    bool HasPort(const char* name) const { return jack_port_by_name(client_, name) != nullptr; }

private:
    static int Process(jack_nframes_t frames, void* self) {
        auto& probe = *static_cast<Probe*>(self);
        auto* out = static_cast<float*>(jack_port_get_buffer(probe.sine_, frames));
        const auto* in = static_cast<const float*>(jack_port_get_buffer(probe.channel1_, frames));
        for (jack_nframes_t n = 0; n < frames; ++n) {
            out[n] = static_cast<float>(probe.amplitude_ * std::sin(2.0 * std::numbers::pi * probe.phase_));
            probe.phase_ += probe.hz_ / probe.rate_;
            probe.phase_ -= std::floor(probe.phase_);
            probe.received_[probe.next_] = in[n];
            probe.next_ = (probe.next_ + 1) % probe.received_.size();
        }
        return 0;
    }

    double hz_, amplitude_;
    double rate_ = 48000;
    double phase_ = 0.0;
    jack_client_t* client_ = nullptr;
    jack_port_t* sine_ = nullptr;
    jack_port_t* channel1_ = nullptr;
    std::vector<float> received_;
    std::size_t next_ = 0;
};

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// The truth file's last whole line, split at the commas.
std::vector<double> LastTruthRow(const std::filesystem::path& truth) {
    std::ifstream in(truth);
    std::string line, last;
    while (std::getline(in, line))
        if (!in.eof()) last = line;
    std::vector<double> values;
    std::istringstream fields(last);
    for (std::string field; std::getline(fields, field, ',');) values.push_back(std::strtod(field.c_str(), nullptr));
    return values;
}

// The bench on a private server: a 100 Hz drive of 0.25 at the armature's resonance (2 G
// at full drive, Q 5, the suspension's -1 far below) moves channel 1's 100 mV/G sensor by
// 2 x 5 x 0.25 = 2.5 G peak, 0.25 V on a 1 V full scale. Killed with SIGKILL, the bench
// leaves the server running without it.
TEST(JackBench, PlaysThePlantOnAPrivateServerAndDiesAlone) {
    const std::filesystem::path folder =
        std::filesystem::path(testing::TempDir()) / ("zek8-jack-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    PrivateJackServer server(folder);
    ASSERT_EQ(server.Error(), "");
    {
        std::ofstream(folder / "resonance.bench")
            << "shaker.full-drive-g 2\nshaker.suspension 0.1 1000\n"
               "shaker.armature 100 5\nharmonics\nnoise-g 0\nchannel 1 table 100\n";
        const std::filesystem::path truth = folder / "truth.csv";
        std::filesystem::remove(truth);
        ChildProcess bench({ZEK8_JACK_BENCH, "--server", server.Name(), "--truth", truth.string(),
                            (folder / "resonance.bench").string()},
                           folder / "bench.log");
        ASSERT_EQ(bench.Error(), "");
        Probe probe(server.Name(), 100.0, 0.25);
        ASSERT_TRUE(probe.Open());
        // The bench's ports take connections once it is active, a moment after they appear.
        ASSERT_TRUE(WaitFor(
            [&] {
                return jack_connect(probe.Client(), "zek8-probe:sine", "zek8-bench:drive") == 0 || !bench.Running();
            },
            10s));
        ASSERT_TRUE(bench.Running()) << bench.Log();
        ASSERT_EQ(jack_connect(probe.Client(), "zek8-bench:ch1", "zek8-probe:ch1"), 0);

        // A second and a half of the connected drive: the last row of truth and the last
        // second of channel 1 both long after the lock.
        double connectedAt = -1.0;
        std::vector<double> row;
        const bool settled = WaitFor(
            [&] {
                row = LastTruthRow(truth);
                if (row.size() != 19) return false;
                if (connectedAt < 0.0 && row[2] > 0.0) connectedAt = row[0];
                return connectedAt >= 0.0 && row[0] > connectedAt + 1.5;
            },
            15s);
        ASSERT_TRUE(settled) << bench.Log();
        std::ifstream header(truth);
        std::string first;
        std::getline(header, first);
        EXPECT_EQ(first.substr(0, 40), "seconds,frequency_hz,drive,ch1_g,ch2_g,c");
        EXPECT_NEAR(row[1], 100.0, 0.01);
        EXPECT_NEAR(row[2], 0.25, 1e-4);
        EXPECT_NEAR(row[3], 2.5, 1e-3);
        EXPECT_NEAR(probe.ReceivedPeak(), 0.25, 1e-3);

        bench.Kill(SIGKILL);
        EXPECT_TRUE(WaitFor([&] { return !probe.HasPort("zek8-bench:drive"); }, 5s)) << "the dead bench stays listed";
        EXPECT_TRUE(server.Running());
    }
    server.Stop();
    EXPECT_FALSE(server.Running());
    // Every process the test started has been reaped: none is left behind.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    if (!HasFailure()) std::filesystem::remove_all(folder);
}

} // namespace
