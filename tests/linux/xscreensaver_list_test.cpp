#include <gtest/gtest.h>

#include <string>

#include "linux/xscreensaver_list.h"

namespace morvelux {
namespace {

// As xscreensaver-settings writes the file (shortened).
const std::string kSettings =
    "timeout:\t0:10:00\n"
    "mode:\t\trandom\n"
    "programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
    "-\t\t\t\txflame -root\t\t\t\t    \\n\\\n"
    "  GL: \t\t\t\tsuperquadrics -root\t\t\t    \\n\\\n"
    "\t\t\t\tdeco -root\t\t\t\t    \\n\n"
    "\n"
    "pointerPollTime:\t0:00:05\n";

std::string ourLine(const char* end) { return "\t\t\t\tmorvelux -root\t\t\t\t    " + std::string(end); }

TEST(ModuleList, AddsOneLineFirstInTheListAndKeepsEveryOther) {
    const auto edited = addToModuleList(kSettings);
    ASSERT_EQ(edited.result, ListEdit::Added);
    std::string expected = kSettings;
    const auto afterResource = expected.find('\n', expected.find("programs:")) + 1;
    expected.insert(afterResource, ourLine("\\n\\\n"));
    EXPECT_EQ(edited.text, expected);

    const auto again = addToModuleList(edited.text);
    EXPECT_EQ(again.result, ListEdit::AlreadyListed);
    EXPECT_EQ(again.text, edited.text);
}

TEST(ModuleList, ListedInAnyFormCountsEvenSwitchedOff) {
    for (const char* entry : {"- morvelux -root", "GL: morvelux --root", "/usr/libexec/xscreensaver/morvelux -root",
                              "-\tdefault-n: morvelux"}) {
        const std::string settings = "programs:\t\\\n\tmaze -root \\n\\\n\t" + std::string(entry) + " \\n\n";
        EXPECT_EQ(addToModuleList(settings).result, ListEdit::AlreadyListed) << entry;
    }
    EXPECT_EQ(addToModuleList("programs:\tmorvelux-like -root \\n\n").result, ListEdit::Added);
}

TEST(ModuleList, EntriesOnTheResourceLineMoveToALineOfTheirOwn) {
    EXPECT_EQ(addToModuleList("programs:\tmaze -root \\n\nmode: one\n").text,
              "programs:\t\\\n" + ourLine("\\n\\\n") + "\t\tmaze -root \\n\nmode: one\n");
    EXPECT_EQ(addToModuleList("programs:   maze -root \\n\\\n\tdeco \\n\n").text,
              "programs:\t\\\n" + ourLine("\\n\\\n") + "\t\tmaze -root \\n\\\n\tdeco \\n\n");
}

TEST(ModuleList, AnEmptyListGetsNoContinuationIntoTheNextResource) {
    EXPECT_EQ(addToModuleList("programs:\nmode: one").text, "programs:\t\\\n" + ourLine("\\n\n") + "mode: one");
}

TEST(ModuleList, NoListNoEdit) {
    EXPECT_EQ(addToModuleList("").result, ListEdit::NoList);
    EXPECT_EQ(addToModuleList("mode: one\n  programs: maze\n*programs: maze\n").result, ListEdit::NoList);
}

}  // namespace
}  // namespace morvelux
