// Records of the help and of the service's messages.
#pragma once

#include <string>

#include "model/record_list.h"

namespace kestrova::model {

struct HelpTextRecord {
  int id = 0;            // attribute "id"
  std::wstring subject;  // attribute "subject"
  std::wstring text;     // attribute "text"
};

struct HelpThemeRecord {
  int id = 0;         // attribute "id"
  std::wstring name;  // attribute "name"
  RecordList<HelpTextRecord> texts;  // loaded once per theme
};

struct MessageRecord {
  int id = 0;           // attribute "id"
  std::wstring header;  // attribute "header"
  std::wstring text;    // attribute "text"
};

}  // namespace kestrova::model
