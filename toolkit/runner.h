#pragma once
// What the application needs of the platform to run: its message loop.
#include <chrono>
#include <string>

namespace tk {

class Application;

class Runner {
public:
    virtual ~Runner() = default;
    virtual void run(Application& app) = 0;              // message loop until terminated
    virtual void processMessages(Application& app) = 0;  // handle pending messages and return
    virtual void hideApplicationWindow() = 0;            // the hidden top-level (task-bar) window
    virtual void titleChanged(const std::string& title) = 0;
    // Waits until a message arrives or `timeout` passes. Call it with the
    // queue drained: on the oldest Windows only messages that arrive after
    // the queue was last read end the wait.
    virtual void waitForMessage(std::chrono::milliseconds timeout) = 0;

    // A runner with no platform: nothing to wait for, nothing to show.
    static Runner& none();
};

}  // namespace tk
