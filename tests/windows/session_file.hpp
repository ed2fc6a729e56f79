#pragma once
// Session files as the command-line runner reads them: one call per line, a JSON array of
// the member's name and its arguments; '#' starts a comment line. Arguments become VARIANTs
// by the runner's rules, so that both hosts are handed the same kinds: numbers are Doubles,
// an array of numbers is a Double array, any other array an array of Variants, null is Null.
#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace corvex::wintest {

// {"entity": 7} stands for the drawing's entity number 7, as the runner reads it; it is left
// Empty in `arguments` until resolveEntities fetches that entity from the CAD application.
struct EntityReference {
    std::size_t argument = 0;
    int id = 0;
};

struct SessionCall {
    int line = 0;
    std::string member;
    std::vector<VARIANT> arguments;  // in the member's order; the caller clears them
    std::vector<EntityReference> entities;
};

// Throws std::runtime_error naming the line on anything it cannot read.
std::vector<SessionCall> readSession(const std::string& path);

// Puts the running CAD application's entities in place of the call's entity references: both
// hosts number the drawing's entities alike as long as they were asked for the same
// operations. Throws std::runtime_error when the application has no such entity.
void resolveEntities(SessionCall& call);

// Journal lines made comparable between hosts: entity names are numbered by first
// appearance (each host numbers its entities its own way), and numbers are rounded to nine
// significant digits, with anything below 1e-9 taken as 0 (hosts compute centroids and
// arithmetic in their own floating-point units).
std::vector<std::string> normalizedJournal(const std::vector<std::string>& lines);

std::vector<std::string> readLines(const std::string& path);

}  // namespace corvex::wintest
