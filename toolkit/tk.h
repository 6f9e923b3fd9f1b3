#pragma once
// Our small retained-mode window toolkit. Controls are plain C++ objects that
// keep their properties (bounds, visibility, text, colour, font) and carry
// one event slot per event. A Backend realises them as native windows: the
// Win32 one in the program, none at all in native tests, where the forms'
// handlers are driven directly and their effects read back from the
// properties.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "animation/bitmap1.h"
#include "animation/bmp.h"

namespace tk {

using morvelux::Bitmap1;
using morvelux::Dib;
using morvelux::Rgb;

struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

enum Anchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

inline constexpr int kShiftJisCharset = 128;

struct Font {
    std::string name = "Arial";
    int height = 12;  // pixels
    bool bold = false;
    int charset = kShiftJisCharset;
};

enum class Colour { Black, White, ButtonFace, WindowText, Custom };

enum class MouseButton { Left, Right, Middle };

using Shift = unsigned;  // MK_* style flags as the platform reports them

enum class CloseAction { None, Hide, Free };

enum class ModalResult : int { None = 0, Ok = 1, Cancel = 2 };

class Control;
class Form;

// What a platform must do to show controls. Every call is a notification
// after the property changed in the control; the null backend ignores them.
class Backend {
public:
    virtual ~Backend() = default;
    virtual void realise(Form& form) = 0;             // make the native window of a form and its controls
    virtual void destroy(Form& form) = 0;             // tear it down
    virtual void boundsChanged(Control& control) = 0;
    virtual void visibleChanged(Control& control) = 0;
    virtual void textChanged(Control& control) = 0;
    virtual void invalidate(Control& control) = 0;    // repaint
    virtual void enabledChanged(Control& control) = 0;
    virtual int textWidth(const Font& font, const std::string& text) = 0;
    virtual void close(Form& form) = 0;               // the framework's close request
    virtual ModalResult showModal(Form& form) = 0;    // runs until form.modalResult is set
};

// The backend in use; a null one until the platform installs its own.
Backend& backend();
void setBackend(Backend* backend);

class Control {
public:
    explicit Control(Control* parent, std::string name = {});
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    Control* parent() const { return parent_; }
    const std::vector<Control*>& children() const { return children_; }
    Form* form();  // the form this control belongs to (itself for a form)

    const Bounds& bounds() const { return bounds_; }
    void setBounds(const Bounds& b);
    int left() const { return bounds_.left; }
    int top() const { return bounds_.top; }
    int width() const { return bounds_.width; }
    int height() const { return bounds_.height; }
    void setLeft(int v) { setBounds({v, bounds_.top, bounds_.width, bounds_.height}); }
    void setTop(int v) { setBounds({bounds_.left, v, bounds_.width, bounds_.height}); }
    void setWidth(int v) { setBounds({bounds_.left, bounds_.top, v, bounds_.height}); }
    void setHeight(int v) { setBounds({bounds_.left, bounds_.top, bounds_.width, v}); }
    virtual Bounds clientRect() const { return {0, 0, bounds_.width, bounds_.height}; }

    bool visible() const { return visible_; }
    void setVisible(bool v);
    void show() { setVisible(true); }
    void hide() { setVisible(false); }

    bool enabled() const { return enabled_; }
    void setEnabled(bool v);

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& text);

    Colour colour = Colour::ButtonFace;
    Rgb customColour{};
    Font font;
    unsigned anchors = akLeft | akTop;
    int cursor = 0;  // 0: default arrow; else a system cursor id (IDC_*)

    void invalidate();

    // Opaque native handle the backend keeps here.
    void* native = nullptr;

    std::function<void(MouseButton, Shift, int x, int y)> OnMouseDown;
    std::function<void()> OnDblClick;
    std::function<void(Shift, int x, int y)> OnMouseMove;
    std::function<void()> OnClick;

protected:
    void setBoundsQuietly(const Bounds& b) { bounds_ = b; }

private:
    std::string name_;
    Control* parent_;
    std::vector<Control*> children_;
    Bounds bounds_;
    bool visible_ = true;
    bool enabled_ = true;
    std::string caption_;
};

class Panel : public Control {
public:
    using Control::Control;
};

// Shows a picture unscaled with its top-left at the view's own top-left.
// A one-bit picture (shared, not copied) is drawn with index 0 in the
// window-text colour and index 1 in white, the way a monochrome bitmap shows;
// a DIB (the preview sample) with its own colour table.
class Image : public Control {
public:
    using Control::Control;
    void setBitmap(const Bitmap1* bitmap);
    const Bitmap1* bitmap() const { return bitmap_; }
    void setDib(const Dib* dib);  // sizes the view to the picture
    const Dib* dib() const { return dib_; }

private:
    const Bitmap1* bitmap_ = nullptr;
    const Dib* dib_ = nullptr;
};

enum class Alignment { Left, Center, Right };

class Label : public Control {
public:
    using Control::Control;
    Alignment alignment = Alignment::Left;
    bool autoSize = false;
    // Sizes the label to its caption in its font, as the platform measures it.
    void adjustSize();
};

class Button : public Control {
public:
    using Control::Control;
    bool isDefault = false;
    ModalResult modalResult = ModalResult::None;
    void click();  // OnClick, then the form takes the button's modal result
};

class Edit : public Control {
public:
    using Control::Control;
    bool readOnly = false;
    bool border = true;
};

struct CreateParams {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t classStyle = 0;
    std::intptr_t parentWindow = 0;  // native handle of the parent (0: the default owner)
    int x = 0, y = 0, width = 0, height = 0;
};

enum class BorderStyle { None, Dialog };
enum class FormPosition { Designed, ScreenCenter };

class Form : public Control {
public:
    explicit Form(std::string name);
    ~Form() override;

    BorderStyle borderStyle = BorderStyle::None;
    FormPosition position = FormPosition::Designed;
    bool keyPreview = false;
    bool systemMenu = false;
    ModalResult modalResult = ModalResult::None;

    // Client size; the backend maps it to and from the outer size.
    void setClientSize(int width, int height);
    Bounds clientRect() const override { return {0, 0, clientWidth_, clientHeight_}; }
    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    void setClientQuietly(int width, int height) {
        clientWidth_ = width;
        clientHeight_ = height;
    }

    // Fills in the window's style before its native window is made; forms
    // override it to change the defaults.
    virtual void createParams(CreateParams& params);

    // Makes the native window (runs OnCreate first, like a designed form
    // coming to life) and shows it if visible.
    void createHandle();
    bool handleCreated() const { return native != nullptr; }
    void close();  // the framework's close request: OnClose, then the close action
    ModalResult showModal();

    // Called by the backend as the events arrive.
    void doCreate();
    void doClose();
    // OnDestroy, then the native window goes. A form class calls it from its
    // own destructor, while its handlers can still run.
    void doDestroy();

    std::function<void()> OnCreate;
    std::function<void()> OnActivate;
    std::function<void()> OnPaint;
    std::function<void(CloseAction&)> OnClose;
    std::function<void()> OnDestroy;
    std::function<void(std::uint16_t& key, Shift)> OnKeyDown;
    std::function<void(std::uint16_t& key, Shift)> OnKeyUp;
    // A system command; return true when handled, with the message's result.
    std::function<bool(std::uintptr_t command, std::intptr_t& result)> OnSysCommand;

    // The main form's close ends the application; others are hidden.
    CloseAction defaultCloseAction() const;

private:
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    bool destroyed_ = false;
};

// The application object: its title and hidden owner window, the main form,
// the idle handler and the message loop.
class Application {
public:
    std::string title;
    Form* mainForm = nullptr;
    std::function<void(bool& done)> OnIdle;
    bool terminated = false;

    void createForm(Form& form);   // the first form created becomes the main form
    void terminate() { terminated = true; }
};

Application& application();

// What the application needs of the platform to run.
class Runner {
public:
    virtual ~Runner() = default;
    virtual void run(Application& app) = 0;             // message loop until terminated
    virtual void processMessages(Application& app) = 0; // handle pending messages and return
    virtual void hideApplicationWindow() = 0;           // the hidden top-level (task-bar) window
};

}  // namespace tk
