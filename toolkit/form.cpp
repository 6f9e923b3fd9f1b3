#include "toolkit/form.h"

#include <algorithm>
#include <vector>

#include "gfx/layout.h"
#include "toolkit/application.h"

namespace tk {

Form::Form(const FormKey& key, std::string name) : Control(nullptr, std::move(name)), application_(key.application()) {
    belongTo(this);
    setVisibleQuietly(false);
}

Form::~Form() {
    // The application has run doDestroy already; this only lets go of a
    // window that is somehow still there.
    if (created_) backend().destroy(*this);
    belongTo(nullptr);  // what is left of the control is no longer a form's
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

bool Form::createHandle() {
    if (created_) return true;
    if (destroyed_) return false;
    if (scaled) scaleTo(backend().dpiOf(*this));
    CreateParams params;
    createParams(params);
    if (!backend().realise(*this, params)) return false;
    created_ = true;
    setBoundsQuietly({params.x, params.y, params.width, params.height});
    const bool visibleStyle = (params.style & ws::kVisible) != 0;
    if (visibleStyle) setVisibleQuietly(true);
    if (params.style & ws::kDisabled) setEnabledQuietly(false);
    doCreate();
    if (visibleStyle && visible() && created_) backend().visibleChanged(*this);
    return created_;
}

bool Form::adopt(Control& control) {
    if (control.form() != this) return false;
    if (!created_) return true;  // made with the form's own window
    return backend().realiseChild(control);
}

int Form::scale(int designed) const { return scaledBy(designed, dpi_, kDesignedDpi); }

namespace {

struct Rescaled {
    Control* control;
    Bounds bounds;
};

void collect(Control& parent, int to, int from, std::vector<Rescaled>& out) {
    for (Control* child : parent.children()) {
        const Bounds& b = child->bounds();
        out.push_back({child, {scaledBy(b.left, to, from), scaledBy(b.top, to, from), scaledBy(b.width, to, from),
                               scaledBy(b.height, to, from)}});
        child->font.height = scaledBy(child->font.height, to, from);
        collect(*child, to, from, out);
    }
}

}  // namespace

void Form::scaleTo(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    // Worked out before anything moves, so that anchored children do not
    // follow the form's new size first and then get scaled on top of that.
    std::vector<Rescaled> children;
    collect(*this, dpi, dpi_, children);
    const Bounds client = clientRect();
    font.height = scaledBy(font.height, dpi, dpi_);
    backend().fontChanged(*this);
    setClientSize(scaledBy(client.width, dpi, dpi_), scaledBy(client.height, dpi, dpi_));
    for (const Rescaled& r : children) {
        r.control->setBounds(r.bounds);
        backend().fontChanged(*r.control);
        r.control->fontScaled();
    }
    dpi_ = dpi;
}

void Form::setVisible(bool v) {
    if (v && !createHandle()) return;
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
    return application_.mainForm == this ? CloseAction::Free : CloseAction::Hide;
}

void Form::doDisplayChange() {
    if (scaled && created_ && !dpiFromSystem_) scaleTo(backend().dpiOf(*this));
    if (OnDisplayChange) OnDisplayChange();
}

// The suggested bounds keep the form on the monitor that gave it the DPI;
// rescaled where it stood, its larger part could fall on the other monitor
// and the DPI flip back.
void Form::doDpiChange(int dpi, const Bounds& suggested) {
    if (scaled && created_ && dpi > 0) {
        dpiFromSystem_ = true;
        scaleTo(dpi);
        setBounds(suggested);
    }
    if (OnDisplayChange) OnDisplayChange();
}

void Form::doCreate() {
    createRan_ = true;
    if (OnCreate) OnCreate();
}

bool Form::doKey(bool down, Key& key, Shift shift) {
    auto& handler = down ? OnKeyDown : OnKeyUp;
    if (!handler) return false;
    handler(key, shift);
    return key == 0;
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
    if (application_.mainForm == this) {
        application_.terminate();
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
    while (handleCreated()) {
        backend().showModal(*this);
        if (modalResult == ModalResult::None) break;
        if (closeModal()) break;
    }
    // A loop that ended without a result (the application is ending, the
    // window could not be made or went away, or there is no platform to wait
    // on) is a cancel.
    if (modalResult == ModalResult::None) modalResult = ModalResult::Cancel;
    hide();
    modal_ = false;
    return modalResult;
}

void Form::doDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    // OnDestroy undoes what OnCreate did, so it runs only after OnCreate.
    if (createRan_ && OnDestroy) OnDestroy();
    if (created_) backend().destroy(*this);
    created_ = false;
}

}  // namespace tk
