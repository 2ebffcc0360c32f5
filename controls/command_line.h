// Splitting a command line into parameters: blanks separate them, double quotes
// group blanks into one and are dropped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kordalt {

// Reads one parameter from `pos`; returns the position after it.
std::size_t NextCommandLineParam(std::string_view line, std::size_t pos, std::string& param);
int CountCommandLineParams(std::string_view line);
// The parameter with 0-based `index`; empty when there are fewer.
std::string CommandLineParam(std::string_view line, int index);
// Parameter 0 is the program; the others are joined with blanks, re-quoted when they hold one.
void SplitProgramAndParams(std::string_view line, std::string& programName, std::string& params);

}  // namespace kordalt
