#include "toolkit/tk.h"

#include <algorithm>

#include "animation/layout.h"

namespace tk {

// ---- null platform -------------------------------------------------------

void Canvas::fill(const Bounds&, Rgb) {}
void Canvas::draw(int, int, const Bitmap1&) {}
void Canvas::draw(int, int, const Dib&) {}

void Backend::realise(Form&, const CreateParams&) {}
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

void Backend::showModal(Form&) {}

Canvas& Backend::canvas(Form&) {
    static Canvas nothing;
    return nothing;
}

namespace {

Backend nullBackend;
Backend* currentBackend = &nullBackend;

class NullRunner : public Runner {
public:
    void run(Application&) override {}
    void processMessages(Application&) override {}
    void hideApplicationWindow() override {}
};

NullRunner nullRunner;
Runner* currentRunner = &nullRunner;

// round(x * numerator / denominator) for the proportional placement of a
// control anchored to neither edge.
int scaled(int x, int numerator, int denominator) {
    const long long product = static_cast<long long>(x) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

// One axis of anchoring: the designed start and extent against the parent's
// designed and current extent.
void follow(bool nearEdge, bool farEdge, int& start, int& extent, int designedParent, int parent) {
    const int grown = parent - designedParent;
    if (farEdge && nearEdge) {
        extent = std::max(0, extent + grown);
    } else if (farEdge) {
        start += grown;
    } else if (!nearEdge && designedParent > 0) {
        start = scaled(start + extent / 2, parent, designedParent) - extent / 2;
    }
}

}  // namespace

Backend& backend() { return *currentBackend; }
void setBackend(Backend* b) { currentBackend = b ? b : &nullBackend; }

Runner& runner() { return *currentRunner; }
void setRunner(Runner* r) { currentRunner = r ? r : &nullRunner; }

// ---- controls ------------------------------------------------------------

Control::Control(Control* parent, std::string name) : name_(std::move(name)), parent_(parent) {
    if (parent_) parent_->children_.push_back(this);
}

Control::~Control() {
    backend().forget(*this);
    if (parent_) std::erase(parent_->children_, this);
    for (Control* child : children_) child->parent_ = nullptr;
}

Form* Control::form() {
    Control* c = this;
    while (c->parent_) c = c->parent_;
    return dynamic_cast<Form*>(c);
}

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

Control& Control::controlAt(int x, int y) {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        Control& c = **it;
        if (!c.windowed() && c.visible() && c.enabled() && c.bounds().contains(x, y)) return c;
    }
    return *this;
}

void Control::invalidate() { backend().invalidate(*this); }

void Image::setBitmap(const Bitmap1* bitmap) {
    bitmap_ = bitmap;
    dib_ = nullptr;
    invalidate();
}

void Image::setDib(const Dib* dib) {
    // A DIB does not change once shown, so setting it again (as a paint
    // handler may) must not ask for yet another paint.
    if (dib == dib_ && dib) {
        setBounds({left(), top(), dib->width, dib->height});
        return;
    }
    dib_ = dib;
    bitmap_ = nullptr;
    if (dib) setBounds({left(), top(), dib->width, dib->height});
    invalidate();
}

Bounds Image::pictureBounds() const {
    int w = 0, h = 0;
    if (bitmap_) {
        w = bitmap_->width();
        h = bitmap_->height();
    } else if (dib_) {
        w = dib_->width;
        h = dib_->height;
    }
    return {left(), top(), std::min(w, width()), std::min(h, height())};
}

void Label::adjustSize() {
    setBounds({left(), top(), backend().textWidth(font, caption()), backend().textHeight(font)});
}

void Label::captionChanged() {
    if (autoSize) adjustSize();
}

void Button::click() {
    Form* f = form();
    if (f && modalResult != ModalResult::None) f->modalResult = modalResult;
    if (OnClick) OnClick();
}

// ---- forms ---------------------------------------------------------------

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

Form::Form(std::string name) : Control(nullptr, std::move(name)) { setVisibleQuietly(false); }

Form::~Form() {
    if (destroyed_) return;
    destroyed_ = true;
    if (created_) backend().destroy(*this);
}

Bounds Form::clientRect() const {
    const Insets f = backend().frame(*this);
    return {0, 0, std::max(0, width() - f.left - f.right), std::max(0, height() - f.top - f.bottom)};
}

void Form::setClientSize(int width, int height) {
    const Insets f = backend().frame(*this);
    setBounds({left(), top(), width + f.left + f.right, height + f.top + f.bottom});
}

void Form::createParams(CreateParams& params) {
    params = defaultCreateParams(borderStyle, systemMenu);
    params.x = left();
    params.y = top();
    params.width = width();
    params.height = height();
}

void Form::createHandle() {
    if (created_ || destroyed_) return;
    CreateParams params;
    createParams(params);
    backend().realise(*this, params);
    created_ = true;
    setBoundsQuietly({params.x, params.y, params.width, params.height});
    const bool visibleStyle = (params.style & ws::kVisible) != 0;
    if (visibleStyle) setVisibleQuietly(true);
    if (params.style & ws::kDisabled) setEnabledQuietly(false);
    doCreate();
    if (visibleStyle && visible()) backend().visibleChanged(*this);
}

void Form::setVisible(bool v) {
    if (v && !created_) createHandle();
    if (v == visible()) return;
    if (v && position == FormPosition::ScreenCenter) centreOnScreen();
    Control::setVisible(v);
}

void Form::centreOnScreen() {
    const Bounds s = backend().screen();
    setBounds({s.left + morvelux::centred(s.width, width()), s.top + morvelux::centred(s.height, height()), width(),
               height()});
}

CloseAction Form::defaultCloseAction() const {
    return application().mainForm == this ? CloseAction::Free : CloseAction::Hide;
}

void Form::doCreate() {
    if (OnCreate) OnCreate();
}

void Form::close() {
    if (modal_)
        modalResult = ModalResult::Cancel;
    else
        doClose();
}

void Form::doClose() {
    CloseAction action = defaultCloseAction();
    if (OnClose) OnClose(action);
    if (action == CloseAction::None) return;
    if (application().mainForm == this) {
        application().terminate();
    } else {
        hide();
        if (action == CloseAction::Free) doDestroy();
    }
}

bool Form::closeModal() {
    CloseAction action = CloseAction::Hide;
    if (OnClose) OnClose(action);
    if (action != CloseAction::None) return true;
    modalResult = ModalResult::None;
    return false;
}

ModalResult Form::showModal() {
    modalResult = ModalResult::None;
    modal_ = true;
    show();
    for (;;) {
        backend().showModal(*this);
        if (modalResult == ModalResult::None) {
            // The loop ended without a result (the application is ending, or
            // there is no platform to wait on): that is a cancel.
            modalResult = ModalResult::Cancel;
            break;
        }
        if (closeModal()) break;
    }
    hide();
    modal_ = false;
    return modalResult;
}

void Form::doDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    if (OnDestroy) OnDestroy();
    if (created_) backend().destroy(*this);
    created_ = false;
}

// ---- application ---------------------------------------------------------

void Application::createForm(Form& form) {
    if (!mainForm) mainForm = &form;
    form.createHandle();
}

void Application::run() {
    if (mainForm && !terminated) mainForm->show();
    runner().run(*this);
}

Application& application() {
    static Application app;
    return app;
}

}  // namespace tk
