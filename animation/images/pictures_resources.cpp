#include <windows.h>

#include "animation/images/pictures.h"

namespace morvelux {

std::span<const std::uint8_t> pictureBytes(PictureId id) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(static_cast<int>(id)), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    if (!info) return {};
    const HGLOBAL handle = LoadResource(module, info);
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data) return {};
    return {static_cast<const std::uint8_t*>(data), SizeofResource(module, info)};
}

}  // namespace morvelux
