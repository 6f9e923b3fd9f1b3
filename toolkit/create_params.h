#pragma once
// The window a form asks for: styles as the platform spells them, its parent
// or owner, and its outer bounds.
#include <cstdint>

namespace tk {

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

enum class BorderStyle { None, Dialog };

struct CreateParams {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t classStyle = 0;
    // Native handle of the parent (with ws::kChild) or the owner; 0: the
    // application's hidden window owns the form.
    std::intptr_t parentWindow = 0;
    int x = 0, y = 0, width = 0, height = 0;  // outer bounds
};

// Default window styles of a border style (what a form's createParams starts from).
CreateParams defaultCreateParams(BorderStyle style, bool systemMenu);

}  // namespace tk
