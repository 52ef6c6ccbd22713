// The UFF export read back by a reader of its own, written from the published
// fixed-width layout of dataset 58 (columns counted from 1 as the layout gives them).
#include "core/Commands.h"
#include "files/RecordExport.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct Axis {
    int dataType = 0;
    int lengthExponent = 0;
    std::string label, units;
};

struct Dataset {
    std::vector<std::string> idLines;
    int functionType = 0, version = 0, responseNode = 0, responseDirection = 0;
    int ordinateType = 0, points = 0, spacing = 0;
    Axis abscissa, ordinate;
    std::vector<std::pair<double, double>> data;
};

std::string Field(const std::string& line, std::size_t column, std::size_t width) {
    std::string text = column - 1 < line.size() ? line.substr(column - 1, width) : "";
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}
int Int(const std::string& line, std::size_t column, std::size_t width) {
    return std::stoi(Field(line, column, width));
}
// Records 8 to 11: I10, 3I5, 1X, 20A1, 1X, 20A1.
Axis ReadAxis(const std::string& line) {
    return {Int(line, 1, 10), Int(line, 11, 5), Field(line, 27, 20), Field(line, 48, 20)};
}

std::vector<Dataset> ReadUff(const std::string& text) {
    std::istringstream in(text);
    std::vector<Dataset> sets;
    for (std::string line; std::getline(in, line);) {
        EXPECT_EQ(line, "    -1");
        if (!std::getline(in, line)) break;
        EXPECT_EQ(Int(line, 1, 6), 58);
        Dataset d;
        for (int i = 0; i < 5; ++i) d.idLines.push_back((std::getline(in, line), line));
        std::getline(in, line); // record 6: 2(I5,I10),2(1X,10A1,I10,I4)
        d.functionType = Int(line, 1, 5);
        d.version = Int(line, 16, 5);
        d.responseNode = Int(line, 42, 10);
        d.responseDirection = Int(line, 52, 4);
        std::getline(in, line); // record 7: 3I10,3E13.5
        d.ordinateType = Int(line, 1, 10);
        d.points = Int(line, 11, 10);
        d.spacing = Int(line, 21, 10);
        d.abscissa = ReadAxis((std::getline(in, line), line));
        d.ordinate = ReadAxis((std::getline(in, line), line));
        std::getline(in, line); // record 10, the ordinate's denominator
        std::getline(in, line); // record 11, the z axis
        while (static_cast<int>(d.data.size()) < d.points && std::getline(in, line)) // record 12: 6E13.5
            for (std::size_t at = 1; at + 25 <= line.size() + 1; at += 26)
                d.data.emplace_back(std::stod(Field(line, at, 13)), std::stod(Field(line, at + 13, 13)));
        EXPECT_TRUE(std::getline(in, line) && line == "    -1");
        sets.push_back(d);
    }
    return sets;
}

constexpr const char* Header = "Time (s),Sweep,Direction,Frequency (Hz),Reference (m/s^2),Control (m/s^2),Drive (%),"
                               "Compression (dB),Ch1 (m/s^2),Ch3 (m/s^2),Limiting,Overload\n";

// Two sweeps, up then down, with a dwell between them and a cycle whose control read 0.
constexpr const char* TwoSweeps = "0.1,1,up,5,1,1,10,0,0.5,2,0,0\n"
                                  "0.2,1,up,6.5,2,2,10,0,3,2,0,0\n"
                                  "0.3,1,up,8.25,4,4,10,0,2,10,3,4\n"
                                  "0.4,1,dwell,8.25,4,4,10,0,2,10,0,0\n"
                                  "0.5,2,down,8,4,4,10,0,1,1,0,0\n"
                                  "0.6,2,down,7,2,0,10,0,1,1,0,0\n"
                                  "0.7,2,down,6,2,0.5,10,0,1,1,0,0\n"
                                  "0.8,2,down,5.5,1,0.25,10,0,1,1,0,0\n";

struct Uff58Test : ::testing::Test {
    TestController t;
    // Each test process its own parent folder: the tests run side by side.
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("zek8-uff-" + std::to_string(::getpid())) /
                                   "2026-12-10_03-01-02_Bracket_X";

    Uff58Test() {
        std::filesystem::remove_all(folder.parent_path());
        std::filesystem::create_directories(folder);
    }
    ~Uff58Test() override { std::filesystem::remove_all(folder.parent_path()); }
    void Write(const std::string& name, const std::string& text) { std::ofstream(folder / name) << text; }
    std::string Uff() {
        std::stringstream text;
        text << std::ifstream(folder / RecordUffName).rdbuf();
        return text.str();
    }
    void Export() {
        t.dialogs.QueueFileName((folder / RecordCsvName).string());
        RunMenuCommand(t.c, "mnuFileExportRecord");
    }
};

TEST_F(Uff58Test, TwoSweepRecordReadsBack) {
    Write(RecordCsvName, std::string(Header) + TwoSweeps);
    Export();
    const std::vector<Dataset> sets = ReadUff(Uff());
    ASSERT_EQ(sets.size(), 8u) << "two sweeps, two channels, amplitude and transmissibility";
    struct Expected {
        int type, node, sweep;
        std::vector<std::pair<double, double>> data;
    };
    const std::vector<Expected> expected = {
        {0, 1, 1, {{5, 0.5}, {6.5, 3}, {8.25, 2}}},    {5, 1, 1, {{5, 0.5}, {6.5, 1.5}, {8.25, 0.5}}},
        {0, 3, 1, {{5, 2}, {6.5, 2}, {8.25, 10}}},     {5, 3, 1, {{5, 2}, {6.5, 1}, {8.25, 2.5}}},
        {0, 1, 2, {{8, 1}, {7, 1}, {6, 1}, {5.5, 1}}}, {5, 1, 2, {{8, 0.25}, {6, 2}, {5.5, 4}}},
        {0, 3, 2, {{8, 1}, {7, 1}, {6, 1}, {5.5, 1}}}, {5, 3, 2, {{8, 0.25}, {6, 2}, {5.5, 4}}}};
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const Dataset& d = sets[i];
        const bool ratio = expected[i].type == 5;
        EXPECT_EQ(d.functionType, expected[i].type) << i;
        EXPECT_EQ(d.responseNode, expected[i].node) << i;
        EXPECT_EQ(d.responseDirection, 3) << i;
        EXPECT_EQ(d.version, expected[i].sweep) << i;
        EXPECT_EQ(d.idLines[0], "Ch" + std::to_string(expected[i].node) +
                                    (ratio ? " / control transmissibility" : " response amplitude"));
        EXPECT_EQ(d.idLines[1], "Bracket_X");
        EXPECT_EQ(d.idLines[2], "10-DEC-26 03:01:02");
        EXPECT_EQ(d.idLines[3], expected[i].sweep == 1 ? "Sweep 1 up" : "Sweep 2 down");
        EXPECT_EQ(d.ordinateType, 2);
        EXPECT_EQ(d.spacing, 0);
        EXPECT_EQ(d.points, static_cast<int>(expected[i].data.size())) << i;
        EXPECT_EQ(d.abscissa.dataType, 18);
        EXPECT_EQ(d.abscissa.units, "Hz");
        EXPECT_EQ(d.ordinate.dataType, ratio ? 1 : 12);
        EXPECT_EQ(d.ordinate.lengthExponent, ratio ? 0 : 1);
        EXPECT_EQ(d.ordinate.label, ratio ? "Transmissibility" : "Acceleration");
        EXPECT_EQ(d.ordinate.units, ratio ? "NONE" : "m/s^2");
        ASSERT_EQ(d.data.size(), expected[i].data.size()) << i;
        for (std::size_t p = 0; p < d.data.size(); ++p) {
            EXPECT_NEAR(d.data[p].first, expected[i].data[p].first, 1e-5 * expected[i].data[p].first) << i;
            EXPECT_NEAR(d.data[p].second, expected[i].data[p].second, 1e-5 * expected[i].data[p].second) << i;
        }
    }
}

TEST_F(Uff58Test, MalformedRecordIsRefusedNamingItsLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {std::string(Header) + "0.1,1,up,5,1,1,10,0,0.5,2,0\n", "line 2: 11 fields where the header has 12"},
        {std::string(Header) + TwoSweeps + "0.9,2,down,5,1,x,10,0,1,1,0,0\n", "line 10: \"x\" is no number"},
        {std::string(Header) + "0.1,1,sideways,5,1,1,10,0,0.5,2,0,0\n", "line 2: the direction \"sideways\""},
        {"Time (s),Sweep,Direction,Frequency (Hz),Reference (G),Control (G),Drive (%),Compression (dB),"
         "Ch1 (m/s^2),Limiting,Overload\n",
         "line 1: the column Reference is in (G), the others in (m/s^2)"},
        {"Time (s),Sweep,Direction,Frequency (Hz),Ch1 (G),Limiting,Overload\n", "line 1: no column Drive"}};
    for (const auto& [text, message] : cases) {
        Write(RecordCsvName, text);
        Export();
        EXPECT_EQ(t.dialogs.History().back().title, "Test Record Not Read");
        EXPECT_NE(t.dialogs.History().back().text.find(message), std::string::npos) << t.dialogs.History().back().text;
        EXPECT_FALSE(std::filesystem::exists(folder / RecordUffName));
    }
    // A last line cut off by a crash is left out, not refused.
    EXPECT_EQ(ParseRecordCsv(std::string(Header) + TwoSweeps + "0.9,2,do").rows.size(), 8u);
}

TEST_F(Uff58Test, FailedWriteKeepsTheOldFile) {
    Write(RecordCsvName, std::string(Header) + TwoSweeps);
    Write(RecordUffName, "old");
    std::filesystem::permissions(folder / RecordUffName, std::filesystem::perms::owner_read);
    Export();
    EXPECT_EQ(t.dialogs.History().back().title, "Error # 70 Occured");
    EXPECT_EQ(Uff(), "old");
}

} // namespace
