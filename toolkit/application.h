#pragma once
// The application object: the platform it runs on, its title and hidden
// owner window, the forms it owns, the main form, the idle handler and the
// message loop.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/backend.h"
#include "toolkit/form.h"
#include "toolkit/runner.h"

namespace tk {

// When the idle handler next wants to run: within that time (zero: as soon
// as no message waits), or nothing: not before the next message.
using IdleWait = std::optional<std::chrono::milliseconds>;

class Application {
public:
    Application();  // on no platform: native tests drive the forms directly
    Application(Backend& backend, Runner& runner);
    ~Application();  // destroys the forms it still owns, newest first
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Backend& backend() const { return backend_; }
    Runner& runner() const { return runner_; }

    // Makes a form of class F, owned by the application until release().
    template <class F, class... Args>
    F& make(Args&&... args) {
        auto form = std::unique_ptr<F>(new F(FormKey(*this), std::forward<Args>(args)...));
        F& made = *form;
        forms_.push_back(std::move(form));
        return made;
    }
    // Makes a form and its window; the first form created becomes the main form.
    template <class F, class... Args>
    F& createForm(Args&&... args) {
        F& form = make<F>(std::forward<Args>(args)...);
        adopt(form);
        return form;
    }
    // OnDestroy while the form is whole, then its window and the form go.
    void release(Form& form);

    const std::string& title() const { return title_; }
    void setTitle(std::string title);

    Form* mainForm = nullptr;
    std::function<IdleWait()> OnIdle;

    bool terminated() const { return terminated_; }
    void terminate() { terminated_ = true; }
    void run();  // shows the main form, runs the loop until terminated
    void processMessages() { runner_.processMessages(*this); }
    IdleWait idle();  // runs the idle handler, if there is one

private:
    void adopt(Form& form);

    Backend& backend_;
    Runner& runner_;
    std::string title_;
    bool terminated_ = false;
    std::vector<std::unique_ptr<Form>> forms_;
};

}  // namespace tk
