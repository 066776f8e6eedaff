// The settings store as a whole: where it is, what keeps it from being used,
// its result codes, and moving trees of settings in and out as text. The
// Work members read and write single values and keys; these are for tools
// and clients that back up, inspect or move a user's settings.
#pragma once

#include <commonvelmora/export.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// The result codes of every settings operation (the registry members of
// Work included), with the numbers the Windows registry uses for the same
// cases.
namespace regcode {
inline constexpr std::int32_t kSuccess = 0;
inline constexpr std::int32_t kNotFound = 2;      // no such key or value
inline constexpr std::int32_t kAccessDenied = 5;  // read-only store; key with sub-keys
inline constexpr std::int32_t kNotEnoughMemory = 8;
inline constexpr std::int32_t kInvalidParameter = 87;  // malformed key path or name
inline constexpr std::int32_t kDiskFull = 112;
inline constexpr std::int32_t kBusy = 170;               // another process held the store too long
inline constexpr std::int32_t kMoreData = 234;           // name or data larger than the buffer
inline constexpr std::int32_t kNoMoreItems = 259;        // enumeration past the last item
inline constexpr std::int32_t kBadDatabase = 1009;       // the store file is no store at all
inline constexpr std::int32_t kCantOpen = 1011;          // the store file cannot be opened
inline constexpr std::int32_t kRegistryCorrupt = 1015;   // the store file is damaged
inline constexpr std::int32_t kRegistryIoFailed = 1016;  // reading or writing the file failed
inline constexpr std::int32_t kKeyDeleted = 1018;        // the open key was deleted meanwhile
inline constexpr std::int32_t kNewerStore = 1150;        // the store file is of a later version
}  // namespace regcode

// A short English description of a result code, for messages ("access denied").
VELMORA_EXPORT std::string_view resultCodeText(std::int32_t code);

// The file the calling thread's settings live in ("" when the user has no
// home folder): $VELMORA_REGISTRY, else under $XDG_CONFIG_HOME or ~/.config.
VELMORA_EXPORT std::string settingsStorePath();

// What keeps the store file from being used, in one sentence naming the file
// ("... was written by a newer version of the library ...", "... is not a
// database ..."); "" when it opens, or when the cause passes by itself (a
// busy store). A file that cannot be used is never changed.
VELMORA_EXPORT std::string settingsStoreProblem();

// The text form of a tree of settings, for people to inspect, back up and
// move between machines:
//
//   # CommonVelmora settings 1
//   ["Software\\Velmora, Ltd.\\Trader"]
//   "Left" = "&hA8C"
//   "Caption" = "Цена"
//
// Every key of the tree has its line in brackets (so empty keys come back
// too), followed by its values in their order, name and data exactly as
// stored and quoted: \\, \", \n, \r, \t and \xHH (other control bytes and
// bytes that are not valid UTF-8) are the escapes, so any bytes come back
// exactly. Blank lines and lines starting with # are ignored. The first
// line names the version of the form; readers take it as a comment, so
// every later version must stay readable by these rules (a change they
// could misread needs a new form, not a new number). Fixture texts of each
// version live in tests/registry/fixtures.

// Appends `regKey`, its values and all its sub-keys to `out`. Returns the
// result code; kNotFound when the key does not exist (nothing is created).
VELMORA_EXPORT std::int32_t exportSettings(std::string_view regKey, std::string& out);

// Writes the keys and values of `text`. The whole text is read first: on a
// syntax error nothing is written, `error` tells the line, and the result is
// kInvalidParameter. Otherwise the result is that of the first write that
// fails (the writes before it stay), or kSuccess.
VELMORA_EXPORT std::int32_t importSettings(std::string_view text, std::string& error);

// `bytes` quoted and escaped as the text form writes names and data.
VELMORA_EXPORT std::string quotedSettingText(std::string_view bytes);

}  // namespace velmora
