// dump and count with --criteria: the filter dialog's criteria on a table
// written for the test, and the refusals of a bad criteria list.
#include <gtest/gtest.h>

#include "tool_test_support.h"

using namespace notarra;

namespace {

using namespace tooltest;

const char kTable[] = R"({
  "kind": "plain", "record_count": 5, "notes": "",
  "fields": [
    {"qualifier": "XXX", "name": "Flag", "kind": "Boolean", "size": 0, "default": "", "extra": ""},
    {"qualifier": "XXX", "name": "Subject", "kind": "String", "size": 40, "default": "", "extra": ""},
    {"qualifier": "XXX", "name": "PubDate", "kind": "Date", "size": 0, "default": "", "extra": ""},
    {"qualifier": "XXX", "name": "Key", "kind": "AutoInc", "size": 0, "default": "", "extra": ""}
  ],
  "records": [
    {"Flag": true, "Subject": "Red sails", "PubDate": "2000-01-01", "Key": 1},
    {"Flag": false, "Subject": "blue moon", "PubDate": "2000-01-31", "Key": 2},
    {"Flag": true, "Subject": "Blue whale", "PubDate": "2000-02-01", "Key": 3},
    {"Flag": true, "Subject": "Green", "PubDate": "2000-01-15", "Key": 4},
    {"Flag": true, "Subject": "Café rouge", "PubDate": null, "Key": 5}
  ]
})";

class CriteriaOption : public ::testing::Test {
protected:
  void SetUp() override {
    path = dir / "t.d";
    RunResult w = RunTool({"write", path, "--from", "-"}, kTable);
    ASSERT_EQ(w.status, 0) << w.err;
  }
  RunResult Count(const std::string& criteria) { return RunTool({"count", path, "--criteria", criteria}); }
  TempDir dir;
  std::string path;
};

TEST_F(CriteriaOption, CountsWhatTheCriteriaAccept) {
  auto c = Count(R"([{"field":"Subject","match":"start","value":"red or blue"}])");
  ASSERT_EQ(c.status, 0) << c.err;
  EXPECT_EQ(c.out, "3\n");
  c = Count(R"([{"field":"Subject","match":"start","value":"red or blue"},
                {"field":"PubDate","match":"range","min":"1/1/2000","max":"1/31/2000"},
                {"field":"Flag","match":"exact","value":"true"}])");
  EXPECT_EQ(c.out, "1\n");
  c = Count(R"([{"field":"Subject","match":"start","value":"blue","case_sensitive":true,"non_matching":true}])");
  EXPECT_EQ(c.out, "4\n");
  c = Count(R"([{"field":"Subject","match":"any","value":"é"}])");  // UTF-8 in, Windows-1252 inside
  EXPECT_EQ(c.out, "1\n");
  EXPECT_EQ(Count("[]").out, "5\n");
}

TEST_F(CriteriaOption, NullValueMatchesAnEmptyField) {
  auto c = Count(R"([{"field":"PubDate","value":null}])");
  ASSERT_EQ(c.status, 0) << c.err;
  EXPECT_EQ(c.out, "1\n");
  EXPECT_EQ(Count(R"([{"field":"PubDate","value":null,"non_matching":true}])").out, "4\n");
  EXPECT_EQ(Count(R"([{"field":"Subject","match":"exact","value":null}])").out, "0\n");
  // The same as the dialog's own word for it.
  EXPECT_EQ(Count(R"([{"field":"PubDate","value":"null"}])").out, "1\n");
}

TEST_F(CriteriaOption, BoundsAndValuesOutsideTheirKindOfCriterionAreRefused) {
  for (const char* bad : {R"([{"field":"Key","min":"2"}])", R"([{"field":"Key","match":"start","max":"2"}])",
                          R"([{"field":"Key","match":"exact","value":"1","min":"0"}])",
                          R"([{"field":"Key","match":"range","value":"1"}])",
                          R"([{"field":"Key","match":"range","min":"1","value":null}])"}) {
    auto c = Count(bad);
    EXPECT_EQ(c.status, 2) << bad;
    EXPECT_NE(c.err.find("--criteria: "), std::string::npos) << c.err;
    EXPECT_EQ(c.out, "") << bad;
  }
  EXPECT_EQ(Count(R"([{"field":"Key","match":"range","min":"2","max":"3"}])").out, "2\n");
}

TEST_F(CriteriaOption, DumpListsOnlyTheAcceptedRecords) {
  auto d = RunTool({"dump", path, "--format", "csv", "--criteria", R"([{"field":"Subject","match":"end","value":"moon"}])"});
  ASSERT_EQ(d.status, 0) << d.err;
  EXPECT_NE(d.out.find("blue moon"), std::string::npos);
  EXPECT_EQ(d.out.find("Red sails"), std::string::npos);
  EXPECT_EQ(d.out.find("Green"), std::string::npos);
}

TEST_F(CriteriaOption, BadCriteriaAreRefused) {
  for (const char* bad : {"{", "{}", "[1]", R"([{"match":"start"}])", R"([{"field":"Nope"}])",
                          R"([{"field":"Subject","match":"middle"}])", R"([{"field":"Subject","colour":"red"}])",
                          R"([{"field":"Subject","case_sensitive":"yes"}])"}) {
    auto c = Count(bad);
    EXPECT_EQ(c.status, 2) << bad;
    EXPECT_NE(c.err.find("--criteria"), std::string::npos) << c.err;
  }
  // A value that is no date fails while filtering.
  auto c = Count(R"([{"field":"PubDate","match":"range","min":"someday"}])");
  EXPECT_EQ(c.status, 1);
  EXPECT_NE(c.err.find("--criteria"), std::string::npos) << c.err;
}

}  // namespace
