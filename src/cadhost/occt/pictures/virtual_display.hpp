#pragma once
// The X display that pictures are drawn on (internal to the host). OpenCASCADE's offscreen
// view needs an X server even when nothing is shown: Debian builds it for GLX only. When the
// user has a display we draw on it (nothing is mapped, so nothing appears); otherwise this
// process starts a private Xvfb, which Mesa's software renderer draws on, and stops it on exit.
#include <string>

namespace corvex::cadhost::occt {

// The name (":57") of this process's private Xvfb, started on first use. Fails with an
// automation error when Xvfb cannot be started.
std::string privateDisplay();

}  // namespace corvex::cadhost::occt
