// Sequential positioning shared by both readers, driven by a scripted list of
// records instead of a file: which requests read, what the record window is
// after the end of the file, and the three positioning errors verbatim.
#include "met/reader.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "io/stop.hpp"
#include "test_util.hpp"

namespace quelmar::met {
namespace {

using test::ListedRun;
using test::shown;

struct Rec {
  int begin, bsec, end, esec;
};

// Hands out the records in order; the record's index becomes the wind speed.
struct Script {
  run::MOD_MET& m;
  std::vector<Rec> recs;
  std::size_t next = 0;
  int reads = 0;
  double ws = -1.0;
  int operator()() {
    ++reads;
    ws = 9999.0;
    if (next >= recs.size()) return 1;
    const Rec& r = recs[next];
    m.REC_BEGIN_DATEHR = r.begin;
    m.REC_BEGIN_SEC = r.bsec;
    m.REC_END_DATEHR = r.end;
    m.REC_END_SEC = r.esec;
    ws = static_cast<double>(next++);
    return 0;
  }
};

// Three AERMET-like hours of 1 January 2023 (seconds 0 to 3599), the first one
// current, and a five-year window.
void aermet_like(run::MOD_MET& m, Script& s) {
  s.recs = {{202300100, 0, 202300100, 3599}, {202300101, 0, 202300101, 3599}, {202300102, 0, 202300102, 3599}};
  m.FILE_BEGIN_DATEHR = 202300100;
  m.FILE_BEGIN_SEC = 0;
  m.FILE_END_DATEHR = 202736523;
  m.FILE_END_SEC = 3599;
  s();
  s.reads = 0;
}

struct Step {
  int date, sec;
  int reads;  // records read by this request (an end of file counts)
  double ws;  // -2: the caller's value stands
};

TEST(MetPosition, WindowRulesOnAermetLikeRecords) {
  const Step steps[] = {
      {202300100, 0, 0, -2},       // the current record covers its begin
      {202300100, 1800, 0, -2},    // and the middle of its hour
      {202300101, 0, 1, 1},        // D4 < 0 on record 0: record 1 is read
      {202300102, 3598, 1, 2},     // the last second but one of record 2
      {202300102, 3599, 1, 9999},  // D4 = 0: the end of the record is not covered; end of file
      {202300103, 0, 1, 9999},     // every later request reads the end again
      {202400100, 1234, 1, 9999},
  };
  ListedRun h;
  Script s{h.run->met, {}};
  aermet_like(h.run->met, s);
  for (const Step& st : steps) {
    s.reads = 0;
    s.ws = -2;
    position_sequential(*h.run, 20, AERMET_KIND, st.date, st.sec, std::ref(s));
    EXPECT_EQ(s.reads, st.reads) << st.date << " " << st.sec;
    EXPECT_EQ(s.ws, st.ws) << st.date << " " << st.sec;
  }
  // After the end the record window is parked on (file begin, file end second).
  EXPECT_EQ(h.run->met.REC_BEGIN_DATEHR, 202300100);
  EXPECT_EQ(h.run->met.REC_END_DATEHR, 202300100);
  EXPECT_EQ(h.run->met.REC_BEGIN_SEC, 3599);
  EXPECT_EQ(h.run->met.REC_END_SEC, 3599);
  EXPECT_TRUE(h.list_records().empty());
  EXPECT_TRUE(h.out.str().empty());
}

TEST(MetPosition, RecordEndingOnTheNextHourStartIsNotCoveredThere) {
  // Time-series records run from (H, 0) to (H+1, 0).
  ListedRun h;
  run::MOD_MET& m = h.run->met;
  Script s{m, {{200806105, 0, 200806106, 0}, {200806106, 0, 200806107, 0}}};
  m.FILE_BEGIN_DATEHR = 200806105;
  m.FILE_END_DATEHR = 200806107;
  s();
  s.reads = 0;
  position_sequential(*h.run, 20, CALPOST_KIND, 200806105, 3599, std::ref(s));
  EXPECT_EQ(s.reads, 0);
  position_sequential(*h.run, 20, CALPOST_KIND, 200806106, 0, std::ref(s));
  EXPECT_EQ(s.reads, 1);
  EXPECT_EQ(s.ws, 1.0);
  // The file end itself is inside the window; the last record does not cover it.
  position_sequential(*h.run, 20, CALPOST_KIND, 200806107, 0, std::ref(s));
  EXPECT_EQ(s.ws, 9999.0);
}

TEST(MetPosition, WindowWiderThan68YearsNeedsNoWrap) {
  // Differences beyond 2^31 seconds (about 68 years) keep their sign.
  ListedRun h;
  run::MOD_MET& m = h.run->met;
  Script s{m, {{200000100, 0, 200000100, 3599}}};
  m.FILE_BEGIN_DATEHR = 190000100;
  m.FILE_END_DATEHR = 209936523;
  m.FILE_END_SEC = 3599;
  s();
  s.reads = 0;
  position_sequential(*h.run, 20, AERMET_KIND, 200000100, 10, std::ref(s));
  EXPECT_EQ(s.reads, 0);
}

struct ErrorCase {
  const char* what;
  std::string_view kind;
  int date, sec;
  int preread;  // records read before the request (besides the first)
  std::vector<std::string> records;
};

TEST(MetPosition, ErrorsOnListFileThenConsoleAndStop) {
  const ErrorCase cases[] = {
      {"early",
       AERMET_KIND,
       202236523,
       3599,
       0,
       {" ERROR- beginning date/time requested is earlier", " than data in AERMET TIME SERIES file",
        " date requested =    202236523        3599", " beginning date in file =    202300100           0"}},
      {"late",
       CALPOST_KIND,
       202800100,
       0,
       0,
       {" ERROR- end date/time requested is later", " than data in CALPOST TIME SERIES file",
        " date requested =    202800100           0", " end date in file =    202736523        3599"}},
      {"sequence",
       AERMET_KIND,
       202300100,
       0,
       1,
       {" ***ERROR***- bad read sequence", " date requested =    202300100           0",
        " beginning date in file =    202300100           0", " end date in file =    202736523        3599",
        " beginning date read =    202300101           0", " end date read =    202300101        3599"}},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.what);
    ListedRun h;
    Script s{h.run->met, {}};
    aermet_like(h.run->met, s);
    for (int i = 0; i < c.preread; ++i) s();
    try {
      position_sequential(*h.run, 20, c.kind, c.date, c.sec, std::ref(s));
      ADD_FAILURE() << "no stop";
    } catch (const io::Stop& stop) {
      EXPECT_EQ(stop.text, "");
    }
    EXPECT_EQ(h.list_records(), c.records);
    EXPECT_EQ(h.console_lines(), shown(c.records));
  }
}

TEST(MetPosition, EarlyRequestIsTestedBeforeTheRecordWindow) {
  // A request before both the file and the current record names the file.
  ListedRun h;
  Script s{h.run->met, {}};
  aermet_like(h.run->met, s);
  s();
  EXPECT_THROW(position_sequential(*h.run, 20, AERMET_KIND, 202200100, 0, std::ref(s)), io::Stop);
  const auto recs = h.list_records();
  ASSERT_FALSE(recs.empty());
  EXPECT_EQ(recs[0], " ERROR- beginning date/time requested is earlier");
}

}  // namespace
}  // namespace quelmar::met
