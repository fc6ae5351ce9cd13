#include "params/differences.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "texts/texts.h"

namespace qm17 {
namespace {

TEST(CompareParameterBlocks, ListsEachDifferingByteInUserUnits) {
  DeviceImage before{};
  SetDefaultImage(before);
  DeviceImage after = before;
  before[82] = 15;  // point 3 advance
  before[75] = 3;   // reserved
  before[5] = 9;    // identification block: never compared
  after[52] = 140;
  after[75] = 4;
  const std::vector<Difference> expected = {
      {ParameterField::Limiter, 52, 15000, 14000, ValueUnit::Rpm},
      {ParameterField::Reserved, 75, 3, 4, ValueUnit::None},
      {ParameterField::PointAdvance, 82, 15, 10, ValueUnit::Degrees},
  };
  EXPECT_EQ(CompareParameterBlocks(before, after), expected);
  EXPECT_TRUE(CompareParameterBlocks(after, after).empty());
}

TEST(FormatDifference, InEachLanguage) {
  const Difference differences[] = {
      {ParameterField::PointAdvance, 82, 15, 10, ValueUnit::Degrees},
      {ParameterField::Limiter, 52, 15000, 14000, ValueUnit::Rpm},
      {ParameterField::Polarity, 55, 1, 2, ValueUnit::None},
      {ParameterField::Polarity, 55, 0, 7, ValueUnit::None},
      {ParameterField::Reserved, 75, 3, 4, ValueUnit::None},
  };
  const std::vector<std::string> expected[kLanguageCount] = {
      {"Předstih bodu 3: 15 → 10 [°]", "Omezovač: 15000 → 14000 [rpm]",
       "Polarita CKPS: Záporná → Samohledání", "Polarita CKPS: Kladná → 7", "bajt 75: 3 → 4"},
      {"Point 3 advance: 15 → 10 [°]", "Limiter: 15000 → 14000 [rpm]",
       "Polarity of CKPS: Negative → Selfsearch", "Polarity of CKPS: Positive → 7",
       "byte 75: 3 → 4"},
      {"Vorzündung Punkt 3: 15 → 10 [°]", "Begrenzer: 15000 → 14000 [rpm]",
       "Polarität des CKPS: Negativ → Automatisch", "Polarität des CKPS: Positiv → 7",
       "Byte 75: 3 → 4"},
  };
  for (int l = 0; l < kLanguageCount; ++l) {
    const ChangeWording wording = ChangeWordingFor(static_cast<Language>(l));
    std::vector<std::string> texts;
    for (const Difference& d : differences) texts.push_back(FormatDifference(wording, d));
    EXPECT_EQ(texts, expected[l]) << l;
    // Every field has a name of its own.
    const std::set<std::string> names(wording.names.begin(), wording.names.end());
    EXPECT_EQ(names.size(), kParameterFieldCount) << l;
    EXPECT_EQ(names.count(""), 0u) << l;
  }
}

}  // namespace
}  // namespace qm17
