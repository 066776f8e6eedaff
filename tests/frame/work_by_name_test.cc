// Work reached by name: every member with its argument counts, the kind of
// call, conversions of arguments, and by-reference write-back.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/identifiers.h>
#include <commonvelmora/work.h>

#include <vector>

#include "frame/frame_fixture.h"

namespace velmora::frame::testing {
namespace {

struct Member {
  const char* name;
  CallKind kind;
  int minArgs;
  int maxArgs;
};

constexpr CallKind kMethod = CallKind::Method;
constexpr CallKind kGet = CallKind::Get;
constexpr CallKind kLet = CallKind::Let;

// The 41 members: 37 methods, and get/let of LogFileName and AppNumber,
// RegestryString (get only) and MaxLogFile (let only) counted per kind.
const std::vector<Member> kMembers = {
    {"ReadRegistryValue", kMethod, 3, 4},
    {"ReadAllValue", kMethod, 1, 1},
    {"SetRegistryValue", kMethod, 3, 3},
    {"DeleteRegistryValue", kMethod, 2, 2},
    {"DeleteRegistryKey", kMethod, 1, 1},
    {"SetAllValue", kMethod, 2, 2},
    {"ChangeColumnCaption", kMethod, 1, 1},
    {"ChangeSorting", kMethod, 3, 3},
    {"SaveGridSetting", kMethod, 2, 2},
    {"RestoreGridSetting", kMethod, 2, 2},
    {"SetGridColumnsVisible", kMethod, 1, 2},
    {"RegestryString", kGet, 0, 0},
    {"MsgActivate", kMethod, 1, 8},
    {"LogFileName", kGet, 0, 0},
    {"LogFileName", kLet, 1, 1},
    {"GetLogFileNameByDate", kMethod, 1, 1},
    {"MaxLogFile", kLet, 1, 1},
    {"StoreMessageToLog", kMethod, 1, 1},
    {"StoreErrorToLog", kMethod, 2, 2},
    {"AppNumber", kGet, 0, 0},
    {"AppNumber", kLet, 1, 1},
    {"AppDescription", kMethod, 1, 1},
    {"GetStringDescription", kMethod, 1, 2},
    {"GridToClip", kMethod, 2, 2},
    {"GetImageData", kMethod, 1, 1},
    {"GetDataImage", kMethod, 1, 1},
    {"GetObjectData", kMethod, 1, 1},
    {"GetDataObject", kMethod, 1, 1},
    {"ExecProperty", kMethod, 4, 4},
    {"ReturnProperty", kMethod, 4, 4},
    {"ReturnPropertyObj", kMethod, 4, 4},
    {"ExecMetod", kMethod, 3, 3},
    {"ExecMetodLet", kMethod, 4, 4},
    {"ExecMetodSet", kMethod, 4, 4},
    {"CheckArray", kMethod, 1, 1},
    {"DeleteFile", kMethod, 1, 1},
    {"CheckExistsFile", kMethod, 1, 1},
    {"GetArrayByPicture", kMethod, 1, 1},
    {"GetPictureByArray", kMethod, 1, 1},
    {"GetKZProperties", kMethod, 0, 0},
    {"GetKZProperty", kMethod, 0, 0},
};

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
  EXPECT_EQ(work.typeName(), "Work");

  CommonInfo info;
  EXPECT_EQ(info.typeName(), "CommonInfo");
  EXPECT_EQ(errorOf([&] { info.invoke("AnyThing", either, {}); }), err::kNoSuchMember);
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
  std::vector<Variant> notArray{Variant(std::int32_t{3})};
  EXPECT_EQ(errorOf([&] { work.invoke("CheckArray", CallKind::Method, notArray); }),
            err::kTypeMismatch);
  std::vector<Variant> notObject{Variant(std::int32_t{3})};
  EXPECT_EQ(errorOf([&] { work.invoke("GetImageData", CallKind::Method, notObject); }),
            err::kTypeMismatch);
}

TEST_F(WorkByNameTest, OmittedArgumentsTakeDefaultsOrStayMissing) {
  Work work;
  // GetStringDescription forwards an omitted Arguments as missing: the
  // template comes back unchanged. The empty value is an argument and fills
  // %0 with "".
  std::vector<Variant> templateOnly{Variant("A%0B")};
  EXPECT_EQ(work.invoke("GetStringDescription", CallKind::Method, templateOnly), Variant("A%0B"));
  std::vector<Variant> explicitMissing{Variant("A%0B"), Variant::missing()};
  EXPECT_EQ(work.invoke("GetStringDescription", CallKind::Method, explicitMissing),
            Variant("A%0B"));
  std::vector<Variant> empty{Variant("A%0B"), Variant()};
  EXPECT_EQ(work.invoke("GetStringDescription", CallKind::Method, empty), Variant("AB"));
  EXPECT_EQ(work.GetStringDescription("A%0B"), "A%0B");
}

TEST_F(WorkByNameTest, FactoriesCreateTheRegisteredClasses) {
  Work work;
  ClassRegistry& classes = ClassRegistry::instance();
  EXPECT_TRUE(classes.contains(ids::kWorkProgId));
  ObjectRef created = createObject(ids::kWorkProgId);
  EXPECT_EQ(created->typeName(), "Work");
  // The property tree factories hand out whatever is registered under their
  // ProgIDs, and nothing (never an error) when nothing is.
  const bool registered = classes.contains(ids::kKZPropertiesProgId);
  const Variant tree = work.invoke("GetKZProperties", CallKind::Method, {});
  ASSERT_TRUE(tree.isObject());
  EXPECT_EQ(tree.isNothing(), !registered);
  if (registered) {
    EXPECT_EQ(tree.object()->typeName(), "KZProperties");
  }
  const Variant node = work.invoke("GetKZProperty", CallKind::Method, {});
  ASSERT_TRUE(node.isObject());
  if (classes.contains(ids::kKZPropertyProgId)) {
    EXPECT_EQ(node.object()->typeName(), "KZProperty");
  }
}

}  // namespace
}  // namespace velmora::frame::testing
