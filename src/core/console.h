#pragma once
// Text for a terminal: what a command-line program prints.

#include <string>

namespace platform {

// UTF-8 text in the encoding the console shows: UTF-8 itself on POSIX; the
// console's output code page on Windows (the ANSI code page when the output
// goes to no console).
std::string consoleText(const std::string& utf8);

}  // namespace platform
