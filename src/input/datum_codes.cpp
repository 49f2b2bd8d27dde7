#include "input/datum_codes.hpp"

#include <algorithm>

namespace quelmar::input {

// The codes as data/calpuff/datum_codes.txt lists them, one after the other.
const std::array<std::string_view, NDATUM> DATUM_CODES = {
    "WGS-84", "WGS-96", "WGS-G", "WGS-72", "NWS-84", "ESR-S", "ADI-M", "ADI-E", "ADI-F", "ADI-A", "ADI-C",
    "ADI-D", "ADI-B", "AFG", "ARF-M", "ARF-A", "ARF-H", "ARF-B", "ARF-C", "ARF-D", "ARF-E", "ARF-F", "ARF-G",
    "ARS-M", "ARS-A", "ARS-B", "PHA", "BID", "CAP", "CGE", "DAL", "EUR-F", "EUR-T", "LEH", "LIB", "MAS",
    "MER", "MIN-A", "MIN-B", "MPO", "NSD", "OEG", "PTB", "PTN", "SCK", "SRL", "TAN", "VOI", "VOR", "AIN-A",
    "AIN-B", "BUR", "BAT", "EUR-H", "EUR-S", "GSE", "HEN", "HKD", "HTN", "IND-B", "IND-I", "IND-P", "INF-A",
    "ING-A", "ING-B", "INH-A", "INH-A1", "IDN", "KAN", "KEA", "KGS", "NAH-A", "NAH-B", "NAH-C", "FAH", "PUK",
    "QAT", "SOA", "TIL", "TOY-M", "TOY-A", "TOY-C", "TOY-B", "TOY-B1", "AUA", "AUG", "EST", "EUR-M", "EUR-A",
    "EUR-E", "EUR-G", "EUR-K", "EUR-B", "EUR-I", "EUR-J", "EUR-L", "EUR-C", "EUR-D", "EUS", "HER", "IRL",
    "OGB-M", "OGB-A", "OGB-B", "OGB-C", "OGB-D", "MOD", "SPK-A", "SPK-B", "SPK-C", "SPK-D", "SPK-E", "SPK-F",
    "SPK-G", "CCD", "CAC", "NAS-C", "NAS-B", "NAS-A", "NAS-D", "NAS-V", "NAS-W", "NAS-Q", "NAS-R", "NAS-E",
    "NAS-F", "NAS-G", "NAS-H", "NAS-I", "NAS-J", "NAS-O", "NAS-P", "NAS-N", "NAS-T", "NAS-U", "NAS-L",
    "NAR-A", "NAR-E", "NAR-B", "NAR-C", "NAR-H", "NAR-D", "BOO", "CAI", "CHU", "COA", "PRP-M", "PRP-A",
    "PRP-B", "PRP-C", "PRP-D", "PRP-E", "PRP-F", "PRP-G", "PRP-H", "HIT", "SAN-M", "SAN-A", "SAN-B", "SAN-C",
    "SAN-D", "SAN-E", "SAN-F", "SAN-J", "SAN-G", "SAN-H", "SAN-I", "SAN-K", "SAN-L", "SIR", "YAC", "ZAN",
    "AIA", "ASC", "SHB", "BER", "DID", "FOT", "GRA", "HJO", "ISG", "LCF", "ASM", "NAP", "FLO", "PLN", "POS",
    "PUR", "QUO", "SAO", "SAP", "SGM", "TDC", "ANO", "GAA", "IST", "KEG", "MIK", "REU", "AMA", "ATF", "TRN",
    "ASQ", "IBE", "CAZ", "CAO", "CHI", "GIZ", "EAS", "GEO", "GUA", "DOB", "JOH", "KUS", "LUZ-A", "LUZ-B",
    "MID", "OHA-M", "OHA-A", "OHA-B", "OHA-C", "OHA-D", "OHI-M", "OHI-A", "OHI-B", "OHI-C", "OHI-D", "PIT",
    "SAE", "MVS", "ENW", "WAK",
};

bool is_datum_code(std::string_view text) {
  return std::find(DATUM_CODES.begin(), DATUM_CODES.end(), text) != DATUM_CODES.end();
}

}  // namespace quelmar::input
