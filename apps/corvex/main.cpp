// corvex: the command line of the machining engine.
//   corvex stock -o OUT.step [-d IN.step] --group NAME... (--box ... | --cylinder ... --axis x|y|z)
//   corvex inspect FILE.step
//   corvex run SESSION [-d IN.step] [-o OUT.step] [--stl PART.stl] [--trace] [--keep-going] [--progress]
//              [--png PICTURE.png] [--frames DIR --every N] [--glb FILE.glb] [--view V] [--size WxH]
//   corvex gcode PROGRAM.nc (-d STOCK.step | --box X0 Y0 Z0 X1 Y1 Z1) (--tools TABLE | --tool DIA,LENGTH[,CORNER])
//              [-o OUT.step] [--session CALLS.jsonl] [--tolerance MM] [--eager] [--progress] [outputs as for run]
//   corvex render DRAWING.step -o PICTURE.png [--glb FILE.glb] [--view iso|top|front|right] [--size WxH]
// Standard output carries data only (JSON); messages go to standard error.
#include <CLI/CLI.hpp>

#include <iostream>

#include "automation/error.hpp"
#include "cadhost/occt/files/occt_output.hpp"
#include "cadhost/occt/model/memory_bound.hpp"
#include "command_line.hpp"
#include "contents_command.hpp"
#include "gcode_command.hpp"
#include "render_command.hpp"
#include "run_command.hpp"
#include "stock_command.hpp"

int main(int argc, char** argv) {
    using namespace corvex::runner;
    // Before any modelling: OpenCASCADE would otherwise print on our standard output.
    corvex::cadhost::occt::quietOcctOutput();
    corvex::cadhost::occt::boundProcessMemory();
    CLI::App app{"Runs machining sessions of corvex4 on drawings held in this process.", "corvex"};
    app.require_subcommand(1);
    StockCommand stock;
    InspectCommand inspect;
    RunCommand run;
    RenderCommand render;
    GcodeCommand gcode;
    stock.addTo(app);
    inspect.addTo(app);
    run.addTo(app);
    render.addTo(app);
    gcode.addTo(app);

    if (argc <= 1) {
        std::cerr << app.help();
        return kExitBadInput;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);  // help on standard output, errors on standard error
        return status == 0 ? 0 : kExitBadInput;
    }

    try {
        if (stock.chosen()) return stock.run();
        if (inspect.chosen()) return inspect.run();
        if (run.chosen()) return run.run();
        if (render.chosen()) return render.run();
        if (gcode.chosen()) return gcode.run();
    } catch (const BadInput& error) {
        std::cerr << "corvex: " << error.what() << std::endl;
        return kExitBadInput;
    } catch (const corvex::automation::Error& error) {
        std::cerr << "corvex: " << error.description() << std::endl;
        return kExitFailed;
    } catch (const std::exception& error) {
        std::cerr << "corvex: " << error.what() << std::endl;
        return kExitFailed;
    }
    return kExitBadInput;
}
