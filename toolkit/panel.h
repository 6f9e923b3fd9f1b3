#pragma once
#include "toolkit/control.h"

namespace tk {

// A plain window that holds and clips other controls.
class Panel : public Control {
public:
    using Control::Control;
};

}  // namespace tk
