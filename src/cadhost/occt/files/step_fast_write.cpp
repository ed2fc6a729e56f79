#include "cadhost/occt/files/step_fast_write.hpp"

#include <ShapeAnalysis_ShapeTolerance.hxx>
#include <Standard_Failure.hxx>

#include <algorithm>
#include <ctime>
#include <vector>

#include "cadhost/occt/files/step_shape_out.hpp"

namespace corvex::cadhost::occt {
namespace {

using Out = StepTextOut;

std::string header(const std::string& description) {
    char stamp[32] = "";
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    if (gmtime_r(&now, &utc)) std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &utc);
    std::string text = "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((";
    Out::quoted(text, description);
    text += "),'2;1');\nFILE_NAME('','";
    text += stamp;
    text += "',(''),(''),'corvex','corvex','');\n"
            "FILE_SCHEMA(('AUTOMOTIVE_DESIGN { 1 0 10303 214 1 1 1 1 }'));\nENDSEC;\nDATA;\n";
    return text;
}

class FastStepWriter {
public:
    explicit FastStepWriter(const StepContent& content) : content_(content), shapes_(out_) {}

    std::string write() {
        application_ = out_.add("APPLICATION_CONTEXT('core data for automotive mechanical design processes')");
        out_.add("APPLICATION_PROTOCOL_DEFINITION", {"'international standard'", "'automotive_design'", "2000", StepRef{application_}});
        origin_ = shapes_.geometry().placement(gp_Ax3());
        for (const StepItem& item : content_.items) itemsOf_.push_back(writeItem(item));
        for (const StepLayer& layer : content_.layers) writeLayer(layer);
        return out_.take();
    }

private:
    struct Written {
        std::vector<int> representationItems;
        int context = 0;
    };

    Written writeItem(const StepItem& item) {
        Written written;
        shapes_.nextItem();
        const bool solids = isMadeOfSolids(item.shape);
        if (!solids && !isMadeOfEdges(item.shape)) throw NotWritableFast("an item of neither solids nor curves");
        written.representationItems = solids ? shapes_.solids(item.shape) : std::vector<int>{shapes_.curveSet(item.shape)};
        written.context = context(item.shape);
        std::vector<int> items{origin_};
        items.insert(items.end(), written.representationItems.begin(), written.representationItems.end());
        const int representation =
            out_.add(solids ? "ADVANCED_BREP_SHAPE_REPRESENTATION" : "GEOMETRICALLY_BOUNDED_WIREFRAME_SHAPE_REPRESENTATION",
                     {"''", StepRefs{items}, StepRef{written.context}});
        product(item.name, representation);
        if (const std::optional<Rgb> colour = styledColour(item)) style(*colour, item.visible, written);
        return written;
    }

    // The product that names the item, as every AP214 reader looks for it.
    void product(const std::string& name, int representation) {
        std::string quotedName;
        Out::quoted(quotedName, name);
        const int productContext = out_.add("PRODUCT_CONTEXT", {"''", StepRef{application_}, "'mechanical'"});
        const std::vector<int> contexts{productContext};
        const int product = out_.add("PRODUCT", {quotedName, quotedName, "''", StepRefs{contexts}});
        const std::vector<int> products{product};
        out_.add("PRODUCT_RELATED_PRODUCT_CATEGORY", {"'part'", "$", StepRefs{products}});
        const int formation = out_.add("PRODUCT_DEFINITION_FORMATION", {"''", "''", StepRef{product}});
        const int definitionContext = out_.add("PRODUCT_DEFINITION_CONTEXT", {"'part definition'", StepRef{application_}, "'design'"});
        const int definition = out_.add("PRODUCT_DEFINITION", {"'design'", "''", StepRef{formation}, StepRef{definitionContext}});
        const int definitionShape = out_.add("PRODUCT_DEFINITION_SHAPE", {"''", "''", StepRef{definition}});
        out_.add("SHAPE_DEFINITION_REPRESENTATION", {StepRef{definitionShape}, StepRef{representation}});
    }

    // Millimetres and radians, and the shape's mean tolerance as the file's uncertainty, which
    // a reader takes as the precision it rebuilds the shape with.
    int context(const TopoDS_Shape& shape) {
        const int length = out_.add("( LENGTH_UNIT() NAMED_UNIT(*) SI_UNIT(.MILLI.,.METRE.) )");
        const int angle = out_.add("( NAMED_UNIT(*) PLANE_ANGLE_UNIT() SI_UNIT($,.RADIAN.) )");
        const int solidAngle = out_.add("( NAMED_UNIT(*) SI_UNIT($,.STERADIAN.) SOLID_ANGLE_UNIT() )");
        const double tolerance = std::max(ShapeAnalysis_ShapeTolerance().Tolerance(shape, 0), 1e-7);
        std::string measure = "LENGTH_MEASURE(";
        Out::real(measure, tolerance);
        measure += ')';
        const int uncertainty = out_.add("UNCERTAINTY_MEASURE_WITH_UNIT",
                                         {measure, StepRef{length}, "'distance_accuracy_value'", "'confusion accuracy'"});
        std::string body = "( GEOMETRIC_REPRESENTATION_CONTEXT(3) GLOBAL_UNCERTAINTY_ASSIGNED_CONTEXT((";
        Out::ref(body, uncertainty);
        body += ")) GLOBAL_UNIT_ASSIGNED_CONTEXT((";
        Out::ref(body, length);
        body += ',';
        Out::ref(body, angle);
        body += ',';
        Out::ref(body, solidAngle);
        body += ")) REPRESENTATION_CONTEXT('Context #1','3D Context with UNIT and UNCERTAINTY') )";
        return out_.add(body);
    }

    // The item's colour on its surfaces and curves, and its visibility.
    void style(const Rgb& rgb, bool visible, const Written& written) {
        std::string body;
        if (auto name = predefinedColourName(rgb)) {
            body = "DRAUGHTING_PRE_DEFINED_COLOUR(";
            Out::quoted(body, *name);
            body += ')';
        } else {
            // Levels of sRGB, as the readers take them.
            body = "COLOUR_RGB('',";
            Out::real(body, rgb.red / 255.0);
            body += ',';
            Out::real(body, rgb.green / 255.0);
            body += ',';
            Out::real(body, rgb.blue / 255.0);
            body += ')';
        }
        const int colour = out_.add(body);
        const int fillColour = out_.add("FILL_AREA_STYLE_COLOUR", {"''", StepRef{colour}});
        const std::vector<int> fillColours{fillColour};
        const int fill = out_.add("FILL_AREA_STYLE", {"''", StepRefs{fillColours}});
        const std::vector<int> fillAreas{out_.add("SURFACE_STYLE_FILL_AREA", {StepRef{fill}})};
        const int side = out_.add("SURFACE_SIDE_STYLE", {"''", StepRefs{fillAreas}});
        const int surfaceStyle = out_.add("SURFACE_STYLE_USAGE", {".BOTH.", StepRef{side}});
        const int font = out_.add("DRAUGHTING_PRE_DEFINED_CURVE_FONT('continuous')");
        const int curveStyle = out_.add("CURVE_STYLE", {"''", StepRef{font}, "POSITIVE_LENGTH_MEASURE(0.1)", StepRef{colour}});
        const std::vector<int> styles{surfaceStyle, curveStyle};
        const std::vector<int> assignments{out_.add("PRESENTATION_STYLE_ASSIGNMENT", {StepRefs{styles}})};
        std::vector<int> styled;
        for (int target : written.representationItems)
            styled.push_back(out_.add("STYLED_ITEM", {"'color'", StepRefs{assignments}, StepRef{target}}));
        if (!visible) out_.add("INVISIBILITY", {StepRefs{styled}});
        out_.add("MECHANICAL_DESIGN_GEOMETRIC_PRESENTATION_REPRESENTATION", {"''", StepRefs{styled}, StepRef{written.context}});
    }

    void writeLayer(const StepLayer& layer) {
        std::vector<int> members;
        for (std::size_t index : layer.members) {
            const auto& items = itemsOf_.at(index).representationItems;
            members.insert(members.end(), items.begin(), items.end());
        }
        // STEP's layer lists at least one item.
        if (members.empty()) throw NotWritableFast("an empty group");
        std::string name;
        Out::quoted(name, layer.name);
        out_.add("PRESENTATION_LAYER_ASSIGNMENT", {name, "'visible'", StepRefs{members}});
    }

    const StepContent& content_;
    StepTextOut out_;
    StepShapeOut shapes_;
    int application_ = 0, origin_ = 0;
    std::vector<Written> itemsOf_;
};

}  // namespace

std::optional<Rgb> styledColour(const StepItem& item) {
    if (item.colour || item.visible) return item.colour;
    return Rgb{255, 255, 255};
}

std::optional<std::string> fastStepText(const StepContent& content, const std::string& description) {
    if (content.items.empty()) return std::nullopt;  // the kernel's path writes the empty drawing
    try {
        std::string text = header(description);
        text += FastStepWriter(content).write();
        text += "ENDSEC;\nEND-ISO-10303-21;\n";
        return text;
    } catch (const NotWritableFast&) {
        return std::nullopt;
    } catch (const Standard_Failure&) {
        return std::nullopt;
    }
}

}  // namespace corvex::cadhost::occt
