#include "cadhost/occt/files/step_census.hpp"

#include <BRep_Tool.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/occt/files/step_fast_write.hpp"
#include "cadhost/occt/files/step_text_check.hpp"
#include "cadhost/occt/files/written_file_check.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt {
namespace {

[[noreturn]] void differs(const std::string& what) {
    throw automation::failure("the written drawing does not hold what was written: " + what);
}

struct Instance {
    std::string type;                  // empty for a complex instance
    std::vector<int> refs;             // in the order they appear
    std::vector<std::string> strings;  // quoted values, unescaped
    std::vector<double> numbers;       // bare reals and integers
};

// The data section's instances by number. The file is ours, one instance to a line.
std::unordered_map<int, Instance> instancesOf(const std::string& text) {
    std::unordered_map<int, Instance> instances;
    std::size_t at = text.find("\nDATA;\n");
    if (at == std::string::npos) differs("it has no data section");
    for (at += 7; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        const std::string_view line(text.data() + at, (end == std::string::npos ? text.size() : end) - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (line.empty() || line.front() != '#') continue;
        const std::size_t equals = line.find(" = ");
        const int id = std::atoi(std::string(line.substr(1, equals - 1)).c_str());
        Instance instance;
        std::size_t i = equals + 3;
        if (line[i] != '(') instance.type = std::string(line.substr(i, line.find('(', i) - i));
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '\'') {
                std::string value;
                for (++i; i < line.size(); ++i) {
                    if (line[i] == '\'' && (i + 1 >= line.size() || line[i + 1] != '\'')) break;
                    if (line[i] == '\'' || (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '\\')) ++i;
                    value += line[i];
                }
                instance.strings.push_back(std::move(value));
            } else if (c == '#') {
                instance.refs.push_back(std::atoi(line.data() + i + 1));
                while (i + 1 < line.size() && std::isdigit(static_cast<unsigned char>(line[i + 1]))) ++i;
            } else if ((std::isdigit(static_cast<unsigned char>(c)) || c == '-') &&
                       (line[i - 1] == ',' || line[i - 1] == '(')) {
                char* stop = nullptr;
                instance.numbers.push_back(std::strtod(line.data() + i, &stop));
                i = static_cast<std::size_t>(stop - line.data()) - 1;
            }
        }
        instances.emplace(id, std::move(instance));
    }
    return instances;
}

class Census {
public:
    explicit Census(const std::string& text) : instances_(instancesOf(text)) {}

    struct Item {
        std::string name;
        std::vector<int> representationItems;
        int solids = 0, faces = 0, curves = 0;
        std::optional<Rgb> colour;
        bool visible = true;
    };

    void count(std::vector<Item>& items, std::vector<std::pair<std::string, std::vector<std::size_t>>>& layers) {
        std::vector<int> order;
        for (const auto& [id, instance] : instances_)
            if (instance.type == "SHAPE_DEFINITION_REPRESENTATION") order.push_back(id);
        std::sort(order.begin(), order.end());
        std::unordered_map<int, std::size_t> itemOfRepresentationItem;
        for (int id : order) {
            const Instance& sdr = at(id);
            Item item;
            const Instance& product = at(at(at(at(sdr.refs.at(0)).refs.at(0)).refs.at(0)).refs.at(0));
            if (product.type != "PRODUCT" || product.strings.empty()) differs("a shape without its product");
            item.name = product.strings.front();
            const Instance& representation = at(sdr.refs.at(1));
            for (std::size_t k = 1; k + 1 < representation.refs.size(); ++k) {
                const int member = representation.refs[k];
                const Instance& shape = at(member);
                if (shape.type == "MANIFOLD_SOLID_BREP") {
                    ++item.solids;
                    item.faces += static_cast<int>(at(shape.refs.at(0)).refs.size());
                } else if (shape.type == "GEOMETRIC_CURVE_SET") {
                    item.curves += static_cast<int>(shape.refs.size());
                }
                item.representationItems.push_back(member);
                itemOfRepresentationItem[member] = items.size();
            }
            items.push_back(std::move(item));
        }
        std::vector<int> sorted;
        for (const auto& [id, instance] : instances_) sorted.push_back(id);
        std::sort(sorted.begin(), sorted.end());
        std::unordered_map<int, std::size_t> itemOfStyle;
        for (int id : sorted) {
            const Instance& instance = at(id);
            if (instance.type == "STYLED_ITEM") {
                const std::size_t index = itemOfRepresentationItem.at(instance.refs.at(1));
                itemOfStyle[id] = index;
                items[index].colour = colourUnder(instance.refs.at(0));
            } else if (instance.type == "INVISIBILITY") {
                for (int styled : instance.refs) items[itemOfStyle.at(styled)].visible = false;
            } else if (instance.type == "PRESENTATION_LAYER_ASSIGNMENT") {
                std::vector<std::size_t> members;
                for (int member : instance.refs) {
                    const std::size_t index = itemOfRepresentationItem.at(member);
                    if (std::find(members.begin(), members.end(), index) == members.end()) members.push_back(index);
                }
                layers.emplace_back(instance.strings.at(0), std::move(members));
            }
        }
    }

private:
    const Instance& at(int id) const {
        auto found = instances_.find(id);
        if (found == instances_.end()) differs("#" + std::to_string(id) + " is missing");
        return found->second;
    }

    std::optional<Rgb> colourUnder(int id) const {
        const Instance& instance = at(id);
        if (instance.type == "COLOUR_RGB") {
            const auto level = [&](std::size_t k) { return static_cast<int>(std::lround(instance.numbers.at(k) * 255)); };
            return Rgb{level(0), level(1), level(2)};
        }
        if (instance.type == "DRAUGHTING_PRE_DEFINED_COLOUR") return predefinedColour(instance.strings.at(0));
        for (int below : instance.refs)
            if (auto colour = colourUnder(below)) return colour;
        return std::nullopt;
    }

    std::unordered_map<int, Instance> instances_;
};

int curvesIn(const TopoDS_Shape& shape) {
    int curves = 0;
    for (TopExp_Explorer it(shape, TopAbs_EDGE); it.More(); it.Next())
        if (!BRep_Tool::Degenerated(TopoDS::Edge(it.Current()))) ++curves;
    return curves;
}

std::string fileBytes(const std::string& path) {
    try {
        return bytesOfFile(path);
    } catch (const automation::Error& error) {
        differs(error.description());
    }
}

}  // namespace

void checkStepCensus(const StepContent& content, const std::string& written, const std::string& path) {
    if (fileBytes(path) != written) differs("the file on disk is not what was written");
    checkStepTextOf(written, path);
    std::vector<Census::Item> items;
    std::vector<std::pair<std::string, std::vector<std::size_t>>> layers;
    try {
        Census(written).count(items, layers);
    } catch (const std::out_of_range&) {
        differs("a shape, style or group in it refers to something it does not hold");
    }
    if (items.size() != content.items.size())
        differs(std::to_string(items.size()) + " shapes of " + std::to_string(content.items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
        const StepItem& mine = content.items[i];
        const Census::Item& found = items[i];
        const std::string which = "shape " + std::to_string(i + 1) + " (\"" + mine.name + "\")";
        if (found.name != mine.name) differs(which + " is named \"" + found.name + "\"");
        if (found.solids != countSolids(mine.shape) || found.faces != countFaces(mine.shape))
            differs(which + " has " + std::to_string(found.solids) + " solids of " + std::to_string(found.faces) +
                    " faces");
        if (found.solids == 0 && found.curves != curvesIn(mine.shape)) differs(which + " lost or gained curves");
        if (found.colour != styledColour(mine)) differs(which + " has another colour");
        if (found.visible != mine.visible) differs(which + " has another visibility");
    }
    if (layers.size() != content.layers.size()) differs("its groups");
    for (std::size_t i = 0; i < layers.size(); ++i)
        if (layers[i].first != content.layers[i].name || layers[i].second != content.layers[i].members)
            differs("the group \"" + content.layers[i].name + "\"");
}

}  // namespace corvex::cadhost::occt
