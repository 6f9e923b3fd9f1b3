#pragma once
// The message loop. Filters see each message before it is dispatched (key
// preview, dialog navigation); when no message waits, the application's idle
// handler runs, and the loop sleeps until the next message or until the
// handler's next piece of work is due, instead of spinning a processor.
#include <windows.h>

#include <functional>
#include <vector>

#include "toolkit/application.h"

namespace tk::win32 {

// True when the filter has handled the message.
using MessageFilter = std::function<bool(MSG&)>;

class Win32Runner : public Runner {
public:
    void attach(HWND applicationWindow) { appWindow_ = applicationWindow; }

    void run(Application& app) override;
    void processMessages(Application& app) override;
    void hideApplicationWindow() override;
    void titleChanged(const std::string& title) override;
    void waitForMessage(std::chrono::milliseconds timeout) override;

    bool handleOneMessage(Application& app);  // false when no message was waiting
    void idle(Application& app);

    // A filter for as long as the scope lives.
    class FilterScope {
    public:
        FilterScope(Win32Runner& runner, MessageFilter filter);
        ~FilterScope();
        FilterScope(const FilterScope&) = delete;
        FilterScope& operator=(const FilterScope&) = delete;

    private:
        Win32Runner& runner_;
        int id_;
    };

private:
    HWND appWindow_ = nullptr;
    std::vector<std::pair<int, MessageFilter>> filters_;
    int nextFilter_ = 0;
};

}  // namespace tk::win32
