#pragma once
// Checks that a file a writer says it wrote is whole (internal). On a full disk the image
// library and the mesh writer reported success over truncated or empty files; these checks
// read what is on disk before it replaces the target. Each fails with an automation error.
#include <string>

namespace corvex::cadhost::occt {

// A STEP file that ends as a STEP file ends.
void checkStepWritten(const std::string& path);
// A binary STL of exactly as many triangles as its header says.
void checkStlWritten(const std::string& path);
// A binary glTF file of exactly the length its header says.
void checkGlbWritten(const std::string& path);
// Fails as a check above fails: the file holds less than was written, for `what` reason.
[[noreturn]] void incompleteFile(const std::string& what);

// Writes `bytes` to exactly `path`, closed; fails with an automation error naming it.
void writeBytes(const std::string& bytes, const std::string& path);
// Every byte of the file, to read back what was written; fails with an automation error that
// says why ("it cannot be opened").
std::string bytesOfFile(const std::string& path);

}  // namespace corvex::cadhost::occt
