#pragma once
// The embedded host: a CAD application living in this process whose drawings hold exact
// OpenCASCADE solids. This header is the whole of what the runner, the tests and the
// benchmarks see of it; OpenCASCADE's own types stay behind it.
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cadhost/connector.hpp"
#include "cadhost/journal.hpp"
#include "cadhost/model.hpp"
#include "cadhost/occt/cutting/kernel_counters.hpp"

namespace corvex::cadhost::occt {

struct DrawingState;

// A milling cutter as the host's own cuts take it (host_calls.hpp): flat (corner 0), bull-nose,
// ball (corner half the diameter) or V-bit (an included angle in degrees, a tip diameter).
struct CutterShape {
    double diameter = 0, length = 0, corner = 0, angle = 0, tip = 0;
};

// A drawing: entities in creation order, named groups of entities, system variables.
class Drawing : public Document, public std::enable_shared_from_this<Drawing> {
public:
    static std::shared_ptr<Drawing> create(std::shared_ptr<Journal> journal = nullptr);
    ~Drawing() override;

    // The host model.
    std::string typeName() const override { return "IAcadDocument"; }
    std::string describe() const override { return "Document"; }
    std::shared_ptr<cadhost::Application> Application() override;
    std::shared_ptr<cadhost::ModelSpace> ModelSpace() override;
    std::shared_ptr<cadhost::Groups> Groups() override;
    void SetVariable(const Variant& name, const Variant& value) override;

    // What the embedded host adds for those who prepare and inspect drawings.
    std::vector<std::shared_ptr<Entity>> entities() const;  // in creation order
    std::vector<std::string> groupNames() const;            // in creation order
    // The group's members in order; an empty list for a group that does not exist.
    std::vector<std::shared_ptr<Entity>> groupMembers(const std::string& name) const;
    // Adds `entity` at the end of group `name`, creating the group when needed.
    void addToGroup(const std::string& name, const std::shared_ptr<Entity>& entity);
    std::string variable(const std::string& name) const;  // "" when never set

    // A box between two corners, and a cylinder whose axis starts at `base` and runs along
    // X, Y or Z (`axis` 0, 1 or 2) for `length`.
    std::shared_ptr<Solid3D> addBox(const std::array<double, 3>& corner0,
                                     const std::array<double, 3>& corner1);
    std::shared_ptr<Solid3D> addAxisCylinder(const std::array<double, 3>& base, double radius,
                                             double length, int axis);
    // The solid a cutter sweeps as its tip moves from `from` to `to`, exactly (see
    // cutter_sweep.hpp), along any straight move. With
    // `levelTop`, only what lies below it is asked for (see ball_pass.hpp): a ball's sweep is
    // then cut off level there, which is the same cut from a part wholly below it.
    std::shared_ptr<Solid3D> addCutterSweep(const CutterShape& cutter, const std::array<double, 3>& from,
                                            const std::array<double, 3>& to,
                                            std::optional<double> levelTop = std::nullopt);
    // The solid a cutter sweeps as its tip turns from `from` about the upright axis through
    // `centre` (at the same height) by `turn` radians, counter-clockwise when positive; a full
    // turn or more is the ring. The turn's radius must exceed the cutter's.
    std::shared_ptr<Solid3D> addCutterArc(const CutterShape& cutter, const std::array<double, 3>& from,
                                          const std::array<double, 3>& centre, double turn);
    // The same turn while the tip rises by `rise` (falls below 0): a helix, by half a turn at
    // most (see screw_sweep.hpp).
    std::shared_ptr<Solid3D> addCutterHelix(const CutterShape& cutter, const std::array<double, 3>& from,
                                            const std::array<double, 3>& centre, double turn, double rise);

    Journal& journal();
    std::shared_ptr<Journal> sharedJournal() const;

    // The application this drawing is open in (set by EmbeddedApplication::open).
    void attachTo(const std::shared_ptr<cadhost::Application>& application);

    // Subtractions from a solid are queued and carried out together when the solid is next
    // looked at (a measurement, a file, a picture, another operation on it). Eager carries
    // each out at its call, so that a failing cut fails the very call that made it.
    void setEagerSubtraction(bool eager);
    bool eagerSubtraction() const;
    // Queued cuts of prism stock by vertical prisms whose tops clear it are kept in a floor map,
    // a 2-D record of each floor, and the solid is built from it when looked at (on by
    // default); off, they are made by Booleans as any other queued cut. On, a cut of such a
    // part that the kernel cannot make by a Boolean, queued or eager, is made by a map too.
    void setFloorMap(bool on);
    // Names the client call now running ("line 12: ToolExtrudeLine"): a queued cut that
    // cannot be made is reported under the name of the call that made it.
    void setCurrentCall(std::string label);
    // Carries out every queued subtraction; fails, naming the call, when one cannot be made.
    void settle();

    DrawingState& state() { return *state_; }
    const DrawingState& state() const { return *state_; }

private:
    Drawing();
    std::shared_ptr<DrawingState> state_;
    std::weak_ptr<cadhost::Application> application_;
};

class EmbeddedApplication : public Application,
                            public std::enable_shared_from_this<EmbeddedApplication> {
public:
    // An application with no drawing open.
    static std::shared_ptr<EmbeddedApplication> create(std::shared_ptr<Journal> journal = nullptr);

    std::string typeName() const override { return "IAcadApplication"; }
    std::string describe() const override { return "Application"; }
    void putVisible(const Variant& visible) override;
    std::shared_ptr<Document> ActiveDocument() override;

    // Opens `drawing` as the active drawing (a new empty one when null).
    std::shared_ptr<Drawing> open(std::shared_ptr<Drawing> drawing = nullptr);
    void closeActive();
    std::shared_ptr<Drawing> activeDrawing() const { return active_; }
    bool visible() const { return visible_; }
    Journal& journal() { return *journal_; }
    std::shared_ptr<Journal> sharedJournal() const { return journal_; }

private:
    explicit EmbeddedApplication(std::shared_ptr<Journal> journal);
    std::shared_ptr<Journal> journal_;
    std::shared_ptr<Drawing> active_;
    bool visible_ = false;
};

// The running-object table of this process for "AutoCAD.Application": attach finds the
// application registered there; launch starts a new one with an empty drawing and
// registers it.
class EmbeddedConnector : public Connector {
public:
    static constexpr const char* kProgId = "AutoCAD.Application";

    explicit EmbeddedConnector(std::shared_ptr<Journal> journal = nullptr);

    std::shared_ptr<Application> attach(const std::string& progId) override;
    std::shared_ptr<Application> launch(const std::string& progId) override;

    void registerRunning(std::shared_ptr<EmbeddedApplication> application);
    void revokeRunning();
    std::shared_ptr<EmbeddedApplication> running() const { return running_; }
    // A machine without the host installed: launch fails.
    void setInstalled(bool installed) { installed_ = installed; }

private:
    std::shared_ptr<Journal> journal_;
    std::shared_ptr<EmbeddedApplication> running_;
    bool installed_ = true;
};

// Measurements of an entity of the embedded host, for tests, the runner and benchmarks.
struct BoundingBox {
    std::array<double, 3> min{}, max{};
};
struct SolidMeasure {
    double volume = 0;
    std::array<double, 3> centroid{};
    BoundingBox box;
    int solids = 0;   // lumps
    int faces = 0;
    bool valid = false;
};
// Fails with an automation error for an entity that is not a solid of the embedded host.
SolidMeasure measureSolid(const Entity& entity);
// Its volume alone, as its cuts keep it: no check of the whole shape.
double measureVolume(const Entity& entity);
// Region: area, plane normal and bounding box.
struct RegionMeasure {
    double area = 0;
    std::array<double, 3> centroid{};
    BoundingBox box;
    int faces = 0;
};
RegionMeasure measureRegion(const Entity& entity);
// Any entity: its bounding box (curves included).
BoundingBox boundingBox(const Entity& entity);
int entityId(const Entity& entity);
bool entityVisible(const Entity& entity);
bool entityDeleted(const Entity& entity);
std::string entityColour(const Entity& entity);  // the CECOLOR text it was made with


}  // namespace corvex::cadhost::occt
