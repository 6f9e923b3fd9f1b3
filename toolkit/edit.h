#pragma once
#include "toolkit/control.h"

namespace tk {

// A single-line text field.
class Edit : public Control {
public:
    using Control::Control;
    WindowKind windowKind() const override { return {WindowKind::Edit, false, readOnly, border}; }

    bool readOnly = false;
    bool border = true;
};

}  // namespace tk
