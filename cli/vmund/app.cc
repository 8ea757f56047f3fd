// Argument parsing and dispatch of the vmund command.
#include "vmund/app.h"

#include <CLI/CLI.hpp>
#include <cstdlib>

#include "admin/config_db.h"
#include "vessamund/exception.h"

namespace vmund {

int runVmund(std::vector<std::string> const& args, std::ostream& out, std::ostream& err) {
  Context ctx{out, err};
  CLI::App app("vmund: find sensitive content in e-mail with Vessamund dictionaries", "vmund");
  app.require_subcommand(1);
  addScanCommand(app, ctx);
  addAdminCommands(app, ctx);
  addDemoCommand(app, ctx);
  addRedactCommand(app, ctx);

  std::vector<char const*> argv;
  for (std::string const& a : args) argv.push_back(a.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), const_cast<char**>(argv.data()));
  } catch (CLI::ParseError const& e) {
    // --help is a ParseError that exits 0; every other is a usage error.
    int code = app.exit(e, out, err);
    return code == 0 ? kClean : kError;
  } catch (admin::AdminError const& e) {
    err << "vmund: " << e.what() << "\n";
    return kError;
  } catch (Vessamund::Exception const& e) {
    err << "vmund: " << e.message() << "\n";
    return kError;
  } catch (std::exception const& e) {
    err << "vmund: " << e.what() << "\n";
    return kError;
  }
  return ctx.status;
}

}  // namespace vmund
