#pragma once
// Bytes as text on the control connection: two lower-case hex digits a byte.
#include <optional>
#include <string>
#include <string_view>

std::string EncodeHex(std::string_view bytes);
// Empty optional when the text has an odd length or a non-hex character.
std::optional<std::string> DecodeHex(std::string_view hex);
