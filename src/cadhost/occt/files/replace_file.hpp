#pragma once
// Output files appear whole or not at all: each writer writes a temporary file next to the
// target (same directory, so the rename cannot cross file systems) and renames it over the
// target only when writing succeeded. An interrupted or failed write leaves the old file, and
// the temporaries a killed writer left are removed by the next write of the same target.
#include <functional>
#include <string>

namespace corvex::cadhost::occt {

// Calls `write` with a temporary path beside `target`, flushes it to the disk, has `verify`
// read it (a writer's success is not believed: on a full disk some reported success over a
// truncated file), then renames it to `target`. Fails with an automation error, removing the
// temporary file and any file the writer made beside it, when the directory does not exist,
// `write` or `verify` throws, or the flush or the rename fails.
using FileAction = std::function<void(const std::string&)>;
void replaceFile(const std::string& target, const FileAction& write, const FileAction& verify);

}  // namespace corvex::cadhost::occt
