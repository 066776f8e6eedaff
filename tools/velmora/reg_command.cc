// velmora reg: read and write the settings store through the Work members,
// and move whole trees of settings in and out as text.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/settings.h>
#include <commonvelmora/work.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "text_input.h"

namespace velmora::tool {

namespace {

constexpr const char* kRegUsage =
    "usage: velmora reg get KEY NAME [--default VALUE] [--number]\n"
    "       velmora reg set KEY NAME VALUE [--number]\n"
    "       velmora reg delete KEY [NAME]\n"
    "       velmora reg list KEY\n"
    "       velmora reg export KEY [--output FILE]\n"
    "       velmora reg import FILE\n"
    "\n"
    "  get     print the value NAME of KEY; with --default, a missing value is\n"
    "          stored as VALUE and VALUE is printed\n"
    "  set     store VALUE under NAME in KEY (missing keys are created)\n"
    "  delete  delete the value NAME of KEY, or KEY itself (with its values; a\n"
    "          key that still has sub-keys is refused)\n"
    "  list    print every value of KEY, one \"name\" = value per line\n"
    "  export  print KEY, its values and all its sub-keys as text that 'import'\n"
    "          reads back exactly (to FILE with --output)\n"
    "  import  write the keys and values of an exported FILE ('-' reads standard\n"
    "          input); nothing is written when the file has a syntax error\n"
    "\n"
    "options:\n"
    "  --number  VALUE is a number: stored as \"&h\" and hexadecimal digits of its\n"
    "            whole part, read back as a number\n"
    "  --        end of options\n"
    "\n"
    "KEY is a path below the user's root with \"\\\" between levels, for instance\n"
    "\"Software\\Velmora, Ltd.\\Trader\"; \"\" is the root. Names compare without\n"
    "regard to letter case. Numbers are printed as numbers, texts as they are\n"
    "('list' quotes texts and escapes control bytes).\n"
    "The store is $VELMORA_REGISTRY, else $XDG_CONFIG_HOME/CommonVelmora/\n"
    "registry.sqlite3 (default ~/.config/CommonVelmora/registry.sqlite3).\n"
    "\n"
    "Exit status: 0 done; 1 the store reported a failure (the code is printed);\n"
    "2 bad usage; 3 an error raised while converting a value.\n";

int usageError(const std::string& message) {
  std::fprintf(stderr, "velmora reg: %s\n(see 'velmora reg --help')\n", message.c_str());
  return 2;
}

// Whether `code` is about the store file rather than the key or value asked for.
bool aboutTheFile(std::int32_t code) {
  switch (code) {
    case regcode::kAccessDenied:
    case regcode::kBusy:
    case regcode::kBadDatabase:
    case regcode::kCantOpen:
    case regcode::kRegistryCorrupt:
    case regcode::kRegistryIoFailed:
    case regcode::kNewerStore:
      return true;
    default:
      return false;
  }
}

int storeFailure(const std::string& what, std::int32_t code) {
  if (code == regcode::kSuccess) return 0;
  std::fprintf(stderr, "velmora reg: %s: %.*s (code %d)\n", what.c_str(),
               static_cast<int>(resultCodeText(code).size()), resultCodeText(code).data(),
               static_cast<int>(code));
  if (aboutTheFile(code)) {
    // Say what is wrong with which file, so that the user can act on it.
    const std::string problem = settingsStoreProblem();
    const std::string file = settingsStorePath();
    if (!problem.empty()) {
      std::fprintf(stderr, "velmora reg: %s\n", problem.c_str());
    } else {
      std::fprintf(stderr, "velmora reg: settings file: %s\n", file.c_str());
    }
  }
  return 1;
}

struct RegOptions {
  std::optional<std::string> defaultValue;
  std::optional<std::string> output;
  bool number = false;
  std::vector<std::string> operands;
};

std::string parseOptions(CommandArgs args, RegOptions& out) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-' || arg[1] != '-') {
      out.operands.emplace_back(arg);  // "-5" and "-" are operands
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--number") {
      out.number = true;
    } else if (arg == "--default" || arg == "--output") {
      if (i + 1 >= args.size()) return "option '" + std::string(arg) + "' needs a value";
      (arg == "--default" ? out.defaultValue : out.output) = std::string(args[++i]);
    } else {
      return "unknown option '" + std::string(arg) + "'";
    }
  }
  return "";
}

// The value to store for VALUE: the text itself, or with --number the number.
Variant valueOf(const std::string& text, bool number) {
  return number ? Variant(toDouble(Variant(text))) : Variant(text);
}

std::string shown(const Variant& value) { return value.isText() ? value.text() : toText(value); }

int runGet(const RegOptions& o) {
  if (o.operands.size() != 2) return usageError("get takes KEY and NAME");
  Work work;
  std::int32_t code = 0;
  const Variant fallback = o.defaultValue ? valueOf(*o.defaultValue, o.number) : Variant::missing();
  const Variant value = work.ReadRegistryValue(o.operands[0], o.operands[1], code, fallback);
  if (code != regcode::kSuccess) return storeFailure(o.operands[1], code);
  std::fwrite(shown(value).data(), 1, shown(value).size(), stdout);
  std::fputc('\n', stdout);
  return 0;
}

int runSet(const RegOptions& o) {
  if (o.operands.size() != 3) return usageError("set takes KEY, NAME and VALUE");
  Work work;
  return storeFailure(o.operands[1], work.SetRegistryValue(o.operands[0], o.operands[1],
                                                           valueOf(o.operands[2], o.number)));
}

int runDelete(const RegOptions& o) {
  Work work;
  if (o.operands.size() == 1) {
    return storeFailure(o.operands[0], work.DeleteRegistryKey(o.operands[0]));
  }
  if (o.operands.size() == 2) {
    return storeFailure(o.operands[1], work.DeleteRegistryValue(o.operands[0], o.operands[1]));
  }
  return usageError("delete takes KEY and an optional NAME");
}

int runList(const RegOptions& o) {
  if (o.operands.size() != 1) return usageError("list takes KEY");
  Work work;
  const Variant table = work.ReadAllValue(o.operands[0]);
  if (!table.isArray()) return 0;  // nothing to list
  const SafeArray& t = table.array();
  for (std::int32_t i = 0; i <= t.ubound(2); ++i) {
    const Variant value = t.get({1, i});
    const std::string line = quotedSettingText(t.get({0, i}).text()) + " = " +
                             (value.isText() ? quotedSettingText(value.text()) : toText(value)) +
                             "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  return 0;
}

int runExport(const RegOptions& o) {
  if (o.operands.size() != 1) return usageError("export takes KEY");
  std::string text;
  const std::int32_t code = exportSettings(o.operands[0], text);
  if (code != regcode::kSuccess) return storeFailure(o.operands[0], code);
  if (!o.output) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  }
  std::ofstream file(*o.output, std::ios::binary | std::ios::trunc);
  if (!(file << text) || !file.flush()) {
    std::fprintf(stderr, "velmora reg: cannot write '%s'\n", o.output->c_str());
    return 1;
  }
  return 0;
}

int runImport(const RegOptions& o) {
  if (o.operands.size() != 1) return usageError("import takes FILE");
  std::string text;
  if (!readInput(o.operands[0], text)) {
    std::fprintf(stderr, "velmora reg: cannot read '%s'\n", o.operands[0].c_str());
    return 1;
  }
  std::string error;
  const std::int32_t code = importSettings(text, error);
  if (code == regcode::kSuccess) return 0;
  std::fprintf(stderr, "velmora reg: %s: %s\n", o.operands[0].c_str(), error.c_str());
  return code == regcode::kInvalidParameter && error.starts_with("line ") ? 2 : 1;
}

}  // namespace

int runReg(CommandArgs args) {
  if (args.empty()) return usageError("missing subcommand: get, set, delete, list, export, import");
  const std::string_view sub = args[0];
  for (const std::string_view arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kRegUsage, stdout);
      return 0;
    }
  }
  RegOptions options;
  if (const std::string bad = parseOptions(args.subspan(1), options); !bad.empty()) {
    return usageError(bad);
  }
  if ((options.defaultValue && sub != "get") || (options.number && sub != "get" && sub != "set") ||
      (options.output && sub != "export")) {
    return usageError("option not valid for '" + std::string(sub) + "'");
  }
  try {
    if (sub == "get") return runGet(options);
    if (sub == "set") return runSet(options);
    if (sub == "delete") return runDelete(options);
    if (sub == "list") return runList(options);
    if (sub == "export") return runExport(options);
    if (sub == "import") return runImport(options);
  } catch (const AutomationError& e) {
    std::fprintf(stderr, "velmora reg: error %d: %s\n", static_cast<int>(e.number()),
                 e.description().c_str());
    return 3;
  }
  return usageError("unknown subcommand '" + std::string(sub) + "'");
}

}  // namespace velmora::tool
