#include "core/NetworkCommand.h"
#include "core/Defaults.h"
#include "core/ParameterNames.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Refusal {
    const char* payload;
    bool tooLarge;
    const char* id;
    const char* reason;
};

TEST(NetworkCommandTest, EachFaultRefusesTheWholeCommandWithItsReason) {
    const std::string noId = "no readable id: a string or a finite number, at most 128 characters";
    const std::string longId = "{\"id\": \"" + std::string(127, 'x') + "\", \"command\": \"stop\"}";
    const Refusal cases[] = {
        {R"({"id": 1, "command": "stop"})", true, "null", "command too large"},
        {R"({"id": 1, "command": "stop")", false, "null", "not JSON"},
        {R"({"id": 1, "command": "impose", "level": NaN})", false, "null", "not JSON"},
        {R"([{"id": 1, "command": "stop"}])", false, "null", "not a JSON object"},
        {R"({"command": "stop"})", false, "null", noId.c_str()},
        {R"({"id": [1], "command": "stop"})", false, "null", noId.c_str()},
        {longId.c_str(), false, "null", noId.c_str()},
        {R"({"id": 7})", false, "7", "no command"},
        {R"({"id": 7, "command": 2})", false, "7", "command is not a string"},
        {R"({"id": "a", "command": "Stop"})", false, "\"a\"", "unknown command"},
        {R"({"id": 7, "command": "impose"})", false, "7", "impose needs a level or a frequency"},
        {R"({"id": 7, "command": "impose", "level": "2"})", false, "7", "level is not a number"},
        {R"({"id": 7, "command": "impose", "frequency": null})", false, "7", "frequency is not a number"},
        {R"({"id": 7, "command": "impose", "frequency": 80, "level": 1e39})", false, "7",
         "level is not a finite single-precision number"},
        {R"({"id": 7, "command": "run", "level": 1})", false, "7", "level and frequency belong to impose only"},
    };
    for (const Refusal& row : cases) {
        const NetworkCommand command = ParseNetworkCommand({row.payload, row.tooLarge});
        EXPECT_EQ(command.id, row.id) << row.payload;
        EXPECT_EQ(command.refusal, row.reason) << row.payload;
    }
}

TEST(NetworkCommandTest, ACommandReadsWithItsIdAsItCame) {
    const auto impose = ParseNetworkCommand({R"({"id": "run-7", "command": "impose", "level": 2.5, "extra": 1})"});
    EXPECT_EQ(impose.refusal, "");
    EXPECT_EQ(impose.id, "\"run-7\"");
    EXPECT_EQ(impose.kind, NetworkCommandKind::Impose);
    EXPECT_EQ(impose.level, 2.5f);
    EXPECT_EQ(ParseNetworkCommand({R"({"command": "hold", "id": 4.5})"}).id, "4.5");
}

struct Bound {
    float level; // 0: none given
    float frequency;
    const char* reason;
};

// The system's 100 G, a profile peaking at 8 G, a test from 5 to 2000 Hz.
TEST(NetworkCommandTest, ImposedValuesKeepTheRemoteFileBounds) {
    TestController t;
    SetDefaults(t.c);
    t.c.PeakProfileAcceleration = 8.0f;
    t.c.P[Param::LowerLimit] = 5.0f;
    t.c.P[Param::UpperLimit] = 2000.0f;
    const char* level = "level not above 0 and at most 8 G";
    const char* frequency = "frequency not within 5 .. 2000 Hz";
    const Bound cases[] = {
        {8.0f, 0.0f, ""},           {8.001f, 0.0f, level}, {-1.0f, 0.0f, level},
        {0.0f, 5.0f, ""},           {0.0f, 2000.0f, ""},   {0.0f, 4.99f, frequency},
        {0.0f, 2001.0f, frequency}, {9.0f, 100.0f, level}, // the whole command: its frequency is within
    };
    for (const Bound& row : cases) {
        NetworkCommand command;
        command.kind = NetworkCommandKind::Impose;
        if (row.level != 0.0f) command.level = row.level;
        if (row.frequency != 0.0f) command.frequency = row.frequency;
        EXPECT_EQ(NetworkCommandOutOfBounds(t.c, command), row.reason) << row.level << " G " << row.frequency << " Hz";
    }
    // Beyond the band every detector reads, a frequency within the test's limits is refused too.
    t.c.P[Param::UpperLimit] = 6000.0f;
    NetworkCommand high;
    high.frequency = 5200.0f;
    EXPECT_EQ(NetworkCommandOutOfBounds(t.c, high), "frequency not within 5 .. 5110 Hz");
}

} // namespace
