// How a page puts a question to the user: through the form, which has to
// know while a question of its own is on the screen. Kinds, buttons and
// answers are AskUser's.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

using TPageAsk = std::function<int(const std::string& text, uint8_t kind, uint16_t buttons)>;
