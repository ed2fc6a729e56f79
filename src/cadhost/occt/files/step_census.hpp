#pragma once
// The proof that a STEP file this system wrote itself holds the drawing, without the kernel's
// reader (internal to the host). Reading a large part back with that reader took twice as
// long as machining it. This proof reads the file on disk and finds it the very bytes that
// were written; checks its text as every STEP file read is checked (complete, well formed,
// every reference defined); and counts in it, independently of the writer, each item's
// name, solids, faces or curves, colour and visibility, and the members of every group, which
// must be the drawing's. The geometry itself is the kernel's, number for number, so the
// volumes are the ones measured on the part; that the kernel's reader makes of such files the
// same solids is what the writer's tests prove, and the shapes a reader might rebuild otherwise
// are read back whole beside it (drawing_file.cpp).
#include <string>

#include "cadhost/occt/files/step_content.hpp"

namespace corvex::cadhost::occt {

// Fails with an automation error that says what differs.
void checkStepCensus(const StepContent& content, const std::string& written, const std::string& path);

}  // namespace corvex::cadhost::occt
