#include "toolkit/backend.h"

#include "toolkit/form.h"

namespace tk {

void Canvas::draw(int, int, const Bitmap1&, const Bounds&, int) {}
void Canvas::draw(int, int, const Dib&, const Bounds&) {}
void Canvas::text(const Bounds&, const std::string&, const TextStyle&) {}

bool Backend::realise(Form&, const CreateParams&) { return true; }
bool Backend::realiseChild(Control&) { return true; }
void Backend::destroy(Form&) {}
void Backend::forget(Control&) {}
void Backend::boundsChanged(Control&, const Bounds&) {}
void Backend::visibleChanged(Control&) {}
void Backend::textChanged(Control&) {}
void Backend::invalidate(Control&) {}
void Backend::enabledChanged(Control&) {}

int Backend::textWidth(const Font& font, const std::string& text) {
    return static_cast<int>(text.size()) * font.height / 2;
}

int Backend::textHeight(const Font& font) { return font.height; }

Insets Backend::frame(const Form& form) {
    // A fixed dialog frame with a caption, as classic metrics make it.
    if (form.borderStyle == BorderStyle::Dialog) return {3, 22, 3, 3};
    return {};
}

Bounds Backend::screen() { return {0, 0, 1024, 768}; }
int Backend::dpiOf(const Form&) { return kDesignedDpi; }
void Backend::fontChanged(Control&) {}

void Backend::showModal(Form&) {}

Backend& Backend::none() {
    static Backend nothing;  // stateless: it keeps nothing between calls
    return nothing;
}

CreateParams defaultCreateParams(BorderStyle style, bool systemMenu) {
    CreateParams p;
    p.style = ws::kPopup | ws::kClipChildren | ws::kClipSiblings;
    p.exStyle = ws::kExControlParent;
    p.classStyle = ws::kClassDblClks | ws::kClassHRedraw | ws::kClassVRedraw;
    if (style == BorderStyle::Dialog) {
        p.style |= ws::kCaption | ws::kModalFrame | (systemMenu ? ws::kSysMenu : 0);
        p.exStyle |= ws::kExDlgModalFrame | ws::kExWindowEdge;
    }
    return p;
}

}  // namespace tk
