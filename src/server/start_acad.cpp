// StartAcad: connect to the host, then make the default tool and the slot outline.
#include <exception>
#include <functional>
#include <optional>

#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "server/corvex4.hpp"
#include "server/late_bound.hpp"

namespace corvex {
namespace {

using automation::Variant;

// Resume-next error handling: a failing step is abandoned and the next one runs; the
// failure stays the current error until it is cleared.
class ResumeNext {
public:
    void run(const std::function<void()>& step) {
        try {
            step();
        } catch (const automation::Error& error) {
            current_ = error;
        } catch (const std::exception& other) {
            current_ = automation::failure(other.what());
        }
    }
    bool failed() const { return current_.has_value(); }
    const automation::Error& currentError() const { return *current_; }
    void clear() { current_.reset(); }

private:
    std::optional<automation::Error> current_;
};

}  // namespace

std::int16_t corvex4::StartAcad() {
    std::int16_t result = 1;
    ResumeNext onError;

    onError.run([&] { cadApp = Variant::object(connector_.attach(kHostProgId)); });
    if (onError.failed()) {
        onError.clear();
        onError.run([&] { cadApp = Variant::object(connector_.launch(kHostProgId)); });
        if (onError.failed()) {
            // The one message corvex ever shows: nothing else can tell the user why no
            // host came up, and nothing else is done.
            const std::string text = onError.currentError().description();
            onError.run([&] { userInterface_.messageBox(text); });
            result = 0;
            return result;
        }
    }

    sweepHeight = 2.0;
    onError.run([&] {
        lateBound<cadhost::Application>(cadApp, "Visible")->putVisible(Variant::boolean(true));
    });
    onError.run([&] {
        cadDoc = Variant::object(
            lateBound<cadhost::Application>(cadApp, "ActiveDocument")->ActiveDocument());
    });
    const Variant centre = Variant::point(-100.0, -100.0, 0.0);
    onError.run([&] {
        toolSolid = cadhost::take<cadhost::Solid3D>(
            modelSpace()->AddCylinder(centre, Variant::int16(1), Variant::real(sweepHeight)),
            "a 3D solid");
    });
    onError.run([&] { ToolPolyCreate(); });
    return result;
}

}  // namespace corvex
