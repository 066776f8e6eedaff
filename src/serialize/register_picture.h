// Registers Picture with the ClassRegistry, so that pictures can be created
// by ProgID and re-created from persisted bytes.
#pragma once

namespace velmora::serialize {

void registerPictureClass();

}  // namespace velmora::serialize
