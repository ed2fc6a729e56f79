#pragma once
// The check of a STEP file's text before the kernel's reader sees it (internal). The reader
// trusts its input: a face bound that refers to itself, a reference to an entity the file
// does not define or a bare word where a name belongs each crashed it, and a coordinate of
// 1e400 loaded as an empty solid. So the data section is read once here, without recursion:
// every instance well formed and defined once, every reference to a defined instance and none
// in a cycle, every number finite, every point within the model's working range, and the file
// complete.
#include <string>

namespace corvex::cadhost::occt {

// Fails with an automation error naming the file, and the instance where there is one.
void checkStepText(const std::string& path);
// The same check of a file's text already in memory.
void checkStepTextOf(std::string text, const std::string& path);

}  // namespace corvex::cadhost::occt
