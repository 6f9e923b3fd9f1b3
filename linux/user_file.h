#pragma once
// The user's own files the program edits: read whole, replaced at once.
#include <sys/types.h>

#include <optional>
#include <string>

namespace morvelux {

// The file's bytes; nothing when it cannot be read (errno says why).
std::optional<std::string> readFile(const std::string& path);

// `text` replaces the file at `path` at once, with permissions `mode`: written
// beside it, then renamed over it. False, with `error` saying why, when not.
bool replaceFile(const std::string& path, const std::string& text, mode_t mode, std::string& error);

}  // namespace morvelux
