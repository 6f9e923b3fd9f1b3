#include "toolkit/control.h"

#include <algorithm>

#include "toolkit/application.h"

namespace tk {
namespace {

// One axis of anchoring: the designed start and extent against the parent's
// designed and current extent.
void follow(bool nearEdge, bool farEdge, int& start, int& extent, int designedParent, int parent) {
    const int grown = parent - designedParent;
    if (farEdge && nearEdge) {
        extent = std::max(0, extent + grown);
    } else if (farEdge) {
        start += grown;
    } else if (!nearEdge && designedParent > 0) {
        start = scaledBy(start + extent / 2, parent, designedParent) - extent / 2;
    }
}

}  // namespace

Control::Control(Control* parent, std::string name) : name_(std::move(name)), parent_(parent) {
    if (parent_) {
        parent_->children_.push_back(this);
        form_ = parent_->form_;
    }
}

Control::~Control() {
    backend().forget(*this);
    if (parent_) std::erase(parent_->children_, this);
    for (Control* child : children_) child->parent_ = nullptr;
}

Backend& Control::backend() const { return form_ ? form_->application().backend() : Backend::none(); }

void Control::setBounds(const Bounds& b) {
    moveTo(b);
    recordAnchorRules();
}

void Control::moveTo(const Bounds& b) {
    if (b == bounds_) return;
    const Bounds old = bounds_;
    const Bounds oldClient = clientRect();
    bounds_ = b;
    backend().boundsChanged(*this, old);
    clientSizeChanged(oldClient);
}

void Control::clientSizeChanged(const Bounds& oldClient) {
    const Bounds client = clientRect();
    if (client.width == oldClient.width && client.height == oldClient.height) return;
    for (Control* child : children_) child->followParent(client.width, client.height);
}

void Control::recordAnchorRules() {
    rules_.designed = bounds_;
    if (parent_) {
        const Bounds client = parent_->clientRect();
        rules_.parentWidth = client.width;
        rules_.parentHeight = client.height;
    }
}

void Control::followParent(int parentWidth, int parentHeight) {
    if (rules_.parentWidth <= 0 && rules_.parentHeight <= 0) {
        // Placed before its parent had a size: the parent is still being laid
        // out, so this is the designed layout, not a change to follow.
        recordAnchorRules();
        return;
    }
    Bounds b = rules_.designed;
    follow(anchors & akLeft, anchors & akRight, b.left, b.width, rules_.parentWidth, parentWidth);
    follow(anchors & akTop, anchors & akBottom, b.top, b.height, rules_.parentHeight, parentHeight);
    moveTo(b);
}

void Control::setVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    backend().visibleChanged(*this);
}

void Control::setEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    backend().enabledChanged(*this);
}

void Control::setCaption(const std::string& text) {
    if (text == caption_) return;
    caption_ = text;
    backend().textChanged(*this);
    captionChanged();
}

void Control::click() {
    if (OnClick) OnClick();
}

Control& Control::controlAt(int x, int y) {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        Control& c = **it;
        if (!c.windowed() && c.visible() && c.enabled() && c.bounds().contains(x, y)) return c;
    }
    return *this;
}

Control* Control::answering(DialogKey key) {
    for (Control* child : children_) {
        if (!child->visible() || !child->enabled()) continue;
        if (child->answers(key)) return child;
        if (Control* inner = child->answering(key)) return inner;
    }
    return nullptr;
}

void Control::invalidate() { backend().invalidate(*this); }

}  // namespace tk
