// Replacing a file without ever leaving it truncated.
#pragma once

#include <string>
#include <string_view>

namespace kordalt {

// Writes `bytes` to a new file beside `path` (keeping the old file's mode) and
// renames it over `path`. Returns 0, or the errno of the step that failed; on
// failure `path` is untouched and the temporary file is gone.
int WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace kordalt
