#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "console_controls.h"
#include "logfile/log_text.h"

namespace wandread {
namespace {

wandlink::DownloadLog TwoRows() {
  wandlink::DownloadLog log;
  log.wandNumber = {'1', '2', '0', 'A', '\0'};
  log.timeStamps = {{"2009-11-30 23:59"}, {"a,\"b\""}};
  log.buttonNumbers = {{"12345678"}, {"0A030201"}};
  return log;
}

TEST(LogText, EveryFormatCarriesTheSameCells) {
  const struct {
    wandlink::LogFormat format;
    std::vector<std::size_t> rows;  // empty: the whole log
    const char* expected;
  } cases[] = {
      {wandlink::kTabSeparated,
       {},
       "序号\t棒号\t日期\t钮号\n1\t120A\t2009-11-30 23:59\t12345678\n2\t120A\ta,\"b\"\t0A030201\n"},
      {wandlink::kCsv,
       {},
       "序号,棒号,日期,钮号\r\n1,120A,2009-11-30 23:59,12345678\r\n"
       "2,120A,\"a,\"\"b\"\"\",0A030201\r\n"},
      {wandlink::kCsvFile,
       {0},
       "\xEF\xBB\xBF序号,棒号,日期,钮号\r\n1,120A,2009-11-30 23:59,12345678\r\n"},
      {wandlink::kTabSeparatedCrlf,
       {1, 7},
       "序号\t棒号\t日期\t钮号\r\n2\t120A\ta,\"b\"\t0A030201\r\n"},
  };
  for (const auto& c : cases) {
    std::ostringstream out;
    if (c.rows.empty()) {
      wandlink::WriteLog(out, TwoRows(), c.format);
    } else {
      wandlink::WriteLogRows(out, TwoRows(), c.rows, c.format);
    }
    EXPECT_EQ(out.str(), c.expected);
  }
}

std::string Written(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
    text.push_back(static_cast<char>(c));
  }
  return text;
}

TEST(ConsoleControls, ShowProgressOnlyOnATerminalAndMessagesAlways) {
  for (const bool terminal : {false, true}) {
    std::FILE* messages = std::tmpfile();
    ASSERT_NE(messages, nullptr);
    ConsoleControls controls(messages, terminal);
    controls.ShowCount();
    controls.SetCountText("1");
    controls.SetCountText("2");
    controls.ShowMessage("读取数据失败");
    EXPECT_EQ(Written(messages),
              terminal ? "\rrecords: 1\rrecords: 2\r\033[K读取数据失败\n" : "读取数据失败\n");
    std::fclose(messages);
  }
}

}  // namespace
}  // namespace wandread
