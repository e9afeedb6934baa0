// Which usable adapter is the machine's: every case side by side, each row the whole outcome.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "adapter/default_adapter.h"

namespace {

// An adapter with the address 00-0C-29-AB-CD-<tail>.
struct Card {
  std::string name;
  unsigned char tail;
  bool wifi = false;
};

std::vector<Card> Crowd(int count) {   // {N01}, {N02} ...
  std::vector<Card> cards;
  for (int n = 1; n <= count; ++n) {
    char name[8];
    snprintf(name, sizeof name, "{N%02d}", n);
    cards.push_back({name, static_cast<unsigned char>(0x80 + n)});
  }
  return cards;
}

std::string Names(const std::vector<Card>& cards) {
  std::string names;
  for (const Card& card : cards) names += (names.empty() ? "" : " ") + card.name;
  return names;
}

constexpr auto kTake = ChoiceAction::kTake;
constexpr auto kPrompt = ChoiceAction::kTakeAtPrompt;
constexpr auto kAsk = ChoiceAction::kAsk;
constexpr auto kFail = ChoiceAction::kFail;
constexpr auto kNothing = ChoiceWrite::kNothing;
constexpr auto kRecord = ChoiceWrite::kRecord;
constexpr auto kBoth = ChoiceWrite::kNameAndRecord;
const char kNoCards[] = "No valid network cards found.\n";
const char kXNotFound[] = "The remembered network card \"{X}\" was not found. Run vernix.exe at a "
                          "console to choose a card again.\n";

struct Row {
  const char* situation;
  std::vector<Card> cards;   // usable, in walk order
  const char* stored;        // ServiceName
  const char* record;        // PermanentAddress
  bool attended;
  std::string listed;        // the entries' service names, in list order
  int defaultIndex;
  ChoiceAction action;
  ChoiceWrite write;
  const char* error = "";
  bool numberChanged = false;
};

const Card A{"{A}", 1}, B{"{B}", 2}, C{"{C}", 3}, W{"{W}", 7, true}, V{"{V}", 8, true};
const char kRecordOfB[] = "00-0C-29-AB-CD-02 {B}";

const Row kRows[] = {
    {"1 no usable card", {}, "", "", true, "", 1, kFail, kNothing, kNoCards},
    {"1 no usable card, one stored", {}, "{B}", kRecordOfB, false, "", 1, kFail, kNothing,
     kNoCards},
    {"2 nothing stored, one card", {A}, "", "", true, "{A}", 1, kTake, kBoth},
    {"2 unattended", {A}, "", "", false, "{A}", 1, kTake, kBoth},
    {"3 nothing stored, several", {A, B}, "", "", true, "{A} {B}", 1, kAsk, kBoth},
    {"3 unattended", {A, B}, "", "", false, "{A} {B}", 1, kPrompt, kBoth},
    {"4 found by record under its name", {A, B}, "{B}", kRecordOfB, true, "{A} {B}", 2, kAsk,
     kNothing},
    {"4 unattended", {A, B}, "{B}", kRecordOfB, false, "{A} {B}", 2, kPrompt, kNothing},
    {"4 the one card", {B}, "{B}", kRecordOfB, false, "{B}", 1, kTake, kNothing},
    {"5 renamed", {A, {"{D}", 2}}, "{B}", kRecordOfB, false, "{A} {D}", 2, kPrompt, kBoth},
    {"5 swapped: the name answers the other card's address", {{"{A}", 2}, {"{B}", 1}}, "{B}",
     kRecordOfB, false, "{A} {B}", 1, kPrompt, kBoth},
    {"5 swapped, attended", {{"{A}", 2}, {"{B}", 1}}, "{B}", kRecordOfB, true, "{A} {B}", 1, kAsk,
     kBoth},
    {"6 by name, no record", {A, B}, "{B}", "", false, "{A} {B}", 2, kPrompt, kRecord},
    {"6 by name, a record of another name", {A, B}, "{B}", "00-0C-29-AB-CD-01 {X}", false,
     "{A} {B}", 2, kPrompt, kRecord},
    {"6 by name, two cards with the address", {{"{A}", 2}, B}, "{B}", kRecordOfB, false,
     "{A} {B}", 2, kPrompt, kNothing},
    {"6 by name, another address", {A, {"{B}", 9}}, "{B}", kRecordOfB, false, "{A} {B}", 2,
     kPrompt, kRecord, "", true},
    {"6 by name, later over earlier", {B, A, B}, "{B}", "", true, "{B} {A} {B}", 3, kAsk,
     kRecord},
    {"7 absent", {A}, "{X}", "", true, "{A}", 1, kAsk, kBoth},
    {"7 absent, unattended", {A, B}, "{X}", "", false, "{A} {B}", 1, kFail, kNothing,
     kXNotFound},
    {"7 no card with the recorded address", {A}, "{X}", "00-0C-29-AB-CD-09 {X}", false, "{A}", 1,
     kFail, kNothing, kXNotFound},
    {"7 two cards with it, neither named", {A, {"{D}", 1}}, "{X}", "00-0C-29-AB-CD-01 {X}",
     false, "{A} {D}", 1, kFail, kNothing, kXNotFound},
    {"8 Wi-Fi beside wired, nothing stored", {W, A}, "", "", false, "{A}", 1, kTake, kBoth},
    {"8 Wi-Fi beside wired, another stored", {W, A, B}, "{B}", "", false, "{A} {B}", 2, kPrompt,
     kRecord},
    {"8 the stored Wi-Fi beside wired", {W, A, B}, "{W}", "", false, "{A} {B} {W}", 3, kPrompt,
     kRecord},
    {"8 the stored Wi-Fi renamed", {A, W}, "{U}", "00-0C-29-AB-CD-07 {U}", false, "{A} {W}", 2,
     kPrompt, kBoth},
    {"9 only Wi-Fi", {W, V}, "", "", true, "{W} {V}", 1, kAsk, kBoth},
    {"10 crowded, the stored card last", Crowd(40), "{N40}", "00-0C-29-AB-CD-A8 {N40}", false,
     Names(Crowd(36)) + " {N40}", 37, kPrompt, kNothing},
    {"10 crowded, attended", Crowd(40), "{N40}", "", true, Names(Crowd(36)) + " {N40}", 37, kAsk,
     kRecord},
    {"10 crowded, nothing stored", Crowd(40), "", "", false, Names(Crowd(37)), 1, kPrompt,
     kBoth},
};

std::vector<UsableAdapter> Usable(const std::vector<Card>& cards) {
  std::vector<UsableAdapter> adapters;
  for (const Card& card : cards) {
    UsableAdapter adapter = {};
    strcpy(adapter.entry.serviceName, card.name.c_str());
    const unsigned char address[6] = {0x00, 0x0C, 0x29, 0xAB, 0xCD, card.tail};
    memcpy(adapter.entry.address, address, sizeof address);
    FormatMachineNumber(address, adapter.entry.machineNumber);
    adapter.wifi = card.wifi;
    adapters.push_back(adapter);
  }
  return adapters;
}

TEST(DefaultAdapter, EveryCaseDecidesListDefaultActionAndWrites) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.situation);
    std::vector<UsableAdapter> adapters = Usable(row.cards);
    AddressRecord record = {};
    if (row.record[0] != '\0') {
      ASSERT_EQ(ParseAddressRecord(row.record, &record), 0);
    }
    DefaultAdapterChoice choice;
    memset(&choice, 0x5A, sizeof choice);
    DecideDefaultAdapter(adapters.data(), static_cast<int>(adapters.size()), row.stored, record,
                         row.attended, &choice);
    std::string listed;
    for (int n = 0; n < choice.count; ++n) {
      listed += (n ? " " : "") + std::string(adapters[choice.entries[n]].entry.serviceName);
    }
    EXPECT_EQ(listed, row.listed);
    EXPECT_EQ(choice.defaultIndex, row.defaultIndex);
    EXPECT_EQ(choice.action, row.action);
    EXPECT_EQ(choice.write, row.write);
    EXPECT_STREQ(choice.errorText, row.error);
    EXPECT_EQ(choice.numberChanged, row.numberChanged);
  }
}

TEST(DefaultAdapter, APersonsChoiceIsStoredWithItsRecord) {
  AddressRecord record = {};
  ASSERT_EQ(ParseAddressRecord(kRecordOfB, &record), 0);
  std::vector<UsableAdapter> adapters = Usable({A, B, {"{B}", 9}});
  EXPECT_EQ(ChoiceWriteFor(adapters[0].entry, "{B}", record), kBoth);
  EXPECT_EQ(ChoiceWriteFor(adapters[1].entry, "{B}", record), kNothing);
  EXPECT_EQ(ChoiceWriteFor(adapters[2].entry, "{B}", record), kRecord);
  EXPECT_EQ(ChoiceWriteFor(adapters[1].entry, "", AddressRecord{}), kBoth);
}

}  // namespace
