// The enumerations and the record that the library publishes for its clients.
//
// They are plain (unscoped) enumerations with a 32-bit signed underlying type,
// as a type library publishes them: clients write msgCritical or akDealingDesk
// directly, and any 32-bit value can be stored in one (AppNumber keeps
// whatever a client assigns).
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// The icon, and with it the kind, of a message in the message window.
enum msgIcon_Enum : std::int32_t {
  msgInfo = 0,
  msgCritical = 1,
  msgQuery = 2,
  msgWarning = 3,
};

// A button of the message window: the default button and MsgActivate's result.
enum msgButton_Enum : std::int32_t {
  msgOK = 1,
  msgCancel = 2,
};

// A kind of database. Published for clients; no member takes or returns it.
enum BaseTypeEnum : std::int32_t {
  bteNone = 0,
  bteAccess = 1,
  bteSQL = 2,
  bteOracle = 3,
};

// The codes of the suite's applications. A client keeps its own code in
// Work::AppNumber and asks Work::AppDescription for a code's display text.
// The last code is kept free for the next application of the suite and has
// no display text yet.
enum App_Key : std::int32_t {
  akTradeManager = 1000,
  akDealingDesk = 1001,
  akQuoteMonitor = 1002,
  akOrderEntry = 1003,
  akPortfolioViewer = 1004,
  akRiskControl = 1005,
  akBackOffice = 1006,
  akSettlement = 1007,
  akClientRegistry = 1008,
  akReportDesigner = 1009,
  akChartAnalyst = 1010,
  akNewsReader = 1011,
  akMarginCalculator = 1012,
  akCashManager = 1013,
  akAuditViewer = 1014,
  akLimitMonitor = 1015,
  akInstrumentEditor = 1016,
  akAccountManager = 1017,
  akAdministrator = 1018,
  akDataLoader = 1019,
  akReserved = 1020,
};

// The last error of an operation, as clients of the suite pass it around.
// Published for clients; no member takes or returns it.
struct KZ_LastError {
  std::int32_t kz_ErrNumber = 0;
  std::string kz_ErrDescription;
  std::string kz_ErrSource;
  std::string kz_ErrState;
  std::string kz_NativeError;
  std::string kz_ProcName;
};

}  // namespace velmora
