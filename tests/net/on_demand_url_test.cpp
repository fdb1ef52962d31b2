// The address of an on-demand video: the control link as the server gave
// it (one "/" before the file either way) and every value made safe.
#include <gtest/gtest.h>

#include "model/data_state.h"
#include "net/on_demand_url.h"

namespace kestrova::test {
namespace {

TEST(OnDemandUrl, JoinsTheControlLinkWithOneSlashAndEncodesTheKey) {
  model::DataState data;
  data.userId = 42;
  data.sessionKey = L"k&y=1 2";
  const std::wstring query =
      L"orva1201.3gp?user_id=42&user_key=k%26y%3D1%202&quality=3&client_type=java&query_type=getvid_ondemand"
      L"&video_id=1201";
  for (const wchar_t* link : {L"http://media.example/stream/", L"http://media.example/stream"}) {
    data.controlLink = link;
    EXPECT_EQ(net::OnDemandUrl(data, 1201, 3), L"http://media.example/stream/" + query) << link;
  }
}

}  // namespace
}  // namespace kestrova::test
