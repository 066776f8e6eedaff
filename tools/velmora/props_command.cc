// velmora props: look into persisted property trees.
//
// A tree file is the raw contents (PropertyBag::contents()) of a property bag
// holding one KZProperties under the entry "Properties": what a client gets
// by writing its tree into a fresh bag and saving the bag's bytes.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/property_bag.h>
#include <commonvelmora/work.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "commands.h"

namespace velmora::tool {

namespace {

constexpr const char* kPropsUsage =
    "usage: velmora props show FILE\n"
    "       velmora props find FILE PATH [--delimiter D] [--ex]\n"
    "       velmora props demo FILE\n"
    "\n"
    "  show   print the tree stored in FILE, one property a line, inner\n"
    "         collections indented below the property that holds them\n"
    "  find   print the property at PATH (names separated by D, default \"\\\"),\n"
    "         and its subtree; with --ex a segment that reads as a number is a\n"
    "         1-based position\n"
    "  demo   write a small sample tree to FILE\n"
    "\n"
    "FILE holds the bytes of a property bag with the tree under the entry\n"
    "\"Properties\" (the library's own bag format).\n"
    "\n"
    "Exit status: 0 done; 1 FILE unreadable or unwritable, or no property at PATH;\n"
    "2 bad usage; 3 FILE is no valid property bag or holds no tree.\n";

constexpr std::string_view kTreeEntry = "Properties";

int usageError(const std::string& message) {
  std::fprintf(stderr, "velmora props: %s\n(see 'velmora props --help')\n", message.c_str());
  return 2;
}

bool isHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

bool readFile(const std::string& path, std::vector<std::uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// Loads the tree; prints the reason and gives the exit status on failure.
int loadTree(const std::string& path, std::shared_ptr<KZProperties>& tree) {
  std::vector<std::uint8_t> bytes;
  if (!readFile(path, bytes)) {
    std::fprintf(stderr, "velmora props: cannot read '%s'\n", path.c_str());
    return 1;
  }
  try {
    PropertyBag bag;
    bag.setContents(bytes);
    tree = std::dynamic_pointer_cast<KZProperties>(toObject(bag.readProperty(kTreeEntry)));
  } catch (const AutomationError& e) {
    std::fprintf(stderr, "velmora props: '%s': error %d: %s\n", path.c_str(), e.number(),
                 e.description().c_str());
    return 3;
  }
  if (!tree) {
    std::fprintf(stderr, "velmora props: '%s' holds no property tree\n", path.c_str());
    return 3;
  }
  return 0;
}

std::string describe(const Variant& value) {
  if (value.isEmpty()) return "(empty)";
  if (value.isNull()) return "Null";
  if (value.isText()) return "\"" + value.text() + "\"";
  if (value.isObject()) {
    if (value.isNothing()) return "Nothing";
    if (auto* c = dynamic_cast<KZProperties*>(value.object().get())) {
      return "[" + std::to_string(c->Count()) + (c->Count() == 1 ? " item]" : " items]");
    }
    return "<" + typeName(value) + ">";
  }
  try {
    return toText(value) + " (" + typeName(value) + ")";
  } catch (const AutomationError&) {
    return "<" + typeName(value) + ">";
  }
}

void printLine(const KZProperty& p, std::size_t depth) {
  std::string line(2 * depth, ' ');
  line += p.Name();
  line += " = ";
  line += describe(p.valueRef());
  if (p.ReadOnly()) line += "  read-only";
  std::puts(line.c_str());
}

// Prints `top` (when given) and every collection below it, depth first
// with an explicit stack: stored trees can be hundreds of levels deep.
void printTree(const KZProperty* top, const KZProperties* collection) {
  struct Frame {
    const KZProperties* collection;
    std::int32_t next;
    std::size_t depth;
  };
  std::vector<Frame> stack;
  std::size_t base = 0;
  if (top != nullptr) {
    printLine(*top, 0);
    base = 1;
  }
  if (collection != nullptr) stack.push_back({collection, 1, base});
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next > f.collection->Count()) {
      stack.pop_back();
      continue;
    }
    auto p = f.collection->Properties(Variant(f.next++));
    const std::size_t depth = f.depth;
    if (!p) continue;
    printLine(*p, depth);
    if (auto* inner = dynamic_cast<KZProperties*>(
            p->valueRef().isObject() ? p->valueRef().object().get() : nullptr)) {
      stack.push_back({inner, 1, depth + 1});
    }
  }
}

int runShow(CommandArgs args) {
  if (args.size() != 1) return usageError("show takes one FILE");
  std::shared_ptr<KZProperties> tree;
  if (int status = loadTree(std::string(args[0]), tree)) return status;
  printTree(nullptr, tree.get());
  return 0;
}

int runFind(CommandArgs args) {
  std::vector<std::string_view> positional;
  std::string delimeter(KZProperties::kDefaultDelimeter);
  bool ex = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--ex") {
      ex = true;
    } else if (args[i] == "--delimiter") {
      if (i + 1 >= args.size()) return usageError("--delimiter needs a value");
      delimeter = std::string(args[++i]);
    } else if (args[i].starts_with("--")) {
      return usageError("unknown option '" + std::string(args[i]) + "'");
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2) return usageError("find takes FILE and PATH");
  std::shared_ptr<KZProperties> tree;
  if (int status = loadTree(std::string(positional[0]), tree)) return status;
  const std::string path(positional[1]);
  auto found = ex ? tree->FindEx(path, delimeter) : tree->Find(path, delimeter);
  if (!found) {
    std::fprintf(stderr, "velmora props: no property at '%s'\n", path.c_str());
    return 1;
  }
  auto* inner = dynamic_cast<KZProperties*>(
      found->valueRef().isObject() ? found->valueRef().object().get() : nullptr);
  printTree(found.get(), inner);
  return 0;
}

std::shared_ptr<KZProperties> demoTree() {
  auto root = KZProperties::create();
  auto grid = KZProperties::create();
  auto columns = KZProperties::create();
  columns->Add("Price", Variant(std::int32_t{1200}));
  columns->Add("Qty", Variant(std::int32_t{800}), true);
  columns->Add("Instrument", Variant(std::int32_t{2400}));
  grid->Add("Columns", Variant(columns));
  grid->Add("SortColumn", Variant("Price"));
  grid->Add("Descending", Variant(true));
  root->Add("Grid", Variant(grid));
  root->Add("User", Variant("trader"));
  root->Add("Limit", Variant(Currency{2'500'000'000}));
  root->Add("Opened", Variant(dateFromParts(2026, 1, 15, 9, 30)));
  return root;
}

int runDemo(CommandArgs args) {
  if (args.size() != 1) return usageError("demo takes one FILE");
  PropertyBag bag;
  bag.writeProperty(kTreeEntry, Variant(demoTree()));
  const std::string path(args[0]);
  if (!writeFile(path, bag.contents())) {
    std::fprintf(stderr, "velmora props: cannot write '%s'\n", path.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int runProps(CommandArgs args) {
  if (args.empty()) return usageError("missing subcommand");
  if (isHelp(args[0])) {
    std::fputs(kPropsUsage, stdout);
    return 0;
  }
  for (std::string_view a : args) {
    if (isHelp(a)) {
      std::fputs(kPropsUsage, stdout);
      return 0;
    }
  }
  initializeLibrary();  // registers the property classes
  const std::string_view sub = args[0];
  const CommandArgs rest = args.subspan(1);
  if (sub == "show") return runShow(rest);
  if (sub == "find") return runFind(rest);
  if (sub == "demo") return runDemo(rest);
  return usageError("unknown subcommand '" + std::string(sub) + "'");
}

}  // namespace velmora::tool
