// The host takes numbers within +-1e6 and lengths longer than 1e-7: beyond, the kernel has
// crashed, spun or written files it cannot read back. Outside the range is an error naming the
// argument, and nothing is added to the drawing.
#include <functional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "automation/error.hpp"
#include "cadhost/occt/host_fixture.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

using ::testing::HasSubstr;

struct RangeCase {
    const char* name;
    std::function<void(ModelSpace&, const std::shared_ptr<Solid3D>&)> call;
    const char* refusal;  // nullptr: taken
};

TEST_F(HostTest, ArgumentsOutsideTheWorkingRangeAreRefusedNamingTheArgument) {
    const std::vector<RangeCase> cases = {
        {"a centre at 1e308", [](ModelSpace& s, auto&) { s.AddCylinder(pt(1e308, 0, 0), Variant::real(1), Variant::real(1)); },
         "the centre's coordinate is 1E+308, outside the working range"},
        {"a radius of 1e-8", [](ModelSpace& s, auto&) { s.AddCircle(pt(0, 0, 0), Variant::real(1e-8)); },
         "the radius is 1E-08, not longer than the shortest length"},
        {"a radius of 3e6", [](ModelSpace& s, auto&) { s.AddCircle(pt(0, 0, 0), Variant::real(3e6)); },
         "the radius is 3000000, longer than the working range's span"},
        {"a vertex at 2e6", [](ModelSpace& s, auto&) { s.AddPolyline(Variant::doubles({0, 0, 0, 2e6, 0, 0, 0, 1, 0})); },
         "a vertex coordinate is 2000000, outside the working range"},
        {"a move to 1e12", [](ModelSpace&, auto& solid) { solid->Move(pt(0, 0, 0), pt(1e12, 0, 0)); },
         "the to point's coordinate is 1000000000000"},
        {"the edge of the range", [](ModelSpace& s, auto&) { s.AddCylinder(pt(-1e6, 1e6, 0), Variant::real(2e6), Variant::real(1e-6)); },
         nullptr},
    };
    auto solid = box(0, 0, 0, 1, 1, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = drawing->entities().size();
        if (!c.refusal) {
            EXPECT_NO_THROW(c.call(*space, solid));
            continue;
        }
        try {
            c.call(*space, solid);
            ADD_FAILURE() << "taken";
        } catch (const automation::Error& error) {
            EXPECT_THAT(error.description(), HasSubstr(c.refusal));
        }
        EXPECT_EQ(drawing->entities().size(), before);
    }
    EXPECT_NEAR(measureSolid(*solid).box.min[0], 0, 1e-12);  // the refused move left it
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
