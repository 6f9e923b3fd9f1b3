#pragma once
// A top-level (or foreign-parented) window with its controls. Forms are made
// and owned by an Application (Application::make), which runs their
// OnDestroy while the whole form still exists, before it deletes them.
#include <cstdint>
#include <functional>

#include "toolkit/button.h"
#include "toolkit/control.h"
#include "toolkit/create_params.h"

namespace tk {

class Application;

// Only an Application can make the key every form's constructor takes, so
// no form can exist outside one.
class FormKey {
public:
    Application& application() const { return application_; }

private:
    friend class Application;
    explicit FormKey(Application& application) : application_(application) {}
    Application& application_;
};

enum class CloseAction { None, Hide, Free };

// What the system says of the display, the session and the machine: a
// window that nobody can see need not be drawn.
enum class DisplayState { Off, On, Dimmed };
enum class SessionChange { Lock, Unlock, ConsoleConnect, ConsoleDisconnect, RemoteConnect, RemoteDisconnect };
enum class PowerChange { Suspend, Resume };
enum class FormPosition { Designed, ScreenCenter };

class Form : public Control {
public:
    Form(const FormKey& key, std::string name);
    ~Form() override;

    Application& application() const { return application_; }

    BorderStyle borderStyle = BorderStyle::None;
    FormPosition position = FormPosition::Designed;
    bool keyPreview = false;  // the form's key handlers see keys before its focused control
    bool systemMenu = false;
    // A scaled form is laid out for kDesignedDpi and enlarged to the
    // screen's DPI when its window is made: positions, sizes, font heights.
    bool scaled = false;
    ModalResult modalResult = ModalResult::None;
    Control* activeControl = nullptr;  // takes the focus when the form is first activated
    Control* lastFocus = nullptr;      // had the focus when the form was last left

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
    // False when the platform could not make the window: OnCreate does not run.
    bool createHandle();
    bool handleCreated() const { return created_; }
    // Makes the window of a control added after the form's own was made;
    // false when the platform would not (the control then stays unseen).
    bool adopt(Control& control);
    // A designed length at the DPI the form is shown at.
    int scale(int designed) const;
    void setVisible(bool v) override;  // showing makes the handle; ScreenCenter places the form

    // The framework's close request: a modal form takes ModalResult::Cancel;
    // any other runs OnClose with its default action and carries it out.
    void close();
    // Shows the form and runs its modal loop until a modal result is set and
    // OnClose lets it close; then hides it.
    ModalResult showModal();
    bool modal() const { return modal_; }

    // The events as the platform delivers them.
    void doCreate();
    void doDisplayChange();  // a scaled form follows its monitor's DPI, then OnDisplayChange
    // The system moved the form to `dpi` and suggests its new outer bounds: a
    // scaled form takes both (and from then on its DPI only from here), then
    // OnDisplayChange.
    void doDpiChange(int dpi, const Bounds& suggested);
    void doClose();  // the close course of a form that is not modal
    // A key for the form: OnKeyDown or OnKeyUp. True when a handler
    // swallowed it (cleared the key).
    bool doKey(bool down, Key& key, Shift shift);
    // OnDestroy once (if OnCreate ran), then the native window goes. The application calls it
    // before it deletes the form; the backend when the window is destroyed
    // from outside.
    void doDestroy();

    std::function<void()> OnCreate;
    std::function<void()> OnActivate;
    std::function<void()> OnPaint;
    std::function<void(CloseAction&)> OnClose;
    std::function<void()> OnDestroy;
    std::function<void(Key& key, Shift)> OnKeyDown;
    std::function<void(Key& key, Shift)> OnKeyUp;
    // A system command; return true when handled, with the message's result.
    std::function<bool(std::uintptr_t command, std::intptr_t& result)> OnSysCommand;
    // The screens changed: a monitor came or went, or a resolution, DPI or
    // other display setting changed.
    std::function<void()> OnDisplayChange;
    // Where the form asked for them (the platform registers it): the
    // display switched off, on or dimmed; the session locked, unlocked,
    // disconnected or connected again; the machine about to sleep, or awake.
    std::function<void(DisplayState)> OnDisplayState;
    std::function<void(SessionChange)> OnSessionChange;
    std::function<void(PowerChange)> OnPowerChange;

    // The main form's close ends the application; others are hidden.
    CloseAction defaultCloseAction() const;

private:
    bool closeModal();
    void centreOnScreen();
    void scaleTo(int dpi);

    Application& application_;
    bool created_ = false;
    bool createRan_ = false;
    bool destroyed_ = false;
    bool modal_ = false;
    bool dpiFromSystem_ = false;  // the system names the DPI: the monitors are not asked again
    int dpi_ = kDesignedDpi;
};

}  // namespace tk
