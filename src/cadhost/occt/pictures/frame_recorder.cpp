// Frames of the machining. A cut is told apart from other redraws of a workpiece solid by
// the solid itself: a subtraction is either still queued on it or has given it a new shape,
// while moving or turning it only places the old shape elsewhere. Both checks cost next to
// nothing, so a session that records one frame in a hundred cuts runs as fast as before.
#include <TopoDS_TShape.hxx>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

#include "automation/error.hpp"
#include "cadhost/occt/model/drawing_state.hpp"
#include "cadhost/occt/model/entities.hpp"
#include "cadhost/occt/model/entity_base.hpp"
#include "cadhost/occt/pictures/picture.hpp"

namespace corvex::cadhost::occt {
namespace {

constexpr const char* kWorkpieceGroup = "PART";

bool inGroup(DrawingState& state, const EntityBase& entity, const char* name) {
    const GroupData* group = state.findGroup(name);
    if (group == nullptr) return false;
    return std::any_of(group->members.begin(), group->members.end(),
                       [&](const auto& member) { return member.get() == &entity; });
}

}  // namespace

struct FrameRecorder::Watch {
    Watch(Drawing& drawing, std::string directory, int every, PictureRenderer& renderer)
        : drawing(drawing), directory(std::move(directory)), every(std::max(every, 1)), renderer(renderer) {}

    Drawing& drawing;
    std::string directory;
    int every;
    PictureRenderer& renderer;
    std::function<void(const EntityBase&)> previous;
    // The shape each workpiece solid had when last seen; held so its identity is not reused.
    std::map<int, Handle(TopoDS_TShape)> lastShapes;
    long cuts = 0, cutsAtLastFrame = 0;
    long updatesAtLastFrame = -1;
    int frames = 0;
    std::optional<std::string> failure;

    void remember(const EntityBase& entity) { lastShapes[entity.id()] = entity.shape().TShape(); }

    void seen(const EntityBase& entity) {
        if (entity.kind() != "Solid3D" || !inGroup(drawing.state(), entity, kWorkpieceGroup)) return;
        if (!cutMade(entity)) return;
        ++cuts;
        if (cuts - cutsAtLastFrame >= every) writeFrame();
    }

    // A queued subtraction is a cut; looking at the shape here would carry the queue out at
    // every redraw, so it is not looked at, and what it will be is not known until it is.
    bool cutMade(const EntityBase& entity) {
        Handle(TopoDS_TShape)& last = lastShapes[entity.id()];
        const auto* solid = dynamic_cast<const SolidEntity*>(&entity);
        if (solid != nullptr && solid->cutsPending()) {
            last.Nullify();
            return true;
        }
        const Handle(TopoDS_TShape) now = entity.shape().TShape();
        const bool cut = !last.IsNull() && now != last;
        last = now;
        return cut;
    }

    void writeFrame() {
        if (failure) return;
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.png", frames + 1);
        try {
            renderer.write(drawing, (std::filesystem::path(directory) / name).string());
            ++frames;
            cutsAtLastFrame = cuts;
            updatesAtLastFrame = drawing.state().updates;
            // Drawing the frame carried out every queued cut: the shapes are known again.
            if (const GroupData* part = drawing.state().findGroup(kWorkpieceGroup))
                for (const auto& member : part->members)
                    if (member->kind() == "Solid3D") remember(*member);
        } catch (const automation::Error& error) {
            failure = error.description();
        } catch (const std::exception& error) {
            failure = std::string("Cannot write frame ") + name + ": " + error.what();
        }
    }
};

FrameRecorder::FrameRecorder(Drawing& drawing, std::string directory, int every, PictureRenderer& renderer)
    : watch_(std::make_shared<Watch>(drawing, std::move(directory), every, renderer)) {
    DrawingState& state = drawing.state();
    if (const GroupData* part = state.findGroup(kWorkpieceGroup))
        for (const auto& member : part->members)
            if (member->kind() == "Solid3D") watch_->remember(*member);
    watch_->previous = state.updateObserver;
    std::weak_ptr<Watch> weak = watch_;
    state.updateObserver = [weak](const EntityBase& entity) {
        auto watch = weak.lock();
        if (!watch) return;
        if (watch->previous) watch->previous(entity);
        // A frame that fails must not fail the Update, and so the member that called it.
        try {
            watch->seen(entity);
        } catch (...) {
            if (!watch->failure) watch->failure = "Cannot record frames: the drawing could not be watched";
        }
    };
}

FrameRecorder::~FrameRecorder() { watch_->drawing.state().updateObserver = watch_->previous; }

void FrameRecorder::finish() {
    // The tool may have moved on since the last cut; the last frame shows where it stopped.
    if (watch_->updatesAtLastFrame != watch_->drawing.state().updates) watch_->writeFrame();
}

int FrameRecorder::framesWritten() const { return watch_->frames; }
long FrameRecorder::cuts() const { return watch_->cuts; }
std::optional<std::string> FrameRecorder::failure() const { return watch_->failure; }

}  // namespace corvex::cadhost::occt
