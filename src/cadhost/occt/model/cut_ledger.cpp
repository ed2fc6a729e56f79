#include "cadhost/occt/model/cut_ledger.hpp"

#include <atomic>

#include "automation/error.hpp"
#include "cadhost/occt/model/entities.hpp"

namespace corvex::cadhost::occt {
namespace {

std::atomic<bool>& enabledFlag() {
    static std::atomic<bool> enabled{false};
    return enabled;
}

}  // namespace

void setCutLedgerEnabled(bool enabled) { enabledFlag() = enabled; }
bool cutLedgerEnabled() { return enabledFlag(); }

CutLedger cutLedgerOf(const Entity& solid) {
    const auto* entity = dynamic_cast<const SolidEntity*>(&solid);
    if (entity == nullptr) throw automation::invalidArgument("the entity is not a solid of the embedded host");
    return entity->ledger();
}

}  // namespace corvex::cadhost::occt
