#include "registry/settings_file.h"

#include <memory>

#include <utility>
#include <vector>
#include "platform/registry_path.h"

namespace velmora::registry {
namespace {

constexpr std::string_view kHeader = "# CommonVelmora settings 1\n";

// Length of the valid UTF-8 sequence of two or more bytes at `s[0]`, or 0.
std::size_t utf8SequenceLength(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (s.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

void appendQuoted(std::string_view bytes, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '"';
  for (std::size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x80) {
      if (const std::size_t n = utf8SequenceLength(bytes.substr(i)); n > 0) {
        out.append(bytes.substr(i, n));
        i += n;
        continue;
      }
    }
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  out += '"';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted text at the start of `line` into `out` and drops it from
// `line`; false when it is malformed.
bool takeQuoted(std::string_view& line, std::string& out) {
  out.clear();
  if (line.empty() || line[0] != '"') return false;
  std::size_t i = 1;
  for (; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] != '\\') {
      out += line[i];
      continue;
    }
    if (++i == line.size()) return false;
    switch (line[i]) {
      case '\\':
        out += '\\';
        break;
      case '"':
        out += '"';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'x': {
        const int hi = i + 2 < line.size() ? hexValue(line[i + 1]) : -1;
        const int lo = hi >= 0 ? hexValue(line[i + 2]) : -1;
        if (lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  if (i == line.size()) return false;  // no closing quote
  line.remove_prefix(i + 1);
  return true;
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

std::int32_t exportKey(RegistryStore& store, const std::string& path, std::string& out) {
  std::unique_ptr<RegistryKey> key;
  if (const std::int32_t code = store.openKey(path, key); code != regcode::kSuccess) return code;
  out += '[';
  appendQuoted(path, out);
  out += "]\n";
  std::string_view valueName, data;
  std::int32_t code = regcode::kSuccess;
  for (std::uint32_t i = 0; (code = key->enumValue(i, SIZE_MAX, SIZE_MAX, valueName, data)) == 0;
       ++i) {
    appendQuoted(valueName, out);
    out += " = ";
    appendQuoted(data, out);
    out += '\n';
  }
  if (code != regcode::kNoMoreItems) return code;
  out += '\n';
  std::string name;
  for (std::uint32_t i = 0; (code = key->enumSubKey(i, name)) == 0; ++i) {
    const std::int32_t sub = exportKey(store, path.empty() ? name : path + "\\" + name, out);
    if (sub != regcode::kSuccess) return sub;
  }
  return code == regcode::kNoMoreItems ? regcode::kSuccess : code;
}

}  // namespace

std::int32_t exportSettings(RegistryStore& store, std::string_view regKey, std::string& out) {
  if (out.empty()) out = kHeader;
  return exportKey(store, std::string(trimKeyPath(regKey)), out);
}

bool parseSettings(std::string_view text, std::vector<SettingsKey>& keys, std::string& error) {
  keys.clear();
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = trimBlanks(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNumber;
    if (line.empty() || line[0] == '#') continue;
    const auto fail = [&](std::string_view what) {
      error = "line " + std::to_string(lineNumber) + ": " + std::string(what);
      return false;
    };
    if (line[0] == '[') {
      line.remove_prefix(1);
      SettingsKey entry;
      if (!takeQuoted(line, entry.path) || trimBlanks(line) != "]") {
        return fail("expected [\"key path\"]");
      }
      keys.push_back(std::move(entry));
      continue;
    }
    if (keys.empty()) return fail("a value before the first [\"key path\"]");
    std::string name, data;
    if (!takeQuoted(line, name)) return fail("expected \"name\" = \"data\"");
    line = trimBlanks(line);
    if (line.empty() || line[0] != '=') return fail("expected = after the name");
    line = trimBlanks(line.substr(1));
    if (!takeQuoted(line, data) || !trimBlanks(line).empty()) return fail("expected \"data\"");
    keys.back().values.emplace_back(std::move(name), std::move(data));
  }
  return true;
}

std::int32_t importSettings(RegistryStore& store, std::string_view text, std::string& error) {
  std::vector<SettingsKey> keys;
  if (!parseSettings(text, keys, error)) return regcode::kInvalidParameter;
  for (const SettingsKey& entry : keys) {
    std::unique_ptr<RegistryKey> key;
    bool created = false;
    std::int32_t code = store.createKey(entry.path, key, created);
    for (auto it = entry.values.begin(); code == regcode::kSuccess && it != entry.values.end();
         ++it) {
      code = key->setStringValue(it->first, it->second);
    }
    if (code != regcode::kSuccess) {
      error = "key \"" + entry.path + "\": " + std::string(resultCodeText(code));
      return code;
    }
  }
  return regcode::kSuccess;
}

}  // namespace velmora::registry

namespace velmora {

std::string quotedSettingText(std::string_view bytes) {
  std::string out;
  registry::appendQuoted(bytes, out);
  return out;
}

std::string settingsStorePath() { return userRegistryStore().location(); }

std::string settingsStoreProblem() { return userRegistryStore().problem(); }

std::int32_t exportSettings(std::string_view regKey, std::string& out) {
  return registry::exportSettings(userRegistryStore(), regKey, out);
}

std::int32_t importSettings(std::string_view text, std::string& error) {
  return registry::importSettings(userRegistryStore(), text, error);
}

}  // namespace velmora
