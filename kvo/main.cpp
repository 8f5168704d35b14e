// kvo: a whole disc image as a translation project (PO files, pictures, a
// fit check) and back into a verified new image.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "kvo/commands.h"

namespace {
void addInit(CLI::App& app, InitOptions& init) {
  CLI::App* cmd = app.add_subcommand("init", "Start a project from a disc image: writes kvo.toml");
  cmd->add_option("IMAGE", init.image, "The game's disc image")->required();
  cmd->add_option("--table", init.table, "The character table of the dialog text");
  cmd->add_option("--dir", init.dir, "The project folder (default: the current folder)");
}
void addUnpack(CLI::App& app, UnpackOptions& unpack) {
  CLI::App* cmd = app.add_subcommand(
      "unpack", "Fill the project folder: files/, text/*.po, pics/*.bmp and .kvo/");
  cmd->add_option("--dir", unpack.dir, "The project folder (default: the current folder)");
  cmd->add_flag("--force", unpack.force, "Unpack again over an unpacked project (loses edits)");
}
}  // namespace

int reportFailure(const Status& status) {
  std::fputs(status.message.c_str(), stderr);
  return kProblems;
}

int main(int argc, char** argv) {
  CLI::App app{"kvo: the game's disc image as a translation project, and back", "kvo"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "kvo 0.2.0");
  InitOptions init;
  addInit(app, init);
  UnpackOptions unpack;
  addUnpack(app, unpack);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int status = app.exit(e);
    return status == 0 ? kDone : kUsage;
  }
  if (app.got_subcommand("init")) return runInit(init);
  if (app.got_subcommand("unpack")) return runUnpack(unpack);
  return kUsage;
}
