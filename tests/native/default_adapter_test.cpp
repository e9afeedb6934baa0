// Which usable adapter is the machine's: every case side by side, each row the whole outcome.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "adapter/default_adapter.h"

namespace {

// Adapters in walk order, a word each: its name ("A" is {A}), the last byte of its address
// 00-0C-29-AB-CD-xx in hex, "w" for Wi-Fi ("A1 W7w"); "N*40" is {N1} to {N40}, from 81.
// Words without the byte ("A N*36 N40") stand for the names alone, as the list shows them.
std::vector<UsableAdapter> Adapters(const std::string& words) {
  std::vector<UsableAdapter> adapters;
  auto add = [&](const std::string& name, unsigned tail, bool wifi) {
    UsableAdapter adapter = {{{}, {}, {0x00, 0x0C, 0x29, 0xAB, 0xCD,
                                       static_cast<unsigned char>(tail)}}, {}, wifi};
    strcpy(adapter.entry.serviceName, ("{" + name + "}").c_str());
    FormatMachineNumber(adapter.entry.address, adapter.entry.machineNumber);
    adapters.push_back(adapter);
  };
  std::istringstream in(words);
  for (std::string word; in >> word;) {
    size_t nameLength = word[0] == 'N' && word[1] != '*' ? word.size() : 1;
    std::string tail = word.substr(nameLength, word.size() - nameLength - (word.back() == 'w'));
    for (int n = 1; word[1] == '*' && n <= std::stoi(word.substr(2)); ++n) {
      add("N" + std::to_string(n), 0x80 + n, false);
    }
    if (word[1] != '*') {
      add(word.substr(0, nameLength), tail.empty() ? 0 : std::stoul(tail, 0, 16),
          word.back() == 'w');
    }
  }
  return adapters;
}

constexpr auto kTake = ChoiceAction::kTake, kPrompt = ChoiceAction::kTakeAtPrompt,
               kAsk = ChoiceAction::kAsk, kFail = ChoiceAction::kFail;
constexpr auto kNothing = ChoiceWrite::kNothing, kRecord = ChoiceWrite::kRecord,
               kBoth = ChoiceWrite::kNameAndRecord;

struct Row {
  const char* situation;
  const char* adapters;   // usable, in walk order
  const char* stored;     // ServiceName, without its braces
  const char* record;     // PermanentAddress: the name it was made for and its address's last byte
  const char* listed;
  int defaultIndex;
  ChoiceAction attended, unattended;
  ChoiceWrite write;      // where the run does not fail
  bool numberChanged = false;
};

const Row kRows[] = {
    {"1 no usable card", "", "", "", "", 1, kFail, kFail, kNothing},
    {"1 no usable card, one stored", "", "B", "B 02", "", 1, kFail, kFail, kNothing},
    {"2 nothing stored, one card", "A1", "", "", "A", 1, kTake, kTake, kBoth},
    {"3 nothing stored, several", "A1 B2", "", "", "A B", 1, kAsk, kPrompt, kBoth},
    {"4 found by record under its name", "A1 B2", "B", "B 02", "A B", 2, kAsk, kPrompt, kNothing},
    {"4 the one card", "B2", "B", "B 02", "B", 1, kTake, kTake, kNothing},
    {"5 renamed", "A1 D2", "B", "B 02", "A D", 2, kAsk, kPrompt, kBoth},
    {"5 swapped: each name answers the other's address", "A2 B1", "B", "B 02", "A B", 1, kAsk,
     kPrompt, kBoth},
    {"6 by name, no record", "A1 B2", "B", "", "A B", 2, kAsk, kPrompt, kRecord},
    {"6 by name, a record of another name", "A1 B2", "B", "X 01", "A B", 2, kAsk, kPrompt,
     kRecord},
    {"6 by name, two cards with the address", "A2 B2", "B", "B 02", "A B", 2, kAsk, kPrompt,
     kNothing},
    {"6 by name, another address", "A1 B9", "B", "B 02", "A B", 2, kAsk, kPrompt, kRecord, true},
    {"6 by name, later over earlier", "B2 A1 B2", "B", "", "B A B", 3, kAsk, kPrompt, kRecord},
    {"7 absent", "A1", "X", "", "A", 1, kAsk, kFail, kBoth},
    {"7 absent, several", "A1 B2", "X", "", "A B", 1, kAsk, kFail, kBoth},
    {"7 no card with the recorded address", "A1", "X", "X 09", "A", 1, kAsk, kFail, kBoth},
    {"7 two cards with it, neither named", "A1 D1", "X", "X 01", "A D", 1, kAsk, kFail, kBoth},
    {"8 Wi-Fi beside wired, nothing stored", "W7w A1", "", "", "A", 1, kTake, kTake, kBoth},
    {"8 Wi-Fi beside wired, another stored", "W7w A1 B2", "B", "", "A B", 2, kAsk, kPrompt,
     kRecord},
    {"8 the stored Wi-Fi beside wired", "W7w A1 B2", "W", "", "A B W", 3, kAsk, kPrompt, kRecord},
    {"8 the stored Wi-Fi renamed", "A1 W7w", "U", "U 07", "A W", 2, kAsk, kPrompt, kBoth},
    {"9 only Wi-Fi", "W7w V8w", "", "", "W V", 1, kAsk, kPrompt, kBoth},
    {"10 crowded, the stored card last", "N*40", "N40", "N40 A8", "N*36 N40", 37, kAsk, kPrompt,
     kNothing},
    {"10 crowded, its name alone", "N*40", "N40", "", "N*36 N40", 37, kAsk, kPrompt, kRecord},
    {"10 crowded, nothing stored", "N*40", "", "", "N*37", 1, kAsk, kPrompt, kBoth},
};

TEST(DefaultAdapter, EveryCaseDecidesListDefaultActionAndWrites) {
  for (const Row& row : kRows) {
    std::vector<UsableAdapter> adapters = Adapters(row.adapters), listed = Adapters(row.listed);
    std::string stored = row.stored[0] ? "{" + std::string(row.stored) + "}" : "", r = row.record;
    AddressRecord record = {};
    ParseAddressRecord(r.empty() ? "" : ("00-0C-29-AB-CD-" + r.substr(r.find(' ') + 1) + " {" +
                                         r.substr(0, r.find(' ')) + "}").c_str(), &record);
    for (bool attended : {true, false}) {
      SCOPED_TRACE(std::string(row.situation) + (attended ? ", attended" : ", unattended"));
      DefaultAdapterChoice choice;
      memset(&choice, 0x5A, sizeof choice);
      DecideDefaultAdapter(adapters.data(), static_cast<int>(adapters.size()), stored.c_str(),
                           record, attended, &choice);
      ChoiceAction action = attended ? row.attended : row.unattended;
      ASSERT_EQ(choice.count, static_cast<int>(listed.size()));
      for (int n = 0; n < choice.count; ++n) {
        EXPECT_STREQ(adapters[choice.entries[n]].entry.serviceName, listed[n].entry.serviceName);
      }
      EXPECT_EQ(choice.defaultIndex, row.defaultIndex);
      EXPECT_EQ(choice.action, action);
      EXPECT_EQ(choice.write, action == kFail ? kNothing : row.write);
      EXPECT_EQ(choice.numberChanged, row.numberChanged);
      EXPECT_STREQ(choice.errorText,
                   action != kFail    ? ""
                   : adapters.empty() ? "No valid network cards found.\n"
                                      : ("The remembered network card \"" + stored + "\" was not "
                                         "found. Run vernix.exe at a console to choose a card "
                                         "again.\n").c_str());
    }
  }
}

TEST(DefaultAdapter, APersonsChoiceIsStoredWithItsRecord) {
  AddressRecord record = {};
  ASSERT_EQ(ParseAddressRecord("00-0C-29-AB-CD-02 {B}", &record), 0);
  std::vector<UsableAdapter> adapters = Adapters("A1 B2 B9");
  EXPECT_EQ(ChoiceWriteFor(adapters[0].entry, "{B}", record), kBoth);
  EXPECT_EQ(ChoiceWriteFor(adapters[1].entry, "{B}", record), kNothing);
  EXPECT_EQ(ChoiceWriteFor(adapters[2].entry, "{B}", record), kRecord);
  EXPECT_EQ(ChoiceWriteFor(adapters[1].entry, "", AddressRecord{}), kBoth);
}

}  // namespace
