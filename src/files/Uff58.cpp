#include "files/Uff58.h"

#include <cmath>
#include <cstdio>
#include <string_view>

namespace {

// Record 6's function types, record 8-11's data types.
constexpr int GeneralFunction = 0;
constexpr int TransmissibilityFunction = 5;
constexpr int UnknownData = 0;
constexpr int GeneralData = 1;
constexpr int AccelerationData = 12;
constexpr int FrequencyData = 18;
// The shaker moves its table along one axis, taken as +Z.
constexpr int PlusZ = 3;
constexpr int RealSinglePrecision = 2;
constexpr int UnevenSpacing = 0;
constexpr int PairsPerLine = 3;

class Lines {
public:
    // One record of the dataset: at most 80 columns, as the layout reads them.
    // A character outside printable ASCII becomes '?': the format's text is ASCII.
    void Add(std::string_view line) {
        for (const char ch : line.substr(0, 80)) text_ += ch >= ' ' && ch <= '~' ? ch : '?';
        text_ += '\n';
    }
    void Printf(const char* format, auto... values) {
        char line[128];
        std::snprintf(line, sizeof line, format, values...);
        Add(line);
    }
    std::string& Text() { return text_; }

private:
    std::string text_;
};

// Records 8 to 11: data type, exponents of length, force and temperature, label, units.
void AxisRecord(Lines& out, int dataType, int lengthExponent, const std::string& label, const std::string& units) {
    out.Printf("%10d%5d%5d%5d %-20.20s %-20.20s", dataType, lengthExponent, 0, 0, label.c_str(), units.c_str());
}

struct Function {
    int type = GeneralFunction;
    int id = 0;
    int channel = 0;
    int sweep = 0;
    std::string description;
    std::string direction; // "up" or "down"
    std::vector<std::pair<float, float>> points;
};

void WriteFunction(Lines& out, const Function& f, const RecordIdentity& identity, const std::string& unit) {
    out.Add("    -1");
    out.Add("    58");
    out.Add(f.description);
    out.Add(identity.title);
    out.Add(identity.created);
    out.Add("Sweep " + std::to_string(f.sweep) + " " + f.direction);
    out.Add(identity.source);
    out.Printf("%5d%10d%5d%10d %-10s%10d%4d %-10s%10d%4d", f.type, f.id, f.sweep, 0, "NONE", f.channel, PlusZ, "NONE",
               0, 0);
    out.Printf("%10d%10zu%10d%13.5E%13.5E%13.5E", RealSinglePrecision, f.points.size(), UnevenSpacing, 0.0, 0.0, 0.0);
    AxisRecord(out, FrequencyData, 0, "Frequency", "Hz");
    if (f.type == TransmissibilityFunction)
        AxisRecord(out, GeneralData, 0, "Transmissibility", "NONE");
    else
        AxisRecord(out, AccelerationData, 1, "Acceleration", unit);
    AxisRecord(out, UnknownData, 0, "NONE", "NONE");
    AxisRecord(out, UnknownData, 0, "NONE", "NONE");
    std::string line;
    for (std::size_t i = 0; i < f.points.size(); ++i) {
        char pair[32];
        std::snprintf(pair, sizeof pair, "%13.5E%13.5E", static_cast<double>(f.points[i].first),
                      static_cast<double>(f.points[i].second));
        line += pair;
        if ((i + 1) % PairsPerLine == 0 || i + 1 == f.points.size()) {
            out.Add(line);
            line.clear();
        }
    }
    out.Add("    -1");
}

// The rows of one one-way sweep: consecutive rows of the same sweep number.
struct Pass {
    std::size_t first = 0, end = 0;
};

std::vector<Pass> SweepPasses(const RecordTable& record) {
    std::vector<Pass> passes;
    for (std::size_t i = 0; i < record.rows.size(); ++i) {
        const RecordRow& row = record.rows[i];
        if (row.direction == SweepDirection::Dwell) continue;
        const bool continues = !passes.empty() && passes.back().end == i &&
                               record.rows[passes.back().first].sweep == row.sweep &&
                               record.rows[passes.back().first].direction == row.direction;
        if (continues)
            passes.back().end = i + 1;
        else
            passes.push_back({i, i + 1});
    }
    return passes;
}

} // namespace

std::string Uff58Text(const RecordTable& record, const RecordIdentity& identity) {
    Lines out;
    int id = 0;
    for (const Pass& pass : SweepPasses(record)) {
        const RecordRow& start = record.rows[pass.first];
        const std::string direction = start.direction == SweepDirection::Up ? "up" : "down";
        for (std::size_t k = 0; k < record.channels.size(); ++k) {
            const std::string channel = "Ch" + std::to_string(record.channels[k]);
            Function response{GeneralFunction, ++id, record.channels[k], start.sweep, channel + " response amplitude",
                              direction,       {}};
            Function ratio{TransmissibilityFunction,
                           ++id,
                           record.channels[k],
                           start.sweep,
                           channel + " / control transmissibility",
                           direction,
                           {}};
            for (std::size_t i = pass.first; i < pass.end; ++i) {
                const RecordRow& row = record.rows[i];
                const float value = row.responses[k];
                // A cycle that measured nothing readable has no point to give.
                if (!std::isfinite(row.frequency) || !std::isfinite(value)) continue;
                response.points.emplace_back(row.frequency, value);
                const float transmissibility = value / row.control;
                if (std::isfinite(transmissibility)) ratio.points.emplace_back(row.frequency, transmissibility);
            }
            // A function without a point would be a dataset no tool can read.
            for (const Function* f : {&response, &ratio})
                if (!f->points.empty()) WriteFunction(out, *f, identity, record.accelerationUnit);
        }
    }
    return std::move(out.Text());
}
