// Reading answer documents: numbers by the rules of atoi, attribute and
// element texts, the programme's clock texts, and the cost of a big answer.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <iostream>

#include "model/setup_records.h"
#include "net/answer_reading.h"
#include "support/temp_dir.h"

namespace kestrova::test {
namespace {

using net::ReadBlockTime;
using net::ReadElementTime;
using net::ReadLeadingNumber;

TEST(AnswerNumbers, FollowTheRulesOfAtoi) {
  EXPECT_EQ(ReadLeadingNumber(std::string_view("42")), 42);
  EXPECT_EQ(ReadLeadingNumber(std::string_view("12abc")), 12);  // digits, then letters
  EXPECT_EQ(ReadLeadingNumber(std::string_view("abc")), 0);     // letters only
  EXPECT_EQ(ReadLeadingNumber(std::string_view("")), 0);
  EXPECT_EQ(ReadLeadingNumber(std::string_view("  -7x")), -7);
  EXPECT_EQ(ReadLeadingNumber(std::string_view("+15")), 15);
  EXPECT_EQ(ReadLeadingNumber(std::string_view("- 5")), 0);
  EXPECT_EQ(ReadLeadingNumber(std::string_view("3.9")), 3);
  // Beyond the int range the nearest end, instead of undefined behaviour.
  EXPECT_EQ(ReadLeadingNumber(std::string_view("99999999999999999999")), INT_MAX);
  EXPECT_EQ(ReadLeadingNumber(std::string_view("-2147483648")), INT_MIN);
  EXPECT_EQ(ReadLeadingNumber(std::string_view("-99999999999")), INT_MIN);
  EXPECT_EQ(ReadLeadingNumber(std::wstring_view(L"\u0661 7")), 0);  // only ASCII digits count
}

TEST(AnswerTexts, AttributesAndElementsOfALoadedDocument) {
  TempDir dir;
  const auto file = dir.Write("a.xml",
                              "<zones><zone id=\"12abc\" name=\"Moscow &amp; \xd0\x9c\" shift=\"\" default=\"1\">"
                              "text<inner/></zone><zone id=\"x\">  two  words </zone>"
                              "<zone name=\"\xff\xfe\"/></zones>");
  net::XmlDocument document(file);
  ASSERT_TRUE(document.LoadFile());
  const auto root = document.FirstChildElement("zones");
  ASSERT_TRUE(root);
  EXPECT_FALSE(document.FirstChildElement("zone"));  // only top-level elements

  const auto first = root.FirstChildElement("zone");
  EXPECT_EQ(net::AttributeNumber(first, "id"), 12);
  EXPECT_EQ(net::AttributeText(first, "name"), L"Moscow & \u041c");
  EXPECT_EQ(net::AttributeText(first, "shift"), L"");
  EXPECT_EQ(net::AttributeText(first, "missing"), L"");
  EXPECT_EQ(net::AttributeNumber(first, "missing"), 0);
  EXPECT_EQ(net::ElementText(first), L"text");

  const auto second = first.NextSiblingElement("zone");
  EXPECT_EQ(net::AttributeNumber(second, "id"), 0);
  EXPECT_EQ(net::ElementText(second), L"two words");
  const auto third = second.NextSiblingElement("zone");
  EXPECT_EQ(net::AttributeText(third, "name"), L"");  // not UTF-8
  EXPECT_FALSE(third.NextSiblingElement("zone"));
  EXPECT_FALSE(third.NextSiblingElement("zone").FirstChildElement("x"));  // none stays none

  net::XmlDocument missing(dir / "none.xml");
  EXPECT_FALSE(missing.LoadFile());
  EXPECT_FALSE(missing.FirstChildElement("zones"));
}

TEST(ClockTexts, AreClampedToTheirRanges) {
  auto block = ReadBlockTime(L"09:05");
  EXPECT_EQ(block.hours, 9);
  EXPECT_EQ(block.minutes, 5);
  block = ReadBlockTime(L"25:70");
  EXPECT_EQ(block.hours, 23);
  EXPECT_EQ(block.minutes, 59);
  block = ReadBlockTime(L"-3:-4");
  EXPECT_EQ(block.hours, 0);
  EXPECT_EQ(block.minutes, 0);
  block = ReadBlockTime(L"");
  EXPECT_EQ(block.hours, 0);
  EXPECT_EQ(block.minutes, 0);
  block = ReadBlockTime(L"7");  // one character serves as both parts
  EXPECT_EQ(block.hours, 7);
  EXPECT_EQ(block.minutes, 7);

  auto element = ReadElementTime(L"75:99");
  EXPECT_EQ(element.minutes, 59);
  EXPECT_EQ(element.seconds, 59);
  element = ReadElementTime(L"12:30");
  EXPECT_EQ(element.minutes, 12);
  EXPECT_EQ(element.seconds, 30);
  element = ReadElementTime(L"ab:cd");
  EXPECT_EQ(element.minutes, 0);
  EXPECT_EQ(element.seconds, 0);
}

// Loading and reading a 1 MiB answer: the time goes to the test log.
TEST(AnswerCost, AOneMebibyteAnswerParsesQuickly) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<countries>\n";
  int count = 0;
  while (xml.size() < 1024 * 1024) {
    xml += "  <country code=\"c" + std::to_string(count) + "\" def=\"" + std::to_string(count % 2) +
           "\">\xd0\xa1\xd1\x82\xd1\x80\xd0\xb0\xd0\xbd\xd0\xb0 number " + std::to_string(count) + "</country>\n";
    ++count;
  }
  xml += "</countries>\n";
  TempDir dir;
  const auto file = dir.Write("big.xml", xml);

  const auto start = std::chrono::steady_clock::now();
  net::XmlDocument document(file);
  ASSERT_TRUE(document.LoadFile());
  std::vector<std::unique_ptr<model::CountryRecord>> countries;
  const auto root = document.FirstChildElement("countries");
  for (auto child = root.FirstChildElement("country"); child; child = child.NextSiblingElement("country")) {
    auto record = std::make_unique<model::CountryRecord>();
    record->code = net::AttributeText(child, "code");
    record->name = net::ElementText(child);
    record->isDefault = net::AttributeNumber(child, "def");
    countries.push_back(std::move(record));
  }
  const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
  ASSERT_EQ(countries.size(), static_cast<std::size_t>(count));
  EXPECT_EQ(countries.back()->name, L"\u0421\u0442\u0440\u0430\u043d\u0430 number " + std::to_wstring(count - 1));
  std::cout << "1 MiB answer (" << count << " records): " << elapsed.count() << " ms\n";
  RecordProperty("parse_ms", static_cast<int>(elapsed.count()));
  EXPECT_LT(elapsed.count(), 5000.0);
}

}  // namespace
}  // namespace kestrova::test
