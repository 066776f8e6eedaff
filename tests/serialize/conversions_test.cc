#include <commonvelmora/class_registry.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/picture.h>
#include <commonvelmora/property_bag.h>
#include <commonvelmora/work.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/error_of.h"
#include "support/plain_object.h"
#include "support/tool_process.h"

namespace velmora {
namespace {

const std::string kFixtures = std::string(VELMORA_TEST_SOURCE_DIR) + "/serialize/fixtures/";

std::vector<std::uint8_t> readFile(const std::string& path) {
  const std::string bytes = test_support::readFile(path);
  return {bytes.begin(), bytes.end()};
}

// The bytes a conversion returned; fails the test for any other result.
SafeArray bytesOf(const Variant& v) {
  EXPECT_TRUE(v.isArray());
  return v.isArray() ? v.array() : SafeArray::ofBytes({});
}

std::shared_ptr<KZProperties> sampleTree() {
  auto root = KZProperties::create();
  root->Add("Name", Variant("Orders"));
  auto columns = KZProperties::create();
  columns->Add("Width", Variant(std::int32_t{120}));
  root->Add("Columns", Variant(columns));
  return root;
}

class ConversionsTest : public ::testing::Test {
 protected:
  void SetUp() override { initializeLibrary(); }
  Work work;
};

TEST_F(ConversionsTest, FourFormatsLoadWithSizeInHimetricAndKeepTheirBytes) {
  for (const char* name : {"image.png", "image.jpg", "image.bmp", "image.gif"}) {
    SCOPED_TRACE(name);
    auto picture = Picture::fromFile(kFixtures + name);
    EXPECT_NE(picture->handle(), 0);
    EXPECT_EQ(picture->type(), Picture::kTypeBitmap);
    EXPECT_EQ(picture->bytes(), readFile(kFixtures + name));
    EXPECT_TRUE(picture->decode());
    const bool gif = std::string(name) == "image.gif";
    EXPECT_EQ(toInt32(picture->get("Width")), gif ? 106 : 423);  // 4 or 16 px at 96 per inch
    EXPECT_EQ(toInt32(picture->get("Height")), gif ? 53 : 212);
  }
  EXPECT_EQ(Picture::create()->get("Handle"), Variant(std::int32_t{0}));
  // A header claiming 100,000 x 100,000 pixels is refused from the header.
  EXPECT_EQ(test_support::errorOf([] { Picture::fromFile(kFixtures + "huge.png"); }),
            Picture::kInvalidPicture);
}

TEST_F(ConversionsTest, PicturePairReadsBackTheSameBytesAndRefusesOthers) {
  ObjectRef picture = Picture::fromFile(kFixtures + "image.png");
  SafeArray data = bytesOf(work.GetImageData(picture));
  auto back = std::dynamic_pointer_cast<Picture>(work.GetDataImage(data));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->bytes(), std::dynamic_pointer_cast<Picture>(picture)->bytes());

  ObjectRef nothing, empty = Picture::create(), tree = sampleTree();
  EXPECT_TRUE(work.GetImageData(nothing).isEmpty());
  EXPECT_TRUE(work.GetImageData(empty).isEmpty());
  EXPECT_TRUE(work.GetImageData(tree).isEmpty());  // no Handle to read
  SafeArray none = SafeArray::ofBytes({}), junk = SafeArray::ofBytes({1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_EQ(work.GetDataImage(none), nullptr);
  EXPECT_EQ(work.GetDataImage(junk), nullptr);
  // No pair reads another's bytes.
  EXPECT_EQ(work.GetPictureByArray(data), nullptr);
  EXPECT_EQ(work.GetDataObject(data), nullptr);
}

TEST_F(ConversionsTest, FailureResults) {
  ObjectRef nothing;
  EXPECT_TRUE(work.GetObjectData(nothing).isEmpty());
  ObjectRef unpersistable = std::make_shared<Work>();
  EXPECT_TRUE(work.GetObjectData(unpersistable).isNull());
  SafeArray emptyBag = bytesOf(work.GetArrayByPicture(nothing));
  EXPECT_EQ(bytesOf(work.GetArrayByPicture(unpersistable)), emptyBag);
  EXPECT_EQ(work.GetPictureByArray(emptyBag), nullptr);
}

// An object may keep the bag it is read from; that bag then outlives the
// caller's bytes it was read out of.
class Keeper : public test_support::PlainObject {
 public:
  static constexpr const char* kProgId = "Test.Keeper";
  std::unique_ptr<PropertyBag> kept;
  std::string_view progId() const override { return kProgId; }
  void writeProperties(PropertyBag& bag) override {
    bag.writeProperty("Name", std::string("kept"));
    bag.writeProperty("Data", SafeArray::ofBytes({1, 2, 3}));
  }
  void readProperties(PropertyBag& bag) override {
    kept = std::make_unique<PropertyBag>(std::move(bag));
  }
};

TEST_F(ConversionsTest, AKeptBagOutlivesTheBytesItWasReadFrom) {
  ClassRegistry::instance().add(Keeper::kProgId, [] { return std::make_shared<Keeper>(); });
  ObjectRef original = std::make_shared<Keeper>();
  for (const bool objectPair : {true, false}) {
    SCOPED_TRACE(objectPair ? "object pair" : "bag pair");
    auto bytes = std::make_unique<SafeArray>(
        bytesOf(objectPair ? work.GetObjectData(original) : work.GetArrayByPicture(original)));
    auto back = std::dynamic_pointer_cast<Keeper>(objectPair ? work.GetDataObject(*bytes)
                                                             : work.GetPictureByArray(*bytes));
    ASSERT_TRUE(back != nullptr && back->kept != nullptr);
    std::fill(bytes->bytes().begin(), bytes->bytes().end(), std::uint8_t{0xee});
    bytes.reset();
    EXPECT_EQ(back->kept->names(), (std::vector<std::string>{"Name", "Data"}));
    EXPECT_EQ(back->kept->readProperty("Name"), Variant("kept"));
    EXPECT_EQ(back->kept->readProperty("Data"), Variant(SafeArray::ofBytes({1, 2, 3})));
  }
  ClassRegistry::instance().remove(Keeper::kProgId);
}

// Bytes written by the first build of these layouts; every later build must
// read them. Set VELMORA_WRITE_FIXTURES=1 once to make them for a new version.
TEST_F(ConversionsTest, StoredFixturesStillLoad) {
  ObjectRef png = Picture::fromFile(kFixtures + "image.png");
  ObjectRef tree = sampleTree();
  const std::vector<std::pair<std::string, Variant>> made = {
      {"picture_v1.bin", work.GetImageData(png)},
      {"object_v1.bin", work.GetObjectData(tree)},
      {"bag_v1.bin", work.GetArrayByPicture(png)}};
  if (std::getenv("VELMORA_WRITE_FIXTURES") != nullptr) {
    for (const auto& [name, bytes] : made) {
      std::ofstream(kFixtures + name, std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.array().bytes().data()),
                 static_cast<std::streamsize>(bytes.array().bytes().size()));
    }
  }
  SafeArray picture = SafeArray::ofBytes(readFile(kFixtures + "picture_v1.bin"));
  SafeArray object = SafeArray::ofBytes(readFile(kFixtures + "object_v1.bin"));
  SafeArray bag = SafeArray::ofBytes(readFile(kFixtures + "bag_v1.bin"));
  auto fromPicture = std::dynamic_pointer_cast<Picture>(work.GetDataImage(picture));
  ASSERT_NE(fromPicture, nullptr);
  EXPECT_EQ(fromPicture->bytes(), readFile(kFixtures + "image.png"));
  ObjectRef fromObject = work.GetDataObject(object);
  ASSERT_NE(fromObject, nullptr);
  EXPECT_EQ(bytesOf(work.GetArrayByPicture(fromObject)), bytesOf(work.GetArrayByPicture(tree)));
  auto fromBag = std::dynamic_pointer_cast<Picture>(work.GetPictureByArray(bag));
  ASSERT_NE(fromBag, nullptr);
  EXPECT_EQ(fromBag->bytes(), readFile(kFixtures + "image.png"));
}

TEST_F(ConversionsTest, ToolTakesAPictureFromAFileAndWritesOneBack) {
  using test_support::runVelmora;
  const auto bag =
      runVelmora("call GetArrayByPicture '{\"$picture\":\"" + kFixtures + "image.gif\"}'");
  ASSERT_EQ(bag.status, 0) << bag.out;
  const std::string base64 = nlohmann::json::parse(bag.out)["result"]["$bytes"];
  const std::string out = ::testing::TempDir() + "velmora_picture_out.gif";
  const auto back = runVelmora("call --picture-out '" + out +
                               "' GetPictureByArray '{\"$bytes\":\"" + base64 + "\"}'");
  ASSERT_EQ(back.status, 0) << back.out;
  EXPECT_EQ(readFile(out), readFile(kFixtures + "image.gif"));
  EXPECT_EQ(runVelmora("call --picture-out '" + out + "' AppDescription 1000").status, 2);
}

}  // namespace
}  // namespace velmora
