#pragma once

namespace tk {

// A control's background: fixed colours, or the system's colours of the moment.
enum class Colour { Black, White, ButtonFace, WindowText, Custom };

}  // namespace tk
