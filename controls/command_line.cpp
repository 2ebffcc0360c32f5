#include "controls/command_line.h"

namespace kordalt {

namespace {
bool IsBlank(char c) { return c != 0 && static_cast<unsigned char>(c) <= 32; }
}  // namespace

std::size_t NextCommandLineParam(std::string_view line, std::size_t pos, std::string& param) {
    const std::size_t n = line.size();
    while (pos < n) {
        if (IsBlank(line[pos])) {
            ++pos;
        } else if (line[pos] == '"' && pos + 1 < n && line[pos + 1] == '"') {
            pos += 2;
        } else {
            break;
        }
    }
    param.clear();
    while (pos<n&& static_cast<unsigned char>(line[pos])> 32) {
        if (line[pos] != '"') {
            param += line[pos++];
            continue;
        }
        ++pos;
        while (pos < n && line[pos] != '"' && line[pos] != 0) param += line[pos++];
        if (pos < n && line[pos] == '"') ++pos;
    }
    return pos;
}

int CountCommandLineParams(std::string_view line) {
    int count = 0;
    std::string param;
    for (std::size_t pos = NextCommandLineParam(line, 0, param); !param.empty();
         pos = NextCommandLineParam(line, pos, param)) {
        ++count;
    }
    return count;
}

std::string CommandLineParam(std::string_view line, int index) {
    std::string param;
    std::size_t pos = 0;
    for (int i = 0; i <= index; ++i) {
        pos = NextCommandLineParam(line, pos, param);
        if (param.empty()) break;
    }
    return param;
}

void SplitProgramAndParams(std::string_view line, std::string& programName, std::string& params) {
    params.clear();
    std::string param;
    std::size_t pos = NextCommandLineParam(line, 0, programName);
    for (pos = NextCommandLineParam(line, pos, param); !param.empty();
         pos = NextCommandLineParam(line, pos, param)) {
        if (!params.empty()) params += ' ';
        params += param.find(' ') == std::string::npos ? param : '"' + param + '"';
    }
}

}  // namespace kordalt
