// Linked only into MorveluxTrace.scr, the measuring twin of the saver, in
// place of the product's empty measuringSink(): it records every readout the
// saver shows (the interval between frames and the render time) with a
// precise wall-clock time, so that the pacing can be checked from outside.
// The program itself keeps no log.
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
#include <memory>
#include <string>
#include <vector>

#include "app/measuring.h"

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

class ReadoutTrace : public morvelux::ReadoutSink {
public:
    explicit ReadoutTrace(const char* path) : path_(path) {
        entries_.reserve(kBatch);
        if (std::FILE* f = std::fopen(path_.c_str(), "w")) {
            std::fprintf(f, "start %llu\n", static_cast<unsigned long long>(processCreation()));
            std::fclose(f);
        }
    }
    ~ReadoutTrace() override { flush(); }

    void readout(morvelux::Readout readout, const std::string& text) override {
        std::uint32_t ms = 0;
        std::from_chars(text.data(), text.data() + text.size(), ms);
        entries_.push_back({preciseNow(), static_cast<int>(readout), ms});
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

}  // namespace

namespace morvelux {

std::unique_ptr<ReadoutSink> measuringSink() {
    const char* path = std::getenv("MORVELUX_READOUT_TRACE");
    if (!path || !*path) return nullptr;
    return std::make_unique<ReadoutTrace>(path);
}

}  // namespace morvelux
