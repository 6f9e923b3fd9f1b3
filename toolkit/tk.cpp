#include "toolkit/tk.h"

#include <algorithm>

namespace tk {

namespace {

// Without a platform nothing is shown; text is measured at an average
// glyph width so that auto-sizing still gives plausible figures.
class NullBackend : public Backend {
public:
    void realise(Form&) override {}
    void destroy(Form&) override {}
    void boundsChanged(Control&) override {}
    void visibleChanged(Control&) override {}
    void textChanged(Control&) override {}
    void invalidate(Control&) override {}
    void enabledChanged(Control&) override {}
    int textWidth(const Font& font, const std::string& text) override {
        return static_cast<int>(text.size()) * font.height / 2;
    }
    void close(Form& form) override { form.doClose(); }
    ModalResult showModal(Form& form) override { return form.modalResult; }
};

NullBackend nullBackend;
Backend* current = &nullBackend;

}  // namespace

Backend& backend() { return *current; }
void setBackend(Backend* b) { current = b ? b : &nullBackend; }

Control::Control(Control* parent, std::string name) : name_(std::move(name)), parent_(parent) {
    if (parent_) parent_->children_.push_back(this);
}

Control::~Control() {
    if (parent_) std::erase(parent_->children_, this);
    for (Control* child : children_) child->parent_ = nullptr;
}

Form* Control::form() {
    Control* c = this;
    while (c->parent_) c = c->parent_;
    return dynamic_cast<Form*>(c);
}

void Control::setBounds(const Bounds& b) {
    if (b == bounds_) return;
    bounds_ = b;
    backend().boundsChanged(*this);
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
}

void Control::invalidate() { backend().invalidate(*this); }

void Image::setBitmap(const Bitmap1* bitmap) {
    bitmap_ = bitmap;
    dib_ = nullptr;
    invalidate();
}

void Image::setDib(const Dib* dib) {
    dib_ = dib;
    bitmap_ = nullptr;
    if (dib) setBounds({left(), top(), dib->width, dib->height});
    invalidate();
}

void Label::adjustSize() {
    setBounds({left(), top(), backend().textWidth(font, caption()), font.height});
}

void Button::click() {
    if (OnClick) OnClick();
    if (modalResult != ModalResult::None)
        if (Form* f = form()) f->modalResult = modalResult;
}

Form::Form(std::string name) : Control(nullptr, std::move(name)) { setBoundsQuietly({}); }

Form::~Form() {
    if (!destroyed_) backend().destroy(*this);
}

void Form::setClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    setBounds({left(), top(), width, height});  // the backend adds the frame, if any
}

void Form::createParams(CreateParams& params) {
    params.x = left();
    params.y = top();
    params.width = width();
    params.height = height();
}

void Form::createHandle() {
    if (handleCreated()) return;
    backend().realise(*this);
}

void Form::doCreate() {
    if (OnCreate) OnCreate();
}

CloseAction Form::defaultCloseAction() const {
    return application().mainForm == this ? CloseAction::Free : CloseAction::Hide;
}

void Form::close() { backend().close(*this); }

void Form::doClose() {
    CloseAction action = defaultCloseAction();
    if (OnClose) OnClose(action);
    if (action == CloseAction::None) return;
    if (application().mainForm == this)
        application().terminate();
    else
        hide();
}

ModalResult Form::showModal() {
    modalResult = ModalResult::None;
    return backend().showModal(*this);
}

void Form::doDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    if (OnDestroy) OnDestroy();
    backend().destroy(*this);
}

void Application::createForm(Form& form) {
    if (!mainForm) mainForm = &form;
    form.createHandle();
}

Application& application() {
    static Application app;
    return app;
}

}  // namespace tk
