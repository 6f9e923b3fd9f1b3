#pragma once
// What the animation needs of the saver window: the panel it is seen
// through, the display image inside it, and the two hidden readouts.
#include <string>

#include "animation/bitmap1.h"

namespace morvelux {

struct Point {
    int x = 0, y = 0;
    friend bool operator==(Point, Point) = default;
};

struct Size {
    int width = 0, height = 0;
    friend bool operator==(Size, Size) = default;
};

enum class Readout { Label4, Label9 };  // render time, interval between frames

class SaverView {
public:
    virtual ~SaverView() = default;
    virtual Size panelSize() const = 0;           // PW x PH, Panel1's client size
    virtual Size imageSize() const = 0;           // Image1's client size
    virtual Point imagePos() const = 0;           // (L, T) in panel coordinates
    virtual void setImagePos(Point pos) = 0;      // moves Image1; the panel repaints
    virtual void showBitmap(const Bitmap1& bitmap) = 0;  // Image1 shows it (shared, not copied) and repaints
    virtual void setReadout(Readout label, const std::string& text) = 0;
};

}  // namespace morvelux
