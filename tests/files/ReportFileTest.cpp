#include "core/Commands.h"
#include "core/Defaults.h"
#include "core/RunCommands.h"
#include "support/NamedPipe.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

// A plot whose picture is a line of text; saving writes it after a bitmap's "BM"
// mark, loading takes only files that carry the mark.
class FilePlot final : public Picture {
public:
    std::string picture = "frame and traces";
    int Width() const override { return 800; }
    int Height() const override { return 600; }
    void Cls(Rgb) override {}
    void SetPenWidth(int) override {}
    void SetLineStyle(LineStyle) override {}
    void Line(double, double, double, double, Rgb) override {}
    void Box(double, double, double, double, Rgb, bool) override {}
    void Text(double, double, const std::string&, Rgb) override {}
    void TextInBox(double, double, double, double, const std::string&, Rgb) override {}
    void Point(double, double, Rgb) override {}
    bool SaveBmp(const std::string& path) override {
        std::ofstream out(path, std::ios::binary);
        out << "BM" << picture;
        return static_cast<bool>(out);
    }
    bool LoadBmp(const std::string& path) override {
        std::ifstream in(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (text.rfind("BM", 0) != 0) return false;
        picture = text.substr(2);
        return true;
    }
};

struct ReportFileTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    FilePlot plot;
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("zek8-report-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));

    ReportFileTest() {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        SetDefaults(c);
        c.DemoMode = 1.0f;
        c.ports.plot = &plot;
    }
    ~ReportFileTest() override { std::filesystem::remove_all(folder); }
    std::string Path(const char* name) const { return (folder / name).string(); }
};

TEST_F(ReportFileTest, SavedReportOpensAgainIntoThePlot) {
    t.dialogs.QueueFileName(Path("bracket.rpt"));
    RunMenuCommand(c, "mnuFileSaveReport");
    EXPECT_EQ(t.dialogs.History().back().title, " ZEK-8 Save Test Report");
    EXPECT_EQ(c.ReportFileName, Path("bracket.rpt"));
    plot.picture = "something else";
    t.dialogs.QueueFileName(Path("bracket.rpt"));
    RunMenuCommand(c, "mnuFileOpenReport");
    EXPECT_EQ(plot.picture, "frame and traces");
    EXPECT_EQ(c.PictureLoaded, 1.0f);
    EXPECT_EQ(c.ProfileFileName, Path("bracket.rpt")) << "the panel shows the report's name";
    StartServo(c);
    EXPECT_EQ(c.PictureLoaded, 0.0f);
}

TEST_F(ReportFileTest, PicturesThatCannotBeReadAndCancelledNames) {
    std::ofstream(Path("notes.rpt")) << "not a picture";
    t.dialogs.QueueFileName(Path("notes.rpt"));
    RunMenuCommand(c, "mnuFileOpenReport");
    EXPECT_EQ(t.dialogs.History().back().title, "Error # 481 Occured");
    EXPECT_EQ(t.dialogs.History().back().text, "Invalid picture");
    EXPECT_EQ(c.PictureLoaded, 0.0f);

    const NamedPipe pipe(folder / "pipe.rpt");
    t.dialogs.QueueFileName(pipe.Path());
    RunMenuCommand(c, "mnuFileOpenReport");
    EXPECT_EQ(t.dialogs.History().back().title, "Error # 52 Occured");
    EXPECT_FALSE(pipe.HeldAReader());

    t.dialogs.QueueFileName(""); // the save dialog cancelled
    t.dialogs.QueueAnswer(MessageAnswer::No);
    RunMenuCommand(c, "mnuFileSaveReport");
    EXPECT_EQ(t.dialogs.History().back().text,
              "You have not chosen an extension the filename; do you want to continue to save this file?");
    EXPECT_EQ(t.dialogs.History().back().icon, MessageIcon::Critical);
    EXPECT_FALSE(std::filesystem::exists("ZEKTestS.*"));

    t.dialogs.QueueFileName(Path("missing/x.rpt"));
    RunMenuCommand(c, "mnuFileSaveReport");
    EXPECT_EQ(t.dialogs.History().back().title, "Error # 76 Occured");
}

TEST_F(ReportFileTest, EndOfTestSavesTheReportWhenTicked) {
    c.Menu.SetChecked("mnuTestAutoSave", true);
    t.dialogs.QueueFileName(Path("auto.rpt"));
    StartServo(c);
    EXPECT_EQ(t.dialogs.History().back().title, " ZEK-8 Auto-Save Report");
    EXPECT_FALSE(std::filesystem::exists(Path("auto.rpt"))) << "only the name is asked at Servo On";
    EndOfTest(c);
    EXPECT_TRUE(std::filesystem::exists(Path("auto.rpt")));
}

} // namespace
