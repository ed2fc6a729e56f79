#include "server/corvex4.hpp"

#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "server/late_bound.hpp"

namespace corvex {

using automation::Variant;

corvex4::corvex4(cadhost::Connector& connector, cadhost::UserInterface& userInterface)
    : connector_(connector), userInterface_(userInterface) {}

std::string corvex4::get_Name() const { return Name; }

void corvex4::put_Name(const std::string& value) { Name = value; }

void corvex4::refreshDocument() {
    // Whatever Application hands back is stored as it is, Nothing included: the re-read
    // that follows is the step that fails on it, as it would for a late-bound caller.
    cadApp = Variant::object(documentFor("Application")->Application());
    rereadActiveDocument();
}

void corvex4::rereadActiveDocument() {
    cadDoc = Variant::object(lateBound<cadhost::Application>(cadApp, "ActiveDocument")->ActiveDocument());
}

std::shared_ptr<cadhost::Document> corvex4::documentFor(const char* member) const {
    return lateBound<cadhost::Document>(cadDoc, member);
}

std::shared_ptr<cadhost::ModelSpace> corvex4::modelSpace() const {
    return cadhost::take<cadhost::ModelSpace>(documentFor("ModelSpace")->ModelSpace(),
                                              "the model space");
}

std::shared_ptr<cadhost::Group> corvex4::group(const std::string& name) const {
    auto groups = cadhost::take<cadhost::Groups>(documentFor("Groups")->Groups(),
                                                 "the groups collection");
    return cadhost::take<cadhost::Group>(groups->Item(Variant::string(name)), "a group");
}

}  // namespace corvex
