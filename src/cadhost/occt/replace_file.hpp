#pragma once
// Output files appear whole or not at all: each writer writes a temporary file next to the
// target (same directory, so the rename cannot cross file systems) and renames it over the
// target only when writing succeeded. An interrupted or failed write leaves the old file.
#include <functional>
#include <string>

namespace corvex::cadhost::occt {

// Calls `write` with a temporary path beside `target`, then renames it to `target`.
// Fails with an automation error, removing the temporary file, when the directory does not
// exist, `write` throws, or the rename fails.
void replaceFile(const std::string& target, const std::function<void(const std::string&)>& write);

}  // namespace corvex::cadhost::occt
