#include "toolkit/label.h"

#include <algorithm>

namespace tk {

void Label::adjustSize() {
    setBounds({left(), top(), backend().textWidth(font, caption()), backend().textHeight(font)});
}

// Text does not grow exactly in proportion to its font's height.
void Label::fontScaled() {
    if (autoSize) adjustSize();
}

void Label::captionChanged() {
    if (autoSize) adjustSize();
}

Bounds Label::paintArea() const {
    Bounds area = bounds();
    area.height = std::max(area.height, backend().textHeight(font));
    return area;
}

void Label::paint(Canvas& canvas) const { canvas.text(bounds(), caption(), {font, alignment, enabled()}); }

}  // namespace tk
