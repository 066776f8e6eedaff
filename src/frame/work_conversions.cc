// The Work members that turn pictures and objects into byte arrays and back.
// They never fail: the conversions skip every failing step themselves.
#include <commonvelmora/picture.h>
#include <commonvelmora/work.h>

namespace velmora {

Variant Work::GetImageData(ObjectRef& ImageObj) { return conversions::GetImageData(ImageObj); }

ObjectRef Work::GetDataImage(SafeArray& DatRec) {
  return conversions::GetDataImage(DatRec.bytes());
}

Variant Work::GetObjectData(ObjectRef& ImageObj) { return conversions::GetObjectData(ImageObj); }

ObjectRef Work::GetDataObject(SafeArray& DatRec) {
  return conversions::GetDataObject(DatRec.bytes());
}

Variant Work::GetArrayByPicture(ObjectRef ImageObj) {
  return conversions::GetArrayByPicture(ImageObj);
}

ObjectRef Work::GetPictureByArray(SafeArray& DatRec) {
  return conversions::GetPictureByArray(DatRec.bytes());
}

}  // namespace velmora
