// Records of the account set-up: countries, mobile operators, time zones,
// stream qualities and the premium short numbers. Texts are empty and
// numbers 0 until an answer fills them.
#pragma once

#include <string>

namespace kestrova::model {

struct CountryRecord {
  std::wstring code;  // attribute "code"
  std::wstring name;  // element text
  int isDefault = 0;  // attribute "def"
};

struct OperatorRecord {
  int id = 0;         // attribute "id"
  std::wstring name;  // element text
};

struct ZoneRecord {
  int id = 0;          // attribute "id"
  int isDefault = 0;   // 1 when attribute "default" reads as 1, else 0
  std::wstring shift;  // attribute "shift"
  std::wstring name;   // attribute "name"
};

struct QualityRecord {
  int id = 0;                  // attribute "id"
  std::wstring name;           // attribute "name"
  std::wstring requiredSpeed;  // attribute "spd_req"
};

struct ShortNumberRecord {
  std::wstring price;   // attribute "price"
  int credit = 0;       // attribute "credit"
  int number = 0;       // attribute "number"
  std::wstring prefix;  // attribute "prefix"; the payment text starts with it
};

}  // namespace kestrova::model
