// The fuzz build's HTTP transport: every transfer "receives" the answer set
// here instead of going to a server, so the endpoints read arbitrary bytes
// exactly as they read a downloaded answer file or header block.
#pragma once

#include <string_view>

namespace kestrova::fuzz {

// The body and the response header block every following transfer hands out.
void SetStubAnswer(std::string_view body, std::string_view headers);

}  // namespace kestrova::fuzz
