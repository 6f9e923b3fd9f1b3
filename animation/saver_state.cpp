#include "animation/saver_state.h"

namespace morvelux {

TSaverState SaverState;

}  // namespace morvelux
