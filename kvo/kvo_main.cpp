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
void addStatus(CLI::App& app, StatusOptions& status) {
  CLI::App* cmd = app.add_subcommand("status", "List what changed since the unpack");
  cmd->add_option("--dir", status.dir, "The project folder (default: the current folder)");
}

void addCheck(CLI::App& app, CheckOptions& check) {
  CLI::App* cmd = app.add_subcommand(
      "check", "Rebuild every changed file in memory and tell whether it fits; writes nothing");
  cmd->add_option("--dir", check.dir, "The project folder (default: the current folder)");
}

void addPack(CLI::App& app, PackOptions& pack) {
  CLI::App* cmd = app.add_subcommand(
      "pack", "Check, then write a new image with every changed file and verify it");
  cmd->add_option("-o,--output", pack.output, "The new disc image")->required();
  cmd->add_option("--patch", pack.patch, "Also write an xdelta3 patch from the original image");
  cmd->add_option("--dir", pack.dir, "The project folder (default: the current folder)");
}
}  // namespace

std::string counted(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

Messages stderrLines() {
  return Messages{[](const std::string& text) { std::fputs(text.c_str(), stderr); }};
}

int reportFailure(const Status& status) {
  std::fputs(status.message.c_str(), stderr);
  return kProblems;
}

int main(int argc, char** argv) {
  CLI::App app{"kvo: the game's disc image as a translation project, and back", "kvo"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "kvo 0.1.0");
  InitOptions init;
  addInit(app, init);
  UnpackOptions unpack;
  addUnpack(app, unpack);
  StatusOptions status;
  addStatus(app, status);
  CheckOptions check;
  addCheck(app, check);
  PackOptions pack;
  addPack(app, pack);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int status = app.exit(e);
    return status == 0 ? kDone : kUsage;
  }
  if (app.got_subcommand("init")) return runInit(init);
  if (app.got_subcommand("unpack")) return runUnpack(unpack);
  if (app.got_subcommand("status")) return runStatus(status);
  if (app.got_subcommand("check")) return runCheck(check);
  if (app.got_subcommand("pack")) return runPack(pack);
  return kUsage;
}
