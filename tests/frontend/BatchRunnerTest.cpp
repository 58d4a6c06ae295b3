#include "frontend/BatchRunner.h"

#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

namespace scrivlet {
namespace {

InputSource ListOf(std::vector<std::string> names) {
  auto shared = std::make_shared<std::vector<std::string>>(std::move(names));
  auto next = std::make_shared<size_t>(0);
  return [shared, next]() -> std::optional<std::string> {
    if (*next >= shared->size())
      return std::nullopt;
    return (*shared)[(*next)++];
  };
}

std::vector<std::string> Numbers(int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i)
    names.push_back(std::to_string(i));
  return names;
}

// Later inputs finish first; every tenth fails.
ConvertedDocument SlowFirst(const std::string& input) {
  int n = std::stoi(input);
  usleep(static_cast<useconds_t>((40 - n % 40) * 200));
  return {"out " + input + std::string(n == 7 ? 200000 : 0, 'x'), n % 10 == 3 ? "bad " + input : "",
          n % 10 == 3};
}

void ExpectInOrder(int jobs) {
  std::vector<std::string> seen;
  std::vector<BatchCounts> progress;
  BatchCounts counts = RunBatch(
      ListOf(Numbers(40)), jobs, SlowFirst,
      [&](const std::string& input, const ConvertedDocument& result) {
        seen.push_back(input);
        EXPECT_TRUE(result.output.starts_with("out " + input)) << input;
        EXPECT_EQ(result.failed, input.ends_with("3")) << input;
        if (input == "7") {
          EXPECT_EQ(result.output.size(), 200005u); // more than a pipe holds at once
        }
        if (result.failed) {
          EXPECT_EQ(result.error, "bad " + input);
        }
      },
      [&](const BatchCounts& soFar) { progress.push_back(soFar); });
  EXPECT_EQ(seen, Numbers(40));
  EXPECT_EQ(counts.done, 40u);
  EXPECT_EQ(counts.failed, 4u);
  ASSERT_EQ(progress.size(), 40u);
  EXPECT_EQ(progress.back().done, 40u);
}

TEST(BatchRunner, ResultsInInputOrderInProcess) {
  ExpectInOrder(1);
}

TEST(BatchRunner, ResultsInInputOrderWithChildProcesses) {
  ExpectInOrder(4);
}

TEST(BatchRunner, AConversionThatDiesFailsAlone) {
  std::vector<std::string> failed;
  BatchCounts counts = RunBatch(
      ListOf({"a", "crash", "b"}), 2,
      [](const std::string& input) -> ConvertedDocument {
        if (input == "crash")
          raise(SIGKILL); // a signal no sanitizer intercepts
        return {input, "", false};
      },
      [&](const std::string& input, const ConvertedDocument& result) {
        if (result.failed) {
          failed.push_back(input);
          EXPECT_NE(result.error.find("signal"), std::string::npos);
        } else {
          EXPECT_EQ(result.output, input);
        }
      });
  EXPECT_EQ(counts.done, 3u);
  EXPECT_EQ(counts.failed, 1u);
  EXPECT_EQ(failed, std::vector<std::string>{"crash"});
}

TEST(BatchRunner, DeadWorkersAreReplaced) {
  std::vector<std::string> outputs;
  BatchCounts counts = RunBatch(
      ListOf({"crash", "crash", "crash", "a", "crash", "b", "c"}), 2,
      [](const std::string& input) -> ConvertedDocument {
        if (input == "crash")
          _exit(3);
        return {input, "", false};
      },
      [&](const std::string&, const ConvertedDocument& result) {
        outputs.push_back(result.failed ? "failed: " + result.error : result.output);
      });
  EXPECT_EQ(counts.done, 7u);
  EXPECT_EQ(counts.failed, 4u);
  EXPECT_EQ(outputs[0], "failed: the conversion ended without a result");
  EXPECT_EQ(outputs[3], "a");
  EXPECT_EQ(outputs[5], "b");
  EXPECT_EQ(outputs[6], "c");
}

TEST(BatchRunner, ExceptionsFailTheDocument) {
  for (int jobs : {1, 3}) {
    BatchCounts counts = RunBatch(
        ListOf({"a", "b"}), jobs,
        [](const std::string& input) -> ConvertedDocument {
          if (input == "b")
            throw std::runtime_error("out of luck");
          return {input, "", false};
        },
        [](const std::string& input, const ConvertedDocument& result) {
          EXPECT_EQ(result.failed, input == "b");
          if (result.failed) {
            EXPECT_EQ(result.error, "out of luck");
          }
        });
    EXPECT_EQ(counts.failed, 1u);
  }
}

// The list is read as the work goes: a result is handed on before the
// source has given its last input.
TEST(BatchRunner, StreamsTheList) {
  for (int jobs : {1, 2}) {
    int given = 0;
    std::vector<int> givenWhenHanded;
    RunBatch(
        [&]() -> std::optional<std::string> {
          if (given == 200)
            return std::nullopt;
          return std::to_string(given++);
        },
        jobs,
        [](const std::string& input) {
          return ConvertedDocument{input, "", false};
        },
        [&](const std::string&, const ConvertedDocument&) { givenWhenHanded.push_back(given); });
    ASSERT_EQ(givenWhenHanded.size(), 200u);
    EXPECT_LT(givenWhenHanded.front(), 200) << jobs;
  }
}

} // namespace
} // namespace scrivlet
