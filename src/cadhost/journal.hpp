#pragma once
// A record of every host operation, one line each, in call order:
//   Solid3D#7.Boolean(2%, <Solid3D#9>)
//   ModelSpace.AddCylinder([-100, -100, 0], 1%, 2) -> <Solid3D#3>
//   Groups.Item("PART") !! Unknown group "PART"
// Tests read it to check the order of calls a member makes; the runner prints it on request.
// Both hosts write the same lines for the same calls, so their journals can be compared.
#include <functional>
#include <string>
#include <vector>

#include "automation/error.hpp"
#include "automation/variant.hpp"

namespace corvex::cadhost {

class Journal {
public:
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }

    // Also hand every line to `sink` as it is recorded (the runner's --trace).
    void setSink(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }

    void record(std::string line);
    const std::vector<std::string>& lines() const { return lines_; }
    void clear() { lines_.clear(); }

    // "receiver.Operation(arg, arg)"
    static std::string call(const std::string& receiver, const std::string& operation,
                            std::initializer_list<automation::Variant> arguments);

private:
    bool enabled_ = false;
    std::vector<std::string> lines_;
    std::function<void(const std::string&)> sink_;
};

// Records one host operation: the call when it returns, with its result or with the error
// that ended it. Use it as the first statement of every host operation.
class JournalEntry {
public:
    JournalEntry(Journal* journal, const std::string& receiver, const std::string& operation,
                 std::initializer_list<automation::Variant> arguments);
    ~JournalEntry();
    JournalEntry(const JournalEntry&) = delete;
    JournalEntry& operator=(const JournalEntry&) = delete;

    void result(const automation::Variant& value);
    void failed(const automation::Error& error);

private:
    Journal* journal_;
    std::string line_;
    std::string outcome_;
};

}  // namespace corvex::cadhost
