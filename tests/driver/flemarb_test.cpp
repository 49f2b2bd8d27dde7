// The CALPUFF time-varying flare file: header records and both source-line
// layouts, column by column, against texts composed by hand from the layouts.
#include "driver/flemarb.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/stop.hpp"
#include "test_util.hpp"

namespace quelmar::driver {
namespace {

using test::file_records;

// A run configured like a flare near 12N with two listed species, the second
// given with a blank after the comma (" H2S", as the list reader stores it).
void configure(run::Run& run) {
  run::MOD_READINP& in = run.inp;
  in.PMAP = "UTM";
  in.IUTMZN = 12;
  in.UTMHEM = "N";
  in.DATUM = "WGS-84";
  in.ABTZ = "UTC-0500";
  in.YYS = 2021, in.MMS = 7, in.DDS = 15, in.HHS = 0, in.SSS = 0;
  in.YYE = 2021, in.MME = 7, in.DDE = 16, in.HHE = 23, in.SSE = 0;
  in.NSPEC = 2;
  in.CHEMLST(1) = "SO2";
  in.CHEMLST(2) = " H2S";
  in.MMLST(1) = 64.066;
  in.MMLST(2) = 34.081;
  in.SNAME = "FLARE1";
}

// A run with its console on strings and a temporary folder for its files.
class Flemarb : public ::testing::Test, protected test::TestRun {};

TEST_F(Flemarb, HeaderRecordByRecord) {
  configure(*run);
  const std::string path = dir.file("flare_01.dat");
  ASSERT_EQ(IWRFLEMARBHDR(*run, 21, 20, path), 0);
  run->units.close(21);

  const std::vector<std::string> expect = {
      "FLEMARB.DAT     1.0             Initial configuration",
      "   7",
      " Time-invariant (8 variables) var1=stack input type  var2-var8=not used",
      "      var1=1:  T(K), U, V, W (m/s)",
      "      var1=2:  Fb, Fmx, Fmy, Fmz  (i.e., buoyancy and momentum fluxes)",
      " Time-variant (if var1=1)",
      "   X(km),Y(km),Z(mAGL),Elev(mMSL),D(m),T(K),U,V,W,Sigy(m),Sigz(m),Q(g/s)...",
      " Time-variant (if var1=2)",
      "   X(km),Y(km),Z(mAGL),Elev(mMSL),D(m),Fb,Fmx,Fmy,Fmz,Sigy(m),Sigz(m),Q(g/s)...",
      "UTM",
      "  12N",
      "WGS-84",
      "  KM",
      "UTC-0500",
      // 3I4, TR1, I4, TR2, 3I4, TR1, I4: 15 July is day 196, 16 July day 197.
      "2021 196   0    0  2021 197  23    0",
      "   1   2",
      // The second name loses the blank it carried from the list.
      "'SO2'   'H2S'    ",
      "      64.066      34.081",
      "'FLARE1'    1.0    0.0    0.0    0.0    0.0    0.0    0.0    0.0",
  };
  const std::vector<std::string> got = file_records(path);
  ASSERT_EQ(got.size(), expect.size());
  for (std::size_t i = 0; i < expect.size(); ++i) EXPECT_EQ(got[i], expect[i]) << "record " << i + 1;
  EXPECT_EQ(got[0].size(), 53u);
  EXPECT_EQ(got[14].size(), 36u);
  EXPECT_EQ(got[17].size(), 24u);
}

// The period of record 15 ends where the loop says the last record ends.
TEST_F(Flemarb, HeaderPeriodEndFromTheLoop) {
  configure(*run);
  const std::string path = dir.file("f.dat");
  ASSERT_EQ(IWRFLEMARBHDR(*run, 21, 20, path, FlemarbPeriodEnd{2021, 198, 0, 900}), 0);
  run->units.close(21);
  EXPECT_EQ(file_records(path).at(14), "2021 196   0    0  2021 198   0  900");
}

// A loop that learns the period's end only when its file ends: the header is
// written with any end, the records follow, and record 15 is filled in at its
// place; nothing else of the file changes.
TEST_F(Flemarb, PeriodEndFilledInWhenTheFileEnds) {
  configure(*run);
  const std::string path = dir.file("f.dat");
  FlemarbPeriodMark mark;
  ASSERT_EQ(IWRFLEMARBHDR(*run, 21, 20, path, FlemarbPeriodEnd{}, &mark), 0);
  // Records 1 to 14 before it: 53 and 4 characters, the seven comments (70,
  // 33, 69, 24, 74, 24 and 78 characters after their blank), 3, 5, 6, 4 and 8
  // characters, each record with its CR LF.
  EXPECT_EQ(mark.at, (53 + 4 + 71 + 34 + 70 + 25 + 75 + 25 + 79 + 3 + 5 + 6 + 4 + 8) + 14 * 2);
  EXPECT_EQ(mark.year, 2021);
  EXPECT_EQ(mark.jday, 196);
  io::Array1<double, 10> q{};
  q(1) = 12.5;
  for (int h = 0; h < 2; ++h)
    IWRFLEMARBI(*run, 21, 1, run->inp.SNAME, 2021, 196, h, 0, 2021, 196, h + 1, 0, 500.0, 4000.0, 40.0, 850.0, 1.5,
                1000.0, 0.0, 0.0, 20.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, q, 2);
  const std::vector<std::string> before = [&] {
    run->units.flush();
    return file_records(path);
  }();
  EXPECT_EQ(before.at(14), "2021 196   0    0     0   0   0    0");
  EXPECT_TRUE(IWRFLEMARBEND(*run, 21, mark, FlemarbPeriodEnd{2021, 196, 2, 0}));
  run->units.close(21);
  std::vector<std::string> got = file_records(path);
  ASSERT_EQ(got.size(), 23u);
  EXPECT_EQ(got[14], "2021 196   0    0  2021 196   2    0");
  got[14] = before[14];
  EXPECT_EQ(got, before);
  // The record keeps its 36 columns whatever the values; a unit that is not
  // open takes nothing.
  EXPECT_FALSE(IWRFLEMARBEND(*run, 21, mark, FlemarbPeriodEnd{2021, 196, 2, 0}));
  EXPECT_EQ(run->units.tell(21), -1);
  EXPECT_FALSE(run->units.overwrite(21, 0, 15, io::Layout("(A)"), {"x"}));
}

TEST_F(Flemarb, HeaderBlankAndOddTexts) {
  configure(*run);
  run->inp.PMAP = "";
  run->inp.UTMHEM = "";  // not given: the NUL the field holds
  run->inp.SNAME = "";
  run->inp.NSPEC = 3;
  run->inp.CHEMLST(1) = "  NH3";  // two leading blanks
  run->inp.CHEMLST(2) = "";       // an all-blank name keeps its first character
  run->inp.CHEMLST(3) = "CO2";
  run->inp.MMLST(3) = 44.01;
  const std::string path = dir.file("f.dat");
  ASSERT_EQ(IWRFLEMARBHDR(*run, 21, 20, path), 0);
  run->units.close(21);
  const std::vector<std::string> got = file_records(path);
  ASSERT_EQ(got.size(), 19u);
  EXPECT_EQ(got[9], "");
  EXPECT_EQ(got[10], std::string("  12") + '\0');
  EXPECT_EQ(got[15], "   1   3");
  EXPECT_EQ(got[16], std::string("'NH3'   '") + '\0' + "'   'CO2'    ");
  EXPECT_EQ(got[17], "      64.066      34.081      44.010");
  EXPECT_EQ(got[18], "''    1.0    0.0    0.0    0.0    0.0    0.0    0.0    0.0");

  // No species: an empty species line ended by the blank, an empty mass record.
  run->inp.NSPEC = 0;
  ASSERT_EQ(IWRFLEMARBHDR(*run, 21, 20, path), 0);
  run->units.close(21);
  const std::vector<std::string> none = file_records(path);
  ASSERT_EQ(none.size(), 19u);
  EXPECT_EQ(none[15], "   1   0");
  EXPECT_EQ(none[16], " ");
  EXPECT_EQ(none[17], "");
}

TEST_F(Flemarb, FailedOpenWritesNothing) {
  configure(*run);
  const std::string path = dir.file("missing-folder/f.dat");
  EXPECT_NE(IWRFLEMARBHDR(*run, 21, 20, path), 0);
  EXPECT_FALSE(run->units.is_open(21));
  EXPECT_FALSE(test::fs::exists(path));
  EXPECT_EQ(out.str(), "");
}

// An active record of a flare near the stack: the time line (2 x 19 columns) and the 169-column
// source line of stack input type 1.
TEST_F(Flemarb, RecordTypeOneColumnByColumn) {
  const std::string path = dir.file("r.dat");
  ASSERT_TRUE(run->units.open_write(21, path));
  io::Array1<double, 10> q{};
  q(1) = 12.5;
  q(2) = 0.25;
  q(3) = 99.0;  // beyond nspec: not written
  io::Text<32> sname;
  sname = "FLARE1";
  EXPECT_EQ(IWRFLEMARBI(*run, 21, 1, sname, 2021, 196, 0, 0, 2021, 196, 0, 1800, 512.34567, 4987.65432, 45.6789,
                        850.0, 1.23456, 1273.15, 0.0, 0.0, 20.5, 7.0, 8.0, 0.0, 9.0, 0.0, 0.0, q, 2),
            1);
  run->units.close(21);
  const std::vector<std::string> got = file_records(path);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], "   2021 196  0    0   2021 196  0 1800");
  EXPECT_EQ(got[0].size(), 38u);  // TR3,I4,TR1,I3,TR1,I2,TR1,I4 twice
  const std::string line = std::string("'FLARE1'") +
                           " " + " 512.34567" + " " + "4987.65432" +  // X, Y: F10.5
                           " " + "   45.6789" +                       // Z: F10.4
                           " " + "   850.000" +                       // Elev: F10.3
                           " " + "    1.23456" +                      // D: F11.5
                           " " + "1273.15000" +                       // T: F10.5
                           " " + "  0.00000" + " " + "  0.00000" + " " + " 20.50000" +  // U, V, W: F9.5
                           " " + "          0.000" + " " + "          0.000" +          // Sigy, Sigz: F15.3
                           " " + "  12.500000    " + " " + " 0.25000000    ";            // Q: G15.8
  EXPECT_EQ(got[1], line);
  EXPECT_EQ(got[1].size(), 169u);
}

TEST_F(Flemarb, RecordSpecialValues) {
  const std::string path = dir.file("r.dat");
  ASSERT_TRUE(run->units.open_write(21, path));
  FlemarbRecord r;
  r.IBYR = r.IEYR = 2021;
  r.IBJUL = r.IEJUL = 1;
  r.IEHR = 1;
  r.Y = 10000.0;  // does not fit F10.5
  r.T = 288.15;
  r.Q(1) = 0.0;   // a zero rate in the general form
  io::Text<32> blank;
  EXPECT_EQ(IWRFLEMARBI(*run, 21, 1, blank, r, 1), 1);
  run->units.close(21);
  const std::vector<std::string> got = file_records(path);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], "   2021   1  0    0   2021   1  1    0");
  EXPECT_EQ(got[1].substr(0, 24), "''    0.00000 **********");
  EXPECT_EQ(got[1].substr(got[1].size() - 16), "   0.0000000    ");
}

// Stack input type 2: the items fill the fields in order; with ten rates the
// eleventh value of the G15.8 group goes on in a record of its own.
TEST_F(Flemarb, RecordTypeTwoReversion) {
  const std::string path = dir.file("r.dat");
  ASSERT_TRUE(run->units.open_write(21, path));
  io::Array1<double, 10> q{};
  for (int i = 1; i <= 10; ++i) q(i) = i;
  io::Text<32> sname;
  sname = "S";
  IWRFLEMARBI(*run, 21, 2, sname, 2021, 196, 0, 0, 2021, 196, 1, 0, 1.5, 2.5, 30.0, 850.0, 1.2, 999.0, 0.0, 0.0, 20.0,
              123.456, 0.0, 0.0, 789.0, 4.0, 5.0, q, 10);
  run->units.close(21);
  const std::vector<std::string> got = file_records(path);
  ASSERT_EQ(got.size(), 3u);
  std::string line = std::string("'S'") + "    1.50000" + "    2.50000" +  // X, Y: F10.5
                     "     30.000" + "    850.000" +                       // Z, Elev: F10.3
                     "           1.200" + "         123.456" + "           0.000" + "           0.000" +  // D Fb Fmx Fmy
                     "         789.000" + "           4.000";  // Fmz, Sigy
  line += "   5.0000000    ";  // Sigz in the first G15.8 field
  const char* rates[9] = {"   1.0000000    ", "   2.0000000    ", "   3.0000000    ",
                          "   4.0000000    ", "   5.0000000    ", "   6.0000000    ",
                          "   7.0000000    ", "   8.0000000    ", "   9.0000000    "};
  for (const char* r : rates) line += r;
  EXPECT_EQ(got[1], line);
  EXPECT_EQ(got[2], "   10.000000    ");
}

TEST_F(Flemarb, BadStackTypeStopsAfterTheTimeLine) {
  const std::string path = dir.file("r.dat");
  ASSERT_TRUE(run->units.open_write(21, path));
  io::Text<32> sname;
  sname = "FLARE1";
  FlemarbRecord r;
  r.IBYR = r.IEYR = 2021;
  r.IBJUL = r.IEJUL = 196;
  r.IESEC = 1800;
  EXPECT_THROW(IWRFLEMARBI(*run, 21, 3, sname, r, 1), io::Stop);
  run->units.close(21);
  const std::vector<std::string> got = file_records(path);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], "   2021 196  0    0   2021 196  0 1800");
  // The record's carriage-control blank is not shown on the console.
  EXPECT_EQ(out.str(), " *** BAD PARAMETER *** in iwrFLEMARBi, ivar must be 1 or 2\n");
}

}  // namespace
}  // namespace quelmar::driver
