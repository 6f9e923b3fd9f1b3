#pragma once
// What a platform must do to show controls. Every notification comes after
// the property changed in the control. The defaults are those of the null
// backend that native tests run on: nothing is shown, text is measured at
// half the font height per character, a dialog frame has classic metrics
// and the screen is 1024 x 768.
#include <string>

#include "toolkit/canvas.h"
#include "toolkit/create_params.h"
#include "toolkit/font.h"
#include "toolkit/geometry.h"

namespace tk {

class Control;
class Form;

class Backend {
public:
    virtual ~Backend() = default;
    // Makes the native window of a form and of its controls, hidden; false
    // when the platform would not make them (nothing is left behind then).
    virtual bool realise(Form& form, const CreateParams& params);
    // Makes the native window of a control added to a form whose window is
    // already made (and those of its children); false when refused.
    virtual bool realiseChild(Control& control);
    virtual void destroy(Form& form);       // tears the form's native window down
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
    // Pixels per inch of the monitor the form is (mostly) on; the primary's
    // before its window is made.
    virtual int dpiOf(const Form& form);
    virtual void fontChanged(Control& control);
    // Runs the form's modal message loop until form.modalResult is set (or
    // nothing more can happen: the null backend returns at once).
    virtual void showModal(Form& form);

    // A backend that shows nothing, for controls that belong to no form yet.
    static Backend& none();
};

}  // namespace tk
