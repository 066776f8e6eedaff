// The velmora tool run as the real binary, in a scratch folder of its own.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

#include "support/tool_process.h"

namespace velmora::tool::testing {
namespace {

using nlohmann::json;
using test_support::runVelmora;
using test_support::ScopedEnv;
using test_support::ToolProcess;
using test_support::ToolRun;

// velmora call with `args` as they are, no shell between.
ToolRun call(std::vector<std::string> args) {
  args.insert(args.begin(), "call");
  ToolRun run;
  run.status = ToolProcess(std::move(args)).finish(&run.out);
  return run;
}

// The answer of a velmora call that must succeed.
json answer(std::vector<std::string> args) {
  const ToolRun r = call(std::move(args));
  EXPECT_EQ(r.status, 0) << r.out;
  return r.status == 0 ? json::parse(r.out) : json();
}

using CallCommandTest = test_support::ToolTest;

TEST_F(CallCommandTest, TypedArgumentsComeBackInTheSameFormsAndBadFormsAreRefused) {
  // CheckArray works on its array in place, so the array is printed back as
  // it was passed: every form goes in and out through the variant mapping.
  const json list = json::parse(R"([
    {"$int16":-5}, {"$byte":7}, {"$single":1.5}, {"$currency":"-1.2345"},
    {"$date":"2024-03-07T23:59:00"}, {"$error":5}, {"$bytes":"AQID"},
    {"$array":[[1,2],[3,4]],"lbound":1}, {"$array":[[1],[2]],"lbound":[0,3]},
    {"$array":null}, {"$bytes":"","lbound":1}, {"$empty":true}, {"$missing":true},
    {"$nothing":true}, null, true, 2.5, {"$double":"inf"}, "tëxt", 7, [1, [2]],
    {"$bytes":"AQ=="}, {"$bytes":"AQI="}, {"$currency":"-0.0001"}, {"$currency":"12"},
    {"$int16":-32768}])");
  EXPECT_EQ(answer({"CheckArray", list.dump()})["args"][0], list);
  // Text forms are read exactly; numbers become integers or doubles as a
  // script literal does.
  EXPECT_EQ(answer({"CheckArray", R"([{"$currency":7}, {"$date":"2024-03-07"}])"})["args"][0],
            json::parse(R"([{"$currency":"7"}, {"$date":"2024-03-07T00:00:00"}])"));
  for (const char* bad :
       {R"({"$bytes":"AQ="})", R"({"$bytes":"A=Q="})", R"({"$currency":"1.23456"})",
        R"({"$currency":"1,5"})", R"({"$date":"2024-13-01"})", R"({"$array":[[1,2],[3]]})",
        R"({"$byte":256})"}) {
    EXPECT_EQ(call({"CheckArray", std::string("[") + bad + "]"}).status, 2) << bad;
  }
  const ToolRun r = call({"CheckArray", "[5, 3000000000, 2.0, 1e2, -2147483648]"});
  EXPECT_NE(r.out.find("[5,3000000000.0,2.0,100.0,-2147483648]"), std::string::npos) << r.out;
}

TEST_F(CallCommandTest, LateBoundCallsReachGridsReadFromFiles) {
  const std::filesystem::path file = scratch_ / "orders.grid";
  std::ofstream(file) << "column Price\ncolumn Qty\nrow 1.5 10\n";
  const std::string grid = json{{"$grid", file.string()}}.dump();
  EXPECT_EQ(answer({"ExecMetodLet", grid, R"("GetClipString")", R"({"$empty":true})", "[true]"}),
            json::parse(R"({"result":true,"args":[
      {"$ref":1,"type":"ReferenceGrid"},"GetClipString","Price\tQty\r\n1.5\t10\r\n",[true]]})"));
  // A file that cannot be read is the runtime's error, as for a picture.
  const ToolRun r = call({"ExecMetod", R"({"$grid":"/no/such.grid"})", R"("Refresh")", "[]"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(json::parse(r.out)["error"]["number"], json(53));
}

TEST_F(CallCommandTest, AStreamRunsOnOneThreadAndAnswersEachLineAtOnce) {
  ToolProcess tool({"call", "-"});
  // Each answer is read before the next line is sent: an answer held in a
  // buffer would leave readLine() waiting.
  tool.writeLine(R"(["CheckArray", [{"$new":"CommonVelmora.Work"}]])");
  EXPECT_EQ(json::parse(tool.readLine())["args"], json::parse(R"([[{"$ref":1,"type":"Work"}]])"));
  tool.writeLine(R"({"on":{"$ref":1},"member":"AppNumber","kind":"let","args":[1005]})");
  EXPECT_EQ(json::parse(tool.readLine()),
            json::parse(R"({"result":{"$empty":true},"args":[1005]})"));
  // The tool's own Work shares the thread's state with object 1.
  tool.writeLine(R"(["AppNumber"])");
  EXPECT_EQ(json::parse(tool.readLine())["result"], json(1005));
  EXPECT_EQ(tool.finish(), 0);
}

TEST_F(CallCommandTest, AMalformedLineIsReportedAndTheRunGoesOn) {
  ToolProcess tool({"call", "-"});
  for (const char* bad : {"not json", R"({"member":"RegestryString","colour":"red"})",
                          R"(["CheckArray", {"$ref":7}])"}) {
    tool.writeLine(bad);
    EXPECT_TRUE(json::parse(tool.readLine())["error"].contains("usage")) << bad;
  }
  tool.writeLine("");  // no answer
  tool.writeLine(R"(["NoSuchMember"])");
  EXPECT_EQ(json::parse(tool.readLine())["error"]["number"], json(438));
  tool.writeLine(R"({"on":{"$nothing":true},"member":"Anything"})");
  EXPECT_EQ(json::parse(tool.readLine())["error"]["number"], json(91));
  std::string rest;
  EXPECT_EQ(tool.finish(&rest), 2);
  EXPECT_EQ(rest, "");
}

TEST_F(CallCommandTest, ExitStatusTellsErrorsFromBadUsage) {
  ToolRun r = call({"NoSuchMember"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(json::parse(r.out), json::parse(R"({"error":{"number":438,
                "description":"Object doesn't support this property or method"}})"));

  for (const std::vector<std::string>& bad : {std::vector<std::string>{"call"},
                                              {"call", "AppDescription", "bare words"},
                                              {"call", "CheckArray", R"({"$unknown":1})"},
                                              {"call", "-", "extra"}}) {
    std::string out, err;
    EXPECT_EQ(ToolProcess(bad).finish(&out, &err), 2) << bad.back();
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(out, "");
  }

  ToolProcess onlyErrors({"call", "-"});
  onlyErrors.writeLine(R"(["NoSuchMember"])");
  EXPECT_EQ(onlyErrors.finish(), 3);
}

class GridCommandTest : public test_support::ToolTest {
 protected:
  std::string file(const char* name, const std::string& text) {
    const std::filesystem::path path = scratch_ / name;
    std::ofstream(path) << text;
    return "'" + path.string() + "'";
  }
};

TEST_F(GridCommandTest, RestorePrintsTheGridWithTheSavedLayoutAndBadInputGivesItsStatus) {
  const std::string saved = file("saved.txt",
                                 "column Price caption=Cost position=2 width=700\n"
                                 "column Qty\n"
                                 "sortkey Qty order=-1\n");
  ASSERT_EQ(runVelmora("grid save App " + saved).status, 0);
  const std::string fresh = file("fresh.txt", "column Price\ncolumn Qty\n");
  const auto run = runVelmora("grid restore App " + fresh);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "grid groupbybox=False view=0\n"
            "column Price caption=Cost width=700 position=2 visible=True\n"
            "column Qty caption=Qty width=1000 position=1 visible=True\n"
            "sortkey Qty order=-1\n");

  EXPECT_EQ(runVelmora("grid save App").status, 2);
  EXPECT_EQ(runVelmora("grid save App /no/such/file").status, 1);
  const auto bad = runVelmora("grid save App " + file("bad.txt", "column A\ngroup B\n"), true);
  EXPECT_EQ(bad.status, 3);
  EXPECT_EQ(bad.out, "velmora grid: error 321: line 2: no column 'B'\n");
}

}  // namespace
}  // namespace velmora::tool::testing
