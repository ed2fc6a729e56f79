#pragma once
// Shared set-up for the milling members' tests: a started server, shorthands for the journal
// lines the members produce, and the areas and volumes of outlines with bulged segments,
// worked out independently of the host so that the measured geometry has something to meet.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "cadhost/take.hpp"
#include "server/server_helpers.hpp"

namespace corvex::testing {

inline Variant pt(double x, double y, double z) { return Variant::point(x, y, z); }
// A number as the journal writes a Double.
inline std::string num(double value) { return Variant::real(value).toDebugString(); }

// A closed outline in a plane: vertices (u, v) and the bulge of each segment i (from vertex i
// to vertex i + 1); the last vertex repeats the first.
struct BulgedOutline {
    std::vector<std::array<double, 2>> vertices;
    std::vector<double> bulges;  // one per segment; missing ones are 0
};

// Signed area (positive when the outline runs counter-clockwise).
double outlineArea(const BulgedOutline& outline);
// The first moment about the u axis, the integral of v over the enclosed area: the volume of
// revolution about that axis by an angle t is t times this (Pappus).
double outlineMomentAboutU(const BulgedOutline& outline);

// The milling cutter's half section as the tool is built: u along the axis, v away from it,
// with its bore of 0.005 and a corner of bulge 0.5.
BulgedOutline cutterHalfSection(double radius, double corner, double length);
// The cutter's full side silhouette (both corners rounded), u along the axis, v across.
BulgedOutline cutterSilhouette(double radius, double corner, double length);
// Half the silhouette, reaching the axis itself.
BulgedOutline cutterHalfSilhouette(double radius, double corner, double length);

// The journal lines of one Add... call: the ModelSpace read that precedes it, then the call.
std::vector<std::string> modelSpaceCall(const std::string& call);

// Lines appended one call at a time, so expected journals read like the member's body.
class ExpectedJournal {
public:
    ExpectedJournal& line(const std::string& text);
    ExpectedJournal& add(const std::string& call);  // ModelSpace read + "ModelSpace.<call>"
    ExpectedJournal& refresh();                      // the document refresh
    ExpectedJournal& partGroup();                    // cadDoc.Groups.Item("PART")
    ExpectedJournal& append(const std::vector<std::string>& lines);
    const std::vector<std::string>& lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

class MillTest : public ServerTest {
protected:
    // The started server with a 100 x 100 x 20 workpiece at the origin, Solid3D#3.
    std::shared_ptr<cadhost::Solid3D> startWithStock();
    double volumeOf(const std::shared_ptr<cadhost::Solid3D>& solid) const;
    // Entities of `kind` in the drawing, deleted ones excluded.
    std::vector<std::shared_ptr<cadhost::Entity>> entitiesOfKind(const std::string& kind) const;
};

}  // namespace corvex::testing
