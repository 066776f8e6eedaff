// velmora log: write to and locate the day's log file through the Work
// members, so a registered delegate component gets the entries first, as
// it does for every client.
#include <commonvelmora/convert.h>
#include <commonvelmora/work.h>

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"

namespace velmora::tool {

namespace {

constexpr const char* kLogUsage =
    "usage: velmora log message [OPTIONS] TEXT\n"
    "       velmora log error [OPTIONS] NUMBER TEXT\n"
    "       velmora log path [OPTIONS] [--date DATE]\n"
    "\n"
    "  message   append \"<time stamp> TEXT\" to today's log file\n"
    "  error     append \"<time stamp> Error: NUMBER TEXT\" (NUMBER a 32-bit integer)\n"
    "  path      print the full path of today's log file, or of DATE's\n"
    "\n"
    "options:\n"
    "  --prefix PREFIX   first part of the file name (default Quorent)\n"
    "  --max-size BYTES  restart today's file once it has reached BYTES (default 1048576)\n"
    "  --date DATE       (path) the day as yyyy-mm-dd or in the regional short date\n"
    "  --                end of options: what follows is TEXT even if it starts with '-'\n"
    "\n"
    "The log folder is <parent>/Velmora Manager/LogFiles when the parent of the\n"
    "temporary folder ($TMPDIR, else ~/.local/tmp) ends in \"local\" or \"roaming\",\n"
    "else <temporary folder>/LogFiles. Files are named PREFIX + yyyy_mm_dd + .log.\n"
    "\n"
    "Exit status: 0 written (or path printed); 1 the library wrote nothing (no log\n"
    "folder, the file could not be opened, or a delegate component took the entry);\n"
    "2 bad usage.\n";

int usageError(const std::string& message) {
  std::fprintf(stderr, "velmora log: %s\n(see 'velmora log --help')\n", message.c_str());
  return 2;
}

bool isHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

bool parseInt32(std::string_view text, std::int32_t& out) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end && !text.empty();
}

// "yyyy-mm-dd" as a date; anything else is handed on as text, which the
// library reads in the regional short date.
Variant parseDate(std::string_view text) {
  int year = 0, month = 0, day = 0;
  if (text.size() == 10 && text[4] == '-' && text[7] == '-' &&
      std::from_chars(text.data(), text.data() + 4, year).ptr == text.data() + 4 &&
      std::from_chars(text.data() + 5, text.data() + 7, month).ptr == text.data() + 7 &&
      std::from_chars(text.data() + 8, text.data() + 10, day).ptr == text.data() + 10) {
    try {
      return Variant(dateFromParts(year, month, day));
    } catch (const std::exception&) {
      // Not a real day: the library's own reading decides.
    }
  }
  return Variant(text);
}

struct LogOptions {
  std::optional<std::string> prefix;
  std::optional<std::int32_t> maxSize;
  std::optional<std::string> date;
  std::vector<std::string_view> operands;
};

// Splits options from operands; returns an error text, or "" when fine.
std::string parseOptions(CommandArgs args, bool allowDate, LogOptions& out) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      out.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const bool takesValue =
        arg == "--prefix" || arg == "--max-size" || (allowDate && arg == "--date");
    if (!takesValue) {
      // A negative error number is an operand, not an option.
      std::int32_t number = 0;
      if (parseInt32(arg, number)) {
        out.operands.push_back(arg);
        continue;
      }
      return "unknown option '" + std::string(arg) + "'";
    }
    if (i + 1 >= args.size()) return "option '" + std::string(arg) + "' needs a value";
    const std::string_view value = args[++i];
    if (arg == "--prefix") {
      out.prefix = std::string(value);
    } else if (arg == "--date") {
      out.date = std::string(value);
    } else {
      std::int32_t bytes = 0;
      if (!parseInt32(value, bytes)) return "--max-size needs a 32-bit integer";
      out.maxSize = bytes;
    }
  }
  return "";
}

void applyOptions(Work& work, const LogOptions& options) {
  if (options.prefix) work.LogFileName(*options.prefix);
  if (options.maxSize) work.MaxLogFile(*options.maxSize);
}

int written(bool ok) {
  if (ok) return 0;
  std::fputs("velmora log: the library wrote no entry\n", stderr);
  return 1;
}

int runMessage(CommandArgs args) {
  LogOptions options;
  if (std::string bad = parseOptions(args, false, options); !bad.empty()) return usageError(bad);
  if (options.operands.size() != 1) return usageError("message takes exactly one TEXT");
  Work work;
  applyOptions(work, options);
  return written(work.StoreMessageToLog(std::string(options.operands[0])));
}

int runError(CommandArgs args) {
  LogOptions options;
  if (std::string bad = parseOptions(args, false, options); !bad.empty()) return usageError(bad);
  if (options.operands.size() != 2) return usageError("error takes NUMBER and TEXT");
  std::int32_t number = 0;
  if (!parseInt32(options.operands[0], number)) {
    return usageError("NUMBER must be a 32-bit integer, not '" + std::string(options.operands[0]) +
                      "'");
  }
  Work work;
  applyOptions(work, options);
  return written(work.StoreErrorToLog(number, std::string(options.operands[1])));
}

int runPath(CommandArgs args) {
  LogOptions options;
  if (std::string bad = parseOptions(args, true, options); !bad.empty()) return usageError(bad);
  if (!options.operands.empty()) return usageError("path takes no operands");
  Work work;
  applyOptions(work, options);
  const std::string path =
      options.date ? work.GetLogFileNameByDate(parseDate(*options.date)) : work.LogFileName();
  if (path.empty()) {
    std::fputs(options.date
                   ? "velmora log: no log file for that date (not a date, or no log folder)\n"
                   : "velmora log: no log folder could be established\n",
               stderr);
    return 1;
  }
  std::printf("%s\n", path.c_str());
  return 0;
}

}  // namespace

int runLog(CommandArgs args) {
  if (args.empty()) return usageError("missing subcommand: message, error or path");
  const std::string_view sub = args[0];
  if (isHelp(sub)) {
    std::fputs(kLogUsage, stdout);
    return 0;
  }
  const CommandArgs rest = args.subspan(1);
  for (std::string_view arg : rest) {
    if (arg == "--") break;
    if (isHelp(arg)) {
      std::fputs(kLogUsage, stdout);
      return 0;
    }
  }
  if (sub == "message") return runMessage(rest);
  if (sub == "error") return runError(rest);
  if (sub == "path") return runPath(rest);
  return usageError("unknown subcommand '" + std::string(sub) + "'");
}

}  // namespace velmora::tool
