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

// The test's own client: a sine of 0.25 at 100 Hz into its port `sine`, and the peak of
// what comes into its port `ch1` once measuring.
struct Probe {
    explicit Probe(const std::string& server) {
        client = jack_client_open("zek8-probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                  nullptr, server.c_str());
        if (!client) return;
        cyclesPerSample = 100.0 / jack_get_sample_rate(client);
        sine = jack_port_register(client, "sine", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        channel1 = jack_port_register(client, "ch1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client, &Probe::Process, this);
        jack_set_xrun_callback(
            client, [](void* self) { return ++static_cast<Probe*>(self)->xruns, 0; }, this);
        jack_activate(client);
    }
    ~Probe() {
        if (client) jack_client_close(client);
    }
    static int Process(jack_nframes_t frames, void* self) {
        auto& probe = *static_cast<Probe*>(self);
        auto* out = static_cast<float*>(jack_port_get_buffer(probe.sine, frames));
        const auto* in = static_cast<const float*>(jack_port_get_buffer(probe.channel1, frames));
        for (jack_nframes_t n = 0; n < frames; ++n) {
            out[n] = static_cast<float>(0.25 * std::sin(2.0 * std::numbers::pi * probe.cycles));
            probe.cycles += probe.cyclesPerSample;
            probe.cycles -= std::floor(probe.cycles);
            if (probe.measuring) probe.peak = std::max(probe.peak.load(), std::abs(in[n]));
        }
        return 0;
    }

    jack_client_t* client = nullptr;
    jack_port_t* sine = nullptr;
    jack_port_t* channel1 = nullptr;
    double cycles = 0.0, cyclesPerSample = 0.0;
    std::atomic<bool> measuring{false};
    std::atomic<float> peak{0.0F};
    // A period the server lost leaves a step in the drive, which rings the resonance.
    std::atomic<int> xruns{0};
};

// The truth file's last whole line as numbers.
std::vector<double> LastTruthRow(const std::filesystem::path& truth) {
    std::ifstream in(truth);
    std::string line, last;
    while (std::getline(in, line))
        if (!in.eof()) last = line;
    std::vector<double> values;
    for (std::istringstream fields(last); std::getline(fields, line, ',');) values.push_back(std::atof(line.c_str()));
    return values;
}

// The bench on a private server: a 100 Hz drive of 0.25 at the armature's resonance (2 G
// at full drive, Q 5, the suspension's -1 far below) moves channel 1's 100 mV/G sensor by
// 2 x 5 x 0.25 = 2.5 G peak, 0.25 V on a 1 V full scale. Killed with SIGKILL, the bench
// leaves the server running without it.
TEST(JackBench, PlaysThePlantOnAPrivateServerAndDiesAlone) {
    const auto folder = std::filesystem::path(testing::TempDir()) / ("zek8-jack-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    PrivateJackServer server(folder);
    ASSERT_EQ(server.Error(), "");
    {
        std::ofstream(folder / "resonance.bench")
            << "shaker.full-drive-g 2\nshaker.suspension 0.1 1000\n"
               "shaker.armature 100 5\nharmonics\nnoise-g 0\nchannel 1 table 100\n";
        const std::filesystem::path truth = folder / "truth.csv";
        ChildProcess bench({ZEK8_JACK_BENCH, "--server", server.Name(), "--truth", truth.string(),
                            (folder / "resonance.bench").string()},
                           folder / "bench.log");
        Probe probe(server.Name());
        ASSERT_TRUE(probe.sine && probe.channel1);
        // The bench's ports take connections once it is active, a moment after they appear.
        ASSERT_TRUE(WaitUntil(
            [&] { return jack_connect(probe.client, "zek8-probe:sine", "zek8-bench:drive") == 0 || !bench.Running(); },
            10s));
        ASSERT_TRUE(bench.Running()) << bench.Log();
        ASSERT_EQ(jack_connect(probe.client, "zek8-bench:ch1", "zek8-probe:ch1"), 0);

        std::vector<double> row;
        ASSERT_TRUE(WaitUntil([&] { return (row = LastTruthRow(truth)).size() == 19 && row[2] > 0.0; }, 10s))
            << bench.Log();
        // A second on, long after the lock: the truth and channel 1 as worked out above,
        // measured again (a few times at most) when the server lost a period meanwhile.
        for (int attempt = 0; attempt < 3; ++attempt) {
            const int xrunsBefore = probe.xruns;
            probe.peak = 0.0F;
            probe.measuring = true;
            std::this_thread::sleep_for(1s);
            probe.measuring = false;
            if (probe.xruns == xrunsBefore) break;
        }
        row = LastTruthRow(truth);
        ASSERT_EQ(row.size(), 19U);
        EXPECT_NEAR(row[1], 100.0, 0.01);
        EXPECT_NEAR(row[2], 0.25, 1e-4);
        EXPECT_NEAR(row[3], 2.5, 1e-3);
        EXPECT_NEAR(probe.peak, 0.25, 1e-3);

        bench.Kill(SIGKILL);
        EXPECT_TRUE(WaitUntil([&] { return !jack_port_by_name(probe.client, "zek8-bench:drive"); }, 5s));
        EXPECT_TRUE(server.Running());
    }
    server.Stop();
    EXPECT_FALSE(server.Running());
    // Every process the test started has been reaped: none is left behind.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    if (!HasFailure()) std::filesystem::remove_all(folder);
}

} // namespace
