#include "platform/sqlite/read_cache.h"

#include <algorithm>

namespace velmora::sqlite {

void ReadCache::checked(std::int64_t version) {
  if (checked_ && version == version_) return;
  keyIds_.clear();
  values_.clear();
  chunks_.clear();
  version_ = version;
  checked_ = true;
}

void ReadCache::forget() {
  keyIds_.clear();
  values_.clear();
  chunks_.clear();
  checked_ = false;
}

void ReadCache::forgetValues() {
  values_.clear();
  chunks_.clear();
}

const std::int64_t* ReadCache::keyId(std::string_view foldedPath) const {
  const auto found = std::find_if(keyIds_.begin(), keyIds_.end(),
                                  [&](const auto& entry) { return entry.first == foldedPath; });
  return found == keyIds_.end() ? nullptr : &found->second;
}

void ReadCache::addKeyId(std::string_view foldedPath, std::int64_t id) {
  if (!checked_ || keyId(foldedPath) != nullptr) return;
  if (keyIds_.size() == kMaxKeys) keyIds_.erase(keyIds_.begin());
  keyIds_.emplace_back(std::string(foldedPath), id);
}

const ValueLookup* ReadCache::value(std::string_view foldedPath,
                                    std::string_view foldedName) const {
  const auto found = std::find_if(values_.begin(), values_.end(), [&](const ValueEntry& entry) {
    return entry.foldedName == foldedName && entry.foldedPath == foldedPath;
  });
  return found == values_.end() ? nullptr : &found->lookup;
}

void ReadCache::addValue(std::string_view foldedPath, std::string_view foldedName,
                         ValueLookup lookup) {
  if (!checked_ || lookup.data.size() > kMaxValueBytes ||
      value(foldedPath, foldedName) != nullptr) {
    return;
  }
  if (values_.size() == kMaxValues) values_.erase(values_.begin());
  values_.push_back({std::string(foldedPath), std::string(foldedName), std::move(lookup)});
}

std::shared_ptr<const ValueChunk> ReadCache::firstChunk(std::int64_t keyId) const {
  const auto found = std::find_if(chunks_.begin(), chunks_.end(),
                                  [&](const auto& entry) { return entry.first == keyId; });
  return found == chunks_.end() ? nullptr : found->second;
}

void ReadCache::addFirstChunk(std::int64_t keyId, std::shared_ptr<const ValueChunk> chunk) {
  if (!checked_ || chunk->bytes.size() > kMaxChunkBytes) return;
  const auto found = std::find_if(chunks_.begin(), chunks_.end(),
                                  [&](const auto& entry) { return entry.first == keyId; });
  if (found != chunks_.end()) {
    found->second = std::move(chunk);
    return;
  }
  if (chunks_.size() == kMaxChunks) chunks_.erase(chunks_.begin());
  chunks_.emplace_back(keyId, std::move(chunk));
}

}  // namespace velmora::sqlite
