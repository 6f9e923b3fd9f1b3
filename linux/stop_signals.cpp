#include "linux/stop_signals.h"

#include <signal.h>
#include <sys/signalfd.h>

namespace morvelux {

int stopSignalsAsDescriptor() {
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    // Blocked, the signals wait in the descriptor instead of ending the process.
    if (sigprocmask(SIG_BLOCK, &stop, nullptr) != 0) return -1;
    return signalfd(-1, &stop, SFD_CLOEXEC | SFD_NONBLOCK);
}

}  // namespace morvelux
