#pragma once
// What the runner's commands share: how they fail, and how they open a drawing.
//
// Exit status: 0 when everything worked; 1 when a call of a session failed or an output could
// not be written (the outputs that could be are still written); 2 for bad input, found before
// anything runs: a malformed command line or session, an unknown member, a file that cannot
// be read, a STEP file that is not one.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cadhost/journal.hpp"
#include "cadhost/occt/model/embedded_host.hpp"

namespace corvex::runner {

inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadInput = 2;

// Bad input: the message says what and where; the runner stops with status 2.
class BadInput : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// BadInput unless a file can be created at `path` (its directory exists and is writable), so
// that a long session is not run for an output it cannot write.
void checkWritableFile(const std::string& option, const std::string& path);
// BadInput unless `directory` exists and files can be created in it.
void checkWritableDirectory(const std::string& option, const std::string& directory);

// Stock added to `drawing`: the box between two corners (X0 Y0 Z0 X1 Y1 Z1) when `box` is
// given, else the cylinder `cylinder` (CX CY CZ RADIUS LENGTH) along `axis` ("x", "y" or "z",
// either case); none when neither is given. What the host refuses is bad input, its message
// after `command`.
std::shared_ptr<cadhost::Solid3D> addStockSolid(cadhost::occt::Drawing& drawing, const std::vector<double>& box,
                                                const std::vector<double>& cylinder, const std::string& axis,
                                                const std::string& command);

// The drawing in `path`, or a new empty one when `path` is empty. A file that cannot be read
// as a drawing is bad input.
std::shared_ptr<cadhost::occt::Drawing> openDrawing(const std::string& path,
                                                    std::shared_ptr<cadhost::Journal> journal = nullptr);

}  // namespace corvex::runner
