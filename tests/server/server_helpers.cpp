#include "server_helpers.hpp"

namespace corvex::testing {

std::array<Variant, 5> slotAlongX(double x0, double x1, double y, double width) {
    const double half = width / 2;
    return {Variant::point(x0, y - half, 0), Variant::point(x1, y - half, 0),
            Variant::point(x1, y + half, 0), Variant::point(x0, y + half, 0),
            Variant::point(x0, y - half, 0)};
}

std::vector<std::string> linesFrom(const cadhost::Journal& journal, std::size_t first) {
    const auto& lines = journal.lines();
    if (first >= lines.size()) return {};
    return {lines.begin() + static_cast<std::ptrdiff_t>(first), lines.end()};
}

HostSession::HostSession()
    : journal(std::make_shared<cadhost::Journal>()), connector(journal),
      server(connector, userInterface) {
    journal->setEnabled(true);
}

void HostSession::runHost() {
    application = cadhost::occt::EmbeddedApplication::create(journal);
    drawing = application->open();
    connector.registerRunning(application);
}

void HostSession::startServer() {
    runHost();
    ASSERT_EQ(server.StartAcad(), 1);
    ASSERT_TRUE(server.slotOutline);
    journal->clear();
}

std::shared_ptr<cadhost::Solid3D> HostSession::addPartBox(const std::array<double, 3>& corner0,
                                                          const std::array<double, 3>& corner1) {
    auto box = drawing->addBox(corner0, corner1);
    drawing->addToGroup("PART", box);
    return box;
}

std::string HostSession::ref(const cadhost::Entity& entity) { return "<" + entity.describe() + ">"; }

}  // namespace corvex::testing
