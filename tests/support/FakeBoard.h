#pragma once

#include "core/Controller.h"
#include "hardware/DaqLibrary.h"
#include "hardware/SerialWordDecoder.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <span>
#include <sstream>
#include <string>
#include <vector>

// An acquisition library under the test's control. Every call is logged as
// "function handle arguments..." and succeeds unless `failing` names it; the master
// opens as handle 0 and the slave as 1 unless `openHandles` says otherwise. It hands
// out blocks made by `makeBlock`, remembers the gains the controller held at each
// read, and keeps every value written to digital port A so that the serial words can
// be read back through the signal-conditioning unit's own decoder.
class FakeBoard final : public DaqLibrary {
public:
    struct Read {
        DaqHandle handle = NoDaqHandle;
        std::vector<std::int32_t> firstGains; // ScanGains[0..7] at the time of the read
    };

    explicit FakeBoard(Controller& c) : c_(c) {}

    std::map<std::string, DaqHandle> openHandles = {{"DaqBoard1K0", 0}, {"DaqBoard1K1", 1}};
    std::map<std::string, int> failing; // function name -> result code
    std::function<void(DaqHandle, std::span<std::int16_t>)> makeBlock;
    int scansDelivered = 1024;
    int portC = 15; // no button pressed
    std::vector<std::string> calls;
    std::vector<Read> reads;
    std::vector<int> portA;
    std::map<DaqHandle, std::vector<int>> portAByBoard;
    std::map<DaqHandle, int> portB;

    // The calls logged whose function is `name`.
    std::vector<std::string> CallsTo(const std::string& name) const {
        std::vector<std::string> found;
        for (const auto& call : calls)
            if (call.compare(0, name.size() + 1, name + " ") == 0) found.push_back(call);
        return found;
    }
    // The function names in the order called.
    std::vector<std::string> Functions() const {
        std::vector<std::string> names;
        for (const auto& call : calls) names.push_back(call.substr(0, call.find(' ')));
        return names;
    }

    // The serial words the signal-conditioning unit took from port-A values, in order.
    struct UnitWords {
        std::vector<std::uint32_t> frequency;      // 16-bit frequency words
        std::vector<std::uint32_t> drive;          // 24-bit drive frames, high half in bits 23..12
        std::vector<std::uint32_t> currentSources; // 8-bit current-source words
    };
    static UnitWords Decode(const std::vector<int>& writes) {
        SerialWordDecoder unit;
        unit.Reset(0);
        UnitWords words;
        for (const int value : writes) {
            const SerialWordDecoder::Words before = unit.Latched();
            unit.Write(value);
            const SerialWordDecoder::Words& after = unit.Latched();
            if (after.frequencyLoads != before.frequencyLoads) words.frequency.push_back(after.frequencyWord);
            if (after.driveLatches != before.driveLatches)
                words.drive.push_back(after.driveHigh << 12 | after.driveLow);
            if (after.currentLoads != before.currentLoads) words.currentSources.push_back(after.currentSources);
        }
        return words;
    }
    std::vector<std::uint32_t> FrequencyWords() const { return Decode(portA).frequency; }
    std::vector<std::uint32_t> DriveFrames() const { return Decode(portA).drive; }
    static std::vector<std::uint32_t> DriveFrames(const std::vector<int>& writes) { return Decode(writes).drive; }
    static std::vector<std::uint32_t> CurrentSourceWords(const std::vector<int>& writes) {
        return Decode(writes).currentSources;
    }

    int daqSetDefaultErrorHandler(int handler) override { return Log("daqSetDefaultErrorHandler", 0, {handler}); }
    DaqHandle daqOpen(const std::string& name) override {
        Log("daqOpen " + name, 0, {});
        const auto found = openHandles.find(name);
        return found == openHandles.end() ? NoDaqHandle : found->second;
    }
    int daqGetLastError(DaqHandle h, int& code) override {
        code = 0;
        return Log("daqGetLastError", h, {});
    }
    int daqClose(DaqHandle h) override { return Log("daqClose", h, {}); }
    int daqFormatError(int code, std::span<char> text) override {
        const std::string explanation = "explanation of " + std::to_string(code);
        std::strncpy(text.data(), explanation.c_str(), text.size() - 1);
        return 0;
    }
    int daqSetOption(DaqHandle h, int ch, int flags, int type, float value) override {
        return Log("daqSetOption", h, {ch, flags, type}, {value});
    }
    int daqDacSetOutputMode(DaqHandle h, int d, int o, int m) override {
        return Log("daqDacSetOutputMode", h, {d, o, m});
    }
    int daqDacWaveSetTrig(DaqHandle h, int d, int o, int s, int r) override {
        return Log("daqDacWaveSetTrig", h, {d, o, s, r});
    }
    int daqDacWaveSetClockSource(DaqHandle h, int d, int o, int s) override {
        return Log("daqDacWaveSetClockSource", h, {d, o, s});
    }
    int daqDacWaveSetFreq(DaqHandle h, int d, int o, float f) override {
        return Log("daqDacWaveSetFreq", h, {d, o}, {f});
    }
    int daqDacWaveSetMode(DaqHandle h, int d, int o, int m, int n) override {
        return Log("daqDacWaveSetMode", h, {d, o, m, n});
    }
    int daqDacWaveSetBuffer(DaqHandle h, int d, int o, std::span<std::int16_t>, int n, int mask) override {
        return Log("daqDacWaveSetBuffer", h, {d, o, n, mask});
    }
    int daqDacWaveSetUserWave(DaqHandle h, int d, int o) override { return Log("daqDacWaveSetUserWave", h, {d, o}); }
    int daqDacTransferStart(DaqHandle h, int d, int o) override { return Log("daqDacTransferStart", h, {d, o}); }
    int daqDacWaveArm(DaqHandle h, int d) override { return Log("daqDacWaveArm", h, {d}); }
    int daqDacWaveDisarm(DaqHandle h, int d) override { return Log("daqDacWaveDisarm", h, {d}); }
    int daqIOGet8255Conf(DaqHandle h, int a, int b, int ch, int cl, int& configuration) override {
        configuration = 137;
        return Log("daqIOGet8255Conf", h, {a, b, ch, cl});
    }
    int daqIOWrite(DaqHandle h, int d, int port, int w, int e, int value) override {
        const int result = Log("daqIOWrite", h, {d, port, w, e, value});
        if (result == 0 && port == 0) {
            portA.push_back(value);
            portAByBoard[h].push_back(value);
        }
        if (result == 0 && port == 1) portB[h] = value;
        return result;
    }
    int daqIORead(DaqHandle h, int d, int port, int w, int e, int& value) override {
        value = portC;
        return Log("daqIORead", h, {d, port, w, e});
    }
    int daqAdcSetAcq(DaqHandle h, int m, int pre, int post) override { return Log("daqAdcSetAcq", h, {m, pre, post}); }
    int daqAdcSetScan(DaqHandle h, std::span<const std::int32_t> ch, std::span<const std::int32_t> gains,
                      std::span<const std::int32_t> flags, int n) override {
        std::vector<int> args;
        for (const auto* list : {&ch, &gains, &flags})
            for (const std::int32_t v : *list) args.push_back(v);
        args.push_back(n);
        return Log("daqAdcSetScan", h, args);
    }
    int daqAdcSetClockSource(DaqHandle h, int s) override { return Log("daqAdcSetClockSource", h, {s}); }
    int daqAdcTransferSetBuffer(DaqHandle h, std::span<std::int16_t>, int n, int mask) override {
        return Log("daqAdcTransferSetBuffer", h, {n, mask});
    }
    int daqSetTriggerEvent(DaqHandle h, int s, int sens, int ch, int g, int f, int t, float level, float var,
                           int e) override {
        return Log("daqSetTriggerEvent", h, {s, sens, ch, g, f, t, e}, {level, var});
    }
    int daqAdcSetFreq(DaqHandle h, float f) override { return Log("daqAdcSetFreq", h, {}, {f}); }
    int daqAdcTransferStart(DaqHandle h) override { return Log("daqAdcTransferStart", h, {}); }
    int daqAdcArm(DaqHandle h) override { return Log("daqAdcArm", h, {}); }
    int daqAdcDisarm(DaqHandle h) override { return Log("daqAdcDisarm", h, {}); }
    int daqAdcTransferStop(DaqHandle h) override { return Log("daqAdcTransferStop", h, {}); }
    int daqAdcTransferGetStat(DaqHandle h, int& active, int& count) override {
        active = 1;
        count = scansDelivered;
        return Log("daqAdcTransferGetStat", h, {});
    }
    int daqAdcTransferBufData(DaqHandle h, std::span<std::int16_t> buffer, int scans, int mask, int& count) override {
        const int result = Log("daqAdcTransferBufData", h, {scans, mask});
        if (result != 0) return result;
        reads.push_back({h, {c_.ScanGains.begin(), c_.ScanGains.begin() + 8}});
        if (makeBlock) makeBlock(h, buffer);
        count = scansDelivered;
        return 0;
    }

private:
    int Log(const std::string& function, DaqHandle h, const std::vector<int>& args,
            const std::vector<float>& reals = {}) {
        std::ostringstream call;
        call << function << ' ' << h;
        for (const int a : args) call << ' ' << a;
        for (const float r : reals) call << ' ' << r;
        calls.push_back(call.str());
        const auto fail = failing.find(function.substr(0, function.find(' ')));
        return fail == failing.end() ? 0 : fail->second;
    }

    Controller& c_;
};
