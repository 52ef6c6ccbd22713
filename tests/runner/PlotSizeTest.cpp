#include "runner/PlotSize.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

TEST(PlotSize, ReadsWholeSidesWithinTheLimit) {
    for (const auto& [text, width, height] : std::vector<std::tuple<std::string, int, int>>{
             {"640x480", 640, 480}, {"1x1", 1, 1}, {"8192x8192", 8192, 8192}, {"320X200", 320, 200}}) {
        const PlotSize size = ReadPlotSize(text);
        EXPECT_EQ(size.width, width) << text;
        EXPECT_EQ(size.height, height) << text;
    }
}

TEST(PlotSize, RefusesAnythingElseSayingWhy) {
    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"0x480", "at least 1 pixel"},
             {"640x0", "at least 1 pixel"},
             {"-5x480", "at least 1 pixel"},
             {"8193x480", "at most 8192 pixels"},
             {"640x99999999999", "at most 8192 pixels"},
             {"abc", "WIDTHxHEIGHT"},
             {"640", "WIDTHxHEIGHT"},
             {"640x", "WIDTHxHEIGHT"},
             {"x480", "WIDTHxHEIGHT"},
             {"1.5x2", "WIDTHxHEIGHT"},
             {"640x480x2", "WIDTHxHEIGHT"},
             {" 640x480", "WIDTHxHEIGHT"},
             {"", "WIDTHxHEIGHT"},
         }) {
        try {
            ReadPlotSize(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const PlotSizeError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find("'" + text + "'"), std::string::npos) << error.what();
        }
    }
}

} // namespace
