#pragma once
// SIGTERM and SIGINT as something a loop can wait for beside its display:
// a descriptor that becomes readable when one arrives.
namespace morvelux {

// Blocks both signals for the process and returns a descriptor that
// delivers them (close-on-exec, non-blocking); -1 when the system refuses.
int stopSignalsAsDescriptor();

}  // namespace morvelux
