#include "cadhost/occt/model/entity_base.hpp"

#include <gp_Ax1.hxx>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/occt/model/arguments.hpp"

namespace corvex::cadhost::occt {

void EntityBase::bind(const std::shared_ptr<DrawingState>& drawing, int id) {
    drawing_ = drawing;
    id_ = id;
}

DrawingState& EntityBase::live() const {
    if (deleted_) throw automation::invalidArgument(describe() + " has been deleted");
    auto drawing = drawing_.lock();
    if (!drawing) throw automation::failure(describe() + " belongs to a drawing that was closed");
    return *drawing;
}

Journal* EntityBase::journal() const {
    auto drawing = drawing_.lock();
    return drawing ? drawing->journal.get() : nullptr;
}

void EntityBase::putVisible(const Variant& visible) {
    hostCall(journal(), describe(), "Visible", {visible}, [&](JournalEntry&) {
        live();
        visible_ = automation::toBoolean(visible);
    });
}

void EntityBase::Move(const Variant& from, const Variant& to) {
    hostCall(journal(), describe(), "Move", {from, to}, [&](JournalEntry&) {
        live();
        gp_Pnt a = pointArg(from, "the from point");
        gp_Pnt b = pointArg(to, "the to point");
        gp_Trsf motion;
        motion.SetTranslation(a, b);
        transform(motion);
    });
}

void EntityBase::Rotate3D(const Variant& point1, const Variant& point2, const Variant& angle) {
    hostCall(journal(), describe(), "Rotate3D", {point1, point2, angle}, [&](JournalEntry&) {
        live();
        gp_Pnt a = pointArg(point1, "the first axis point");
        gp_Pnt b = pointArg(point2, "the second axis point");
        double radians = numberArg(angle, "the angle");
        if (a.Distance(b) < 1e-12)
            throw automation::invalidArgument("the rotation axis needs two different points");
        gp_Trsf motion;
        motion.SetRotation(gp_Ax1(a, gp_Dir(gp_Vec(a, b))), radians);
        transform(motion);
    });
}

void EntityBase::Update() {
    hostCall(journal(), describe(), "Update", {}, [&](JournalEntry&) {
        auto& drawing = live();
        ++updates_;
        ++drawing.updates;
        if (drawing.updateObserver) drawing.updateObserver(*this);
    });
}

void EntityBase::Delete() {
    hostCall(journal(), describe(), "Delete", {}, [&](JournalEntry&) { live().erase(*this); });
}

}  // namespace corvex::cadhost::occt
