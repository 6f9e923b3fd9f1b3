#pragma once
// A backend that shows nothing but measures text as told, reports a chosen
// frame and screen, records what it was asked, and lets a test act inside a
// modal loop.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "toolkit/tk.h"

namespace tk::testing {

class FakeBackend : public Backend {
public:
    std::map<std::string, int> widths;  // measured width of a text; else 6 per character
    Insets dialogFrame{3, 22, 3, 3};
    Bounds screenBounds{0, 0, 1280, 1024};
    int dpi = kDesignedDpi;
    std::function<void(Form&)> duringModal;  // one turn of the modal loop
    std::vector<CreateParams> realised;
    std::vector<std::string> events;  // "realise", "show", "hide", "destroy"
    bool refuseWindows = false;        // as a system that will not make windows

    bool realise(Form& form, const CreateParams& params) override {
        if (refuseWindows) return false;
        realised.push_back(params);
        events.push_back("realise " + form.name());
        return true;
    }
    void destroy(Form& form) override { events.push_back("destroy " + form.name()); }
    void visibleChanged(Control& control) override {
        events.push_back((control.visible() ? "show " : "hide ") + control.name());
    }
    int textWidth(const Font&, const std::string& text) override {
        const auto it = widths.find(text);
        return it != widths.end() ? it->second : static_cast<int>(text.size()) * 6;
    }
    int textHeight(const Font& font) override { return font.height + 2; }
    Insets frame(const Form& form) override {
        return form.borderStyle == BorderStyle::Dialog ? dialogFrame : Insets{};
    }
    Bounds screen() override { return screenBounds; }
    int dpiOf(const Form&) override { return dpi; }
    void showModal(Form& form) override {
        if (duringModal) duringModal(form);
    }
};

}  // namespace tk::testing
