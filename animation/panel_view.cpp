#include "animation/panel_view.h"

#include "gfx/blit.h"
#include "gfx/layout.h"

namespace morvelux {

void cropPanel(Bitmap1& panel, const Bitmap1& composed, Point imagePos) {
    blit(panel, 0, 0, panel.width(), panel.height(), composed, -imagePos.x, -imagePos.y, RasterOp::SrcCopy);
}

Point panelPlacement(Size area, int zoom) {
    return {centred(area.width, kPanelSize.width * zoom), centred(area.height, kPanelSize.height * zoom)};
}

}  // namespace morvelux
