#include "stock_command.hpp"

#include <iostream>

#include "automation/error.hpp"
#include "cadhost/occt/files/drawing_file.hpp"
#include "command_line.hpp"

namespace corvex::runner {

void StockCommand::addTo(CLI::App& app) {
    command_ = app.add_subcommand("stock", "Add a box or a cylinder of stock to groups of a drawing");
    command_->add_option("-o,--output", output_, "The drawing to write (STEP, or corvex's own .cvx)")->required();
    command_->add_option("-d,--drawing", input_, "The drawing to add to (STEP); a new one if not given");
    command_->add_option("--group", groups_, "A group the stock joins (repeat for several)")
        ->required()
        ->take_all();
    auto* box = command_->add_option("--box", box_, "A box between two corners: X0 Y0 Z0 X1 Y1 Z1")
                    ->expected(6)
                    ->allow_extra_args(false);
    auto* cylinder =
        command_->add_option("--cylinder", cylinder_,
                             "A cylinder from its base centre along --axis: CX CY CZ RADIUS LENGTH")
            ->expected(5)
            ->allow_extra_args(false);
    auto* axis = command_->add_option("--axis", axis_, "The cylinder's axis")
                     ->check(CLI::IsMember({"x", "y", "z"}, CLI::ignore_case));
    box->excludes(cylinder);
    cylinder->needs(axis);
    axis->needs(cylinder);
}

int StockCommand::run() const {
    if (box_.empty() && cylinder_.empty()) throw BadInput("stock: give either --box or --cylinder");
    auto drawing = openDrawing(input_);
    const auto stock = addStockSolid(*drawing, box_, cylinder_, axis_, "stock: ");
    for (const auto& group : groups_) drawing->addToGroup(group, stock);
    cadhost::occt::writeDrawing(*drawing, output_);
    return 0;
}

}  // namespace corvex::runner
