// The control-line tokenizer and the typed keyword readers.
#include "input/token.hpp"

#include <gtest/gtest.h>

#include "io/text.hpp"
#include "test_util.hpp"

namespace quelmar::input {
namespace {

using run::BadValues;
using run::BadValue;

TEST(Tokenize, ControlLines) {
  struct Case {
    const char* line;
    int result;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"! MDSPMOD = 1 !", 1, "MDSPMOD", "1"},
      {"!MDSPMOD=1!", 1, "MDSPMOD", "1"},
      {"x ! MDSPMOD = 2 ! note", 1, "MDSPMOD", "2"},
      {"! MDSPMOD = 3 (no closing mark)", 1, "MDSPMOD", "3 (no closing mark)"},
      {"MDSPMOD = 1 (no mark at all)", 0, "unchanged", "unchanged"},
      {"!! MDSPMOD = 1 !", 1, "", ""},
      {"! MDSPMOD 1 !", 1, "MDSPMOD 1", "MDSPMOD 1"},
      {"! QMAX = 1.5 = 2 !", 1, "QMAX", "1.5"},
      {"!\tKEY\t=\tv a l\t!", 1, "KEY", "v a l"},
  };
  for (const Case& c : cases) {
    io::Text<255> key, value;
    key = "unchanged";
    value = "unchanged";
    EXPECT_EQ(ITOKENIZE(c.line, key.span(), value.span()), c.result) << c.line;
    EXPECT_EQ(key.trimmed(), c.key) << c.line;
    EXPECT_EQ(value.trimmed(), c.value) << c.line;
    EXPECT_EQ(value.view().back(), '\0') << c.line;  // NUL filling, not blanks
  }
}

TEST(Tokenize, ListsAndPieces) {
  std::vector<std::string> items;
  int ipos = 1;
  EXPECT_EQ(ITOKENALIST("SO2, H2S", ipos, ',', items), 2);
  EXPECT_EQ(items[0], "SO2");
  EXPECT_EQ(items[1], " H2S");  // leading blank kept
  ipos = 1;
  EXPECT_EQ(ITOKENALIST("", ipos, ',', items), 1);
  EXPECT_EQ(items[0], "");
  ipos = 1;
  EXPECT_EQ(ITOKENALIST("a,,b,", ipos, ',', items), 4);
  EXPECT_EQ(items[1], "");
  EXPECT_EQ(items[3], "");
  EXPECT_EQ(ipos, 6);  // after the last delimiter

  EXPECT_EQ(ITOKENPTR("ab,cd", 1, ','), 3);
  EXPECT_EQ(ITOKENPTR("ab,cd", 3, ','), 1);
  EXPECT_EQ(ITOKENPTR("ab,cd", 4, ','), 0);
  io::Text<8> out;
  EXPECT_EQ(ITOKEN("ab,  cd", 3, ',', out.span()), 4);
  EXPECT_EQ(out.trimmed(), "");
  EXPECT_EQ(ITOKEN("ab,  cd", 4, ',', out.span()), 0);
  EXPECT_EQ(out.trimmed(), "cd");
  EXPECT_EQ(ITOKEN(" ab,cd", 1, ',', out.span()), 5);
  EXPECT_EQ(out.trimmed(), "ab");
}

class ControlFile : public ::testing::Test {
 protected:
  void write(const std::string& text) {
    test::write_file(dir.file("c.inp"), text);
    u.close(io::CTL);
    ASSERT_TRUE(u.open_read(io::CTL, dir.file("c.inp")));
  }
  test::TempDir dir;
  io::Units u;
};

TEST_F(ControlFile, FirstLineCountsAndTypedValues) {
  write(
      "QUELMAR 1\n"
      "! QMAX = 100 !\n"
      "! QMAX = 200 !\n"
      "! qmax = 300 !\n"
      "! IV = 12abc !\n"
      "! JV = 1.5 !\n"
      "! KV = 5 m/s !\n"
      "! LV = / !\n"
      "! RD = 2.5D1 !\n"
      "! RC = 1,5 !\n"
      "! TX =   abc   !\n"
      "! EMPTY = !\n"
      "! LONG = 0123456789012345678901234567890123456789 !\n"
      "comment line ! SKIP = 1 is not a comment\n");
  double q = 0;
  EXPECT_EQ(IRDPARAM_R(u, io::CTL, "QMAX", q), 1);
  EXPECT_EQ(q, 100);
  int iv = 7, jv = 7, kv = 7, lv = 7;
  EXPECT_EQ(IRDPARAM_I(u, io::CTL, "IV", iv), 1);
  EXPECT_EQ(iv, 7);
  EXPECT_EQ(IRDPARAM_I(u, io::CTL, "JV", jv), 1);
  EXPECT_EQ(jv, 7);
  EXPECT_EQ(IRDPARAM_I(u, io::CTL, "KV", kv), 1);
  EXPECT_EQ(kv, 5);
  EXPECT_EQ(IRDPARAM_I(u, io::CTL, "LV", lv), 1);
  EXPECT_EQ(lv, 7);
  double rd = 0, rc = 0;
  IRDPARAM_R(u, io::CTL, "RD", rd);
  IRDPARAM_R(u, io::CTL, "RC", rc);
  EXPECT_EQ(rd, 25);
  EXPECT_EQ(rc, 1);
  io::Text<255> tx;
  EXPECT_EQ(IRDPARAM_A(u, io::CTL, "TX", tx.span()), 1);
  EXPECT_EQ(tx.view().substr(0, 4), std::string("abc\0", 4));
  io::Text<32> e, lng;
  e = "old";
  EXPECT_EQ(IRDPARAM_A(u, io::CTL, "EMPTY", e.span()), 1);
  EXPECT_EQ(e.view(), std::string(32, '\0'));
  IRDPARAM_A(u, io::CTL, "LONG", lng.span());
  EXPECT_EQ(lng.view(), "01234567890123456789012345678901");
  double missing = 4;
  EXPECT_EQ(IRDPARAM_R(u, io::CTL, "qmaX", missing), 0);
  EXPECT_EQ(missing, 4);
  int skip = 0;
  EXPECT_EQ(IRDPARAM_I(u, io::CTL, "SKIP = 1 is not a comment", skip), 0);
  EXPECT_EQ(IRDPARAM_I(u, io::CTL, "SKIP", skip), 1);
  EXPECT_EQ(skip, 1);
}

// The text readers note a value longer than its field: the whole value with
// its inner blanks, once per keyword and list item, with the field's length.
TEST_F(ControlFile, TextsLongerThanTheirField) {
  write(
      "! DATUM = WGS-84X !\n"
      "! PMAP =  UTM   !\n"
      "! SNAME = FLARE NUMBER ONE  \t!\n"
      "! CHEMLST = SO2, NH3, METHANETHIOL,ABCDEFGH, ABCDEFGH !\n"
      "! EMPTY = !\n");
  BadValues bad;
  io::Text<6> datum, pmap;
  io::Text<8> sname8;
  io::Text<16> sname16;
  EXPECT_EQ(IRDPARAM_A(u, io::CTL, "DATUM", datum.span(), &bad), 1);
  EXPECT_EQ(datum.str(), "WGS-84");  // cut to the field as before
  EXPECT_EQ(IRDPARAM_A(u, io::CTL, "DATUM", datum.span(), &bad), 1);  // looked up again: noted once
  EXPECT_EQ(IRDPARAM_A(u, io::CTL, "PMAP", pmap.span(), &bad), 1);
  EXPECT_EQ(IRDPARAM_A(u, io::CTL, "SNAME", sname8.span()), 1);  // without a list of findings nothing is noted
  EXPECT_EQ(bad.size(), 1u);
  EXPECT_EQ(IRDPARAM_A(u, io::CTL, "SNAME", sname16.span(), &bad), 1);  // 16 characters fit
  EXPECT_EQ(bad.size(), 1u);
  EXPECT_EQ(IRDPARAM_A(u, io::CTL, "SNAME", sname8.span(), &bad), 1);
  EXPECT_EQ(IRDPARAM_A(u, io::CTL, "EMPTY", pmap.span(), &bad), 1);
  EXPECT_EQ(IRDPARAM_A(u, io::CTL, "MISSING", pmap.span(), &bad), 0);
  io::Text<8> names[5];
  EXPECT_EQ(IRDPARAM_AV<8>(u, io::CTL, "CHEMLST", 5, std::span<io::Text<8>>(names, 5), &bad), 1);
  EXPECT_EQ(names[3].str(), "ABCDEFGH");
  EXPECT_EQ(names[4].view(), " ABCDEFG");  // the blank before the name takes a place
  ASSERT_EQ(bad.size(), 4u);
  EXPECT_EQ(bad[0].key, "DATUM");
  EXPECT_EQ(bad[0].kind, BadValue::TooLong);
  EXPECT_EQ(bad[0].limit, 6);
  EXPECT_EQ(bad[0].row, 0);
  EXPECT_EQ(bad[0].value, "WGS-84X");
  EXPECT_EQ(bad[1].key, "SNAME");
  EXPECT_EQ(bad[1].limit, 8);
  EXPECT_EQ(bad[1].value, "FLARE NUMBER ONE");
  EXPECT_EQ(bad[2].key, "CHEMLST");
  EXPECT_EQ(bad[2].kind, BadValue::TooLong);
  EXPECT_EQ(bad[2].limit, 8);
  EXPECT_EQ(bad[2].row, 3);
  EXPECT_EQ(bad[2].value, " METHANETHIOL");
  EXPECT_EQ(bad[3].row, 5);
  EXPECT_EQ(bad[3].value, " ABCDEFGH");
  // Items beyond nmax are not read and not noted.
  BadValues two;
  EXPECT_EQ(IRDPARAM_AV<8>(u, io::CTL, "CHEMLST", 2, std::span<io::Text<8>>(names, 5), &two), 1);
  EXPECT_TRUE(two.empty());
}

TEST_F(ControlFile, ListsAndTables) {
  write(
      "! CHEMLST = SO2, H2S !\n"
      "! MW = 2.5, 3.5 !\n"
      "! SEQ = 1,2,3,4 !\n"
      "* a comment line between the rows\n"
      "! SEQ = 5,6 !\n"
      "! ONE = 7 !\n");
  io::Text<8> names[3];
  names[2] = "keep";
  EXPECT_EQ(IRDPARAM_AV<8>(u, io::CTL, "CHEMLST", 3, std::span<io::Text<8>>(names, 3)), 1);
  EXPECT_EQ(names[0].view(), std::string("SO2\0\0\0\0\0", 8));
  EXPECT_EQ(names[1].view(), std::string(" H2S\0\0\0\0", 8));
  EXPECT_EQ(names[2].trimmed(), "keep");
  double rv[3] = {-1, -1, -1};
  EXPECT_EQ(IRDPARAM_RV(u, io::CTL, "MW", 3, rv), 1);
  EXPECT_EQ(rv[0], 2.5);
  EXPECT_EQ(rv[1], 3.5);
  EXPECT_EQ(rv[2], -1);
  io::Table2<double> tab(10, 4);
  tab.fill(-9);
  EXPECT_EQ(IRDPARAM_RV2(u, io::CTL, "SEQ", 2, 4, tab, 10, 4), 1);
  EXPECT_EQ(tab(1, 1), 1);
  EXPECT_EQ(tab(1, 4), 4);
  EXPECT_EQ(tab(2, 1), 5);
  EXPECT_EQ(tab(2, 2), 6);
  EXPECT_EQ(tab(2, 3), -9);
  tab.fill(-9);
  EXPECT_EQ(IRDPARAM_RV2(u, io::CTL, "ONE", 2, 4, tab, 10, 4), 0);  // one line only: nothing converted
  EXPECT_EQ(tab(1, 1), -9);
  // Key on several lines in a row: the run ends at the first other keyword line.
  write("! A = 1 !\n! B = 2 !\n! B = 3 !\n* note\n! B = 4 !\n! C = 0 !\n! B = 9 !\n");
  int bv[2] = {0, 0};
  EXPECT_EQ(IRDPARAM_IVX(u, io::CTL, "B", 2, bv), 2);
  EXPECT_EQ(bv[0], 2);
  EXPECT_EQ(bv[1], 4);  // the third value replaced entry 2
}

// The readers of the family that no part of a run calls, on lines written by
// hand; every expected entry is read off the lines.
TEST_F(ControlFile, IntegerListAndTableReaders) {
  write(
      "! NS = 3, x, , 7 !\n"
      "! SEQ = 1, 2, 3 !\n"
      "* a comment line between the rows\n"
      "! SEQ = 4,,6, 9 !\n"
      "! SEQ = 8 !\n"
      "! TAB = 1, 2 !\n"
      "! TAB = 3, y !\n");
  // The integer list: an empty item leaves its entry, and so does one that is
  // no number, which makes the whole value one that is not a list of numbers.
  int iv[4] = {-1, -1, -1, -1};
  BadValues bad;
  EXPECT_EQ(IRDPARAM_IV(u, io::CTL, "NS", 4, iv, &bad), 1);
  EXPECT_EQ(iv[0], 3);
  EXPECT_EQ(iv[1], -1);
  EXPECT_EQ(iv[2], -1);
  EXPECT_EQ(iv[3], 7);
  ASSERT_EQ(bad.size(), 1u);
  EXPECT_EQ(bad[0].key, "NS");
  EXPECT_EQ(bad[0].kind, BadValue::List);
  EXPECT_EQ(bad[0].value, "3, x, , 7");
  EXPECT_EQ(IRDPARAM_IV(u, io::CTL, "NS", 0, iv), 0);
  EXPECT_EQ(IRDPARAM_IV(u, io::CTL, "NONE", 4, iv), 0);

  // Rows of texts: the items of the r-th line with the key, at most n2 of them,
  // each keeping its leading blank.
  std::vector<std::vector<std::string>> av;
  EXPECT_EQ(IRDPARAM_AV2(u, io::CTL, "SEQ", 2, 3, av), 1);
  EXPECT_EQ(av, (std::vector<std::vector<std::string>>{{"1", " 2", " 3"}, {"4", "", "6"}}));
  // Four rows asked, three lines: 0, the rows read kept.
  EXPECT_EQ(IRDPARAM_AV2(u, io::CTL, "SEQ", 4, 4, av), 0);
  EXPECT_EQ(av, (std::vector<std::vector<std::string>>{{"1", " 2", " 3"}, {"4", "", "6", " 9"}, {"8"}}));

  // The integer table: every non-empty item that the rows give, within the
  // declared bounds.
  io::Table2<int> tab(5, 4);
  tab.fill(-9);
  EXPECT_EQ(IRDPARAM_IV2(u, io::CTL, "SEQ", 3, 4, tab, 5, 4), 1);
  const int want[3][4] = {{1, 2, 3, -9}, {4, -9, 6, 9}, {8, -9, -9, -9}};
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 4; ++c) EXPECT_EQ(tab(r, c), want[r - 1][c - 1]) << r << "," << c;
  tab.fill(-9);
  EXPECT_EQ(IRDPARAM_IV2(u, io::CTL, "SEQ", 3, 4, tab, 5, 2), 1);  // declared with two columns
  EXPECT_EQ(tab(1, 2), 2);
  EXPECT_EQ(tab(1, 3), -9);
  tab.fill(-9);
  EXPECT_EQ(IRDPARAM_IV2(u, io::CTL, "SEQ", 4, 4, tab, 5, 4), 0);  // fewer lines than rows: nothing
  EXPECT_EQ(tab(1, 1), -9);
  BadValues bad_rows;
  EXPECT_EQ(IRDPARAM_IV2(u, io::CTL, "TAB", 2, 2, tab, 5, 4, &bad_rows), 1);
  EXPECT_EQ(tab(1, 1), 1);
  EXPECT_EQ(tab(1, 2), 2);
  EXPECT_EQ(tab(2, 1), 3);
  EXPECT_EQ(tab(2, 2), -9);
  ASSERT_EQ(bad_rows.size(), 1u);
  EXPECT_EQ(bad_rows[0].key, "TAB");
  EXPECT_EQ(bad_rows[0].kind, BadValue::Row);
  EXPECT_EQ(bad_rows[0].row, 2);
  EXPECT_EQ(bad_rows[0].value, "3, y");
}

TEST_F(ControlFile, KeyOnSeveralLinesInARow) {
  write("! A = 1 !\n! B = 2.5 !\n! B = !\n* note\n! B = 4 !\n! B = 5 !\n! C = 0 !\n! B = 9 !\n");
  // Texts: 2.5, the empty value, then 4 and 5 in turn in the last of three entries.
  std::vector<std::string> av;
  EXPECT_EQ(IRDPARAM_AVX(u, io::CTL, "B", 3, av), 3);
  EXPECT_EQ(av, (std::vector<std::string>{"2.5", "", "5"}));
  EXPECT_EQ(IRDPARAM_AVX(u, io::CTL, "B", 0, av), 0);
  EXPECT_EQ(IRDPARAM_AVX(u, io::CTL, "Z", 3, av), 0);
  EXPECT_TRUE(av.empty());
  // Numbers: the empty value leaves its entry.
  double rv[3] = {-1, -1, -1};
  EXPECT_EQ(IRDPARAM_RVX(u, io::CTL, "B", 3, rv), 3);
  EXPECT_EQ(rv[0], 2.5);
  EXPECT_EQ(rv[1], -1);
  EXPECT_EQ(rv[2], 5);
  // A list shorter than nmax holds the run: its last entry takes the last value.
  double two[2] = {-1, -1};
  EXPECT_EQ(IRDPARAM_RVX(u, io::CTL, "B", 5, two), 2);
  EXPECT_EQ(two[0], 2.5);
  EXPECT_EQ(two[1], 5);
}

}  // namespace
}  // namespace quelmar::input
