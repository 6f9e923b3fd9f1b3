// Nobody can see the saver while the display is off, the session locked or
// disconnected, or the machine asleep: it holds its motion, draws nothing,
// wakes for nothing but messages and gives back the fine timer resolution.
// When it can be seen again it shows the frame it stood at and goes on from
// there. A hold is neither input nor a pause: it never ends the saver, and
// Space neither ends a hold nor is undone by one.
#include "window/unit1.h"

namespace morvelux {

void TForm1::FormDisplayState(tk::DisplayState display) {
    if (display == tk::DisplayState::Off)
        hold(kDisplayOff);
    else
        release(kDisplayOff | kAsleep);  // a lit display also means the machine is awake, whatever was missed
}

void TForm1::FormSessionChange(tk::SessionChange change) {
    switch (change) {
    case tk::SessionChange::Lock:
        hold(kSessionLocked);
        break;
    case tk::SessionChange::Unlock:
        release(kSessionLocked);
        break;
    case tk::SessionChange::ConsoleDisconnect:
    case tk::SessionChange::RemoteDisconnect:
        hold(kSessionAway);
        break;
    case tk::SessionChange::ConsoleConnect:
    case tk::SessionChange::RemoteConnect:
        release(kSessionAway);  // a session reconnected while locked still shows the lock screen
        break;
    }
}

void TForm1::FormPowerChange(tk::PowerChange change) {
    if (change == tk::PowerChange::Suspend)
        hold(kAsleep);
    else
        release(kAsleep);
}

void TForm1::hold(unsigned reasons) {
    if (preview()) return;
    if (!held()) platform_.endTimerPeriod();
    holds_ |= reasons;
}

// Only the end of a hold there was counts: a saver started after a lock,
// and so never held, hears the unlock and carries on as it was.
void TForm1::release(unsigned reasons) {
    if ((holds_ & reasons) == 0) return;
    holds_ &= ~reasons;
    if (held()) return;
    platform_.beginTimerPeriod();
    // The next step a whole interval from now, however far the clock went
    // while held: no burst of steps to catch up, and no wait for it to come back.
    state_.LastTickAt = platform_.clock().now();
    if (const Bitmap1* shown = Image1.bitmap()) showBitmap(*shown);
}

}  // namespace morvelux
