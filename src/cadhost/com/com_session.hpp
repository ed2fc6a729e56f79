#pragma once
// One connection to a desktop CAD application: the wrappers made for its objects, the names
// they go by in the journal, and the journal itself. An object the application hands back
// twice (the same group member, the application behind a document) gets the same wrapper
// and the same name, so journal lines can be read and compared like the embedded host's.
#include <windows.h>
#include <oaidl.h>

#include <map>
#include <memory>
#include <string>

#include "automation/object.hpp"
#include "cadhost/com/com_ref.hpp"
#include "cadhost/com/variant_bridge.hpp"
#include "cadhost/journal.hpp"

namespace corvex::cadhost::com {

// What a returned object is, as far as the operation that returned it knows. An entity of
// unknown kind (a group member) is asked for its ObjectName. Entity and the kinds after it
// are drawing entities, numbered in the journal.
enum class ObjectKind { Application, Document, ModelSpace, Groups, Group, Entity, Solid3D, Region,
                        Polyline, Line, Arc, Circle };

class ComSession : public std::enable_shared_from_this<ComSession> {
public:
    static std::shared_ptr<ComSession> create(std::shared_ptr<Journal> journal);

    Journal* journal() const { return journal_.get(); }

    // The wrapper for `dispatch` (not null): the one made before for the same COM object,
    // else a new one of `kind`. `groupName` names a group for the journal.
    automation::ObjectRef wrap(IDispatch* dispatch, ObjectKind kind, const std::string& groupName = {});

    // Objects crossing a call: ours go out as the application's IDispatch; what comes back
    // is wrapped as `kindOfResults`.
    ObjectMapping mapping(ObjectKind kindOfResults, const std::string& groupName = {});

private:
    explicit ComSession(std::shared_ptr<Journal> journal) : journal_(std::move(journal)) {}

    // A wrapper of a kind the application's answer settled (never ObjectKind::Entity for an
    // entity it can name); `id` numbers entities.
    automation::ObjectRef make(const ComRef<IDispatch>& dispatch, ObjectKind kind, int id, const std::string& groupName);
    ObjectKind entityKindOf(IDispatch* dispatch);

    // Everything met once keeps its kind and number for the session, even when no wrapper
    // of it is alive in between.
    struct Known {
        ComRef<IUnknown> identity;  // held so that the address is not reused while we know it
        std::weak_ptr<automation::Object> wrapper;
        ObjectKind kind;
        int id;
        std::string groupName;
    };
    std::shared_ptr<Journal> journal_;
    std::map<IUnknown*, Known> known_;
    int nextEntityId_ = 1;
};

}  // namespace corvex::cadhost::com
