#pragma once
// Fonts and brushes, made on first use and kept until the platform goes: the
// toolkit only ever uses a handful of each.
#include <windows.h>

#include <map>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "toolkit/colour.h"
#include "toolkit/control.h"
#include "toolkit/font.h"

namespace tk::win32 {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <class Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

class GdiCache {
public:
    // The stock GUI font when the font cannot be made.
    HFONT font(const Font& font);
    // The stock white or black brush when no brush can be made.
    HBRUSH brush(COLORREF colour);

private:
    std::vector<std::pair<Font, GdiObject<HFONT>>> fonts_;
    std::map<COLORREF, GdiObject<HBRUSH>> brushes_;
};

COLORREF colorRef(Colour colour, Rgb custom);
COLORREF colorRefOf(const Control& control);

}  // namespace tk::win32
