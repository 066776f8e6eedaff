// The delegate component: offered the logging and message jobs before the library does them.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/identifiers.h>
#include <commonvelmora/member_table.h>
#include <commonvelmora/work.h>

#include <thread>
#include <vector>

#include "frame/frame_fixture.h"

namespace velmora::frame::testing {
namespace {

// What the test component answers and what it saw. One script per test.
struct Script {
  Variant storeAnswer;  // answer of StoreMessageToLog / StoreErrorToLog
  bool raise = false;   // raise instead of answering
  Variant logFileName;  // LogFileName read
  Variant msgAnswer;    // MsgActivate
  int created = 0;
  int failCreations = 0;  // creations that fail before one succeeds
  std::vector<Variant> lastArgs;
  std::string lastMember;
};
Script script;

class TestDelegate : public Object {
 public:
  Variant invoke(std::string_view name, CallKind kind, Args args) override {
    script.lastMember = std::string(name);
    script.lastArgs.assign(args.begin(), args.end());
    if (script.raise) throw AutomationError(err::kInvalidCall);
    return table().dispatch(*this, name, kind, args);
  }
  std::string typeName() const override { return "SQLConnect"; }

 private:
  static const MemberTable<TestDelegate>& table() {
    const auto stored = [](TestDelegate&, Args) { return script.storeAnswer; };
    const auto fileName = [](TestDelegate&, Args) { return script.logFileName; };
    static const auto t =
        MemberTable<TestDelegate>()
            .method("StoreMessageToLog", 1, 1, stored)
            .method("StoreErrorToLog", 2, 2, stored)
            .get("LogFileName", 0, 0, fileName)
            .let("LogFileName", 1, 1, [](TestDelegate&, Args) { return Variant(); })
            .method("GetLogFileName", 1, 1, fileName)
            .method("MsgActivate", 8, 8, [](TestDelegate&, Args a) {
              a[5] = Variant("help.chm");  // by reference: reaches the caller
              a[7] = Variant(std::int32_t{4242});
              return script.msgAnswer;
            });
    return t;
  }
};

class DelegateTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    script = Script{};
    ClassRegistry::instance().add(ids::kDelegateProgId, []() -> ObjectRef {
      if (script.failCreations > 0) {
        --script.failCreations;
        throw AutomationError(err::kCantCreateObject);
      }
      ++script.created;
      return std::make_shared<TestDelegate>();
    });
  }
  void TearDown() override {
    ClassRegistry::instance().remove(ids::kDelegateProgId);
    FrameTest::TearDown();
  }
};

// True, Null or -1 from the component: it kept the entry. Anything else, or
// an error: the library writes it.
TEST_F(DelegateTest, TheLibraryWritesOnlyTheEntriesTheComponentDeclines) {
  Work work;
  for (const Variant& stored : {Variant(true), Variant::null(), Variant(std::int32_t{-1})}) {
    script.storeAnswer = stored;
    EXPECT_FALSE(work.StoreMessageToLog("kept by the component"));
  }
  EXPECT_FALSE(work.StoreErrorToLog(-5, "Timeout"));
  EXPECT_EQ(loggedText(), "");
  EXPECT_EQ(script.lastMember, "StoreErrorToLog");
  EXPECT_EQ(script.lastArgs, (std::vector<Variant>{Variant(std::int32_t{-5}), Variant("Timeout")}));

  for (const Variant& declined :
       {Variant(false), Variant(), Variant("True"), Variant(std::int32_t{1})}) {
    script.storeAnswer = declined;
    const std::string text = "declined " + typeName(declined);
    EXPECT_TRUE(work.StoreMessageToLog(text));
    EXPECT_NE(loggedText().find(" " + text + "\r\n"), std::string::npos) << text;
  }
  script.raise = true;
  EXPECT_TRUE(work.StoreErrorToLog(-5, "Timeout"));
  EXPECT_NE(loggedText().find(" Error: -5 Timeout\r\n"), std::string::npos);
}

TEST_F(DelegateTest, LogFileNamesComeFromTheComponentWhenItNamesOne) {
  Work work;
  script.logFileName = Variant("/var/log/suite/today.log");
  EXPECT_EQ(work.LogFileName(), "/var/log/suite/today.log");
  const Variant date(dateFromParts(2024, 3, 7, 23, 59));
  EXPECT_EQ(work.GetLogFileNameByDate(date), "/var/log/suite/today.log");
  EXPECT_EQ(script.lastArgs, std::vector<Variant>{date});

  script.logFileName = Variant("");
  EXPECT_NE(work.LogFileName().find("/Quorent"), std::string::npos);
  EXPECT_EQ(work.GetLogFileNameByDate(date), (logFolder() / "Quorent2024_03_07.log").string());

  // The setter keeps the prefix and tells the component.
  work.LogFileName("Trade");
  EXPECT_EQ(script.lastMember, "LogFileName");
  EXPECT_EQ(script.lastArgs.at(0), Variant("Trade"));
  EXPECT_EQ(work.GetLogFileNameByDate(date), (logFolder() / "Trade2024_03_07.log").string());
}

TEST_F(DelegateTest, MsgActivateTakesTheComponentsButtonAndItsByReferenceWrites) {
  Work work;
  script.msgAnswer = Variant(std::int32_t{2});
  std::vector<Variant> args{Variant("Delete?"), Variant(std::int32_t{msgQuery})};
  EXPECT_EQ(work.invoke("MsgActivate", CallKind::Method, args), Variant(std::int32_t{2}));
  // The defaults of the omitted arguments reached the component...
  const Variant none(std::int32_t{-1});
  EXPECT_EQ(script.lastArgs, (std::vector<Variant>{args[0], args[1], Variant(std::int16_t{1}),
                                                   Variant(std::int32_t{msgOK}), Variant::nothing(),
                                                   Variant(""), none, none}));

  // ...and its writes to the by-reference ones reach a caller that passed them.
  std::vector<Variant> all = script.lastArgs;
  work.invoke("MsgActivate", CallKind::Method, all);
  EXPECT_EQ(std::vector<Variant>(all.begin() + 5, all.end()),
            (std::vector<Variant>{Variant("help.chm"), none, Variant(std::int32_t{4242})}));

  // Unusable: the library's own window, which cannot be shown without a
  // display and says so through the component.
  script.msgAnswer = Variant("not a number");
  EXPECT_EQ(work.MsgActivate("x"), msgCancel);
  EXPECT_EQ(script.lastMember, "StoreErrorToLog");
  ASSERT_EQ(script.lastArgs.at(0), Variant(std::int32_t{401}));
  EXPECT_EQ(toText(script.lastArgs[1]).substr(0, 31), "Error display Message Window.\r\n");
}

TEST_F(DelegateTest, TheComponentIsCreatedOncePerThreadAndRetriedAfterAFailure) {
  script.failCreations = 1;
  Work work;
  EXPECT_TRUE(work.StoreMessageToLog("before the component"));
  EXPECT_EQ(script.created, 0);
  script.storeAnswer = Variant(true);
  EXPECT_FALSE(work.StoreMessageToLog("to the component"));
  EXPECT_FALSE(Work().StoreMessageToLog("through another Work"));
  EXPECT_EQ(script.created, 1);

  std::thread other([] { Work().StoreMessageToLog("from another thread"); });
  other.join();
  EXPECT_EQ(script.created, 2);
}

}  // namespace
}  // namespace velmora::frame::testing
