#include "session_reader.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iostream>

#include "automation/error.hpp"
#include "command_line.hpp"
#include "json_variant.hpp"
#include "cadhost/occt/model/host_calls.hpp"
#include "server/member_table.hpp"

namespace corvex::runner {
namespace {

bool skipped(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    return first == std::string::npos || text[first] == '#';
}

// The member of that name that takes this many arguments; its spelling in the class.
std::string memberFor(const std::string& name, std::size_t count) {
    const auto members = findMembers(name);
    if (members.empty()) throw BadInput("corvex4 has no member \"" + name + "\"");
    for (const Member* member : members) {
        switch (member->kind) {
            case InvokeKind::Method:
                if (member->parameters.size() == count) return std::string(member->name);
                break;
            case InvokeKind::PropertyGet:
                if (count == 0) return std::string(member->name);
                break;
            case InvokeKind::PropertyPut:
                if (count == 1) return std::string(member->name);
                break;
        }
    }
    const Member& first = *members.front();
    if (first.kind != InvokeKind::Method)
        throw BadInput("the property " + std::string(first.name) +
                       " is read with no argument and written with one, not " + std::to_string(count));
    throw BadInput(std::string(first.name) + " takes " + std::to_string(first.parameters.size()) +
                   " argument(s), not " + std::to_string(count));
}

SessionCall parseCall(const std::string& text, int line) {
    nlohmann::json call;
    try {
        // Nesting is bounded while the line is parsed: copying or walking a value nested
        // 50,000 deep, before any check, overflowed the stack.
        call = nlohmann::json::parse(text, [](int depth, nlohmann::json::parse_event_t event, nlohmann::json&) {
            const bool opens = event == nlohmann::json::parse_event_t::array_start ||
                               event == nlohmann::json::parse_event_t::object_start;
            // The call's own array opens at depth 0, an argument's outermost array at depth 1.
            if (opens && depth > kDeepestNesting)
                throw BadInput("arrays nested deeper than " + std::to_string(kDeepestNesting) + " levels");
            return true;
        });
    } catch (const nlohmann::json::exception& error) {
        // A syntax error, or a number no double holds (1e309). nlohmann's message starts with
        // its own error code; keep what follows.
        std::string what = error.what();
        auto detail = what.find("] ");
        throw BadInput("not JSON: " + (detail == std::string::npos ? what : what.substr(detail + 2)));
    }
    if (!call.is_array() || call.empty() || !call[0].is_string())
        throw BadInput("expected an array of a member name and its arguments, like [\"StartAcad\"]");
    SessionCall result{line, {}, {call.begin() + 1, call.end()}};
    for (std::size_t i = 0; i < result.arguments.size(); ++i) {
        try {
            checkArgument(result.arguments[i]);
        } catch (const BadInput& error) {
            throw BadInput("argument " + std::to_string(i + 1) + ": " + error.what());
        }
    }
    const std::string name = call[0].get<std::string>();
    if (cadhost::occt::isHostCallName(name)) {
        try {
            if (cadhost::occt::hostCallArity(name) != result.arguments.size())
                throw BadInput(name + " takes " + std::to_string(cadhost::occt::hostCallArity(name)) + " arguments, not " +
                               std::to_string(result.arguments.size()));
        } catch (const automation::Error& error) {
            throw BadInput(error.description());
        }
        result.member = name;
        return result;
    }
    result.member = memberFor(name, result.arguments.size());
    return result;
}

}  // namespace

std::vector<SessionCall> readSession(std::istream& input, const std::string& source) {
    std::vector<SessionCall> calls;
    std::string text;
    for (int line = 1; std::getline(input, text); ++line) {
        if (skipped(text)) continue;
        try {
            calls.push_back(parseCall(text, line));
        } catch (const BadInput& error) {
            throw BadInput(source + ":" + std::to_string(line) + ": " + error.what());
        }
    }
    if (input.bad()) throw BadInput("Cannot read " + source);
    return calls;
}

std::vector<SessionCall> readSessionFile(const std::string& path) {
    if (path == "-") {
        // A closed standard input, or a directory, reads as no lines at all: that is no session.
        struct stat status;
        if (::fstat(STDIN_FILENO, &status) != 0) throw BadInput("Cannot read standard input: it is closed");
        if (S_ISDIR(status.st_mode)) throw BadInput("Cannot read standard input: it is a directory");
        return readSession(std::cin, "standard input");
    }
    std::ifstream file(path);
    if (!file) throw BadInput("Cannot read the session " + path + ": no such file or not readable");
    return readSession(file, path);
}

}  // namespace corvex::runner
