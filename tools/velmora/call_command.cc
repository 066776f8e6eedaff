// velmora call: one Work member by name, or a stream of calls from standard
// input run on one thread, so that the thread's state (AppNumber, the log
// prefix, the delegate component) carries from line to line.
#include <commonvelmora/error.h>
#include <commonvelmora/picture.h>
#include <commonvelmora/work.h>

#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "commands.h"
#include "json_variant.h"

namespace velmora::tool {
namespace {

using json = nlohmann::ordered_json;

constexpr const char* kHelp = R"(usage: velmora call [--picture-out FILE] MEMBER [ARG...]
       velmora call -

Calls a member of the Work object by name, as a script client does: as a
method, or read as a property, whichever it is. Each ARG is one JSON value:

  "text"                 text
  5                      32-bit integer (a double when it has a fraction or
                         an exponent, or needs more than 32 bits)
  1.5  true  false       double, boolean
  null                   the null value
  [1, "a"]               one-dimensional variant array from 0
  {"$empty":true}        the empty value
  {"$missing":true}      an omitted optional argument
  {"$nothing":true}      the empty object reference
  {"$int16":N}  {"$byte":N}  {"$single":X}  {"$error":N}
  {"$double":X}          also "inf", "-inf", "nan"
  {"$currency":"1.5"}    up to four decimal places
  {"$date":"2024-03-07T23:59:00"}   or "2024-03-07" (seconds are whole)
  {"$bytes":"BASE64"}    byte array from 0; add "lbound":N for another base
  {"$array":[...],"lbound":1}       variant array; nested arrays are more
                         dimensions (rectangular), "lbound" one number or one
                         per dimension, "element":"byte" for a byte array,
                         "$array":null for an array never dimensioned
  {"$new":"PROGID"}      a new object, e.g. "CommonVelmora.KZProperties"
  {"$ref":N}             an object from an earlier call (with 'call -')
  {"$picture":"FILE"}    a picture read from a PNG, JPEG, BMP or GIF file
  {"$grid":"FILE"}       a reference grid loaded from a grid description
                         file, as 'velmora grid' loads one

With --picture-out FILE a picture the call returns is written to FILE as the
image bytes it holds (nothing is written for any other result), e.g.
  velmora call GetArrayByPicture '{"$picture":"logo.png"}'
  velmora call --picture-out copy.png GetPictureByArray '{"$bytes":"..."}'

It prints one JSON object with the result and every argument as it stands
after the call, so what the member wrote to a by-reference argument shows:

  {"result": V, "args": [V, ...]}

Values are printed in the same forms; objects as {"$ref":N,"type":"NAME"},
numbered in the order they first appear. Examples:

  velmora call AppDescription 1000
  velmora call ExecMetodLet '{"$grid":"orders.grid"}' '"GetClipString"' '{"$empty":true}' '[true]'
  velmora call ReadRegistryValue '"Software\\Velmora, Ltd.\\Demo"' '"Size"' 0 '"10"'

An automation error raised by the call prints
  {"error":{"number":N,"description":"..."}}
and exits with status 3. Bad usage exits with status 2 and a message on
standard error.

velmora call -
  Reads calls from standard input, one per line, runs them in order in one
  process on one thread and prints one result line per call as soon as it
  has run (flushed), so another program can drive it interactively. A line is
    ["MEMBER", ARG, ...]
  or
    {"on":{"$ref":N}, "member":"NAME", "kind":"method|get|let|set", "args":[...]}
  where "on" names an object of an earlier line (without it the member is
  Work's), "kind" is one of method, get, let, set or several joined by "|"
  (without it: method or property read, whichever it is), and for let and
  set the assigned value is the last argument. Objects keep their numbers
  for the whole run. Blank lines are skipped. A line that is not such a
  call prints {"error":{"usage":"..."}} and the run goes on.
  Exit status: 0 when every call ran, 3 when some call raised an automation
  error, 2 when some line was malformed (2 wins over 3).
)";

constexpr CallKind kMethodOrGet = CallKind::Method | CallKind::Get;

struct Call {
  ObjectRef on;  // null: the Work object
  std::string member;
  CallKind kind = kMethodOrGet;
  std::vector<Variant> args;
};

enum class Outcome { Ran, Raised, Malformed };

void printLine(const json& line) {
  const std::string text = line.dump(-1, ' ', false, json::error_handler_t::replace);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

json errorJson(const AutomationError& e) {
  return {{"error", {{"number", e.number()}, {"description", e.description()}}}};
}

CallKind kindFrom(const json& j) {
  if (!j.is_string()) throw JsonFormError("\"kind\" needs a text");
  const std::string text = j.get<std::string>();
  std::uint16_t bits = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t bar = std::min(text.find('|', start), text.size());
    const std::string part = text.substr(start, bar - start);
    if (part == "method") {
      bits |= static_cast<std::uint16_t>(CallKind::Method);
    } else if (part == "get") {
      bits |= static_cast<std::uint16_t>(CallKind::Get);
    } else if (part == "let") {
      bits |= static_cast<std::uint16_t>(CallKind::Let);
    } else if (part == "set") {
      bits |= static_cast<std::uint16_t>(CallKind::Set);
    } else {
      throw JsonFormError("\"kind\" is method, get, let or set, or several joined by |");
    }
    start = bar + 1;
  }
  return static_cast<CallKind>(bits);
}

// Parses one input line; JsonFormError (or a JSON parse error) when it is no
// call, AutomationError when building an argument raised one ("$new").
Call callFromLine(const std::string& line, ObjectTable& objects) {
  const json j = json::parse(line);
  Call call;
  if (j.is_array()) {
    if (j.empty() || !j[0].is_string()) throw JsonFormError("the array needs a member name first");
    call.member = j[0].get<std::string>();
    for (std::size_t i = 1; i < j.size(); ++i) call.args.push_back(variantFromJson(j[i], objects));
    return call;
  }
  if (!j.is_object()) throw JsonFormError("a line is a JSON array or object");
  for (const auto& [key, value] : j.items()) {
    if (key != "on" && key != "member" && key != "kind" && key != "args") {
      throw JsonFormError("unknown key \"" + key + "\"");
    }
  }
  if (!j.contains("member") || !j["member"].is_string()) {
    throw JsonFormError("\"member\" needs a text");
  }
  call.member = j["member"].get<std::string>();
  if (j.contains("kind")) call.kind = kindFrom(j["kind"]);
  if (j.contains("on")) {
    const Variant target = variantFromJson(j["on"], objects);
    if (!target.isObject()) throw AutomationError(424, "Object required");
    // Calling a member of nothing is the runtime's error 91.
    if (target.isNothing()) throw AutomationError(err::kObjectNotSet);
    call.on = target.object();
  }
  if (j.contains("args")) {
    if (!j["args"].is_array()) throw JsonFormError("\"args\" needs a JSON array");
    for (const json& arg : j["args"]) call.args.push_back(variantFromJson(arg, objects));
  }
  return call;
}

json run(Work& work, Call& call, ObjectTable& objects) {
  Object& target = call.on ? *call.on : work;
  const Variant result = target.invoke(call.member, call.kind, call.args);
  json args = json::array();
  json out = {{"result", jsonFromVariant(result, objects)}};
  for (const Variant& arg : call.args) args.push_back(jsonFromVariant(arg, objects));
  out["args"] = std::move(args);
  return out;
}

Outcome runLine(Work& work, const std::string& line, ObjectTable& objects) {
  try {
    Call call = callFromLine(line, objects);
    printLine(run(work, call, objects));
    return Outcome::Ran;
  } catch (const AutomationError& e) {
    printLine(errorJson(e));
    return Outcome::Raised;
  } catch (const std::exception& e) {  // JsonFormError, JSON parse errors
    printLine({{"error", {{"usage", e.what()}}}});
    return Outcome::Malformed;
  }
}

int runStream() {
  Work work;
  ObjectTable objects;
  bool raised = false, malformed = false;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    switch (runLine(work, line, objects)) {
      case Outcome::Ran:
        break;
      case Outcome::Raised:
        raised = true;
        break;
      case Outcome::Malformed:
        malformed = true;
        break;
    }
  }
  return malformed ? 2 : raised ? 3 : 0;
}

// Writes the picture `result` holds to `path`; false (with a message) when
// the result is no picture.
bool writePicture(const Variant& result, const std::string& path) {
  const auto* picture =
      result.isObject() ? dynamic_cast<const Picture*>(result.object().get()) : nullptr;
  if (picture == nullptr || picture->isEmpty()) {
    std::fprintf(stderr, "velmora call: the result is no picture; %s not written\n", path.c_str());
    return false;
  }
  picture->saveToFile(path);
  return true;
}

int runOne(CommandArgs args, const std::string& pictureOut) {
  Work work;
  ObjectTable objects;
  Call call;
  call.member = std::string(args[0]);
  try {
    for (std::size_t i = 1; i < args.size(); ++i) {
      json arg;
      try {
        arg = json::parse(args[i]);
      } catch (const json::parse_error&) {
        std::fprintf(stderr, "velmora call: argument %zu is not a JSON value: %.*s\n", i,
                     static_cast<int>(args[i].size()), args[i].data());
        return 2;
      }
      call.args.push_back(variantFromJson(arg, objects));
    }
    const json out = run(work, call, objects);
    printLine(out);
    if (!pictureOut.empty()) {
      const Variant result = variantFromJson(out["result"], objects);
      if (!writePicture(result, pictureOut)) return 2;
    }
    return 0;
  } catch (const AutomationError& e) {
    printLine(errorJson(e));
    return 3;
  } catch (const JsonFormError& e) {
    std::fprintf(stderr, "velmora call: %s\n", e.what());
    return 2;
  }
}

}  // namespace

int runCall(CommandArgs args) {
  if (args.empty()) {
    std::fputs("velmora call: which member? ('velmora call --help' tells more)\n", stderr);
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (args[0] == "-") {
    if (args.size() > 1) {
      std::fputs("velmora call: '-' takes no further arguments\n", stderr);
      return 2;
    }
    return runStream();
  }
  std::string pictureOut;
  if (args[0] == "--picture-out") {
    if (args.size() < 3) {
      std::fputs("velmora call: --picture-out needs a FILE and a MEMBER\n", stderr);
      return 2;
    }
    pictureOut = std::string(args[1]);
    args = args.subspan(2);
  }
  return runOne(args, pictureOut);
}

}  // namespace velmora::tool
