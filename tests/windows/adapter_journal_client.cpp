// The adapter in process, without corvex.dll: corvex4 on the CAD adapter runs the session,
// and the adapter's own journal must read like the embedded host's for the same session.
//   adapter_journal_client SESSION EXPECTED_JOURNAL
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <stdexcept>

#include "cadhost/com/com_connector.hpp"
#include "cadhost/com/variant_bridge.hpp"
#include "checks.hpp"
#include "server/corvex4.hpp"
#include "server/dispatch.hpp"
#include "session_file.hpp"

using corvex::wintest::check;

namespace {

void run(const std::string& sessionPath, const std::string& expectedPath) {
    auto journal = std::make_shared<corvex::cadhost::Journal>();
    journal->setEnabled(true);
    corvex::cadhost::com::ComConnector connector(journal);
    corvex::cadhost::com::MessageBoxUserInterface userInterface;
    corvex::corvex4 server(connector, userInterface);
    const auto objects = connector.session()->mapping(corvex::cadhost::com::ObjectKind::Entity);

    for (auto& call : corvex::wintest::readSession(sessionPath)) {
        std::vector<corvex::automation::Variant> arguments;
        corvex::wintest::resolveEntities(call);
        for (auto& argument : call.arguments) {
            arguments.push_back(corvex::cadhost::com::fromVariant(argument, objects));
            VariantClear(&argument);
        }
        try {
            corvex::invoke(server, call.member, std::move(arguments));
            check(true, call.member);
        } catch (const corvex::automation::Error& error) {
            check(false, "line " + std::to_string(call.line) + ": " + call.member + ": " + error.description());
        }
    }

    const auto expected = corvex::wintest::normalizedJournal(corvex::wintest::readLines(expectedPath));
    const auto journalled = corvex::wintest::normalizedJournal(journal->lines());
    check(journalled.size() == expected.size(), "the adapter journalled " + std::to_string(journalled.size()) +
                                                    " operations, the embedded host " + std::to_string(expected.size()));
    int differ = 0;
    for (std::size_t i = 0; i < expected.size() && i < journalled.size(); ++i) {
        if (expected[i] != journalled[i] && differ++ < 10)
            std::printf("operation %zu:\n  embedded: %s\n  adapter:  %s\n", i + 1, expected[i].c_str(), journalled[i].c_str());
    }
    check(differ == 0, "the adapter's journal matches the embedded host's line for line");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: adapter_journal_client SESSION EXPECTED_JOURNAL\n");
        return 2;
    }
    CoInitialize(nullptr);
    try {
        run(argv[1], argv[2]);
    } catch (const std::exception& error) {
        check(false, error.what());
    }
    const int status = corvex::wintest::finish();
    std::fflush(stdout);
    ExitProcess(static_cast<UINT>(status));
}
