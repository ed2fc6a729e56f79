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
        {"coolant", {70, 90}},  // M8 goes with M7; M9 goes with neither
        {"override", {480, 490, 500, 510, 520, 530}},
    };
    return kGroups;
}

std::optional<std::string> conflict(char letter, const std::vector<Group>& groups, const std::vector<int>& codes) {
    std::map<const Group*, int> seen;
    for (int code : codes)
        for (const Group& group : groups)
            for (int member : group.codes)
                if (member == code) {
                    const auto [first, fresh] = seen.emplace(&group, code);
                    if (fresh) continue;
                    if (letter == 'G' && code == 800) continue;  // G80 beside a motion code
                    if (letter == 'G' && first->second == 800) {
                        first->second = code;
                        continue;
                    }
                    return codeName(letter, first->second) + " and " + codeName(letter, code) + " are both " +
                           group.name + " codes: a block may hold one code of each modal group";
                }
    // M9 (coolant off) with M8 (flood on), which is outside the coolant group since M7 and M8 may go together.
    if (letter == 'M' && seen.count(&groups[3]) && seen.at(&groups[3]) == 90)
        for (int code : codes)
            if (code == 80) return std::string("M8 and M9 are both coolant codes: a block may hold one code of each modal group");
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
