#include "linux/autostart.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace morvelux {
namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Autostart, FolderFollowsXdgConfigHomeThenHome) {
    EXPECT_EQ(autostartFolder("/cfg", "/home/u"), "/cfg/autostart");
    EXPECT_EQ(autostartFolder("relative", "/home/u"), "/home/u/.config/autostart");
    EXPECT_EQ(autostartFolder(nullptr, "/home/u"), "/home/u/.config/autostart");
    EXPECT_EQ(autostartFolder("", nullptr), "");
}

TEST(Autostart, ExecLineQuotesWhatTheFormatReserves) {
    const struct {
        const char* program;
        const char* exec;
    } cases[] = {
        {"/usr/libexec/xscreensaver/morvelux", "Exec=/usr/libexec/xscreensaver/morvelux -wayland -idle 300\n"},
        {"/opt/my saver/morvelux", "Exec=\"/opt/my saver/morvelux\" -wayland -idle 300\n"},
        {"/opt/100%$/morvelux", "Exec=\"/opt/100%%\\\\$/morvelux\" -wayland -idle 300\n"},
    };
    for (const auto& c : cases) EXPECT_NE(autostartEntry(c.program, 300).find(c.exec), std::string::npos) << c.program;
}

// Writes, rewrites, keeps and removes only its own entry; the folder is made when missing.
TEST(Autostart, WritesRewritesAndRemovesOnlyItsOwnEntry) {
    const fs::path home = fs::temp_directory_path() / ("morvelux-autostart-" + std::to_string(getpid()));
    fs::remove_all(home);
    const fs::path folder = home / ".config" / "autostart", entry = folder / "morvelux.desktop";
    testing::internal::CaptureStdout();

    ASSERT_EQ(setAutostart(folder, "/usr/bin/morvelux", 300), 0);
    EXPECT_EQ(read(entry), autostartEntry("/usr/bin/morvelux", 300));
    std::ofstream(folder / "other.desktop") << "[Desktop Entry]\n";
    const auto written = fs::last_write_time(entry);
    ASSERT_EQ(setAutostart(folder, "/usr/bin/morvelux", 300), 0);
    EXPECT_EQ(fs::last_write_time(entry), written) << "the same entry was written again";
    ASSERT_EQ(setAutostart(folder, "/usr/bin/morvelux", 60), 0);
    EXPECT_EQ(read(entry), autostartEntry("/usr/bin/morvelux", 60));
    ASSERT_EQ(setAutostart(folder, "/usr/bin/morvelux", 0), 0);
    ASSERT_EQ(setAutostart(folder, "/usr/bin/morvelux", 0), 0);
    EXPECT_FALSE(fs::exists(entry));

    testing::internal::GetCapturedStdout();
    std::vector<std::string> left;
    for (const auto& file : fs::directory_iterator(folder)) left.push_back(file.path().filename());
    EXPECT_EQ(left, std::vector<std::string>{"other.desktop"});
    EXPECT_EQ(read(folder / "other.desktop"), "[Desktop Entry]\n");
    fs::remove_all(home);
}

}  // namespace
}  // namespace morvelux
