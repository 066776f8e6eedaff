// A method called by name with five arguments: through Work.ExecMetod with
// the arguments in a list, against the same method called directly as a
// C++ virtual function, the object's own late-bound entry point, and Qt's
// call by name (QMetaObject::invokeMethod) on a QObject with the same
// method. Each call does the same small work on its five arguments.
#include <benchmark/benchmark.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/member_table.h>
#include <commonvelmora/work.h>
#include <QMetaObject>
#include <QObject>
#include <QVariant>

namespace velmora {
namespace {

// The direct call's interface.
class Quotes {
 public:
  virtual ~Quotes() = default;
  virtual void Refresh(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e) = 0;
};

// A client object reachable both ways: its members declared once in a
// member table, as the library's own classes do.
class QuoteBoard final : public Object, public Quotes {
 public:
  std::int64_t refreshed = 0;

  void Refresh(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e) override {
    refreshed += a.as<std::int32_t>() + b.as<std::int32_t>() + c.as<std::int32_t>() +
                 d.as<std::int32_t>() + e.as<std::int32_t>();
  }
  Variant invoke(std::string_view name, CallKind kind, Args args) override {
    static const auto table =
        MemberTable<QuoteBoard>().method("Refresh", 5, 5, [](QuoteBoard& q, Args a) -> Variant {
          q.Refresh(a[0], a[1], a[2], a[3], a[4]);
          return {};
        });
    return table.dispatch(*this, name, kind, args);
  }
  std::string typeName() const override { return "QuoteBoard"; }
};

SafeArray fiveArguments() {
  return SafeArray::ofVariants({Variant(1), Variant(2), Variant(3), Variant(4), Variant(5)});
}

void BM_Refresh_DirectVirtualCall(benchmark::State& state) {
  auto board = std::make_shared<QuoteBoard>();
  Quotes* quotes = board.get();
  SafeArray list = fiveArguments();
  std::vector<Variant>& v = list.variants();
  for (auto _ : state) {
    benchmark::DoNotOptimize(quotes);  // no devirtualising
    quotes->Refresh(v[0], v[1], v[2], v[3], v[4]);
  }
  benchmark::DoNotOptimize(board->refreshed);
}
BENCHMARK(BM_Refresh_DirectVirtualCall);

void BM_Refresh_ObjectInvoke(benchmark::State& state) {
  auto board = std::make_shared<QuoteBoard>();
  Object* object = board.get();
  SafeArray list = fiveArguments();
  for (auto _ : state) {
    benchmark::DoNotOptimize(object);
    object->invoke("Refresh", CallKind::Method, list.variants());
  }
  benchmark::DoNotOptimize(board->refreshed);
}
BENCHMARK(BM_Refresh_ObjectInvoke);

void BM_Refresh_ExecMetod(benchmark::State& state) {
  auto board = std::make_shared<QuoteBoard>();
  ObjectRef object = board;
  SafeArray list = fiveArguments();
  Work work;
  for (auto _ : state) benchmark::DoNotOptimize(work.ExecMetod(object, "Refresh", list));
  if (board->refreshed == 0) state.SkipWithError("ExecMetod did not call Refresh");
}
BENCHMARK(BM_Refresh_ExecMetod);

}  // namespace
}  // namespace velmora

// The same method on a QObject, found by Qt's meta-object system by name.
class QtQuoteBoard : public QObject {
  Q_OBJECT
 public:
  qint64 refreshed = 0;
  Q_INVOKABLE void Refresh(const QVariant& a, const QVariant& b, const QVariant& c,
                           const QVariant& d, const QVariant& e) {
    refreshed += a.toInt() + b.toInt() + c.toInt() + d.toInt() + e.toInt();
  }
};

namespace {

void BM_Refresh_QtInvokeMethodByName(benchmark::State& state) {
  QtQuoteBoard board;
  const QVariant a(1), b(2), c(3), d(4), e(5);
  for (auto _ : state) {
    benchmark::DoNotOptimize(QMetaObject::invokeMethod(
        &board, "Refresh", Qt::DirectConnection, Q_ARG(QVariant, a), Q_ARG(QVariant, b),
        Q_ARG(QVariant, c), Q_ARG(QVariant, d), Q_ARG(QVariant, e)));
  }
  if (board.refreshed == 0) state.SkipWithError("invokeMethod did not call Refresh");
}
BENCHMARK(BM_Refresh_QtInvokeMethodByName);

}  // namespace

BENCHMARK_MAIN();

#include "invoke.moc"
