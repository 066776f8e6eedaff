// Registers KZProperty and KZProperties with the ClassRegistry, so that they
// can be created by ProgID and re-created from persisted bytes.
#pragma once

namespace velmora::properties {

void registerPropertyClasses();

}  // namespace velmora::properties
