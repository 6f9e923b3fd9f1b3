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
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool contains(int x, int y) const { return x >= left && x < right() && y >= top && y < bottom(); }
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

// Thickness of a window's frame around its client area.
struct Insets {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Insets&, const Insets&) = default;
};

// Which edges of its parent's client area a control keeps its distance to.
// Anchored left and right it stretches; right only, it moves; neither, its
// centre keeps its proportional place.
enum Anchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

inline constexpr int kShiftJisCharset = 128;

struct Font {
    std::string name = "Arial";
    int height = 12;  // pixels of character height (the em, without the leading)
    bool bold = false;
    int charset = kShiftJisCharset;
    friend bool operator==(const Font&, const Font&) = default;
};

enum class Colour { Black, White, ButtonFace, WindowText, Custom };

enum class MouseButton { Left, Right, Middle };

// Modifier keys and mouse buttons held during an event. The mouse bits are
// the platform's MK_* values, so a backend can pass those through.
using Shift = unsigned;
inline constexpr Shift kShiftLeftButton = 0x1;
inline constexpr Shift kShiftRightButton = 0x2;
inline constexpr Shift kShiftShift = 0x4;
inline constexpr Shift kShiftCtrl = 0x8;
inline constexpr Shift kShiftMiddleButton = 0x10;
inline constexpr Shift kShiftAlt = 0x100;
inline constexpr Shift kShiftDouble = 0x200;  // the mouse-down of a double click

enum class CloseAction { None, Hide, Free };

enum class ModalResult : int { None = 0, Ok = 1, Cancel = 2 };

// Window, extended and class styles as the platform spells them; forms set
// them in createParams.
namespace ws {
inline constexpr std::uint32_t kPopup = 0x80000000;
inline constexpr std::uint32_t kChild = 0x40000000;
inline constexpr std::uint32_t kVisible = 0x10000000;
inline constexpr std::uint32_t kDisabled = 0x08000000;
inline constexpr std::uint32_t kClipSiblings = 0x04000000;
inline constexpr std::uint32_t kClipChildren = 0x02000000;
inline constexpr std::uint32_t kCaption = 0x00C00000;
inline constexpr std::uint32_t kSysMenu = 0x00080000;
inline constexpr std::uint32_t kModalFrame = 0x00000080;  // DS_MODALFRAME

inline constexpr std::uint32_t kExDlgModalFrame = 0x00000001;
inline constexpr std::uint32_t kExTopmost = 0x00000008;
inline constexpr std::uint32_t kExWindowEdge = 0x00000100;
inline constexpr std::uint32_t kExControlParent = 0x00010000;

inline constexpr std::uint32_t kClassVRedraw = 0x0001;
inline constexpr std::uint32_t kClassHRedraw = 0x0002;
inline constexpr std::uint32_t kClassDblClks = 0x0008;
inline constexpr std::uint32_t kClassParentDC = 0x0080;
}  // namespace ws

class Control;
class Form;

// Drawing on a form outside its controls, from its OnPaint (or at any time,
// straight onto the window).
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void fill(const Bounds& area, Rgb colour);
    virtual void draw(int x, int y, const Bitmap1& bitmap);  // unscaled, its own palette
    virtual void draw(int x, int y, const Dib& dib);         // unscaled, its own colour table
};

struct CreateParams {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t classStyle = 0;
    // Native handle of the parent (with ws::kChild) or the owner; 0: the
    // application's hidden window owns the form.
    std::intptr_t parentWindow = 0;
    int x = 0, y = 0, width = 0, height = 0;  // outer bounds
};

// What a platform must do to show controls. Every notification comes after
// the property changed in the control. The defaults are those of the null
// backend that native tests run on: nothing is shown, text is measured at
// half the font height per character, a dialog frame has classic metrics
// and the screen is 1024 x 768.
class Backend {
public:
    virtual ~Backend() = default;
    // Makes the native window of a form and of its controls, hidden. The
    // form runs its OnCreate and shows itself afterwards.
    virtual void realise(Form& form, const CreateParams& params);
    virtual void destroy(Form& form);     // tears the form's native window down
    virtual void forget(Control& control);  // the control object is going away
    virtual void boundsChanged(Control& control, const Bounds& old);
    virtual void visibleChanged(Control& control);
    virtual void textChanged(Control& control);
    virtual void invalidate(Control& control);  // repaint
    virtual void enabledChanged(Control& control);
    virtual int textWidth(const Font& font, const std::string& text);
    virtual int textHeight(const Font& font);
    virtual Insets frame(const Form& form);  // non-client thickness of the form's window
    virtual Bounds screen();                 // the primary screen
    // Runs the form's modal message loop until form.modalResult is set (or
    // nothing more can happen: the null backend returns at once).
    virtual void showModal(Form& form);
    virtual Canvas& canvas(Form& form);
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
    // Moves or sizes the control and takes the result as its designed place
    // for anchoring; children follow a change of its client size.
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
    virtual void setVisible(bool v);
    void show() { setVisible(true); }
    void hide() { setVisible(false); }

    bool enabled() const { return enabled_; }
    void setEnabled(bool v);

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& text);

    // Whether the platform gives the control a window of its own; the others
    // are drawn by their parent and hit-tested in its window.
    virtual bool windowed() const { return true; }
    // The deepest visible, enabled windowless child at (x, y) in client
    // coordinates, or this control.
    Control& controlAt(int x, int y);

    Colour colour = Colour::ButtonFace;
    Rgb customColour{};
    Font font;
    unsigned anchors = akLeft | akTop;
    int cursor = 0;  // 0: default arrow; else a system cursor id (IDC_*)

    void invalidate();

    // Native data the backend keeps here: the Win32 backend keeps the window
    // (HWND) of a windowed control; windowless ones have none.
    void* native = nullptr;

    std::function<void(MouseButton, Shift, int x, int y)> OnMouseDown;
    std::function<void()> OnDblClick;
    std::function<void(Shift, int x, int y)> OnMouseMove;
    std::function<void()> OnClick;

protected:
    void setBoundsQuietly(const Bounds& b) { bounds_ = b; }
    void setVisibleQuietly(bool v) { visible_ = v; }
    void setEnabledQuietly(bool v) { enabled_ = v; }
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
    std::vector<Control*> children_;
    Bounds bounds_;
    AnchorRules rules_;
    bool visible_ = true;
    bool enabled_ = true;
    std::string caption_;
};

class Panel : public Control {
public:
    using Control::Control;
};

// Shows a picture unscaled with its top-left at the view's own top-left.
// A one-bit picture (shared, not copied) is drawn with its own two colours;
// a DIB (the preview sample) with its own colour table.
class Image : public Control {
public:
    using Control::Control;
    bool windowed() const override { return false; }
    // Also to show new contents of the same bitmap.
    void setBitmap(const Bitmap1* bitmap);
    const Bitmap1* bitmap() const { return bitmap_; }
    void setDib(const Dib* dib);  // sizes the view to the picture; the DIB must not change while shown
    const Dib* dib() const { return dib_; }
    // The part of the view the picture covers, in the parent's coordinates.
    Bounds pictureBounds() const;

private:
    const Bitmap1* bitmap_ = nullptr;
    const Dib* dib_ = nullptr;
};

enum class Alignment { Left, Center, Right };

class Label : public Control {
public:
    using Control::Control;
    bool windowed() const override { return false; }
    Alignment alignment = Alignment::Left;
    // With autoSize, every caption change sizes the label to its text; set
    // the font before the caption (or call adjustSize after changing it).
    bool autoSize = false;
    // Sizes the label to its caption in its font, as the platform measures it.
    void adjustSize();

protected:
    void captionChanged() override;
};

class Button : public Control {
public:
    using Control::Control;
    bool isDefault = false;  // Enter presses it
    bool isCancel = false;   // Esc presses it
    ModalResult modalResult = ModalResult::None;
    // The form takes the button's modal result, then OnClick runs (and may
    // take it back by resetting the form's).
    void click();
};

class Edit : public Control {
public:
    using Control::Control;
    bool readOnly = false;
    bool border = true;
};

enum class BorderStyle { None, Dialog };
enum class FormPosition { Designed, ScreenCenter };

class Form : public Control {
public:
    explicit Form(std::string name);
    ~Form() override;

    BorderStyle borderStyle = BorderStyle::None;
    FormPosition position = FormPosition::Designed;
    bool keyPreview = false;  // the form's key handlers see keys before its focused control
    bool systemMenu = false;
    ModalResult modalResult = ModalResult::None;
    Control* activeControl = nullptr;  // takes the focus when the form is activated

    // bounds() are the outer bounds of the window; the client area is what
    // the frame (as the backend measures it) leaves of them.
    void setClientSize(int width, int height);
    Bounds clientRect() const override;
    int clientWidth() const { return clientRect().width; }
    int clientHeight() const { return clientRect().height; }

    // Fills in the window's style before its native window is made: the
    // defaults for the border style, then whatever a form class changes.
    virtual void createParams(CreateParams& params);

    // Makes the native window, runs OnCreate, then shows the form if it is
    // visible (forms start hidden; a ws::kVisible style makes them visible).
    void createHandle();
    bool handleCreated() const { return created_; }
    void setVisible(bool v) override;  // showing makes the handle; ScreenCenter places the form

    // The framework's close request: a modal form takes ModalResult::Cancel;
    // any other runs OnClose with its default action and carries it out.
    void close();
    // Shows the form and runs its modal loop until a modal result is set and
    // OnClose lets it close; then hides it.
    ModalResult showModal();
    bool modal() const { return modal_; }

    // The events as they arrive: OnCreate; the close course of a form that is
    // not modal (OnClose with the default action, then the action).
    void doCreate();
    void doClose();

    // OnDestroy, then the native window goes. A form class calls it from its
    // own destructor, while its handlers can still run; the backend calls it
    // when the window is destroyed from outside.
    void doDestroy();

    // Drawing outside the controls (in OnPaint, or straight onto the window).
    Canvas& canvas() { return backend().canvas(*this); }

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
    bool closeModal();
    void centreOnScreen();

    bool created_ = false;
    bool destroyed_ = false;
    bool modal_ = false;
};

// Default window styles of a form's border style (what createParams starts from).
CreateParams defaultCreateParams(BorderStyle style, bool systemMenu);

// What the application needs of the platform to run.
class Application;
class Runner {
public:
    virtual ~Runner() = default;
    virtual void run(Application& app) = 0;             // message loop until terminated
    virtual void processMessages(Application& app) = 0; // handle pending messages and return
    virtual void hideApplicationWindow() = 0;           // the hidden top-level (task-bar) window
    // Waits until a message arrives or timeoutMs pass.
    virtual void waitForMessage(unsigned timeoutMs) { (void)timeoutMs; }
};

// The runner in use; a null one (nothing to wait for) until the platform installs its own.
Runner& runner();
void setRunner(Runner* runner);

// The application object: its title and hidden owner window, the main form,
// the idle handler and the message loop.
class Application {
public:
    std::string title;
    Form* mainForm = nullptr;
    // Called whenever no message is waiting; `done` starts true. Leaving it
    // false asks to be called again soon rather than after the next message.
    std::function<void(bool& done)> OnIdle;
    // How long the loop may sleep, waiting for messages, before calling an
    // idle handler again that left `done` false; a handler that knows when
    // it next has work says so here.
    unsigned idleWaitMs = 1;
    bool terminated = false;

    void createForm(Form& form);   // the first form created becomes the main form
    void terminate() { terminated = true; }
    void run();                    // shows the main form, runs the loop until terminated
    void processMessages() { runner().processMessages(*this); }
};

Application& application();

}  // namespace tk
