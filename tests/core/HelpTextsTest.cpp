#include "core/HelpTexts.h"
#include "core/Banner.h"
#include "core/Commands.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

// The keyboard help read back: each character its lines name, with the text beside it.
std::map<char, std::string> KeysListed(const std::string& help) {
    std::map<char, std::string> keys;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  ", 0) != 0 || line.size() < 8) continue;
        std::istringstream label(line.substr(2, 6));
        for (std::string key; label >> key;) keys[key[0]] = line.substr(8);
    }
    return keys;
}

TEST(HelpTextsTest, KeyboardHelpListsExactlyTheKeysTheWindowActsOn) {
    const std::map<char, std::string> listed = KeysListed(KeyboardHelpText());
    for (int character = 1; character <= 127; ++character) {
        const KeyCommand* command = KeyCommandFor(character);
        const auto found = listed.find(static_cast<char>(character));
        if (command == nullptr) {
            EXPECT_EQ(found, listed.end()) << "listed but does nothing: " << character;
        } else if (found == listed.end()) {
            ADD_FAILURE() << "acts but is not listed: " << static_cast<char>(character);
        } else {
            EXPECT_EQ(found->second, command->description) << static_cast<char>(character);
        }
    }
    EXPECT_EQ(listed.at('s'), listed.at('S'));
    EXPECT_NE(listed.at('s').find("Servo On"), std::string::npos);
    EXPECT_NE(listed.at('x').find("zoom out"), std::string::npos);
    EXPECT_NE(listed.at('X').find("zoom in"), std::string::npos);
}

TEST(HelpTextsTest, AboutAndHistoryCarryTheBuildsVersionAndTheBanner) {
    const std::string history = VersionHistoryText();
    const auto newest = history.find("\nVersion ") + 9;
    EXPECT_EQ(history.substr(newest, history.find('\n', newest) - newest), ZEK8_VERSION);
    TestController t;
    for (const int selector : {0, 1, 5, 12}) {
        t.c.BannerSelector = selector;
        const std::string about = AboutText(t.c);
        EXPECT_NE(about.find(std::string("ZEK-8 Digital Sine Controller\nVersion ") + ZEK8_VERSION + "\n"),
                  std::string::npos);
        const auto banner = BannerLine(selector);
        EXPECT_EQ(about.find(banner.value_or("DIGITAL SINE CONTROLLER")) != std::string::npos, banner.has_value())
            << selector;
    }
}

TEST(HelpTextsTest, HelpItemsShowTheirWindowsWithoutTakingAnAnswer) {
    struct Case {
        const char* item;
        const char* title;
        TextFormat format;
        const char* excerpt;
    };
    const Case cases[] = {
        {"mnuHelpContents", "ZEK-8 Operator's Guide", TextFormat::Markdown, "\n## Running a test\n"},
        {"mnuHelpKeyboard", "ZEK-8 Keyboard Help", TextFormat::Plain, "Sweep Hold"},
        {"mnuHelpVersion", "ZEK-8 Version History", TextFormat::Plain, ZEK8_VERSION},
        {"mnuHelpAbout", "About ZEK-8", TextFormat::Plain, "Digital Sine Controller"},
    };
    TestController t;
    for (const Case& k : cases) {
        t.dialogs.QueueAnswer(MessageAnswer::No);
        ASSERT_TRUE(RunMenuCommand(t.c, k.item)) << k.item;
        const ScriptedDialogs::Shown& shown = t.dialogs.History().back();
        EXPECT_EQ(shown.kind, ScriptedDialogs::Kind::Text) << k.item;
        EXPECT_EQ(shown.title, k.title);
        EXPECT_EQ(shown.format, k.format) << k.item;
        EXPECT_NE(shown.text.find(k.excerpt), std::string::npos) << k.item;
        EXPECT_EQ(t.dialogs.MessageBox("?", "", MessageButtons::YesNo, MessageIcon::None), MessageAnswer::No)
            << "the answer waits for the next question";
    }
}

} // namespace
