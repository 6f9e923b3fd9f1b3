#include "toolkit/button.h"

#include "toolkit/application.h"

namespace tk {

void Button::click() {
    if (Form* f = form(); f && modalResult != ModalResult::None) f->modalResult = modalResult;
    Control::click();
}

}  // namespace tk
