#include "files/ProfileFile.h"
#include "core/Commands.h"
#include "core/Defaults.h"
#include "support/NamedPipe.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct ProfileFileTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    std::filesystem::path folder;

    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("zek8-profile-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        SetDefaults(c);
        c.DemoMode = 1.0f;
        c.WorkingFolder = folder.string();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string Path(const std::string& name) const { return (folder / name).string(); }
    static void Write(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static std::vector<std::string> Records(const std::string& text) {
        std::vector<std::string> records;
        std::size_t start = 0;
        for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            records.push_back(text.substr(start, end - start));
        EXPECT_EQ(start, text.size()) << "every record ends with CR LF";
        return records;
    }
    void SaveAs(const std::string& path) {
        t.dialogs.QueueFileName(path);
        RunMenuCommand(c, "mnuFileSaveProfile");
    }
    void OpenFrom(const std::string& path, const char* item = "mnuFileOpenProfile") {
        t.dialogs.QueueFileName(path);
        RunMenuCommand(c, item);
    }
};

TEST_F(ProfileFileTest, SavedProfileHasItsLayoutAndReadsBackExactly) {
    c.P[65] = 0.0f; // no board path: the hardware start-up after Open leaves the table alone
    c.P[3] = 3.0f;
    c.Breakpoints[3] = {20.0f, 3.0f, 1.0f, 6.0f, 0.0f, ""};
    c.Breakpoints[7].Comment = "bracket, rev 2";
    c.Breakpoints[8].Comment = "say \"hi\"";
    c.P[150] = 1.0f / 3.0f;
    c.Breakpoints[150].Level = -2.5e-6f;
    c.Indicators.SetText("lblTestTitle", "Bracket qualification");
    c.AccelModel = "M-352";
    c.AccelSerial = "S/N 1234";
    c.SubTitle1 = "Axis Z";
    c.SubTitle2 = "Température 23°";
    const ProfileSetUp saved = CurrentSetUp(c);
    SaveAs(Path("bracket.prf"));

    const std::string text = Read(Path("bracket.prf"));
    const auto records = Records(text);
    ASSERT_EQ(records.size(), 205u);
    EXPECT_EQ(records[2], "3,20,3,1,6,0,\"\"");
    EXPECT_EQ(records[149].substr(0, 10), ".3333333,0");
    EXPECT_NE(records[149].find("-2.5E-06"), std::string::npos);
    EXPECT_EQ(records[200], "\"Bracket qualification\"");
    EXPECT_EQ(records[204], "\"Temp\xE9rature 23\xB0\"") << "texts are Latin-1 in the file";

    ProfileSetUp back;
    ReadProfile(text, false, back);
    for (int i = 1; i <= 200; ++i) {
        EXPECT_EQ(back.P[i], i == 150 ? 0.3333333f : saved.P[i]) << i;
        const BreakpointRow& a = back.Breakpoints[i];
        const BreakpointRow& b = saved.Breakpoints[i];
        EXPECT_TRUE(a.Frequency == b.Frequency && a.Mode == b.Mode && a.Level == b.Level && a.Abort == b.Abort &&
                    a.Fifth == b.Fifth)
            << i;
    }
    EXPECT_EQ(back.subTitle2, saved.subTitle2);

    SetDefaults(c);
    c.Indicators.SetText("lblTestTitle", "other");
    OpenFrom(Path("bracket.prf"));
    for (const auto& box : t.dialogs.History()) EXPECT_NE(box.kind, ScriptedDialogs::Kind::Message) << box.text;
    EXPECT_EQ(c.P[150], 0.3333333f);
    EXPECT_EQ(c.Breakpoints[150].Level, -2.5e-6f);
    EXPECT_EQ(c.Breakpoints[7].Comment, "bracket, rev 2");
    EXPECT_EQ(c.Breakpoints[8].Comment, "say 'hi'") << "a double quote cannot be stored";
    EXPECT_EQ(c.Indicators.Item("lblTestTitle").text, "Bracket qualification");
    EXPECT_EQ(c.SubTitle2, "Température 23°");
    EXPECT_EQ(c.ProfileFileName, Path("bracket.prf"));
    EXPECT_EQ(c.CurrentFrequency, c.Breakpoints[1].Frequency);
    EXPECT_EQ(c.Indicators.Item("lblElapsedTime").text, " E.T. = 00:00:00");
}

// Every text typed at its prompt longer than any line a reader takes, and comments
// longer than a title: the file saved opens again, every text cut to 65 characters.
TEST_F(ProfileFileTest, EveryTextAtItsLongestOpensAgain) {
    c.P[65] = 0.0f;
    for (const char* item :
         {"mnuTestTitle", "mnuTestSubTitle1", "mnuTestSubTitle2", "mnuInputsAccelModel", "mnuInputsAccelSerial"}) {
        t.dialogs.QueueInput(std::string(70000, 'w'));
        RunMenuCommand(c, item);
    }
    for (int i = 1; i <= 200; ++i) c.Breakpoints[i].Comment = std::string(100, 'c');
    SaveAs(Path("long.prf"));
    SetDefaults(c);
    const std::size_t shown = t.dialogs.History().size();
    OpenFrom(Path("long.prf"));
    EXPECT_EQ(t.dialogs.History().size(), shown + 1) << t.dialogs.History().back().text;
    const std::string longest(65, 'w');
    for (const std::string& text :
         {c.Indicators.Item("lblTestTitle").text, c.SubTitle1, c.SubTitle2, c.AccelModel, c.AccelSerial})
        EXPECT_TRUE(text == longest) << text.size() << " characters";
    EXPECT_EQ(c.Breakpoints[200].Comment, std::string(65, 'c'));

    // A longer text in a file someone else wrote is read as its first 65 characters.
    Write(Path("wide.prf"), "3,20,3,1,6,0,\"" + std::string(100, 'x') + "\"\r\n");
    OpenFrom(Path("wide.prf"));
    EXPECT_EQ(c.Breakpoints[1].Comment, std::string(65, 'x'));
}

TEST_F(ProfileFileTest, FileCutShortKeepsWhatItDoesNotReach) {
    c.P[150] = 77.0f;
    SaveAs(Path("full.prf"));
    const auto records = Records(Read(Path("full.prf")));
    std::string cut;
    for (int i = 0; i < 100; ++i) cut += records[static_cast<std::size_t>(i)] + "\r\n";
    cut += "9,9,9"; // record 101 broken off in its middle
    Write(Path("cut.prf"), cut);
    c.P[150] = 12.0f;
    c.P[101] = 55.0f;
    c.Breakpoints[101].Mode = 4.0f;
    c.Indicators.SetText("lblTestTitle", "kept");
    const std::size_t shown = t.dialogs.History().size();
    OpenFrom(Path("cut.prf"));
    EXPECT_EQ(t.dialogs.History().size(), shown + 1) << "only the file dialog";
    EXPECT_EQ(c.P[150], 12.0f);
    EXPECT_EQ(c.P[101], 9.0f);
    EXPECT_EQ(c.Breakpoints[101].Mode, 9.0f);
    EXPECT_EQ(c.Breakpoints[101].Level, 0.0f) << "the fields not reached keep their values";
    EXPECT_EQ(c.Indicators.Item("lblTestTitle").text, "kept");
}

TEST_F(ProfileFileTest, LegacyFileLoadsItsSixtyFourRowsAndThreeTexts) {
    std::string legacy;
    for (int i = 1; i <= 64; ++i) legacy += std::to_string(i) + "," + std::to_string(i * 10) + ",3,2,6,0,\"\"\r\n";
    legacy += "\"Old test\"\r\n\"M-1\"\r\n\"S-1\"\r\n";
    Write(Path("old.prf"), legacy);
    c.P[65] = 1.0f;
    c.Breakpoints[65].Frequency = 123.0f;
    c.SubTitle1 = "stays";
    OpenFrom(Path("old.prf"), "mnuFileOpenLegacyProfile");
    EXPECT_EQ(t.dialogs.History()[0].title, "ZEK-8 Open Legacy Profile");
    EXPECT_EQ(c.P[64], 64.0f);
    EXPECT_EQ(c.Breakpoints[64].Frequency, 640.0f);
    EXPECT_EQ(c.Breakpoints[65].Frequency, 123.0f);
    EXPECT_EQ(c.AccelSerial, "S-1");
    EXPECT_EQ(c.SubTitle1, "stays");
    EXPECT_EQ(c.Indicators.Item("lblTestTitle").text, "Old test");

    // A profile of the present layout is no older one: its 65th record is no title.
    SaveAs(Path("current.prf"));
    c.P[2] = 4000.0f;
    OpenFrom(Path("current.prf"), "mnuFileOpenLegacyProfile");
    EXPECT_EQ(t.dialogs.History().back().title, "Error # 13 Occured");
    EXPECT_EQ(t.dialogs.History().back().text, "Type mismatch");
    EXPECT_EQ(c.Indicators.Item("lblTestTitle").text, "Old test");
    EXPECT_EQ(c.P[2], 4000.0f);

    Write(Path("short.prf"), "1,10,3,2,6,0,\"\"\r\n");
    c.P[1] = 7.0f;
    OpenFrom(Path("short.prf"), "mnuFileOpenLegacyProfile"); // Cancel answers the error
    EXPECT_EQ(t.dialogs.History().back().text, "Input past end of file");
    EXPECT_EQ(t.dialogs.History().back().title, "Error # 62 Occured");
    EXPECT_EQ(c.P[1], 7.0f) << "a profile is never half loaded";
}

TEST_F(ProfileFileTest, BadFieldAndCancelLeaveTheSetUpUntouched) {
    Write(Path("bad.prf"), "3,20,3,1,6,0,\"\"\r\n4,abc,3\r\n");
    c.P[1] = 6.0f;
    OpenFrom(Path("bad.prf"));
    ASSERT_EQ(t.dialogs.History().size(), 2u);
    EXPECT_EQ(t.dialogs.History()[1].text, "Type mismatch");
    EXPECT_EQ(t.dialogs.History()[1].buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(c.P[1], 6.0f);

    for (const char* value : {"inf", "nan", "0x10", "1e39"}) {
        Write(Path("bad.prf"), std::string(value) + ",20\r\n");
        OpenFrom(Path("bad.prf"));
        EXPECT_EQ(c.P[1], 6.0f) << value;
    }
}

TEST_F(ProfileFileTest, SaveQuestionsAndNamesThatWriteNothing) {
    for (const char* name : {"PROFILE.EXE", "profileexe"}) {
        t.dialogs.QueueAnswer(MessageAnswer::No);
        SaveAs(Path(name));
        EXPECT_EQ(t.dialogs.History().back().text,
                  "You have chosen EXE as the file extension; do you want to continue to save this file?");
        EXPECT_FALSE(std::filesystem::exists(Path(name)));
    }
    t.dialogs.QueueAnswer(MessageAnswer::Yes);
    SaveAs(Path("run.exe"));
    EXPECT_TRUE(std::filesystem::exists(Path("run.exe")));

    SaveAs(""); // cancelled
    EXPECT_EQ(c.ProfileFileName, "ZEKFileS.*");
    OpenFrom("");
    EXPECT_EQ(c.ProfileFileName, "ZEKFileS.*");
    const auto& dialog = t.dialogs.History().back();
    EXPECT_EQ(dialog.title, "ZEK-8 Open Profile");
    EXPECT_EQ(dialog.defaultText, "ZEKFileS.*");
}

TEST_F(ProfileFileTest, FailedSaveLeavesTheOldFile) {
    SaveAs(Path("keep.prf"));
    const std::string before = Read(Path("keep.prf"));
    // The folder taken away: the new file cannot be written beside the old one.
    const std::string inMissing = Path("missing/keep.prf");
    SaveAs(inMissing);
    EXPECT_EQ(t.dialogs.History().back().title, "Error # 76 Occured");
    EXPECT_EQ(t.dialogs.History().back().text, "Path not found");
    c.P[5] = 99.0f;
    std::filesystem::create_directory(Path("blocked.prf"));
    SaveAs(Path("blocked.prf"));
    EXPECT_TRUE(std::filesystem::is_directory(Path("blocked.prf")));
    EXPECT_EQ(Read(Path("keep.prf")), before);

    std::filesystem::permissions(Path("keep.prf"), std::filesystem::perms::owner_read);
    SaveAs(Path("keep.prf"));
    EXPECT_EQ(t.dialogs.History().back().title, "Error # 70 Occured");
    EXPECT_EQ(t.dialogs.History().back().text, "Permission denied");
    EXPECT_EQ(Read(Path("keep.prf")), before);
}

TEST_F(ProfileFileTest, DefaultProfileAtStartUp) {
    c.P[5] = 3.0f;
    c.Indicators.SetText("lblTestTitle", "Default test");
    SaveAs(Path(DefaultProfileName));
    SetDefaults(c);
    LoadDefaultProfile(c);
    EXPECT_EQ(c.P[5], 3.0f);
    EXPECT_EQ(c.ProfileFileName, "     \\ZEKFileS.000");
    EXPECT_EQ(c.Indicators.Item("lblTestTitle").text, "Default test");

    // Without its title record the title comes up empty.
    auto records = Records(Read(Path(DefaultProfileName)));
    std::string untitled;
    for (int i = 0; i < 200; ++i) untitled += records[static_cast<std::size_t>(i)] + "\r\n";
    Write(Path(DefaultProfileName), untitled);
    LoadDefaultProfile(c);
    EXPECT_EQ(c.Indicators.Item("lblTestTitle").text, "");

    std::filesystem::remove(Path(DefaultProfileName));
    SetDefaults(c);
    const std::size_t shown = t.dialogs.History().size();
    LoadDefaultProfile(c);
    ASSERT_EQ(t.dialogs.History().size(), shown + 1);
    EXPECT_EQ(t.dialogs.History().back().title, "Error Loading Default Profile (ZEKFileS.000)\r\n Error # 53 Occured");
    EXPECT_EQ(c.P[5], 1.0f) << "the defaults stay";
    EXPECT_EQ(c.ProfileFileName, " DEFAULT PROFILE");
}

TEST_F(ProfileFileTest, NewProfileResetsTheFirstRows) {
    c.Breakpoints[5].Abort = 3.0f;
    c.Breakpoints[40].Frequency = 600.0f;
    RunMenuCommand(c, "mnuFileNew");
    EXPECT_EQ(c.Breakpoints[1].Frequency, 5.0f);
    EXPECT_EQ(c.Breakpoints[2].Frequency, 5000.0f);
    EXPECT_EQ(c.Breakpoints[3].Frequency, 0.0f);
    EXPECT_EQ(c.Breakpoints[32].Mode, 3.0f);
    EXPECT_EQ(c.Breakpoints[32].Level, 1.0f);
    EXPECT_EQ(c.Breakpoints[5].Abort, 3.0f);
    EXPECT_EQ(c.Breakpoints[40].Frequency, 600.0f);
}

} // namespace

namespace {

TEST_F(ProfileFileTest, OversizedFilesAreRefusedWhole) {
    c.P[1] = 6.0f;
    Write(Path("long.prf"), "3,20,3,1,6,0,\"" + std::string(70000, 'x') + "\"\r\n");
    OpenFrom(Path("long.prf"));
    EXPECT_EQ(t.dialogs.History().back().title, "Error # 75 Occured");
    Write(Path("huge.prf"), std::string(1100000, '\n'));
    OpenFrom(Path("huge.prf"));
    EXPECT_EQ(t.dialogs.History().back().title, "Error # 75 Occured");
    EXPECT_EQ(c.P[1], 6.0f);
}

// A 2 GiB file (sparse: no room on the disk), an endless device and a named pipe with
// no writer would take all the memory, seconds or for ever of the control loop if they
// were read as they come.
TEST_F(ProfileFileTest, HugeEndlessAndWaitingFilesAreRefusedAtOnce) {
    const std::string huge = Path("huge.prf");
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, std::uintmax_t{2} << 30);
    const NamedPipe pipe(Path("pipe.prf"));
    const struct {
        std::string path;
        int number;
        const char* text;
    } cases[] = {
        {huge, 75, "Path/File access error"},
        {"/dev/zero", 52, "Bad file name or number"},
        {pipe.Path(), 52, "Bad file name or number"},
    };
    for (const auto& file : cases) {
        for (const char* item : {"mnuFileOpenProfile", "mnuFileOpenLegacyProfile", "default profile"}) {
            c.P[1] = 6.0f;
            const auto start = std::chrono::steady_clock::now();
            if (std::string(item) == "default profile") {
                c.StartUpProfilePath = file.path;
                LoadDefaultProfile(c);
            } else {
                OpenFrom(file.path, item);
            }
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << file.path << " " << item;
            const auto& box = t.dialogs.History().back();
            EXPECT_EQ(box.text, file.text) << file.path << " " << item;
            EXPECT_TRUE(box.title.ends_with("Error # " + std::to_string(file.number) + " Occured")) << box.title;
            EXPECT_EQ(c.P[1], 6.0f);
        }
    }
    EXPECT_FALSE(pipe.HeldAReader());
}

} // namespace
