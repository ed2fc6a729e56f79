#include "cadhost/journal.hpp"

namespace corvex::cadhost {

void Journal::record(std::string line) {
    if (sink_) sink_(line);
    lines_.push_back(std::move(line));
}

std::string Journal::call(const std::string& receiver, const std::string& operation,
                          std::initializer_list<automation::Variant> arguments) {
    std::string line = receiver + "." + operation + "(";
    bool first = true;
    for (const auto& argument : arguments) {
        if (!first) line += ", ";
        first = false;
        line += argument.toDebugString();
    }
    return line + ")";
}

JournalEntry::JournalEntry(Journal* journal, const std::string& receiver,
                           const std::string& operation,
                           std::initializer_list<automation::Variant> arguments)
    : journal_(journal && journal->enabled() ? journal : nullptr) {
    if (journal_) line_ = Journal::call(receiver, operation, arguments);
}

JournalEntry::~JournalEntry() {
    if (journal_) journal_->record(line_ + outcome_);
}

void JournalEntry::result(const automation::Variant& value) {
    if (journal_) outcome_ = " -> " + value.toDebugString();
}

void JournalEntry::failed(const automation::Error& error) {
    if (journal_) outcome_ = " !! " + error.description();
}

}  // namespace corvex::cadhost
