#pragma once
// Drawings in corvex's own file (".cvx", internal): for chaining runs and for large parts. The
// shapes are the kernel's binary B-Rep, written and read without loss and without translation
// (a STEP file of a ten-thousand-face part took most of a run to write and read back); beside
// them, the names, colours, visibility and groups as one line of JSON. Other CAD programs read
// STEP: that stays the default.
//
// The file: the line "corvex drawing 1", the JSON line (items, layers, and the length and
// CRC-32 of what follows), then the shapes, one compound of the items in order. A file that is
// cut short or damaged fails its length or its checksum before the kernel reads a byte of it.
#include <string>

#include "cadhost/occt/files/step_content.hpp"

namespace corvex::cadhost::occt {

// Whether `path` names a drawing in corvex's own file: it ends in ".cvx", in any case.
bool isNativeDrawingPath(const std::string& path);

// Writes `content` to `path` as every output is written (see replace_file.hpp), once the disk
// is shown to hold it: the file read back is the bytes written, and the kernel reads from it as
// many shapes, each of as many faces. Fails with an automation error.
void writeNativeContent(const StepContent& content, const std::string& path);

// Reads one of our files; fails with an automation error that says why it cannot be read.
StepContent readNativeContent(const std::string& path);

}  // namespace corvex::cadhost::occt
