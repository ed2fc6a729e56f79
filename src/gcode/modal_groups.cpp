#include "gcode/modal_groups.hpp"

#include <map>

namespace corvex::gcode {
namespace {

struct Group {
    const char* name;
    std::vector<int> codes;
};

const std::vector<Group>& gGroups() {
    static const std::vector<Group> kGroups{
        {"non-modal", {40, 100, 280, 281, 300, 301, 530, 920, 921, 922, 923}},
        {"motion", {0, 10, 20, 30, 330, 331, 382, 383, 384, 385, 730, 760, 800, 810, 820, 830, 840, 850, 860, 870, 880, 890}},
        {"plane", {170, 171, 180, 181, 190, 191}},
        {"distance mode", {900, 910}},
        {"arc distance mode", {901, 911}},
        {"feed rate mode", {930, 940, 950}},
        {"units", {200, 210}},
        {"cutter compensation", {400, 410, 411, 420, 421}},
        {"tool length offset", {430, 431, 432, 490}},
        {"canned cycle return", {980, 990}},
        {"work offset", {540, 550, 560, 570, 580, 590, 591, 592, 593}},
        {"path control", {610, 611, 640}},
        {"spindle speed mode", {960, 970}},
        {"lathe diameter mode", {70, 80}},
    };
    return kGroups;
}

const std::vector<Group>& mGroups() {
    static const std::vector<Group> kGroups{
        {"stopping", {0, 10, 20, 300, 600}},
        {"tool change", {60}},
        {"spindle", {30, 40, 50}},
        {"coolant", {70, 80, 90}},
        {"override", {480, 490, 500, 510, 520, 530}},
    };
    return kGroups;
}

// Codes of one group that a block may still hold together: G80 beside a motion code (the
// post-processors' safety block), M7 and M8 (mist and flood).
bool goTogether(char letter, int a, int b) {
    if (letter == 'G') return a == 800 || b == 800;
    return (a == 70 && b == 80) || (a == 80 && b == 70);
}

std::optional<std::string> conflict(char letter, const std::vector<Group>& groups, const std::vector<int>& codes) {
    std::map<const Group*, int> seen;
    for (int code : codes)
        for (const Group& group : groups)
            for (int member : group.codes)
                if (member == code) {
                    const auto [first, fresh] = seen.emplace(&group, code);
                    if (fresh) continue;
                    if (goTogether(letter, first->second, code)) {
                        if (first->second == 800) first->second = code;  // the motion code stands for the group
                        continue;
                    }
                    return codeName(letter, first->second) + " and " + codeName(letter, code) + " are both " +
                           group.name + " codes: a block may hold one code of each modal group";
                }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> modalConflict(const std::vector<int>& gTenths, const std::vector<int>& mTenths) {
    if (auto g = conflict('G', gGroups(), gTenths)) return g;
    return conflict('M', mGroups(), mTenths);
}

std::string codeName(char letter, int tenths) {
    return std::string(1, letter) + std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "");
}

}  // namespace corvex::gcode
