// The lists of the data model: records on the heap in answer order, owned by
// the list, so emptying the list frees them.
#pragma once

#include <memory>
#include <vector>

namespace kestrova::model {

template <typename Record>
using RecordList = std::vector<std::unique_ptr<Record>>;

}  // namespace kestrova::model
