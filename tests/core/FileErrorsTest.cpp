#include "core/FileErrors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// A file that is replaced keeps being what it was: read-only stays untouched, its
// permissions stay, and a link keeps pointing at the file that now holds the new text.
struct ReplaceTextFileTest : ::testing::Test {
    fs::path folder = fs::temp_directory_path() /
                      ("zek8-replace-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));

    ReplaceTextFileTest() {
        fs::remove_all(folder);
        fs::create_directories(folder / "real");
    }
    ~ReplaceTextFileTest() override { fs::remove_all(folder); }

    static void Write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static unsigned Mode(const fs::path& path) { return static_cast<unsigned>(fs::status(path).permissions()); }
    // Nothing but the files the test made: no temporary file left beside them.
    std::size_t Entries() const {
        std::size_t count = 0;
        for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it)
            ++count;
        return count;
    }
};

TEST_F(ReplaceTextFileTest, ReadOnlyFileIsRefusedAndOthersKeepTheirPermissions) {
    const struct {
        unsigned mode;
        int refusal; // 0: replaced
    } cases[] = {{0600, 0}, {0640, 0}, {0664, 0}, {0444, 70}, {0400, 70}};
    for (const auto& file : cases) {
        const fs::path path = folder / "file.dat";
        Write(path, "old");
        fs::permissions(path, static_cast<fs::perms>(file.mode));
        int refusal = 0;
        try {
            ReplaceTextFile(path.string(), "new");
        } catch (const FileError& error) {
            refusal = error.number;
        }
        EXPECT_EQ(refusal, file.refusal) << std::oct << file.mode;
        EXPECT_EQ(Read(path), file.refusal == 0 ? "new" : "old") << std::oct << file.mode;
        EXPECT_EQ(Mode(path), file.mode) << std::oct << file.mode;
        EXPECT_EQ(Entries(), 2u) << std::oct << file.mode;
        fs::remove(path);
    }
}

TEST_F(ReplaceTextFileTest, LinksAreFollowedToTheFileTheyName) {
    const fs::path real = folder / "real" / "file.dat";
    Write(real, "old");
    fs::permissions(real, static_cast<fs::perms>(0600));
    fs::create_symlink("real/file.dat", folder / "link.dat");
    fs::create_symlink("link.dat", folder / "link-to-link.dat");
    fs::create_symlink("real/new.dat", folder / "dangling.dat");

    ReplaceTextFile((folder / "link-to-link.dat").string(), "new");
    EXPECT_EQ(Read(real), "new");
    EXPECT_EQ(Mode(real), 0600u);
    ReplaceTextFile((folder / "dangling.dat").string(), "made");
    EXPECT_EQ(Read(folder / "real" / "new.dat"), "made");
    for (const char* link : {"link.dat", "link-to-link.dat", "dangling.dat"})
        EXPECT_TRUE(fs::is_symlink(folder / link)) << link;
    EXPECT_EQ(Entries(), 6u);

    fs::permissions(real, static_cast<fs::perms>(0400));
    EXPECT_THROW(ReplaceTextFile((folder / "link.dat").string(), "again"), FileError);
    EXPECT_EQ(Read(real), "new");
}

// A name as long as the folder allows (255 bytes) is replaced as any other.
TEST_F(ReplaceTextFileTest, NameAsLongAsTheFolderAllowsIsReplaced) {
    const fs::path path = folder / std::string(255, 'n');
    Write(path, "old");
    ReplaceTextFile(path.string(), "new");
    EXPECT_EQ(Read(path), "new");
    EXPECT_EQ(Entries(), 2u);
}

} // namespace
