// Members that never fail, run with each of their allocations failing in
// turn: none may let std::bad_alloc (or anything else) reach the caller.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/identifiers.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/work.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "frame/frame_fixture.h"

namespace {

// 0: allocations succeed; n > 0: the n-th allocation from now fails.
std::atomic<long> gFailAfter{0};
std::atomic<bool> gFailed{false};

}  // namespace

// The program's allocator: malloc, with the one failure a test arms.
void* operator new(std::size_t size) {
  if (gFailAfter.load(std::memory_order_relaxed) > 0 && gFailAfter.fetch_sub(1) == 1) {
    gFailed = true;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace velmora::frame::testing {
namespace {

// Runs `call` once for every allocation it makes, the n-th failing on the
// n-th run, until a run completes without meeting the failure. Arguments are
// made by `call` before it arms `fail`.
template <class Call>
int runWithEachAllocationFailing(Call call) {
  int runs = 0;
  for (long n = 1;; ++n, ++runs) {
    gFailed = false;
    auto fail = [n] { gFailAfter = n; };
    EXPECT_NO_THROW(call(fail)) << "with allocation " << n << " failing";
    gFailAfter = 0;
    if (!gFailed) return runs;
  }
}

class OutOfMemoryTest : public FrameTest {};

const std::string kLong(200, 'x');  // never fits a string's inline buffer

TEST_F(OutOfMemoryTest, LoggingMembersNeverRaise) {
  Work work;
  const int runs = runWithEachAllocationFailing([&](auto fail) {
    std::string message = kLong, description = kLong, prefix = kLong;
    fail();
    work.StoreMessageToLog(std::move(message));
    work.StoreErrorToLog(13, std::move(description));
    work.LogFileName(std::move(prefix));
    (void)work.LogFileName();
    (void)work.GetLogFileNameByDate(Variant(Date{45358}));
  });
  EXPECT_GT(runs, 5);
}

TEST_F(OutOfMemoryTest, MembersTheDelegateComponentServesNeverRaise) {
  struct Component : Object {
    Variant invoke(std::string_view, CallKind, Args) override { return Variant(kLong); }
    std::string typeName() const override { return "SQLConnect"; }
  };
  ClassRegistry::instance().add(ids::kDelegateProgId,
                                []() -> ObjectRef { return std::make_shared<Component>(); });
  runWithEachAllocationFailing([&](auto fail) {
    threadState().delegate = nullptr;  // created anew on every run
    Work work;
    std::string text = kLong, helpFile = kLong;
    ObjectRef owner;
    std::int32_t context = -1, parent = -1;
    fail();
    work.MsgActivate(std::move(text), msgInfo, 1, msgOK, owner, helpFile, context, parent);
    (void)work.GetKZProperties();
  });
  ClassRegistry::instance().remove(ids::kDelegateProgId);
}

TEST_F(OutOfMemoryTest, PropertyCollectionsNeverRaise) {
  runWithEachAllocationFailing([&](auto fail) {
    auto tree = KZProperties::create();
    tree->Add(kLong, Variant(kLong));
    tree->Add("Inner", Variant(KZProperties::create()));
    std::string name = "Second";
    Variant value(kLong);
    const Variant first(kLong), second(2);
    fail();
    tree->Add(std::move(name), std::move(value));
    (void)tree->Find("Inner");
    (void)tree->Clone();
    (void)tree->PropCollection();
    tree->Remove(first);
    (void)tree->LastRemovedName();
    tree->MoveUp(second);
    tree->Clear();
  });
}

}  // namespace
}  // namespace velmora::frame::testing
