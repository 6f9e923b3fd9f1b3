#pragma once
#include "toolkit/control.h"

namespace tk {

enum class ModalResult : int { None = 0, Ok = 1, Cancel = 2 };

class Button : public Control {
public:
    using Control::Control;
    WindowKind windowKind() const override { return {WindowKind::Button, isDefault}; }
    bool answers(DialogKey key) const override {
        return key == DialogKey::Enter ? isDefault : isCancel;
    }
    // The form takes the button's modal result, then OnClick runs (and may
    // take it back by resetting the form's).
    void click() override;

    bool isDefault = false;  // Enter presses it
    bool isCancel = false;   // Esc presses it
    ModalResult modalResult = ModalResult::None;
};

}  // namespace tk
