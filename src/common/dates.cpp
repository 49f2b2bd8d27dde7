#include "common/dates.hpp"

#include <algorithm>
#include <array>
#include <string>

#include "io/format.hpp"
#include "io/stop.hpp"

namespace quelmar::common {

namespace {

bool leap(int iyr) { return iyr % 4 == 0; }

// Days before the first of each month in a common year.
constexpr std::array<int, 12> kDaysBefore = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// Days up to the end of each month: column 1 a common year, column 2 a leap year.
constexpr std::array<std::array<int, 2>, 12> kDaysThrough = {{{31, 31},
                                                              {59, 60},
                                                              {90, 91},
                                                              {120, 121},
                                                              {151, 152},
                                                              {181, 182},
                                                              {212, 213},
                                                              {243, 244},
                                                              {273, 274},
                                                              {304, 305},
                                                              {334, 335},
                                                              {365, 366}}};

int days_through(int month, int col) {
  return kDaysThrough[static_cast<std::size_t>(month - 1)][static_cast<std::size_t>(col - 1)];
}

// The end of a date routine that met a bad value: its records are already on
// the message unit and standard error; an empty line on the console, then the
// stop.
[[noreturn]] void halt(io::Units& u, const char* stop_text) {
  u.free(io::CONSOLE, {});
  throw io::Stop{stop_text};
}

// Multiples of 4 among the years a .. b (a <= b), counted with floor division
// so that years before 0 are counted like any other.
std::int64_t leap_years_between(std::int64_t a, std::int64_t b) {
  auto floor4 = [](std::int64_t x) { return x >= 0 ? x / 4 : -((-x + 3) / 4); };
  return floor4(b) - floor4(a - 1);
}

// Hours from the start of year y0 to (iyr, ijul, ihr), y0 <= iyr: every whole
// year is 8760 hours plus 24 for each leap year among them.
std::int64_t hours_from(std::int64_t y0, int iyr, int ijul, int ihr) {
  const std::int64_t years = static_cast<std::int64_t>(iyr) - y0;
  std::int64_t h = years * 8760;
  if (years > 0) h += 24 * leap_years_between(y0, static_cast<std::int64_t>(iyr) - 1);
  return h + (static_cast<std::int64_t>(ijul) - 1) * 24 + ihr;
}

}  // namespace

// Formed in 64 bits: fields far outside their ranges wrap instead of overflowing.
void MKDAT(int iyr, int ijul, int ihr, int& idate) {
  idate = static_cast<int>(static_cast<std::int64_t>(iyr) * 100000 + static_cast<std::int64_t>(ijul) * 100 + ihr);
}

void TIMESTAMP(int iyr, int ijul, int ihr, int& idate) { MKDAT(iyr, ijul, ihr, idate); }

void DEDAT(int idate, int& iyr, int& ijul, int& ihr) {
  iyr = idate / 100000;
  ijul = idate / 100 - iyr * 1000;
  ihr = idate - iyr * 100000 - ijul * 100;
}

bool day_of_year(int iyr, int imo, int iday, int& ijul) {
  if (imo < 1 || imo > 12) return false;
  int length = 31;
  if (imo == 4 || imo == 6 || imo == 9 || imo == 11) length = 30;
  if (imo == 2) length = leap(iyr) ? 29 : 28;
  // A day below 1 is as bad as a day beyond the month's end: it would give a
  // day of the year of 0 or less, which no other routine accepts.
  if (iday > length || iday < 1) return false;
  ijul = iday + kDaysBefore[static_cast<std::size_t>(imo - 1)];
  if (imo > 2 && leap(iyr)) ijul += 1;
  return true;
}

void JULDAY(io::Units& u, int iou, int iyr, int imo, int iday, int& ijul) {
  if (!day_of_year(iyr, imo, iday, ijul)) {
    for (int unit : {iou, io::ERR}) {
      u.free(unit, {});
      u.free(unit, {"ERROR in SUBR. JULDAY"});
      u.free(unit, {"Invalid date - IYR = ", iyr, " IMO = ", imo, " IDAY = ", iday});
    }
    halt(u, "Halted in JULDAY -- see list file.");
  }
}

void GRDAY(io::Units& u, int iou, int iyr, int ijul, int& imo, int& iday) {
  const int col = leap(iyr) ? 2 : 1;
  if (ijul < 1 || ijul > days_through(12, col)) {
    static const io::Layout L("(//TR2,'ERROR in SUBR. GRDAY -- invalid Julian day '//TR2,'iyr = ',I5,TR3,'ijul = ',I5)");
    for (int unit : {iou, io::ERR}) u.fixed(unit, L, {iyr, ijul});
    halt(u, "Halted in GRDAY -- see list file.");
  }
  int m = 1;
  while (ijul > days_through(m, col)) ++m;
  imo = m;
  iday = m == 1 ? ijul : ijul - days_through(m - 1, col);
}

void INCR(io::Units& u, int iou, int& iyr, int& ijul, int& ihr, int nhrinc) {
  if (nhrinc < -24) {
    for (int unit : {iou, io::ERR})
      u.free(unit, {"ERROR IN SUBR. INCR -- Invalid value of NHRINC ", "-- NHRINC = ", nhrinc});
    halt(u, "Halted in INCR -- see list file.");
  }
  if (nhrinc == 0) return;
  if (nhrinc > 0) {
    // Chunks of at most one common year: with the hour back in 0 .. 23 after
    // every chunk, a chunk moves the day by at most 365 and so crosses at most
    // one year end.
    int remaining = nhrinc;
    while (remaining > 0) {
      const int chunk = std::min(remaining, 8760);
      remaining -= chunk;
      ihr += chunk;
      if (ihr <= 23) return;
      ijul += ihr / 24;
      ihr %= 24;
      const int days = 365 + (leap(iyr) ? 1 : 0);
      if (ijul > days) {
        iyr += 1;
        ijul -= days;
      }
    }
    return;
  }
  ihr += nhrinc;
  if (ihr < 0) {
    ihr += 24;
    ijul -= 1;
    if (ijul < 1) {
      iyr -= 1;
      ijul = leap(iyr) ? 366 : 365;
    }
  }
}

void INCRS(io::Units& u, int iou, int& iyr, int& ijul, int& ihr, int& isec, int nsecinc) {
  // The sum is formed in 64 bits: the seconds into the hour plus any increment
  // cannot overflow, and every quotient below fits 32 bits again.
  const std::int64_t sum = static_cast<std::int64_t>(isec) + nsecinc;
  if (nsecinc >= 0) {
    if (sum >= 3600) {
      INCR(u, iou, iyr, ijul, ihr, static_cast<int>(sum / 3600));
      isec = static_cast<int>(sum % 3600);
    } else {
      isec = static_cast<int>(sum);
    }
    return;
  }
  if (sum >= 0) {
    isec = static_cast<int>(sum);
    return;
  }
  std::int64_t m = -sum;
  if (m >= 3600) {
    INCR(u, iou, iyr, ijul, ihr, -static_cast<int>(m / 3600));
    m %= 3600;
  }
  isec = -static_cast<int>(m);
  if (isec < 0) {
    isec += 3600;
    INCR(u, iou, iyr, ijul, ihr, -1);
  }
}

void DELTT(int iyr1, int ijul1, int ihr1, int iyr2, int ijul2, int ihr2, std::int64_t& ihrs) {
  const std::int64_t y0 = std::min(iyr1, iyr2);
  ihrs = hours_from(y0, iyr2, ijul2, ihr2) - hours_from(y0, iyr1, ijul1, ihr1);
}

void DELTSEC(int idate1, int isec1, int idate2, int isec2, std::int64_t& nsec) {
  int iyr1 = 0, ijul1 = 0, ihr1 = 0, iyr2 = 0, ijul2 = 0, ihr2 = 0;
  DEDAT(idate1, iyr1, ijul1, ihr1);
  DEDAT(idate2, iyr2, ijul2, ihr2);
  std::int64_t hours = 0;
  DELTT(iyr1, ijul1, ihr1, iyr2, ijul2, ihr2, hours);
  nsec = hours * 3600 + isec2 - isec1;
}

void UTCBASR(const io::Text<8>& axtz, double& base_tz) {
  // A zone text is "UTC", a sign and four digits (hhmm). Anything else names no
  // offset that could be trusted, and is taken as UTC itself.
  auto digit = [&](std::size_t i) { return axtz(i) >= '0' && axtz(i) <= '9'; };
  const bool valid = axtz(1) == 'U' && axtz(2) == 'T' && axtz(3) == 'C' && (axtz(4) == '+' || axtz(4) == '-') &&
                     digit(5) && digit(6) && digit(7) && digit(8);
  if (!valid) {
    base_tz = 0;
    return;
  }
  int hours = (axtz(5) - '0') * 10 + (axtz(6) - '0');
  int minutes = (axtz(7) - '0') * 10 + (axtz(8) - '0');
  // The sign is the zone's, not only the hours': UTC-0030 lies west like UTC-0330.
  if (axtz(4) == '-') {
    hours = -hours;
    minutes = -minutes;
  }
  base_tz = -(hours + minutes / 60.0);
}

void BASRUTC(double base_tz, io::Text<8>& axtz) {
  // Offsets of 100 hours or more (or no number at all) have no hhmm form; the
  // four places are then filled with asterisks, as for any field too narrow.
  long long n = 100000;
  if (base_tz > -100.0 && base_tz < 100.0) {
    const long long h = static_cast<long long>(base_tz);
    const long long m = static_cast<long long>((base_tz - static_cast<double>(h)) * 60);
    n = h * 100 + m;
  }
  const std::string text = std::string("UTC") + (base_tz > 0 ? "-" : "+") + io::fmt_I(n < 0 ? -n : n, 4, 4);
  axtz.set_blank_padded(text);
}

void GETDATE(int idate, int& iyr, int& imo, int& iday, int& ihr) {
  iyr = idate / 1000000;
  imo = idate / 10000 - iyr * 100;
  iday = idate / 100 - iyr * 10000 - imo * 100;
  ihr = idate - iyr * 1000000 - imo * 10000 - iday * 100;
}

void INDECR(io::Units& u, int iou, int& iyr, int& ijul, int& ihr, int idelt, int ihrmin, int ihrmax) {
  const char* failing = nullptr;
  if (idelt < -24 || idelt > 24) {
    failing = "\"IDELT\"";
  } else if (ihr < ihrmin || ihr > ihrmax) {
    failing = "\"IHR\"";
  }
  if (failing) {
    static const io::Layout L(
        "(/TR1,'ERROR in subr. INDECR -- invalid ',A,' -- ',' iyr,ijul,ihr,idelt,ihrmin,ihrmax = ',6I10)");
    for (int unit : {iou, io::ERR}) u.fixed(unit, L, {failing, iyr, ijul, ihr, idelt, ihrmin, ihrmax});
    u.free(io::CONSOLE, {"ERROR in run - see the .LST file"});
    throw io::Stop{};
  }
  ihr += idelt;
  if (idelt < 0) {
    if (ihr < ihrmin) {
      ihr += 24;
      ijul -= 1;
      if (ijul < 1) {
        iyr -= 1;
        ijul = leap(iyr) ? 366 : 365;
      }
    }
  } else if (ihr > ihrmax) {
    ihr -= 24;
    ijul += 1;
    if (ijul > 365 + (leap(iyr) ? 1 : 0)) {
      ijul = 1;
      iyr += 1;
    }
  }
}

void MIDNITE(io::Units& u, int iou, const io::Text<6>& ctrans, int iyr, int imo, int iday, int& ijul, int& newyr,
             int& newmo, int& newday, int& newjul) {
  if (ijul < 1) JULDAY(u, iou, iyr, imo, iday, ijul);
  newyr = iyr;
  newmo = imo;
  newday = iday;
  newjul = ijul;
  if (ctrans.view() == "TO 24h") {
    int hour = 0;
    INCR(u, iou, newyr, newjul, hour, -1);
    GRDAY(u, iou, newyr, newjul, newmo, newday);
  } else if (ctrans.view() == "TO 00h") {
    int hour = 23;
    INCR(u, iou, newyr, newjul, hour, 1);
    GRDAY(u, iou, newyr, newjul, newmo, newday);
  } else {
    for (int unit : {iou, io::ERR}) {
      u.free(unit, {});
      u.free(unit, {"ERROR in SUBR. MIDNITE"});
      u.free(unit, {"Invalid instruction: ", ctrans.view()});
      u.free(unit, {"           Expected: TO 24h"});
      u.free(unit, {"              OR   : TO 00h"});
    }
    halt(u, "Halted in MIDNITE -- see list file.");
  }
}

}  // namespace quelmar::common
