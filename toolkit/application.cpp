#include "toolkit/application.h"

#include <algorithm>

namespace tk {
namespace {

class NoRunner : public Runner {
public:
    void run(Application&) override {}
    void processMessages(Application&) override {}
    void hideApplicationWindow() override {}
    void titleChanged(const std::string&) override {}
    void waitForMessage(std::chrono::milliseconds) override {}
};

}  // namespace

Runner& Runner::none() {
    static NoRunner nothing;  // stateless: it keeps nothing between calls
    return nothing;
}

Application::Application() : Application(Backend::none(), Runner::none()) {}

Application::Application(Backend& backend, Runner& runner) : backend_(backend), runner_(runner) {}

Application::~Application() {
    while (!forms_.empty()) release(*forms_.back());
}

void Application::release(Form& form) {
    form.doDestroy();
    if (mainForm == &form) mainForm = nullptr;
    const auto owned = std::find_if(forms_.begin(), forms_.end(), [&](const auto& f) { return f.get() == &form; });
    if (owned != forms_.end()) forms_.erase(owned);
}

void Application::setTitle(std::string title) {
    title_ = std::move(title);
    runner_.titleChanged(title_);
}

void Application::adopt(Form& form) {
    if (!mainForm) mainForm = &form;
    form.createHandle();
}

void Application::run() {
    if (mainForm && !terminated_) mainForm->show();
    runner_.run(*this);
}

IdleWait Application::idle() {
    if (!OnIdle) return std::nullopt;
    return OnIdle();
}

}  // namespace tk
