#include "core/DocumentSummary.h"
#include "writers/JsonWriter.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

std::string Int32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

std::string FileTime(uint64_t v) {
  return Int32(static_cast<uint32_t>(v)) + Int32(v >> 32);
}

// 2009-05-14 10:20:30 UTC as a file time.
constexpr uint64_t kMay2009 = 128867700300000000ull;

class SummaryTest : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

TEST_F(SummaryTest, IdentifiersOfBothPropertySets) {
  DocumentSummary s;
  s.SetProperty(2, std::string("First\0", 6), false);
  s.SetProperty(2, "Second", false);
  s.SetProperty(2, "A category", true);
  s.SetProperty(4, std::string("Ann\0garbage", 11), false);
  s.SetProperty(14, Int32(12), false);
  s.SetProperty(14, "The Manager", true);
  s.SetProperty(15, "Company", true);
  s.SetProperty(17, Int32(99), true);
  s.SetProperty(17, "ignored", false);
  s.SetProperty(1, Int32(1252), false); // the code page: not a field
  s.SetProperty(5, Int32(7), true);
  EXPECT_EQ(s.Title, u"Second");
  EXPECT_EQ(s.Category, u"A category");
  EXPECT_EQ(s.Author, u"Ann");
  EXPECT_EQ(s.PageCount, 12);
  EXPECT_EQ(s.Manager, u"The Manager");
  EXPECT_EQ(s.Company, u"Company");
  EXPECT_EQ(s.CharCount2, 99);
  EXPECT_EQ(s.CharCount, 0);
  EXPECT_EQ(s.LineCount, 7);
}

TEST_F(SummaryTest, DatesAndEditingTime) {
  DocumentSummary s;
  s.SetProperty(12, FileTime(kMay2009), false);
  EXPECT_NEAR(s.Created, 39947.43090277778, 1e-9);
  s.SetProperty(13, FileTime(kMay2009 + 10'000'000), false); // one second later: two-second steps
  EXPECT_NEAR(s.LastSaved, 39947.43090277778, 1e-9);
  s.SetProperty(11, FileTime(119600064000000000ull), false); // 1980-01-01 00:00 UTC
  EXPECT_NEAR(s.LastPrinted, 29221.0, 1e-9);
  s.SetProperty(11, FileTime(119600063990000000ull), false); // one second before 1980
  EXPECT_EQ(s.LastPrinted, 0);
  s.SetProperty(12, FileTime(0), false);
  EXPECT_EQ(s.Created, 0);
  s.SetProperty(10, FileTime(90ull * 600'000'000), false); // an hour and a half
  EXPECT_EQ(s.EditTime, 90);
  s.SetProperty(10, FileTime(~0ull), false);
  EXPECT_EQ(s.EditTime, INT32_MAX);
  s.SetProperty(12, "\x01", false); // too short: read as far as it goes
  EXPECT_EQ(s.Created, 0);
}

TEST_F(SummaryTest, ClearAssignAndJson) {
  DocumentSummary s;
  s.Title = u"T\u00e9tre \"x\"";
  s.WordCount = 5;
  s.Created = 39947.5;
  DocumentSummary copy;
  copy.Assign(s);
  EXPECT_EQ(copy.Title, s.Title);
  EXPECT_EQ(copy.WordCount, 5);
  std::string json = JsonSummary(&copy);
  EXPECT_TRUE(json.starts_with("{\"AppName\": \"\", \"Author\": \"\", \"CharCount\": 0, "));
  EXPECT_NE(json.find("\"Created\": \"2009-05-14T12:00:00\", "), std::string::npos);
  EXPECT_NE(json.find("\"LastPrinted\": null, "), std::string::npos);
  EXPECT_NE(json.find("\"Title\": \"T\xc3\xa9tre \\\"x\\\"\", \"WordCount\": 5, "),
            std::string::npos);
  EXPECT_TRUE(json.ends_with("\"CharCount2\": 0}"));
  EXPECT_EQ(JsonSummary(nullptr), "null");
  copy.Clear();
  EXPECT_EQ(copy.Title, u"");
  EXPECT_EQ(copy.WordCount, 0);
  EXPECT_EQ(copy.Created, 0);
  EXPECT_EQ(DocumentSummary::Properties().size(), 28u);
}

} // namespace
} // namespace scrivlet
