// The six late-bound calls through Work on a recording object: what each passes, keeps and logs.
#include <commonvelmora/member_table.h>
#include <commonvelmora/work.h>
#include <gmock/gmock.h>

#include <stdexcept>
#include <vector>

#include "frame/frame_fixture.h"

namespace velmora::frame::testing {
namespace {

// Records every call; "Take" answers the number of arguments, "Self" the
// object itself, "Bump" adds 1 to its first argument, "Plain" fails as C++
// code does, not with an automation error.
class Probe final : public Object {
 public:
  struct Seen {
    int calls = 0;
    CallKind kind{};
    std::vector<Variant> args;
  } seen;

  Variant invoke(std::string_view name, CallKind k, Args a) override {
    return table().dispatch(*this, name, k, a);
  }
  std::string typeName() const override { return "Probe"; }

 private:
  template <CallKind K, bool Self>
  static Variant record(Probe& p, Args a) {
    p.seen = {p.seen.calls + 1, K, {a.begin(), a.end()}};
    return Self ? Variant(p.shared_from_this()) : Variant(static_cast<std::int32_t>(a.size()));
  }
  static Variant bump(Probe&, Args a) { return a[0] = toInt32(a[0]) + 1, Variant(); }
  static Variant plain(Probe&, Args) { throw std::runtime_error("plain failure"); }

  static const MemberTable<Probe>& table() {
    static const auto members = MemberTable<Probe>()
                                    .method("Take", 0, 12, record<CallKind::Method, false>)
                                    .get("Take", 0, 12, record<CallKind::Get, false>)
                                    .let("Take", 1, 12, record<CallKind::Let, false>)
                                    .set("Take", 1, 12, record<CallKind::Set, false>)
                                    .method("Self", 0, 12, record<CallKind::Method, true>)
                                    .get("Self", 0, 12, record<CallKind::Get, true>)
                                    .method("Bump", 1, 12, bump)
                                    .let("Bump", 1, 12, bump)
                                    .method("Plain", 0, 12, plain)
                                    .get("Plain", 0, 12, plain)
                                    .let("Plain", 0, 12, plain)
                                    .set("Plain", 0, 12, plain);
    return members;
  }
};

enum class Output { None, Count, Self };  // what the call leaves in its output

// One of the six calls, its output (or what it would pass last) seen as a variant.
using Run = bool (*)(Work&, ObjectRef&, std::string, SafeArray&, Variant&);
struct Routine {
  const char* label;
  CallKind kind;
  const char* member;  // a member that succeeds for this kind
  Output output;
  std::string rangePrefix;
  std::string failurePrefix;  // "" : as rangePrefix
  Run run;
};

void assign(Variant& to, const Variant& from) { to = from; }
void assign(ObjectRef& to, const Variant& from) { to = from.isObject() ? from.object() : nullptr; }

template <class T, bool (Work::*Call)(ObjectRef&, std::string_view, T&, SafeArray&)>
bool withOutput(Work& w, ObjectRef& o, std::string n, SafeArray& l, Variant& out) {
  T value{};
  assign(value, out);
  const bool ok = (w.*Call)(o, n, value, l);
  out = Variant(value);
  return ok;
}
template <bool AnObject>
bool execProperty(Work& w, ObjectRef& o, std::string n, SafeArray& l, Variant&) {
  return w.ExecProperty(o, n, AnObject ? Variant::nothing() : Variant("value"), l);
}
bool execMetod(Work& w, ObjectRef& o, std::string n, SafeArray& l, Variant&) {
  return w.ExecMetod(o, n, l);
}

const std::vector<Routine>& routines() {
  static const std::vector<Routine> all = {
      {"ExecProperty value", CallKind::Let, "Take", Output::None,
       "Error Execute Property (Let). Property Name [", "Error Execute Property. Property Name [",
       execProperty<false>},
      {"ExecProperty object", CallKind::Set, "Take", Output::None,
       "Error Execute Property (Set). Property Name [", "Error Execute Property. Property Name [",
       execProperty<true>},
      {"ReturnProperty", CallKind::Get, "Take", Output::Count,
       "Error Return Property. Property Name [", "", withOutput<Variant, &Work::ReturnProperty>},
      {"ReturnPropertyObj", CallKind::Get, "Self", Output::Self,
       "Error Return Object Property. Property Name [", "",
       withOutput<ObjectRef, &Work::ReturnPropertyObj>},
      {"ExecMetod", CallKind::Method, "Take", Output::None, "Error Execute Metod. Metod Name [", "",
       execMetod},
      {"ExecMetodLet", CallKind::Method, "Take", Output::Count,
       "Error Execute Metod Let. Metod Name [", "", withOutput<Variant, &Work::ExecMetodLet>},
      {"ExecMetodSet", CallKind::Method, "Self", Output::Self,
       "Error Execute Metod Set. Metod Name [", "", withOutput<ObjectRef, &Work::ExecMetodSet>},
  };
  return all;
}

SafeArray listUpTo(std::int32_t upperBound) {
  std::vector<Variant> items;
  for (std::int32_t i = 0; i <= upperBound; ++i) items.emplace_back(i * 10);
  return SafeArray::ofVariants(std::move(items));
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != text.npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class LateBoundTest : public FrameTest {
 protected:
  void clearLog() { std::filesystem::remove_all(logFolder()); }

  std::shared_ptr<Probe> probe_ = std::make_shared<Probe>();
  // What an output holds before a call that must leave it alone: an object,
  // so that it fits the outputs that take objects as well.
  ObjectRef kept_ = std::make_shared<Probe>();
  ObjectRef object_ = probe_;
  Work work_;
};

TEST_F(LateBoundTest, EachCallPassesUpToElevenElementsInOrderWithItsKindAndKeepsTheResult) {
  for (const Routine& r : routines()) {
    for (std::int32_t upperBound : {-1, 0, 10, 11}) {
      SCOPED_TRACE(std::string(r.label) + " up to " + std::to_string(upperBound));
      clearLog();
      probe_->seen = {};
      SafeArray list = listUpTo(upperBound);
      Variant out(kept_);
      ASSERT_TRUE(r.run(work_, object_, r.member, list, out));
      const std::string logged = loggedText();
      if (upperBound == 11) {  // twelve: nothing is invoked, and the range is logged
        EXPECT_EQ(probe_->seen.calls, 0);
        EXPECT_EQ(out, Variant(kept_));
        EXPECT_TRUE(logged.ends_with(" " + r.rangePrefix + r.member +
                                     "].\r\nArray Parameters Range = 11 Out Of Execute Range.\r\n"))
            << logged;
        EXPECT_EQ(count(logged, "\r\n"), 2u);
        continue;
      }
      EXPECT_EQ(logged, "");
      EXPECT_EQ(probe_->seen.calls, 1);
      EXPECT_EQ(probe_->seen.kind, r.kind);
      std::vector<Variant> expected = list.variants();
      if (r.kind == CallKind::Let) expected.emplace_back("value");  // the value last
      if (r.kind == CallKind::Set) expected.push_back(Variant::nothing());
      EXPECT_EQ(probe_->seen.args, expected);
      const Variant want = r.output == Output::Count  ? Variant(upperBound + 1)
                           : r.output == Output::Self ? Variant(object_)
                                                      : Variant(kept_);
      EXPECT_EQ(out, want);
    }
  }
  // A list never dimensioned passes nothing either.
  SafeArray never;
  EXPECT_TRUE(work_.ExecProperty(object_, "Take", Variant(3), never));
  EXPECT_EQ(probe_->seen.args, std::vector<Variant>{Variant(3)});
}

TEST_F(LateBoundTest, EveryFailureIsFalseWithOneErrorEntry) {
  struct Failure {
    const char* label;
    bool noObject;
    std::string name;  // "" : the routine's own member
    SafeArray list;
    std::int32_t number;
  };
  std::vector<Failure> failures = {
      {"no object", true, "", listUpTo(1), 91},
      {"odd name", false, "Ta]ke.\r\n%0 [\xD0\xB6]", listUpTo(1), 438},
      {"lower bound 1", false, "", SafeArray(VarType::Variant, {{1, 3}}), 9},
      {"two dimensions", false, "", SafeArray(VarType::Variant, {{0, 2}, {0, 2}}), 9},
      {"bytes", false, "", SafeArray::ofBytes({1, 2}), 13},
      {"runtime_error", false, "Plain", listUpTo(2), 5},
  };
  for (const Routine& r : routines()) {
    for (Failure& f : failures) {
      SCOPED_TRACE(std::string(r.label) + ", " + f.label);
      clearLog();
      ObjectRef object = f.noObject ? ObjectRef() : object_;
      const std::string name = f.name.empty() ? r.member : f.name;
      Variant out(kept_);
      bool result = true;
      EXPECT_NO_THROW(result = r.run(work_, object, name, f.list, out));
      EXPECT_FALSE(result);
      EXPECT_EQ(out, Variant(kept_));
      const std::string logged = loggedText();
      EXPECT_EQ(count(logged, " Error: "), 1u) << logged;
      const std::string& prefix = r.failurePrefix.empty() ? r.rangePrefix : r.failurePrefix;
      EXPECT_THAT(logged, ::testing::HasSubstr(" Error: " + std::to_string(f.number) + " " +
                                               prefix + name + "].\r\n" +
                                               AutomationError(f.number).description() + "\r\n"));
    }
  }
}

TEST_F(LateBoundTest, AnObjectIsWantedWhereTheCallGivesOne) {
  SafeArray none;
  ObjectRef out = kept_;
  EXPECT_FALSE(work_.ReturnPropertyObj(object_, "Take", out, none));
  EXPECT_FALSE(work_.ExecMetodSet(object_, "Take", out, none));
  EXPECT_EQ(out, kept_);
  EXPECT_EQ(count(loggedText(), " Error: 13 "), 2u);
}

TEST_F(LateBoundTest, TheCalleeWritesTheCallersElements) {
  SafeArray list = SafeArray::ofVariants({Variant(41), Variant("x")});
  EXPECT_TRUE(work_.ExecMetod(object_, "Bump", list));
  EXPECT_EQ(list.variants()[0], Variant(42));
  // An assignment lends the elements and gets them back changed.
  EXPECT_TRUE(work_.ExecProperty(object_, "Bump", Variant(7), list));
  EXPECT_EQ(list.variants()[0], Variant(43));
  EXPECT_EQ(list.variants()[1], Variant("x"));
  // From -1 to 0: element 0 is the second one stored.
  SafeArray shifted = SafeArray::ofVariants({Variant(1), Variant(5)}, -1);
  EXPECT_TRUE(work_.ExecMetod(object_, "Bump", shifted));
  EXPECT_EQ(shifted.variants(), (std::vector<Variant>{Variant(1), Variant(6)}));
  EXPECT_EQ(loggedText(), "");
}

}  // namespace
}  // namespace velmora::frame::testing
