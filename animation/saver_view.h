#pragma once
// What the animation needs of the window it is seen in: the panel, the
// display image inside it, and the two hidden readouts.
#include <string>

#include "gfx/bitmap1.h"
#include "gfx/geometry.h"

namespace morvelux {

// The two hidden readouts, numbered as the labels that show them (Label4, Label9).
enum class Readout { RenderTime = 4, FrameInterval = 9 };

class SaverView {
public:
    virtual ~SaverView() = default;
    virtual Size panelSize() const = 0;           // PW x PH, the panel's client size
    virtual Size imageSize() const = 0;           // the display image's client size
    virtual Point imagePos() const = 0;           // (L, T) in panel coordinates
    virtual void setImagePos(Point pos) = 0;      // moves the display image; the panel repaints
    virtual void showBitmap(const Bitmap1& bitmap) = 0;  // the display image shows it (shared, not copied) and repaints
    virtual void setReadout(Readout readout, const std::string& text) = 0;
    // The system's window-text colour at this moment (black on standard
    // schemes): the colour of the frame's index 0.
    virtual Rgb windowText() const { return kBlack; }
};

}  // namespace morvelux
