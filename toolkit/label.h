#pragma once
#include "toolkit/control.h"

namespace tk {

// Text drawn by its parent, in the system's text colour.
class Label : public Control {
public:
    using Control::Control;
    bool windowed() const override { return false; }
    void paint(Canvas& canvas) const override;
    // Never less than the font's height: a label as high as its font's
    // character height would otherwise lose its descenders.
    Bounds paintArea() const override;

    Alignment alignment = Alignment::Left;
    // With autoSize, every caption change sizes the label to its text; set
    // the font before the caption (or call adjustSize after changing it).
    bool autoSize = false;
    // Sizes the label to its caption in its font, as the platform measures it.
    void adjustSize();

    void fontScaled() override;

protected:
    void captionChanged() override;
};

}  // namespace tk
