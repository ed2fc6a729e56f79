#pragma once
// OpenCASCADE reports through a process-wide messenger that prints on standard output, and
// its STEP transfer prints statistics there. Our standard output carries data (JSON from the
// runner), so the host takes those printers away before its first file operation and keeps
// only real failures, on standard error (internal to the host).
namespace corvex::cadhost::occt {

void quietOcctOutput();  // idempotent

}  // namespace corvex::cadhost::occt
