#include "settings/registry_memory.h"

namespace morvelux {

// Without Windows there is no per-user registry; the settings read their
// defaults from an empty one.
Registry& systemRegistry() {
    static MemoryRegistry registry;
    return registry;
}

}  // namespace morvelux
