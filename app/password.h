#pragma once
#include <cstdint>

namespace morvelux {

// Asks the Windows 95/98 password provider to change the screen-saver
// password, owned by `owner`. Nothing happens where there is no provider.
void changeSaverPassword(std::int32_t owner);

}  // namespace morvelux
