#pragma once

#include <string>

namespace platform {

// The caption of information and warning boxes: the word framed by six
// spaces on each side.
inline constexpr const char* messageCaption = "      Message      ";
inline constexpr const char* errorCaption = "Error";

// printf-style formatting into a string of whatever length it needs. Text
// read from a file is only ever passed as an argument, never as the format.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Modal information box ("      Message      ").
void showMessage(const std::string& text);
// Modal error box ("Error").
void showError(const std::string& text);

}  // namespace platform
