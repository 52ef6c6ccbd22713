#include "hardware/CalibrationFile.h"
#include "core/FileErrors.h"
#include "support/NamedPipe.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct CalibrationFileTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    std::filesystem::path folder;

    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("zek8-cal-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        c.WorkingFolder = folder.string();
        c.CalibrationFactor.fill(1.0f);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path File() const { return folder / CalibrationFileName; }
    void WriteFile(const std::string& content) const { std::ofstream(File(), std::ios::binary) << content; }
    std::string ReadFile() const {
        std::ifstream in(File(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static std::string Records(int count, const std::string& value) {
        std::string text;
        for (int i = 0; i < count; ++i) text += value + "\r\n";
        return text;
    }
};

TEST_F(CalibrationFileTest, LoadsSixtyFourRecordsAndZeroAsOne) {
    std::string content = ".98\r\n1.025\r\n0\r\n";
    content += Records(61, "1.1");
    WriteFile(content);
    LoadCalibrationFile(c);
    EXPECT_TRUE(t.dialogs.History().empty());
    EXPECT_EQ(c.CalibrationFactor[1], 0.98f);
    EXPECT_EQ(c.CalibrationFactor[2], 1.025f);
    EXPECT_EQ(c.CalibrationFactor[3], 1.0f);
    EXPECT_EQ(c.CalibrationFactor[64], 1.1f);
}

TEST_F(CalibrationFileTest, ChannelFactorsOutsideThePromptsBandAreNotUsed) {
    // Records 1..4 out of the band, 5 and 6 on its edges; record 20 belongs to no channel.
    WriteFile("3E+38\r\n-1\r\n1000\r\n1E-30\r\n.75\r\n1.25\r\n" + Records(13, "1") + "-1\r\n" + Records(44, "1"));
    LoadCalibrationFile(c);
    ASSERT_EQ(t.dialogs.History().size(), 1u);
    const auto& box = t.dialogs.History()[0];
    EXPECT_EQ(box.text, "Calibration factors must be between 0.75 and 1.25; these were not used and their channels "
                        "keep 1: record 1 = 3E+38, record 2 = -1, record 3 = 1000, record 4 = 1E-30.");
    EXPECT_EQ(box.title, "Out Of Bounds");
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    const float expected[] = {1.0f, 1.0f, 1.0f, 1.0f, 0.75f, 1.25f};
    for (int k = 1; k <= 6; ++k) EXPECT_EQ(c.CalibrationFactor[k], expected[k - 1]) << k;
    SaveCalibrationFile(c);
    EXPECT_EQ(ReadFile(), Records(4, "1") + ".75\r\n1.25\r\n" + Records(13, "1") + "-1\r\n" + Records(44, "1"));
}

TEST_F(CalibrationFileTest, MissingFileAsksRetryAndCancelKeepsDefaults) {
    t.dialogs.QueueAnswer(MessageAnswer::Retry);
    t.dialogs.QueueAnswer(MessageAnswer::Cancel);
    LoadCalibrationFile(c);
    ASSERT_EQ(t.dialogs.History().size(), 2u);
    const auto& box = t.dialogs.History()[0];
    EXPECT_EQ(box.text, "File not found");
    EXPECT_EQ(box.title, "Error Loading Calibration Factors File (Zek8Cal.Dat)\r\n Error # 53 Occured");
    EXPECT_EQ(box.buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(box.icon, MessageIcon::Exclamation);
    EXPECT_EQ(c.CalibrationFactor[1], 1.0f);
}

TEST_F(CalibrationFileTest, ShortFileKeepsWhatWasReadAndStopsAtTheEnd) {
    WriteFile(Records(10, ".9"));
    LoadCalibrationFile(c); // no answer queued: Cancel
    ASSERT_EQ(t.dialogs.History().size(), 1u);
    EXPECT_EQ(t.dialogs.History()[0].text, "Input past end of file");
    EXPECT_EQ(c.CalibrationFactor[10], 0.9f);
    EXPECT_EQ(c.CalibrationFactor[11], 1.0f);
}

TEST_F(CalibrationFileTest, FieldThatIsNoNumberIsATypeMismatchAndRetryReadsOn) {
    WriteFile("1.1\r\nabc\r\n" + Records(63, "1.2"));
    t.dialogs.QueueAnswer(MessageAnswer::Retry);
    LoadCalibrationFile(c);
    ASSERT_EQ(t.dialogs.History().size(), 1u);
    EXPECT_EQ(t.dialogs.History()[0].text, "Type mismatch");
    EXPECT_EQ(c.CalibrationFactor[1], 1.1f);
    EXPECT_EQ(c.CalibrationFactor[2], 1.2f);
    EXPECT_EQ(c.CalibrationFactor[64], 1.2f);
}

TEST_F(CalibrationFileTest, HugeEndlessAndWaitingFilesAreRefusedAtOnce) {
    WriteFile("");
    std::filesystem::resize_file(File(), std::uintmax_t{2} << 30); // sparse: no room on the disk
    const NamedPipe pipe(folder / "pipe.dat");
    const std::pair<std::string, const char*> cases[] = {
        {File().string(), "Path/File access error"},
        {"/dev/zero", "Bad file name or number"},
        {pipe.Path(), "Bad file name or number"},
    };
    for (const auto& [path, text] : cases) {
        c.CalibrationPath = path;
        LoadCalibrationFile(c);
        EXPECT_EQ(t.dialogs.History().back().text, text) << path;
        EXPECT_EQ(c.CalibrationFactor[1], 1.0f);
    }
    EXPECT_FALSE(pipe.HeldAReader());
}

TEST_F(CalibrationFileTest, SaveWritesEveryRecordInFieldSyntax) {
    c.CalibrationFactor[1] = 0.98f;
    c.CalibrationFactor[16] = 1.025f;
    SaveCalibrationFile(c);
    std::string expected = ".98\r\n" + Records(14, "1") + "1.025\r\n" + Records(48, "1");
    EXPECT_EQ(ReadFile(), expected);
    EXPECT_FALSE(std::filesystem::exists(TemporaryPathFor(File().string())));
}

TEST_F(CalibrationFileTest, FailedSaveLeavesTheOldFile) {
    // The file's name taken by a folder: the replacement cannot be renamed over it.
    std::filesystem::create_directory(File());
    std::filesystem::create_directory(File() / "keep");
    SaveCalibrationFile(c);
    ASSERT_EQ(t.dialogs.History().size(), 1u);
    EXPECT_EQ(t.dialogs.History()[0].title.rfind("Error # ", 0), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(File() / "keep"));
    EXPECT_FALSE(std::filesystem::exists(TemporaryPathFor(File().string())));
}

TEST_F(CalibrationFileTest, ChannelFactorPromptAndItsBounds) {
    t.dialogs.QueueInput("1.25");
    EnterCalibrationFactor(c, 2);
    EXPECT_EQ(c.CalibrationFactor[3], 1.25f);
    const auto& prompt = t.dialogs.History()[0];
    EXPECT_EQ(prompt.title, "Setup Calibration Factors");
    EXPECT_EQ(prompt.text, "Enter Channel #3 calibration factor between 0.75 and 1.25");
    EXPECT_EQ(prompt.defaultText, "1");

    t.dialogs.QueueInput("0.75");
    EnterCalibrationFactor(c, 15);
    EXPECT_EQ(c.CalibrationFactor[16], 0.75f);

    for (const char* refused : {"1.26", "0.74"}) {
        t.dialogs.QueueInput(refused);
        EnterCalibrationFactor(c, 15);
        EXPECT_EQ(c.CalibrationFactor[16], 0.75f);
        EXPECT_EQ(t.dialogs.History().back().title, "Out Of Bounds");
        EXPECT_EQ(t.dialogs.History().back().text, "The Number must be between 0.75 and 1.25.");
    }
    const std::size_t shown = t.dialogs.History().size();
    for (const char* notANumber : {"abc", "", "nan", "inf"}) {
        t.dialogs.QueueInput(notANumber);
        EnterCalibrationFactor(c, 15);
    }
    EXPECT_EQ(t.dialogs.History().size(), shown + 4); // the prompts only
    EXPECT_EQ(c.CalibrationFactor[16], 0.75f);
}

TEST_F(CalibrationFileTest, UpdateAsksAndNoKeepsTheFile) {
    t.dialogs.QueueAnswer(MessageAnswer::No);
    UpdateCalibrationFactors(c);
    EXPECT_FALSE(std::filesystem::exists(File()));
    EXPECT_EQ(t.dialogs.History()[0].text, "This will alter the QMS calibration file; do you want to alter the file?");
    EXPECT_EQ(t.dialogs.History()[0].buttons, MessageButtons::YesNo);

    t.dialogs.QueueAnswer(MessageAnswer::Yes);
    UpdateCalibrationFactors(c);
    EXPECT_EQ(ReadFile(), Records(64, "1"));
}

TEST_F(CalibrationFileTest, PromptsFollowTheRegionalSeparator) {
    c.PromptDecimalPoint = ',';
    c.CalibrationFactor[1] = 1.1f;
    t.dialogs.QueueInput("0,9");
    EnterCalibrationFactor(c, 0);
    EXPECT_EQ(t.dialogs.History()[0].defaultText, "1,1");
    EXPECT_EQ(c.CalibrationFactor[1], 0.9f);
    t.dialogs.QueueInput("1.000"); // a thousands mark, not a number
    EnterCalibrationFactor(c, 0);
    EXPECT_EQ(c.CalibrationFactor[1], 0.9f);
}

} // namespace
