#include <gtest/gtest.h>

#include "app/command_line.h"

namespace morvelux::testing {
namespace {

using Args = std::vector<std::string>;

TEST(ReadCommandLine, NoArgumentsConfigures) {
    const CommandLine line = readCommandLine({});
    EXPECT_EQ(line.RunMode, "/C");
    EXPECT_EQ(line.mode, SaverMode::Configure);
    EXPECT_EQ(line.handle, 0);
}

TEST(ReadCommandLine, SecondCharacterAloneSelectsTheMode) {
    EXPECT_EQ(readCommandLine({"/c"}).mode, SaverMode::Configure);
    EXPECT_EQ(readCommandLine({"-C"}).mode, SaverMode::Configure);
    EXPECT_EQ(readCommandLine({"/c:1234"}).mode, SaverMode::Configure);
    EXPECT_EQ(readCommandLine({"/p", "1"}).mode, SaverMode::Preview);
    EXPECT_EQ(readCommandLine({"xPreview", "1"}).mode, SaverMode::Preview);
    EXPECT_EQ(readCommandLine({"/a", "1"}).mode, SaverMode::ChangePassword);
    for (const char* arg : {"/S", "/s", "-s", "xS", "/s:123", "S", "", "P", "//c", "/"}) {
        EXPECT_EQ(readCommandLine({arg}).mode, SaverMode::FullScreen) << '"' << arg << '"';
    }
}

TEST(ReadCommandLine, UpperCasesOnlyAsciiLetters) {
    EXPECT_EQ(readCommandLine({"/s:abz-\xe4\xf6"}).RunMode, "/S:ABZ-\xe4\xf6");
    EXPECT_EQ(readCommandLine({"/p", "1", "extra"}).RunMode, "/P");
}

TEST(ReadCommandLine, HandleFromTheSecondArgument) {
    EXPECT_EQ(readCommandLine({"/p", "1234"}).handle, 1234);
    EXPECT_EQ(readCommandLine({"/a", "99"}).handle, 99);
    EXPECT_EQ(readCommandLine({"/p", "$FFFFFFFF"}).handle, -1);
    EXPECT_EQ(readCommandLine({"/P", "12ab"}).handle, 0);
    EXPECT_EQ(readCommandLine({"/p", ""}).handle, 0);
    EXPECT_EQ(readCommandLine({"/p"}).handle, 0);
}

TEST(ReadCommandLine, HandleGluedToTheSwitchUnlessASecondArgumentFollows) {
    EXPECT_EQ(readCommandLine({"/p:1234"}).handle, 1234);
    EXPECT_EQ(readCommandLine({"/a:$10"}).handle, 16);
    EXPECT_EQ(readCommandLine({"/c:1234"}).handle, 1234);
    EXPECT_EQ(readCommandLine({"/p:1", "2"}).handle, 2);
    EXPECT_EQ(readCommandLine({"/p:1", "junk"}).handle, 0);
    EXPECT_EQ(readCommandLine({"/p:"}).handle, 0);
    EXPECT_EQ(readCommandLine({"/p:12:3"}).handle, 0);
}

TEST(ReadCommandLine, FullScreenNeverTakesAHandle) {
    EXPECT_EQ(readCommandLine({"/s", "1234"}).handle, 0);
    EXPECT_EQ(readCommandLine({"/s:1234"}).handle, 0);
}

TEST(SplitArguments, BlanksSeparateAndQuotesGroup) {
    EXPECT_EQ(splitArguments("", false), Args{});
    EXPECT_EQ(splitArguments(" \t ", false), Args{});
    EXPECT_EQ(splitArguments("/p  1234 ", false), (Args{"/p", "1234"}));
    EXPECT_EQ(splitArguments("\t/s\t", false), Args{"/s"});
    EXPECT_EQ(splitArguments("\"a b c\" d e", false), (Args{"a b c", "d", "e"}));
    EXPECT_EQ(splitArguments("a\"b c\"d \"\"", false), (Args{"ab cd", ""}));
    EXPECT_EQ(splitArguments("\"unterminated  x", false), Args{"unterminated  x"});
}

TEST(SplitArguments, BackslashesCountOnlyBeforeAQuote) {
    EXPECT_EQ(splitArguments(R"("ab\"c" "\\" d)", false), (Args{"ab\"c", "\\", "d"}));
    EXPECT_EQ(splitArguments(R"(a\\\b d"e f"g h)", false), (Args{R"(a\\\b)", "de fg", "h"}));
    EXPECT_EQ(splitArguments(R"(a\\\"b c d)", false), (Args{R"(a\"b)", "c", "d"}));
    EXPECT_EQ(splitArguments(R"(a\\\\"b c" d e)", false), (Args{R"(a\\b c)", "d", "e"}));
    EXPECT_EQ(splitArguments(R"(C:\dir\ end\\)", false), (Args{R"(C:\dir\)", R"(end\\)"}));
}

TEST(SplitArguments, DoubledQuoteInsideQuotesIsLiteralAndCloses) {
    EXPECT_EQ(splitArguments(R"(a"b"" c d)", false), (Args{"ab\"", "c", "d"}));
    EXPECT_EQ(splitArguments(R"("a""b")", false), Args{"a\"b"});
    EXPECT_EQ(splitArguments(R"("a""""b")", false), Args{"a\"b"});
    EXPECT_EQ(splitArguments(R"("a"""""b")", false), Args{"a\"\"b"});
}

TEST(SplitArguments, ProgramNameKeepsBackslashesAndDropsQuotes) {
    EXPECT_EQ(splitArguments(R"(saver.scr /s)", true), Args{"/s"});
    EXPECT_EQ(splitArguments(R"("C:\My Savers\saver.scr" /p 1234)", true), (Args{"/p", "1234"}));
    EXPECT_EQ(splitArguments(R"(C:\dir\"x y\"\saver.scr /c)", true), Args{"/c"});
    EXPECT_EQ(splitArguments(R"("C:\unterminated /s)", true), Args{});
    EXPECT_EQ(splitArguments("saver.scr", true), Args{});
}

}  // namespace
}  // namespace morvelux::testing
