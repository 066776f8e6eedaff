// A day of a suite application, as a client sees the library: only the
// public headers and the shared library. It runs on a fresh machine with no
// set-up: settings go to the user's default store ($VELMORA_REGISTRY
// overrides it), logs to the user's log folder. Windows and the clipboard
// are used only when a display is present; without one the steps say so.
#include <commonvelmora/commonvelmora.h>
#include <commonvelmora/picture.h>
#include <commonvelmora/reference_grid.h>
#include <commonvelmora/settings.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace velmora;

void step(const char* title) { std::printf("\n== %s\n", title); }

void show(const char* what, const std::string& value) {
  std::printf("  %-26s %s\n", what, value.c_str());
}

std::string yesNo(bool value) { return value ? "True" : "False"; }

// The same test the library makes before it opens a window: Qt would end
// the process if it tried to reach a display that is not there.
bool displayPresent() {
  return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

// An 8 by 8 PNG, as a client would read one from its database or a file.
const std::vector<std::uint8_t> kLogoPng = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x08, 0x08, 0x02, 0x00, 0x00, 0x00, 0x4b, 0x6d, 0x29,
    0xdc, 0x00, 0x00, 0x00, 0x6d, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x15, 0xce, 0x51, 0x11, 0x00,
    0x51, 0x08, 0x42, 0x51, 0xa3, 0x18, 0x85, 0x28, 0x44, 0x31, 0xca, 0x8d, 0x42, 0x14, 0xa2, 0xec,
    0x5b, 0x3f, 0x39, 0x0c, 0xe3, 0xcc, 0xb0, 0x83, 0x06, 0x0f, 0x37, 0x30, 0x64, 0xe8, 0x30, 0xb3,
    0xec, 0xa2, 0xc5, 0xcb, 0x2d, 0x2c, 0x59, 0xba, 0x0f, 0xc4, 0x0a, 0x09, 0x8b, 0x13, 0x88, 0x88,
    0xea, 0x81, 0x59, 0x23, 0x63, 0x73, 0x06, 0x13, 0x53, 0x3f, 0x38, 0xf6, 0xd0, 0xe1, 0xe3, 0x0e,
    0x8e, 0x1c, 0xbd, 0x07, 0xff, 0xec, 0x1b, 0x78, 0xd5, 0x17, 0xfe, 0x17, 0xe8, 0x7b, 0x62, 0xc2,
    0x06, 0x05, 0x87, 0xcb, 0x1f, 0x27, 0x34, 0x0f, 0xca, 0x16, 0x15, 0x97, 0xeb, 0x5f, 0x4e, 0x69,
    0xf9, 0x00, 0xde, 0xa8, 0x60, 0x01, 0xb4, 0x9b, 0xb4, 0x6d, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45,
    0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

// The order book grid of the dealing desk, in the description format the
// command-line tool reads too.
constexpr const char* kOrdersGrid = R"(grid groupbybox=true
column Instrument width=1800
column Side width=700
column Price caption="Unit price" width=1100 format=0.00 sorttype=2
column Qty caption=Quantity width=900 sorttype=2
group Side
row EURUSD Buy 1.0842 250000
row GBPUSD Sell 1.2705 100000
row EURUSD Sell 1.0845 50000
)";

void settings(Work& work, const std::string& root) {
  step("Settings");
  show("Store", settingsStorePath());
  const std::string key = root + "Demo Client\\Main Window";
  std::int32_t code = 0;
  const Variant width = work.ReadRegistryValue(key, "Width", code, Variant(800));
  show("Width (default 800)", toText(width) + "  (ErrorCode " + std::to_string(code) + ")");
  const std::int32_t written = work.SetRegistryValue(key, "LastRun", Variant("today"));
  show("SetRegistryValue LastRun",
       "ErrorCode " + std::to_string(written) + " (" + std::string(resultCodeText(written)) + ")");
}

void logging(Work& work) {
  step("Log");
  work.AppNumber(akDealingDesk);
  show("AppNumber",
       std::to_string(work.AppNumber()) + "  " + work.AppDescription(work.AppNumber()));
  show("Log file", work.LogFileName());
  show("StoreMessageToLog", yesNo(work.StoreMessageToLog("Demo client started")));
  show("StoreErrorToLog", yesNo(work.StoreErrorToLog(53, "File not found")));
  show("GetStringDescription",
       work.GetStringDescription("%0 of %1 orders filled",
                                 SafeArray::ofVariants({Variant(5), Variant(7)})));
}

void propertyTree(Work& work) {
  step("Property tree");
  auto tree = std::dynamic_pointer_cast<KZProperties>(work.GetKZProperties());
  auto columns = std::dynamic_pointer_cast<KZProperties>(work.GetKZProperties());
  if (!tree || !columns) {
    show("GetKZProperties", "(nothing)");
    return;
  }
  columns->Add("Price", Variant(120));
  columns->Add("Volume", Variant(80), true);
  columns->Add("Side", Variant(60));
  tree->Add("Columns", Variant(columns));
  tree->Add("Title", Variant("Dealing desk"));
  const auto found = tree->Find("Columns\\Volume");
  show("Find(Columns\\Volume)", found ? toText(found->Value()) : "(nothing)");
  columns->MoveUp(Variant("Side"));
  show("MoveUp(Side) -> index", std::to_string(columns->ItemIndex("Side")));
  const auto copy = tree->Clone();
  show("Clone: Count", std::to_string(copy->Count()));
  PropertyBag bag;
  bag.writeProperty("Properties", Variant(tree));
  show("Persisted", std::to_string(bag.contents().size()) + " bytes");
  ObjectRef treeRef = tree;
  const Variant bytes = work.GetObjectData(treeRef);
  if (bytes.isArray()) {
    SafeArray array = bytes.array();
    const ObjectRef back = work.GetDataObject(array);
    auto restored = std::dynamic_pointer_cast<KZProperties>(back);
    show("GetObjectData and back", restored ? std::to_string(restored->Count()) + " entries, " +
                                                  toText(restored->Find("Title")->Value())
                                            : "(nothing)");
  }
}

void grid(Work& work, const std::string& root) {
  step("Grid layout");
  auto orders = loadGridDescription(kOrdersGrid);
  ObjectRef gridRef = orders;
  const std::string key = root + "Demo Client\\Orders Grid";
  work.SaveGridSetting(gridRef, key);
  show("SaveGridSetting", key);
  // The user drags Qty to the front and narrows it; the next start restores
  // what was saved.
  GridColumn* qty = orders->findColumn("Qty");
  orders->moveColumn(*qty, 1);
  qty->width = 400;
  work.RestoreGridSetting(gridRef, key);
  show("RestoreGridSetting", "first column " + orders->displayOrder().front()->key() +
                                 ", Qty width " + std::to_string(qty->width));
  ObjectRef price = orders->get("Columns", {Variant("Price")}).object();
  work.ChangeSorting(1, gridRef, price);
  show("ChangeSorting(Price)", std::to_string(orders->sortKeys().count()) + " sort key(s), " +
                                   std::to_string(orders->groups().count()) + " group(s)");
  std::printf("%s", orders->GetClipString(true).c_str());
  if (displayPresent()) {
    show("GridToClip", yesNo(work.GridToClip(gridRef, true)));
  } else {
    show("GridToClip", "skipped: no display for a clipboard");
  }

  step("Call by name");
  Variant text;
  SafeArray args = SafeArray::ofVariants({Variant(false)});
  const bool called = work.ExecMetodLet(gridRef, "GetClipString", text, args);
  // The grid's own text without headings: one line per row, cells by tabs.
  const std::string rows = toText(text);
  std::size_t lines = 0;
  for (std::size_t at = rows.find("\r\n"); at != std::string::npos; at = rows.find("\r\n", at + 2))
    ++lines;
  std::string first = rows.substr(0, rows.find("\r\n"));
  for (char& c : first) c = c == '\t' ? ' ' : c;
  show("ExecMetodLet GetClipString",
       yesNo(called) + ", " + std::to_string(lines) + " rows, the first \"" + first + "\"");
}

void picture(Work& work) {
  step("Picture");
  ObjectRef logo = Picture::fromBytes(kLogoPng);
  show("Width x Height (HIMETRIC)",
       toText(logo->get("Width")) + " x " + toText(logo->get("Height")));
  const Variant bytes = work.GetImageData(logo);
  if (!bytes.isArray()) {
    show("GetImageData", "(no bytes)");
    return;
  }
  SafeArray array = bytes.array();
  show("GetImageData", std::to_string(array.bytes().size()) + " bytes");
  const ObjectRef back = work.GetDataImage(array);
  show("GetDataImage", back ? "a picture, handle " + toText(back->get("Handle")) : "(nothing)");
}

void message(Work& work) {
  step("Message window");
  if (!displayPresent()) {
    show("MsgActivate", "skipped: no display");
    return;
  }
  // A query message: the other icons are logged through the suite's delegate
  // component before the window shows, and without that component installed
  // the window would end unseen with 0.
  const msgButton_Enum button =
      work.MsgActivate("The demo client has finished its day. Close it?", msgQuery, 1, msgOK);
  show("MsgActivate", "button " + std::to_string(button));
}

}  // namespace

int main() {
  try {
    initializeLibrary();
    Work work;
    std::printf("CommonVelmora %s demo client\n", libraryVersion());
    const std::string root = work.RegestryString();
    show("RegestryString", root);
    settings(work, root);
    logging(work);
    propertyTree(work);
    grid(work, root);
    picture(work);
    message(work);
    step("Where the data went");
    show("Settings store", settingsStorePath());
    show("Log file", work.LogFileName());
  } catch (const AutomationError& e) {
    std::fprintf(stderr, "error %d: %s\n", e.number(), e.description().c_str());
    return 1;
  }
  return 0;
}
