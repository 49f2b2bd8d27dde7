// Free-format and fixed-column reading, and the text routines.
#include "io/read.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>

#include "io/stop.hpp"
#include "io/text.hpp"
#include "io/temporaries.hpp"
#include "io/units.hpp"
#include "test_util.hpp"

namespace quelmar::io {
namespace {

struct IntCase {
  const char* text;
  ReadStatus status;
  int value;  // expected target, starting from 99
};

TEST(FreeRead, OneInteger) {
  const IntCase cases[] = {
      {"5", ReadStatus::Ok, 5},         {"  -12 ", ReadStatus::Ok, -12}, {"5 m/s", ReadStatus::Ok, 5},
      {"1,5", ReadStatus::Ok, 1},       {"12abc", ReadStatus::Error, 99}, {"1.5", ReadStatus::Error, 99},
      {"/", ReadStatus::Ok, 99},        {",7", ReadStatus::Ok, 99},       {"3*4", ReadStatus::Ok, 4},
      {"", ReadStatus::End, 99},        {"'7'", ReadStatus::Error, 99},   {"99999999999", ReadStatus::Error, 99},
      {"+8", ReadStatus::Ok, 8},        {"2*", ReadStatus::Ok, 99},
  };
  for (const IntCase& c : cases) {
    int v = 99;
    const Target t = Target::of(v);
    EXPECT_EQ(read_free(c.text, {&t, 1}), c.status) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

TEST(FreeRead, OneDouble) {
  struct Case {
    const char* text;
    ReadStatus status;
    double value;
  };
  const Case cases[] = {
      {"2.5D1", ReadStatus::Ok, 25.0}, {"1.5e-3", ReadStatus::Ok, 0.0015}, {".5", ReadStatus::Ok, 0.5},
      {"7", ReadStatus::Ok, 7.0},      {"-99999.", ReadStatus::Ok, -99999.0}, {"1,5", ReadStatus::Ok, 1.0},
      {"1.5+2", ReadStatus::Ok, 150.0}, {"nan", ReadStatus::Error, -1.0},  {"inf", ReadStatus::Error, -1.0},
      {"1e400", ReadStatus::Error, -1.0}, {"1.2.3", ReadStatus::Error, -1.0}, {"e5", ReadStatus::Error, -1.0},
      {"+2.5", ReadStatus::Ok, 2.5},   {"1.5E+02", ReadStatus::Ok, 150.0}, {"-1.5e2", ReadStatus::Ok, -150.0},
      {"5.", ReadStatus::Ok, 5.0},     {"-.25", ReadStatus::Ok, -0.25},    {"2.5d-1", ReadStatus::Ok, 0.25},
      {"1.5e", ReadStatus::Error, -1.0}, {"1.5e+", ReadStatus::Error, -1.0}, {"--1", ReadStatus::Error, -1.0},
      {"1.5x", ReadStatus::Error, -1.0}, {"-", ReadStatus::Error, -1.0},   {"1e-400", ReadStatus::Error, -1.0},
  };
  for (const Case& c : cases) {
    double v = -1.0;
    const Target t = Target::of(v);
    EXPECT_EQ(read_free(c.text, {&t, 1}), c.status) << c.text;
    EXPECT_DOUBLE_EQ(v, c.value) << c.text;
  }
}

// A free-format real is the correctly rounded double of its decimal text:
// compared bit for bit with the C library's strtod over random mantissas of 1
// to 19 digits with and without a point, exponents of every form (E, D, a sign
// alone) and size, and signs.
TEST(FreeRead, DoublesAreCorrectlyRounded) {
  std::mt19937_64 gen(42);
  const char* forms[] = {"", "E", "e", "D", "d", "E+", "E-", "D-", "+", "-"};
  int differ = 0;
  for (int i = 0; i < 300000; ++i) {
    std::string text, digits;
    const bool negative = gen() % 2 == 0;
    if (negative) text += '-';
    const int n = 1 + static_cast<int>(gen() % 19), point = static_cast<int>(gen() % (n + 1));
    for (int k = 0; k < n; ++k) {
      if (k == point) digits += '.';
      digits += static_cast<char>('0' + (gen() % 4 == 0 ? 0 : gen() % 10));
    }
    text += digits;
    std::string c_text = (negative ? "-" : "") + digits;  // the same number in strtod's form
    const std::string form = forms[gen() % std::size(forms)];
    if (!form.empty()) {
      const int e = static_cast<int>(gen() % 60);
      text += form + std::to_string(e);
      c_text += (form.back() == '-' ? "e-" : "e") + std::to_string(e);
    }
    double v = -1.0;
    const Target t = Target::of(v);
    ASSERT_EQ(read_free(text, {&t, 1}), ReadStatus::Ok) << text;
    const double want = std::strtod(c_text.c_str(), nullptr);
    if (std::memcmp(&v, &want, sizeof v) != 0 && ++differ <= 10) ADD_FAILURE() << text << " " << c_text;
  }
  EXPECT_EQ(differ, 0);
}

TEST(FreeRead, ListsSpanRecordsAndSkipTheRest) {
  std::vector<std::string> recs = {"1 2", "  3, ,5 6 7", "8"};
  std::size_t at = 0;
  std::function<bool(std::string&)> next = [&](std::string& r) {
    if (at >= recs.size()) return false;
    r = recs[at++];
    return true;
  };
  int v[5] = {0, 0, 0, -1, 0};
  const Target t[5] = {Target::of(v[0]), Target::of(v[1]), Target::of(v[2]), Target::of(v[3]), Target::of(v[4])};
  int used = 0;
  EXPECT_EQ(read_free(next, t, &used), ReadStatus::Ok);
  EXPECT_EQ(used, 2);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[2], 3);
  EXPECT_EQ(v[3], -1);  // nothing between two commas: unchanged
  EXPECT_EQ(v[4], 5);
  // The rest of the second record (6 7) is skipped: the next read starts at "8".
  int w = 0;
  const Target tw = Target::of(w);
  EXPECT_EQ(read_free(next, {&tw, 1}), ReadStatus::Ok);
  EXPECT_EQ(w, 8);
  EXPECT_EQ(read_free(next, {&tw, 1}), ReadStatus::End);
}

TEST(FreeRead, TextsAndSlash) {
  Text<16> word;
  int n = 3, m = 4;
  const Target t[3] = {Target::of(word.span()), Target::of(n), Target::of(m)};
  EXPECT_EQ(read_free("'ab c' 5 / 9", t), ReadStatus::Ok);
  EXPECT_EQ(word.trimmed(), "ab c");
  EXPECT_EQ(word(5), '\0');
  EXPECT_EQ(n, 5);
  EXPECT_EQ(m, 4);  // the slash ended the read
  EXPECT_EQ(read_free("QUELMAR, 7", t), ReadStatus::End);
  EXPECT_EQ(word.trimmed(), "QUELMAR");
  EXPECT_EQ(n, 7);
}

TEST(FixedColumns, IntegersAndImpliedDecimals) {
  int i = -1;
  EXPECT_TRUE(read_int_field("2008 03 01", 6, 2, i));
  EXPECT_EQ(i, 3);
  EXPECT_TRUE(read_int_field("      ", 1, 4, i));
  EXPECT_EQ(i, 0);
  EXPECT_TRUE(read_int_field("ab", 5, 3, i));  // beyond the line: blank
  EXPECT_EQ(i, 0);
  EXPECT_FALSE(read_int_field("  x1", 1, 4, i));
  double d = -1;
  EXPECT_TRUE(read_real_field("    2.5000", 1, 10, 3, d));
  EXPECT_DOUBLE_EQ(d, 2.5);
  EXPECT_TRUE(read_real_field("      2500", 1, 10, 3, d));
  EXPECT_DOUBLE_EQ(d, 2.5);
  EXPECT_TRUE(read_real_field("     -2500", 1, 10, 3, d));
  EXPECT_DOUBLE_EQ(d, -2.5);
  EXPECT_TRUE(read_real_field("        25", 1, 10, 3, d));
  EXPECT_DOUBLE_EQ(d, 0.025);
  EXPECT_TRUE(read_real_field("   1.5E+02", 1, 10, 3, d));
  EXPECT_DOUBLE_EQ(d, 150.0);
  EXPECT_FALSE(read_real_field("   abc    ", 1, 10, 3, d));
  EXPECT_EQ(text_field("WSPEED      M/S", 13, 12), "M/S         ");
}

TEST(Texts, TrimCopyCompareJoinCase) {
  EXPECT_EQ(LEN_REAL(std::string(" \t\0 ", 4)), 0);
  EXPECT_EQ(LEN_REAL("ab c  "), 4);
  EXPECT_EQ(LEQ(std::string("  \0", 3), "\t"), 1);
  EXPECT_EQ(LEQ("MDSPMOD", std::string("MDSPMOD\0\0", 9)), 1);
  EXPECT_EQ(LEQ(" MDSPMOD", "MDSPMOD"), 0);  // leading blanks count
  Text<8> t;
  t = "SO2   ";
  EXPECT_EQ(t.view(), std::string("SO2\0\0\0\0\0", 8));
  t = "a 40 character value cut at eight";
  EXPECT_EQ(t.view(), "a 40 cha");
  std::string s("  \tabc\0\0", 8);
  ZSTRTRIM(s);
  EXPECT_EQ(s, std::string("abc\0\0\0\0\0", 8));
  std::string blank = " \t ";
  ZSTRTRIM(blank);
  EXPECT_EQ(blank, std::string(3, '\0'));

  std::string out(255, '?');
  CONCAT(out, "abc", "def");
  EXPECT_EQ(out, "abcdef" + std::string(249, ' '));
  std::string four(4, '?');
  CONCAT(four, "abc", "def");
  EXPECT_EQ(four, "abcd");
  CONCAT(four, "wxyz", "def");
  EXPECT_EQ(four, "wxyz");
  std::string keep(8, '?');
  CONCAT(keep, "ab  ", " cd");
  EXPECT_EQ(keep, "ab cd   ");

  int ierr = 9;
  std::string name = "out\\Run_1.dat";
  MK_CASE(20, false, name, ierr);
  EXPECT_EQ(name, "OUT\\RUN_1.DAT");
  EXPECT_EQ(ierr, 0);
  MK_CASE(20, true, name, ierr);
  EXPECT_EQ(name, "out\\run_1.dat");
}

TEST(Units, RecordsEndWithCrLfAndHeldLinesGoOn) {
  test::TempDir dir;
  Units u;
  ASSERT_TRUE(u.open_write(LST, dir.file("a.lst")));
  u.free(LST, {"x", 1});
  static const Layout name("('''',A,'''','   ',$)");
  u.fixed(LST, name, {"SO2"});
  u.fixed(LST, name, {"H2S"});
  u.free(LST, {});
  u.close(LST);
  EXPECT_EQ(test::read_file(dir.file("a.lst")), " x           1\r\n'SO2'   'H2S'    \r\n");
  // Writing to a unit that is not open goes nowhere and does not fail.
  u.free(OUT, {"lost"});
  EXPECT_FALSE(u.is_open(OUT));
}

TEST(Units, DiscardRemovesAFileBeingWrittenOnly) {
  test::TempDir dir;
  test::write_file(dir.file("m.txt"), "kept\n");
  Units u;
  ASSERT_TRUE(u.open_write(OUT, dir.file("half.dat")));
  u.free(OUT, {"first record"});
  ASSERT_TRUE(u.open_read(MET, dir.file("m.txt")));
  u.discard(OUT);
  u.discard(MET);
  u.discard(LOG);  // not open: nothing happens
  EXPECT_FALSE(u.is_open(OUT));
  EXPECT_FALSE(u.is_open(MET));
  EXPECT_FALSE(std::filesystem::exists(dir.file("half.dat")));
  EXPECT_EQ(test::read_file(dir.file("m.txt")), "kept\n");
}

// A model file takes no field of asterisks and no value that is not finite:
// such a record stops the run, naming the line and the columns, and is not written.
TEST(Units, WholeFieldsStopARecordThatWouldHoldAsterisks) {
  test::TempDir dir;
  const std::string path = dir.file("m.dat");
  Units u;
  ASSERT_TRUE(u.open_write(OUT, path));
  u.whole_fields(OUT);
  static const Layout L("(A,TR1,F6.2,TR1,I3)");
  static const Layout two("(A/F4.1)");
  u.fixed(OUT, L, {"ok", 12.5, 7});
  struct Case {
    Layout const* layout;
    std::vector<Item> items;
    const char* where;
  };
  const Case cases[] = {
      {&L, {"x", 1234.5, 1}, ", line 2, columns 3 to 8"},  // F6.2 of 1234.50 needs 7 columns
      {&L, {"x", 1.0, 1000}, ", line 2, columns 10 to 12"},
      {&L, {"x", std::nan(""), 1}, ", line 2, columns 3 to 8"},
      {&two, {"a", 100.0}, ", line 3, columns 1 to 4"},  // the second record of the layout
  };
  for (const Case& c : cases) {
    try {
      u.fixed(OUT, *c.layout, c.items);
      ADD_FAILURE() << c.where;
    } catch (const Stop& s) {
      EXPECT_EQ(s.text, "***FATAL ERROR*** a value does not fit its field in " + path + c.where);
    }
  }
  // The writer says what its items are: the stop names the first one that
  // does not fit, also in a later record of the layout; an item it says
  // nothing of leaves the message as it is.
  const std::string_view what[] = {"", "the stack height in m (HS)", "the count of steps (NSEQ)"};
  const Case named[] = {
      {&L, {"x", 1234.5, 1000}, ", line 2, columns 3 to 8: the stack height in m (HS)"},
      {&L, {"x", 1.5, 1000}, ", line 2, columns 10 to 12: the count of steps (NSEQ)"},
      {&two, {"a", 100.0}, ", line 3, columns 1 to 4: the stack height in m (HS)"},
  };
  for (const Case& c : named) {
    try {
      u.fixed(OUT, *c.layout, c.items, what);
      ADD_FAILURE() << c.where;
    } catch (const Stop& s) {
      EXPECT_EQ(s.text, "***FATAL ERROR*** a value does not fit its field in " + path + c.where);
    }
  }
  try {
    u.fixed(OUT, L, {"x", 1.5, 1000}, {"", "the stack height in m (HS)"});
    ADD_FAILURE() << "an item without a name";
  } catch (const Stop& s) {
    EXPECT_EQ(s.text, "***FATAL ERROR*** a value does not fit its field in " + path + ", line 2, columns 10 to 12");
  }
  u.close(OUT);
  EXPECT_EQ(test::read_file(path), "ok  12.50   7\r\n");
}

// A file written under a temporary name is named by the name it will take;
// blocks of records count in the line numbers; a record written over another
// is refused as well when a field is not whole, and otherwise leaves the rest
// of the file as it was.
TEST(Units, FieldsOfBlocksAndRewrittenRecords) {
  test::TempDir dir;
  const std::string path = dir.file("m.dat");
  Units u;
  ASSERT_TRUE(u.open_write(OUT, path, Units::Visible::WhenWhole));
  u.whole_fields(OUT);
  static const Layout L("(A,TR1,I3)");
  const long long at = u.tell(OUT);
  EXPECT_EQ(at, 0);
  u.fixed(OUT, L, {"a", 1});
  u.records(OUT, "b   2\r\nc   3\r\n", 2);
  try {
    u.fixed(OUT, L, {"d", 1000});
    ADD_FAILURE() << "a field of asterisks was written";
  } catch (const Stop& s) {
    EXPECT_EQ(s.text, "***FATAL ERROR*** a value does not fit its field in " + path + ", line 4, columns 3 to 5");
  }
  try {
    u.overwrite(OUT, at, 1, L, {"e", -100});
    ADD_FAILURE() << "a field of asterisks was written over a record";
  } catch (const Stop& s) {
    EXPECT_EQ(s.text, "***FATAL ERROR*** a value does not fit its field in " + path + ", line 1, columns 3 to 5");
  }
  EXPECT_TRUE(u.overwrite(OUT, at, 1, L, {"e", 9}));
  u.fixed(OUT, L, {"f", 4});
  u.close(OUT);
  EXPECT_FALSE(test::fs::exists(path));
  EXPECT_EQ(test::read_file(path + ".part"), "e   9\r\nb   2\r\nc   3\r\nf   4\r\n");
  ASSERT_TRUE(u.finish(path, "test file"));
  ASSERT_FALSE(u.publish_all());
  EXPECT_FALSE(test::fs::exists(path + ".part"));
  EXPECT_EQ(test::read_file(path), "e   9\r\nb   2\r\nc   3\r\nf   4\r\n");
}

// A record written over one that has already gone out to the file lands in
// the file; the bytes around it stay as they were.
TEST(Units, RewritingARecordAlreadyInTheFile) {
  test::TempDir dir;
  const std::string path = dir.file("long.dat");
  Units u;
  ASSERT_TRUE(u.open_write(OUT, path));
  static const Layout L("(A,TR1,I6)");
  u.fixed(OUT, L, {"head", 0});
  const long long at = u.tell(OUT);
  u.fixed(OUT, L, {"mark", 1});
  const std::string filler(98, 'x');  // 100 bytes a record with its CR LF
  for (int i = 0; i < 2000; ++i) u.record(OUT, filler);  // far beyond what a unit holds back
  ASSERT_TRUE(u.overwrite(OUT, at, 2, L, {"MARK", 123456}));
  u.record(OUT, "end");
  u.close(OUT);
  const std::string text = test::read_file(path);
  ASSERT_EQ(text.size(), 13u + 13u + 2000u * 100u + 5u);
  EXPECT_EQ(text.substr(0, 26), "head      0\r\nMARK 123456\r\n");
  EXPECT_EQ(text.substr(26, 100), filler + "\r\n");
  EXPECT_EQ(text.substr(text.size() - 5), "end\r\n");
}

// A file that cannot be written stops the run at the write that fails, with
// its name and the system's reason; the unit then takes nothing more, and the
// units close without a second stop.
TEST(Units, AFailedWriteStopsWithTheNameAndTheReason) {
  if (!test::fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this machine";
  std::ostringstream out, err;
  Units u(out, err);
  ASSERT_TRUE(u.open_write(LST, "/dev/full"));
  u.free(LST, {"a record"});
  try {
    u.close(LST);
    ADD_FAILURE() << "the failed write was not reported";
  } catch (const Stop& s) {
    EXPECT_EQ(s.text, "***FATAL ERROR*** cannot write /dev/full: No space left on device");
  }
  EXPECT_FALSE(u.is_open(LST));

  ASSERT_TRUE(u.open_write(LOG, "/dev/full"));
  const std::string big(70000, 'y');
  EXPECT_THROW(u.record(LOG, big), Stop);  // more than a unit holds back: written at once
  u.record(LOG, "after the failure");     // taken by nothing
  EXPECT_NO_THROW(u.close_all());
}

// A file written to become visible when whole lies under its name with
// ".part" until the files of the run take their names together; a name that
// cannot be written anew refuses the open with the reason; a temporary that
// never takes its name is removed, by discard_temporaries or at the end of the
// units, and gives its signal slot back.
TEST(Units, TemporaryFilesTakeTheirNamesTogetherOrAreRemoved) {
  test::TempDir dir;
  const int slots = temporaries_in_use();
  {
    Units u;
    test::fs::create_directory(dir.file("folder.dat"));
    EXPECT_FALSE(u.open_write(OUT, dir.file("folder.dat"), Units::Visible::WhenWhole));
    EXPECT_EQ(u.open_error(), "Is a directory");
    EXPECT_FALSE(u.open_write(OUT, dir.file("no-folder/a.dat"), Units::Visible::WhenWhole));
    EXPECT_EQ(u.open_error(), "No such file or directory");
    EXPECT_EQ(temporaries_in_use(), slots);

    // Whole files wait under their temporary names for publish_all.
    test::write_file(dir.file("a.dat"), "older\r\n");
    ASSERT_TRUE(u.open_write(OUT, dir.file("a.dat"), Units::Visible::WhenWhole));
    EXPECT_EQ(temporaries_in_use(), slots + 1);
    u.record(OUT, "new a");
    EXPECT_TRUE(u.finish(dir.file("a.dat"), "test file"));  // closes the unit first
    EXPECT_FALSE(u.is_open(OUT));
    ASSERT_TRUE(u.open_write(OUT, dir.file("b.dat"), Units::Visible::WhenWhole));
    u.record(OUT, "new b");
    // A second file of a name the run writes already would share its temporary.
    EXPECT_FALSE(u.open_write(LOG, dir.file("b.dat"), Units::Visible::WhenWhole));
    EXPECT_EQ(u.open_error(), "the run writes another file of this name");
    EXPECT_TRUE(u.finish(dir.file("b.dat"), "test file"));
    EXPECT_FALSE(u.finish(dir.file("b.dat"), "test file"));  // already whole
    EXPECT_EQ(test::read_file(dir.file("a.dat")), "older\r\n");
    EXPECT_EQ(temporaries_in_use(), slots + 2);
    EXPECT_FALSE(u.publish_all());
    EXPECT_EQ(test::read_file(dir.file("a.dat")), "new a\r\n");
    EXPECT_EQ(test::read_file(dir.file("b.dat")), "new b\r\n");
    EXPECT_EQ(u.published(), (std::vector<std::string>{dir.file("a.dat"), dir.file("b.dat")}));
    EXPECT_EQ(temporaries_in_use(), slots);

    ASSERT_TRUE(u.open_write(OUT, dir.file("b.dat"), Units::Visible::WhenWhole));
    u.close(OUT);
    ASSERT_TRUE(u.open_write(OUT, dir.file("c.dat"), Units::Visible::WhenWhole));
    EXPECT_TRUE(test::fs::exists(dir.file("b.dat.part")));
    u.discard_temporaries();
    EXPECT_FALSE(u.is_open(OUT));
    EXPECT_EQ(temporaries_in_use(), slots);

    ASSERT_TRUE(u.open_write(OUT, dir.file("d.dat"), Units::Visible::WhenWhole));
    u.record(OUT, "never whole");
  }
  EXPECT_EQ(temporaries_in_use(), slots);
  EXPECT_EQ(test::folder_names(dir), (std::vector<std::string>{"a.dat", "b.dat", "folder.dat"}));
}

// publish_all takes no name until every name can be taken, and renames in the
// order the files were made whole: a file that cannot take its name leaves
// every file made whole after it under its temporary name.
TEST(Units, WholeFilesTakeTheirNamesInTheirOrderOrNoneDoes) {
  const int slots = temporaries_in_use();
  auto two_whole = [](Units& u, const test::TempDir& dir) {
    for (const char* name : {"first.dat", "second.dat"}) {
      ASSERT_TRUE(u.open_write(OUT, dir.file(name), Units::Visible::WhenWhole));
      u.record(OUT, name);
      ASSERT_TRUE(u.finish(dir.file(name), name));
    }
  };
  struct Case {
    const char* what;
    std::function<void(const test::TempDir&)> act;  // done to the folder before publish_all
    std::string failing, reason;
    std::vector<std::string> left;  // the folder before the units are discarded
  };
  const Case cases[] = {
      {"the second name became a folder after its file was opened: nothing is renamed",
       [](const test::TempDir& d) { test::fs::create_directory(d.file("second.dat")); }, "second.dat",
       "Is a directory", {"first.dat.part", "second.dat", "second.dat.part"}},
      {"the first temporary vanished: its rename fails, and the second waits",
       [](const test::TempDir& d) { test::fs::remove(d.file("first.dat.part")); }, "first.dat",
       "No such file or directory", {"second.dat.part"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    Units u;
    two_whole(u, dir);
    c.act(dir);
    const std::optional<Units::Unpublished> failed = u.publish_all();
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->what, c.failing);
    EXPECT_EQ(failed->name, dir.file(c.failing));
    EXPECT_EQ(failed->reason, c.reason);
    EXPECT_TRUE(u.published().empty());
    EXPECT_EQ(test::folder_names(dir), c.left);
    u.discard_temporaries();
  }
  EXPECT_EQ(temporaries_in_use(), slots);
}

TEST(Units, ReadingLinesAndRewinding) {
  test::TempDir dir;
  test::write_file(dir.file("m.txt"), "first\r\nsecond\nthird");
  Units u;
  EXPECT_FALSE(u.open_read(MET, dir.file("missing.txt")));
  ASSERT_TRUE(u.open_read(MET, dir.file("m.txt")));
  std::string line;
  EXPECT_EQ(u.read_line(MET, line), ReadStatus::Ok);
  EXPECT_EQ(line, "first");
  EXPECT_EQ(u.read_line(MET, line), ReadStatus::Ok);
  EXPECT_EQ(line, "second");
  EXPECT_EQ(u.read_line(MET, line), ReadStatus::Ok);
  EXPECT_EQ(line, "third");
  EXPECT_EQ(u.read_line(MET, line), ReadStatus::End);
  u.rewind(MET);
  EXPECT_EQ(u.read_line(MET, line), ReadStatus::Ok);
  EXPECT_EQ(line, "first");
}

TEST(Units, ConsoleCarriageControl) {
  std::ostringstream out, err;
  {
    Units u(out, err);
    static const Layout progress("('+',I4,TR1,I10)");
    u.free(CONSOLE, {"Control file:[", "run1.inp", "]"});
    u.fixed(CONSOLE, progress, {1, 202100100});
    u.fixed(CONSOLE, progress, {1, 202100101});
    u.free(CONSOLE, {"Program Terminated"});
  }
  EXPECT_EQ(out.str(), "Control file:[run1.inp]\n\r   1  202100100\r   1  202100101\nProgram Terminated\n");
}

TEST(Units, HostPaths) {
  EXPECT_EQ(host_path(std::string("runs\\out\\FLARE_01.DAT\0\0", 24)), "runs/out/FLARE_01.DAT");
  EXPECT_EQ(host_path("\\OUT_01.DAT   "), "OUT_01.DAT");
  EXPECT_EQ(host_path("\\\\x\\y"), "x/y");
  EXPECT_EQ(host_path(std::string(5, '\0')), "");
}

}  // namespace
}  // namespace quelmar::io
