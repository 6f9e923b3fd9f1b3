// Linked only into MorveluxTrace.scr, the measuring twin of the saver: it
// records every readout the saver writes (the interval between frames and
// the render time) with a precise wall-clock time, so that the pacing can be
// checked from outside. The program itself keeps no log.
//
// MORVELUX_READOUT_TRACE names the file (a Windows path). It starts with the
// process's creation time; then one line per readout:
//     <time> <label 4 or 9> <milliseconds>
// times in 100 ns units since 1601 (FILETIME), the clock Wine maps to the
// host's real-time clock. Lines are appended in batches and at exit.
#include <windows.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "window/unit1.h"

namespace {

constexpr std::size_t kBatch = 64;  // about two seconds of frames

std::uint64_t ticksOf(FILETIME t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

std::uint64_t preciseNow() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    return ticksOf(now);
}

std::uint64_t processCreation() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return ticksOf(created);
}

struct Entry {
    std::uint64_t at;
    int label;
    std::uint32_t ms;
};

class ReadoutTrace {
public:
    explicit ReadoutTrace(const char* path) : path_(path ? path : "") {
        if (path_.empty()) return;
        entries_.reserve(kBatch);
        if (std::FILE* f = std::fopen(path_.c_str(), "w")) {
            std::fprintf(f, "start %llu\n", static_cast<unsigned long long>(processCreation()));
            std::fclose(f);
        }
    }
    ~ReadoutTrace() { flush(); }

    bool active() const { return !path_.empty(); }

    void record(morvelux::Readout label, const std::string& text) {
        std::uint32_t ms = 0;
        std::from_chars(text.data(), text.data() + text.size(), ms);
        entries_.push_back({preciseNow(), label == morvelux::Readout::Label4 ? 4 : 9, ms});
        if (entries_.size() >= kBatch) flush();
    }

private:
    void flush() {
        if (entries_.empty()) return;
        if (std::FILE* f = std::fopen(path_.c_str(), "a")) {
            for (const Entry& e : entries_)
                std::fprintf(f, "%llu %d %u\n", static_cast<unsigned long long>(e.at), e.label, e.ms);
            std::fclose(f);
        }
        entries_.clear();
    }

    std::string path_;
    std::vector<Entry> entries_;
};

ReadoutTrace& trace() {
    static ReadoutTrace instance(std::getenv("MORVELUX_READOUT_TRACE"));
    return instance;
}

void recordReadout(morvelux::Readout label, const std::string& text) { trace().record(label, text); }

// Installed before WinMain runs, so the twin's main block is the saver's own.
[[maybe_unused]] const bool installed = [] {
    if (trace().active()) TForm1::ReadoutHook = recordReadout;
    return true;
}();

}  // namespace
