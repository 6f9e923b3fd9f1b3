#pragma once
// A control: a plain C++ object that keeps its properties (bounds,
// visibility, text, colour, font) and carries one event slot per event. The
// form's backend realises it: as a native window of its own (windowed), or
// painted and hit-tested in its parent's window (windowless).
#include <functional>
#include <string>
#include <vector>

#include "toolkit/backend.h"
#include "toolkit/colour.h"
#include "toolkit/input.h"

namespace tk {

// Which edges of its parent's client area a control keeps its distance to.
// Anchored left and right it stretches; right only, it moves; neither, its
// centre keeps its proportional place.
enum Anchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

// The kind of native window a windowed control needs.
struct WindowKind {
    enum Class { Container, Button, Edit } windowClass = Container;
    bool isDefault = false;  // a button that Enter presses
    bool readOnly = false;   // an edit
    bool border = false;     // an edit
};

class Control {
public:
    explicit Control(Control* parent, std::string name = {});
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    Control* parent() const { return parent_; }
    const std::vector<Control*>& children() const { return children_; }
    Form* form() const { return form_; }  // the form this control belongs to (itself for a form)
    Backend& backend() const;

    const Bounds& bounds() const { return bounds_; }
    // Moves or sizes the control and takes the result as its designed place
    // for anchoring; children follow a change of its client size.
    void setBounds(const Bounds& b);
    int left() const { return bounds_.left; }
    int top() const { return bounds_.top; }
    int width() const { return bounds_.width; }
    int height() const { return bounds_.height; }
    void setLeft(int v) { setBounds({v, bounds_.top, bounds_.width, bounds_.height}); }
    void setWidth(int v) { setBounds({bounds_.left, bounds_.top, v, bounds_.height}); }
    void setHeight(int v) { setBounds({bounds_.left, bounds_.top, bounds_.width, v}); }
    virtual Bounds clientRect() const { return {0, 0, bounds_.width, bounds_.height}; }

    bool visible() const { return visible_; }
    virtual void setVisible(bool v);
    void show() { setVisible(true); }
    void hide() { setVisible(false); }

    bool enabled() const { return enabled_; }
    void setEnabled(bool v);

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& text);

    // What the platform makes of the control. Windowed controls get a window
    // of this kind; windowless ones paint themselves in their parent's window.
    virtual bool windowed() const { return true; }
    virtual WindowKind windowKind() const { return {}; }
    virtual void paint(Canvas&) const {}
    virtual Bounds paintArea() const { return bounds_; }  // in the parent's client coordinates
    virtual Bounds opaqueArea() const { return {}; }      // what paint covers completely
    // A windowless control whose changes are frames of a moving picture: the
    // backend may draw them as soon as the handler that made them returns,
    // instead of asking its window for a paint.
    virtual bool drawnAtOnce() const { return false; }
    // Whether the control takes a dialog key (a default or cancel button),
    // and what it does when clicked.
    virtual bool answers(DialogKey) const { return false; }
    virtual void click();
    // The form was scaled to another DPI: the font and bounds are scaled already.
    virtual void fontScaled() {}

    // The deepest visible, enabled windowless child at (x, y) in client
    // coordinates, or this control.
    Control& controlAt(int x, int y);
    // The visible, enabled control below this one that answers `key`.
    Control* answering(DialogKey key);

    Colour colour = Colour::ButtonFace;
    Rgb customColour{};
    Font font;
    unsigned anchors = akLeft | akTop;
    int cursor = 0;  // 0: default arrow; else a system cursor id (kCursorCross)

    void invalidate();

    // The backend's handle of the control's window (an HWND on Windows);
    // windowless controls have none.
    void* native = nullptr;

    std::function<void(MouseButton, Shift, int x, int y)> OnMouseDown;
    std::function<void()> OnDblClick;
    std::function<void(Shift, int x, int y)> OnMouseMove;
    std::function<void()> OnClick;

protected:
    void setBoundsQuietly(const Bounds& b) { bounds_ = b; }
    void setVisibleQuietly(bool v) { visible_ = v; }
    void setEnabledQuietly(bool v) { enabled_ = v; }
    void belongTo(Form* form) { form_ = form; }
    virtual void captionChanged() {}

private:
    struct AnchorRules {
        Bounds designed;
        int parentWidth = 0, parentHeight = 0;
    };
    void moveTo(const Bounds& b);
    void recordAnchorRules();
    void followParent(int parentWidth, int parentHeight);
    void clientSizeChanged(const Bounds& oldClient);

    std::string name_;
    Control* parent_;
    Form* form_ = nullptr;
    std::vector<Control*> children_;
    Bounds bounds_;
    AnchorRules rules_;
    bool visible_ = true;
    bool enabled_ = true;
    std::string caption_;
};

}  // namespace tk
