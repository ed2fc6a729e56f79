#pragma once
// corvex stock: adds a piece of stock (a box or a cylinder along an axis) to named groups of a
// drawing, new or read from a file, and writes the drawing.
#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace corvex::runner {

class StockCommand {
public:
    void addTo(CLI::App& app);
    bool chosen() const { return command_ && command_->parsed(); }
    int run() const;

private:
    CLI::App* command_ = nullptr;
    std::string output_, input_;
    std::vector<std::string> groups_;
    std::vector<double> box_, cylinder_;
    std::string axis_;
};

}  // namespace corvex::runner
