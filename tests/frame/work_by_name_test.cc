// Work reached by name: the kind of call, conversions of arguments, omitted
// arguments, and the classes its factories create.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/identifiers.h>
#include <commonvelmora/work.h>

#include <vector>

#include "frame/frame_fixture.h"
#include "properties/register_classes.h"

namespace velmora::frame::testing {
namespace {

class WorkByNameTest : public FrameTest {};

TEST_F(WorkByNameTest, KindsAndNamesResolveAsForAScriptClient) {
  Work work;
  const CallKind either = CallKind::Method | CallKind::Get;
  EXPECT_EQ(work.invoke("regestrystring", either, {}), Variant("Software\\Velmora, Ltd.\\"));
  // A property that can only be assigned cannot be read, and the reverse.
  EXPECT_EQ(errorOf([&] { work.invoke("MaxLogFile", either, {}); }), err::kNoSuchMember);
  std::vector<Variant> value{Variant("x")};
  EXPECT_EQ(errorOf([&] { work.invoke("RegestryString", CallKind::Let, value); }),
            err::kNoSuchMember);
  EXPECT_EQ(errorOf([&] { work.invoke("NoSuchMember", either, {}); }), err::kNoSuchMember);
  EXPECT_EQ(errorOf([&] { CommonInfo().invoke("AnyThing", either, {}); }), err::kNoSuchMember);
}

TEST_F(WorkByNameTest, ArgumentsAreConvertedToTheDeclaredTypes) {
  Work work;
  std::vector<Variant> args{Variant("1005")};  // text that reads as a number
  work.invoke("AppNumber", CallKind::Let, args);
  EXPECT_EQ(work.invoke("AppNumber", CallKind::Get, {}), Variant(std::int32_t{1005}));

  std::vector<Variant> text{Variant("not a number")};
  EXPECT_EQ(errorOf([&] { work.invoke("AppNumber", CallKind::Let, text); }), err::kTypeMismatch);
  std::vector<Variant> null{Variant::null()};
  EXPECT_EQ(errorOf([&] { work.invoke("StoreMessageToLog", CallKind::Method, null); }),
            err::kInvalidUseOfNull);
  // An array argument must be an array; a member that never fails still
  // cannot be handed something else.
  for (const char* member : {"CheckArray", "GetImageData"}) {
    std::vector<Variant> three{Variant(std::int32_t{3})};
    EXPECT_EQ(errorOf([&] { work.invoke(member, CallKind::Method, three); }), err::kTypeMismatch);
  }
}

TEST_F(WorkByNameTest, OmittedArgumentsTakeDefaultsOrStayMissing) {
  Work work;
  // GetStringDescription forwards an omitted Arguments as missing: the
  // template comes back unchanged. The empty value is an argument and fills
  // %0 with "".
  for (const auto& [args, filled] : std::vector<std::pair<std::vector<Variant>, const char*>>{
           {{Variant("A%0B")}, "A%0B"},
           {{Variant("A%0B"), Variant::missing()}, "A%0B"},
           {{Variant("A%0B"), Variant()}, "AB"}}) {
    std::vector<Variant> passed = args;
    EXPECT_EQ(work.invoke("GetStringDescription", CallKind::Method, passed), Variant(filled));
  }
  EXPECT_EQ(work.GetStringDescription("A%0B"), "A%0B");
}

TEST_F(WorkByNameTest, AFactoryWithNothingRegisteredGivesNothing) {
  Work work;
  // Nothing registered under the ProgID: nothing, never an error.
  ClassRegistry::instance().remove(ids::kKZPropertyProgId);
  EXPECT_TRUE(work.invoke("GetKZProperty", CallKind::Method, {}).isNothing());
  properties::registerPropertyClasses();
}

}  // namespace
}  // namespace velmora::frame::testing
