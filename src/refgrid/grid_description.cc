// The grid description text (see reference_grid.h): loading one into a
// reference grid, and writing a grid back as one.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/reference_grid.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

[[noreturn]] void fail(std::size_t line, const std::string& what) {
  throw AutomationError(err::kBadFileFormat, "line " + std::to_string(line) + ": " + what);
}

// Splits a line into words; a quoted word may hold blanks, \" and \\.
std::vector<std::string> splitWords(std::string_view text, std::size_t line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (true) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r')) ++i;
    if (i >= text.size()) return words;
    std::string word;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r') {
      if (text[i] != '"') {
        word.push_back(text[i++]);
        continue;
      }
      for (++i;; ++i) {
        if (i >= text.size()) fail(line, "unterminated quote");
        if (text[i] == '"') break;
        if (text[i] == '\\' && i + 1 < text.size()) ++i;
        word.push_back(text[i]);
      }
      ++i;
    }
    words.push_back(std::move(word));
  }
}

// A "name=value" setting; the name is compared without regard to case.
struct Setting {
  std::string name, value;
};
Setting readSetting(const std::string& word, std::size_t line) {
  const auto eq = word.find('=');
  if (eq == std::string::npos || eq == 0) fail(line, "expected name=value, got '" + word + "'");
  std::string name = word.substr(0, eq);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return {std::move(name), word.substr(eq + 1)};
}

template <class Convert>
auto convertSetting(const Setting& s, std::size_t line, Convert convert) {
  try {
    return convert(Variant(s.value));
  } catch (const AutomationError& e) {
    fail(line, s.name + "=" + s.value + ": " + e.description());
  }
}

GridColumn& columnNamed(ReferenceGrid& grid, const std::string& key, std::size_t line) {
  GridColumn* column = grid.findColumn(key);
  if (column == nullptr) fail(line, "no column '" + key + "'");
  return *column;
}

Variant cellValue(const std::string& text, std::int16_t sortType) {
  try {
    switch (static_cast<SortKind>(sortType)) {
      case SortKind::kNumber:
        return Variant(toDouble(Variant(text)));
      case SortKind::kCurrency:
        return Variant(toCurrency(Variant(text)));
      case SortKind::kDate:
      case SortKind::kDateTime:
        return Variant(toDate(Variant(text)));
      default:
        break;
    }
  } catch (const AutomationError&) {
    // A cell that does not read as its column's kind stays text.
  }
  return Variant(text);
}

std::string quoted(std::string_view text) {
  const bool plain = !text.empty() && text.find_first_of(" \t\r\n\"\\=#") == std::string::npos;
  if (plain) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

}  // namespace

std::shared_ptr<ReferenceGrid> loadGridDescription(std::string_view text) {
  auto grid = ReferenceGrid::create();
  std::vector<std::pair<GridColumn*, std::int32_t>> positions;
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const auto end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const std::vector<std::string> words = splitWords(line, lineNumber);
    if (words.empty() || words[0][0] == '#') continue;
    const std::string& what = words[0];
    if (what == "row") {
      std::vector<Variant> cells;
      for (std::size_t i = 1; i < words.size(); ++i) {
        if (static_cast<std::int32_t>(i) > grid->columnCount()) fail(lineNumber, "too many cells");
        cells.push_back(cellValue(words[i], grid->column(static_cast<std::int32_t>(i)).sortType));
      }
      grid->addRow(std::move(cells));
      continue;
    }
    if (what == "grid") {
      for (std::size_t i = 1; i < words.size(); ++i) {
        const Setting s = readSetting(words[i], lineNumber);
        if (s.name == "groupbybox") {
          grid->groupByBoxVisible = convertSetting(s, lineNumber, toBool);
        } else if (s.name == "view") {
          grid->view = convertSetting(s, lineNumber, toInt32);
        } else {
          fail(lineNumber, "unknown grid setting '" + s.name + "'");
        }
      }
      continue;
    }
    if (words.size() < 2) fail(lineNumber, what + " needs a column key");
    if (what == "column") {
      if (grid->findColumn(words[1]) != nullptr)
        fail(lineNumber, "column '" + words[1] + "' twice");
      GridColumn& column = grid->addColumn(words[1], words[1]);
      for (std::size_t i = 2; i < words.size(); ++i) {
        const Setting s = readSetting(words[i], lineNumber);
        if (s.name == "caption") {
          column.caption = s.value;
        } else if (s.name == "width") {
          column.width = convertSetting(s, lineNumber, toInt32);
        } else if (s.name == "position") {
          positions.emplace_back(&column, convertSetting(s, lineNumber, toInt32));
        } else if (s.name == "visible") {
          column.visible = convertSetting(s, lineNumber, toBool);
        } else if (s.name == "format") {
          column.format = s.value;
        } else if (s.name == "sorttype") {
          column.sortType = convertSetting(s, lineNumber, toInt16);
        } else {
          fail(lineNumber, "unknown column setting '" + s.name + "'");
        }
      }
    } else if (what == "group" || what == "sortkey") {
      GridColumn& column = columnNamed(*grid, words[1], lineNumber);
      std::int16_t order = 1;
      for (std::size_t i = 2; i < words.size(); ++i) {
        const Setting s = readSetting(words[i], lineNumber);
        if (s.name != "order") fail(lineNumber, "unknown " + what + " setting '" + s.name + "'");
        order = convertSetting(s, lineNumber, toInt16);
      }
      GridSortList& list = what == "group" ? grid->groups() : grid->sortKeys();
      try {
        list.add(static_cast<std::int16_t>(column.index()), order);
      } catch (const AutomationError& e) {
        fail(lineNumber, e.description());
      }
    } else {
      fail(lineNumber, "unknown item '" + what + "'");
    }
  }
  // Positions are applied once every column is there, the lowest first, so
  // that each column ends where its line says whatever the lines' order.
  std::stable_sort(positions.begin(), positions.end(),
                   [](const auto& a, const auto& b) { return a.second < b.second; });
  for (const auto& [column, position] : positions) {
    if (position < 1 || position > grid->columnCount()) {
      throw AutomationError(err::kBadFileFormat, "column '" + column->key() + "': position " +
                                                     std::to_string(position) + " outside 1 to " +
                                                     std::to_string(grid->columnCount()));
    }
    grid->moveColumn(*column, position);
  }
  return grid;
}

std::string describeGrid(const ReferenceGrid& grid) {
  std::string out = "grid groupbybox=" + toText(Variant(grid.groupByBoxVisible)) +
                    " view=" + std::to_string(grid.view) + "\n";
  for (std::int32_t i = 1; i <= grid.columnCount(); ++i) {
    const GridColumn& c = grid.column(i);
    out += "column " + quoted(c.key()) + " caption=" + quoted(c.caption) +
           " width=" + std::to_string(c.width) + " position=" + std::to_string(c.colPosition()) +
           " visible=" + toText(Variant(c.visible));
    if (!c.format.empty()) out += " format=" + quoted(c.format);
    if (c.sortType != 0) out += " sorttype=" + std::to_string(c.sortType);
    out += "\n";
  }
  const auto list = [&](const GridSortList& items, const char* what) {
    for (std::int32_t i = 1; i <= items.count(); ++i) {
      const GridSortItem& item = items.item(i);
      const bool known = item.colIndex >= 1 && item.colIndex <= grid.columnCount();
      out += std::string(what) + " " +
             (known ? quoted(grid.column(item.colIndex).key()) : std::to_string(item.colIndex)) +
             " order=" + std::to_string(item.sortOrder) + "\n";
    }
  };
  list(grid.groups(), "group");
  list(grid.sortKeys(), "sortkey");
  return out;
}

}  // namespace velmora
