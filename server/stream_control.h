// The stream control script "cc.cgi" under the control link of the set-up
// answer, and the on-demand video files next to it.
//
// A live channel is a sequence of short segments. For each one the client
// asks twice: the set-up ("query_type=setup", the channel) is answered in
// response headers (Qual_num, S1..Sn with the exact byte size of the next
// segment in each quality, Video_name, Video_id when the programme on air is
// a catalogue video, Len), and the getvid ("query_type=getvid", a quality)
// sends exactly that segment in the asked quality. Each user has a timeline
// of their own: the first segment is short so that playback starts quickly,
// the following ones grow to the full length and continue where the last
// one ended, and each set-up has the segment after it encoded ahead.
//
// Errors come with an HTTP error status, an "Error_id" header and the text
// as a plain-text body, so nothing an error returns can pass for a segment.
#pragma once

#include <httplib.h>

#include <ctime>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "media/channel_hub.h"
#include "link_limit.h"
#include "media/video_library.h"
#include "request_parking.h"
#include "segment_cache.h"
#include "server_context.h"
#include "waiting_setups.h"

namespace kestrova::server {

// The path of the control link; the set-up answer of setup.php announces
// the server's base URL followed by it.
inline constexpr const char* kStreamPath = "/stream/";

class StreamControl {
 public:
  // Segment lengths: the first of a timeline, then doubling up to the full one.
  static constexpr int kFirstSegmentSeconds = 1;
  static constexpr int kSegmentSeconds = 6;
  // A live stream cannot run ahead of the clock by more than this: a set-up
  // for a later segment waits (parked, holding no worker), so a client that
  // fetches without playing is held to real time. An account may have only
  // WaitingSetups::kMaxPerAccount set-ups waiting; more get the busy error.
  static constexpr int kMaxLeadSeconds = 4 * kSegmentSeconds;
  // A timeline whose next segment lies this far in the past (the user
  // stopped watching) starts again at the present.
  static constexpr int kRejoinSeconds = 2 * kSegmentSeconds;
  // On-demand files show the video's card for at most this long.
  static constexpr int kOnDemandSeconds = 20;
  static constexpr std::size_t kMaxOnDemandFiles = 8;

  // A set-up of a channel with a source waits at most this long, parked,
  // for its segment; then the channel counts as off the air.
  static constexpr int kLongestLiveWait = 25;

  // An on-demand request waits this long at most, parked, for its video to
  // be transcoded; then it is asked to come back later.
  static constexpr int kLongestVideoWait = 15;
  // A session without a set-up for this long is forgotten, with the segment
  // it announced: its getvid has long come or its client has gone.
  static constexpr int kForgetSeconds = 600;

  // Getvid bodies go out paced by `link` (no limit unless one is set).
  StreamControl(const ServerContext& context, RequestParking& parking, media::ChannelHub& channels,
                media::VideoLibrary& videos, const LinkLimit& link)
      : context_(context), parking_(parking), channels_(channels), videos_(videos), link_(link) {}

  // Registers "cc.cgi" and the on-demand files under kStreamPath; the
  // object must outlive the server's listening.
  void Install(httplib::Server& http);

 private:
  struct Session {
    int record = 0;
    std::time_t next_start = 0;
    int next_seconds = 0;
    std::shared_ptr<const EncodedSegment> announced;  // what the next getvid sends
    // A channel with a source: its segments come from the channel's
    // timeline, in the pipeline run `run`.
    bool live = false;
    std::uint64_t run = 0;
    std::time_t last_setup = 0;
    std::time_t waiting_since = 0;  // of a set-up parked for its segment
  };
  // The channel or video a stream shows, after the access check.
  struct Source {
    int record = 0;
    std::string card_name;
    std::string programme;      // Video_name
    std::optional<int> video;   // Video_id
  };

  void Setup(const ApiRequest& request, httplib::Response& response);
  void LiveSetup(const ApiRequest& request, const Account& account, const Channel& channel,
                 media::ChannelPipeline& pipeline, httplib::Response& response);
  void Announce(const EncodedSegment& segment, const Source& source, int seconds, httplib::Response& response) const;
  void Getvid(const ApiRequest& request, httplib::Response& response);
  void OnDemand(const ApiRequest& request, int video_id, httplib::Response& response);
  // The video's own file, transcoded; false when it has none.
  bool OnDemandFile(const ApiRequest& request, const Account& account, int video_id, int quality,
                    httplib::Response& response);

  Account Authenticate(const ApiRequest& request) const;
  Source FindSource(const ApiRequest& request, const Account& account, std::time_t moment) const;
  bool MayWatchVideo(const Account& account, const Video& video) const;
  // The user's next segment on their timeline, which moves on by it, when
  // it is due now (it starts no more than kMaxLeadSeconds ahead); otherwise
  // only the time when it will be due, and the timeline stays.
  struct NextStep {
    std::optional<SegmentKey> key;
    std::time_t due = 0;
  };
  NextStep TakeNextSegment(int user_id, const Source& source, std::time_t now);
  // With mutex_ held: drops idle sessions, at most every kForgetSeconds / 2.
  void ForgetIdleSessions(std::time_t now);

  const ServerContext& context_;
  RequestParking& parking_;
  media::ChannelHub& channels_;
  media::VideoLibrary& videos_;
  const LinkLimit& link_;
  SegmentCache segments_;
  WaitingSetups waiting_;
  // Guards sessions_, on_demand_ (with its order) and video_waits_.
  std::mutex mutex_;
  std::map<int, Session> sessions_;  // by user id
  std::time_t last_forget_ = 0;
  std::map<std::pair<int, int>, std::shared_ptr<const std::string>> on_demand_;  // by (video, quality)
  std::deque<std::pair<int, int>> on_demand_order_;
  std::map<std::pair<int, int>, std::time_t> video_waits_;  // (user, video): since when its request waits
};

}  // namespace kestrova::server
