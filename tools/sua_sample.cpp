#include "tools/sua_sample.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <stdexcept>
#include <utility>

namespace qeb::sample {
namespace {

namespace stdfs = std::filesystem;

// Validation-record fields, 1-based position and length.
constexpr size_t kIdentPos = 3, kIdentLen = 11;
constexpr size_t kCodigoPos = 27;
constexpr size_t kDiscosPos = 67;
constexpr size_t kInicialPos = 69;
constexpr size_t kClavePos = 121, kClaveLen = 19;

constexpr size_t kNameLength = 8;

// splitmix64: small, and the same sequence everywhere, unlike the standard
// distributions whose output differs between library implementations.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint64_t Below(uint64_t n) { return Next() % n; }
  uint64_t Between(uint64_t low, uint64_t high) { return low + Below(high - low + 1); }

  std::string FromSet(std::string_view set, size_t count) {
    std::string text(count, ' ');
    for (char& c : text) c = set[Below(set.size())];
    return text;
  }
  std::string Digits(size_t count) { return FromSet("0123456789", count); }
  std::string Letters(size_t count) { return FromSet("ABCDEFGHIJKLMNOPQRSTUVWXYZ", count); }
  std::string Alnum(size_t count) { return FromSet("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", count); }
  template <size_t N>
  std::string_view Pick(const std::array<std::string_view, N>& items) {
    return items[Below(N)];
  }

 private:
  uint64_t state_;
};

// Names in the single-byte code page of the files: octal 321 (0xD1) is "Ñ".
constexpr std::array<std::string_view, 20> kSurnames = {
    "GARCIA",  "HERNANDEZ", "MARTINEZ",   "LOPEZ",   "GONZALEZ",   "RODRIGUEZ", "PEREZ",
    "SANCHEZ", "RAMIREZ",   "CRUZ",       "FLORES",  "GOMEZ",      "MU\321OZ",  "NU\321EZ",
    "PE\321A", "ORTIZ",     "DE LA CRUZ", "VAZQUEZ", "ORDO\321EZ", "CASTILLO"};
constexpr std::array<std::string_view, 14> kGivenNames = {
    "JUAN",         "JOSE LUIS", "MARIA GUADALUPE",  "FRANCISCO", "ROSA MARIA",
    "ANTONIO",      "JESUS",     "MARIA DEL CARMEN", "ALEJANDRO", "VERONICA",
    "MIGUEL ANGEL", "PATRICIA",  "ARTURO",           "LETICIA"};
constexpr std::array<std::string_view, 8> kCompanyWords = {
    "COMERCIALIZADORA", "DISTRIBUIDORA", "SERVICIOS",  "CONSTRUCTORA",
    "TRANSPORTES",      "ALIMENTOS",     "INDUSTRIAS", "PAPELERA"};
constexpr std::array<std::string_view, 6> kCompanyPlaces = {
    "DEL NORTE", "DEL BAJIO", "DEL PACIFICO", "DE MONTERREY", "DE OCCIDENTE", "DEL GOLFO"};
constexpr std::array<std::string_view, 8> kStates = {"DF", "JC", "NL", "MC",
                                                     "PL", "GT", "VZ", "BC"};
constexpr std::array<std::string_view, 5> kMovements = {"02", "07", "08", "11", "12"};

// One 295-character record, blank-filled, written field by field.
class Record {
 public:
  explicit Record(std::string_view type) : text_(kRecordLength, ' ') { Put(1, type); }

  // Places `value` at 1-based `position`; fields never run past the record.
  Record& Put(size_t position, std::string_view value) {
    if (position < 1 || position - 1 + value.size() > kRecordLength) {
      throw std::logic_error("field runs past the record");
    }
    std::copy(value.begin(), value.end(), text_.begin() + (position - 1));
    return *this;
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// `value` in `width` zero-padded decimal digits, cut to the lowest digits.
std::string Number(uint64_t value, size_t width) {
  std::string text(width, '0');
  for (size_t i = width; i > 0 && value > 0; --i, value /= 10) {
    text[i - 1] = static_cast<char>('0' + value % 10);
  }
  return text;
}

// Joins in the order written: the operands of + may be evaluated in any
// order, the elements of a braced list only from left to right, and the
// bytes must not depend on the compiler.
std::string Concat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

// DDMMYYYY
std::string Date(Random& random, uint64_t first_year, uint64_t last_year) {
  return Concat({Number(random.Between(1, 28), 2), Number(random.Between(1, 12), 2),
                 Number(random.Between(first_year, last_year), 4)});
}

struct Employer {
  std::string registro;  // the registration number, which carries name characters 6-8
  std::string rfc;
  std::string razon_social;
  std::string periodo;  // YYYYMM
};

struct Totals {
  uint64_t workers = 0;
  uint64_t cuotas = 0;
  uint64_t rcv = 0;
  uint64_t infonavit = 0;
};

Employer MakeEmployer(Random& random, const std::string& name8) {
  Employer employer;
  employer.registro = Concat({random.Letters(1), random.Digits(kIdentLen - 1)});
  employer.registro[2] = name8[5];
  employer.registro[6] = name8[6];
  employer.registro[8] = name8[7];
  employer.rfc = Concat({random.Letters(3), random.Digits(6), random.Alnum(3), " "});
  employer.razon_social =
      Concat({random.Pick(kCompanyWords), " ", random.Pick(kCompanyPlaces), " SA DE CV"});
  employer.periodo =
      Concat({Number(random.Between(1998, 2008), 4), Number(random.Between(1, 12), 2)});
  return employer;
}

std::string HeaderRecord(Random& random, const Employer& employer) {
  return Record("01")
      .Put(3, employer.registro)
      .Put(14, employer.rfc)
      .Put(27, employer.periodo)
      .Put(33, employer.razon_social)
      .Put(83, Concat({"AV ", random.Pick(kSurnames), " ", random.Digits(3)}))
      .Put(133, random.Digits(5))                                      // código postal
      .Put(138, random.Pick(kStates))                                  // entidad
      .Put(140, Number(random.Between(50000, 150000), 7))              // prima de riesgo
      .Put(147, Concat({"SUA", Number(random.Between(300, 399), 3)}))  // versión
      .text();
}

std::string WorkerRecord(Random& random, const Employer& employer, const std::string& nss,
                         Totals& totals) {
  const std::string nombre =
      Concat({random.Pick(kSurnames), " ", random.Pick(kSurnames), " ", random.Pick(kGivenNames)});
  const std::string birth = random.Digits(6);
  const uint64_t salario = random.Between(5000, 150000);  // centavos a day
  const uint64_t cuotas = salario * random.Between(20, 31) / 5;
  const uint64_t rcv = salario * random.Between(20, 31) / 9;
  totals.workers += 1;
  totals.cuotas += cuotas;
  totals.rcv += rcv;
  return Record("02")
      .Put(3, employer.registro)
      .Put(14, nss)
      .Put(25, Concat({random.Letters(4), birth, random.Alnum(3)}))  // RFC
      .Put(38, Concat({random.Letters(4), birth, random.Below(2) ? "H" : "M", random.Pick(kStates),
                       random.Letters(3), random.Alnum(1), random.Digits(1)}))  // CURP
      .Put(56, nombre.substr(0, 50))
      .Put(106, Number(random.Between(1, 3), 1))  // tipo de trabajador
      .Put(107, Number(random.Below(7), 1))       // jornada
      .Put(108, Date(random, 1990, 2008))         // alta
      .Put(116, Number(salario, 7))
      .Put(133, Number(cuotas, 9))
      .Put(142, Number(rcv, 9))
      .text();
}

std::string MovementRecord(Random& random, const Employer& employer, const std::string& nss) {
  std::string_view movement = random.Pick(kMovements);
  const bool incapacidad = movement == "12";
  return Record("03")
      .Put(3, employer.registro)
      .Put(14, nss)
      .Put(25, movement)
      .Put(27, Date(random, 1998, 2008))
      .Put(35, incapacidad ? random.Alnum(8) : std::string())  // folio
      .Put(43, Number(random.Between(1, 30), 2))               // días
      .Put(45, Number(random.Between(5000, 150000), 7))        // salario
      .text();
}

std::string CreditRecord(Random& random, const Employer& employer, const std::string& nss,
                         Totals& totals) {
  const uint64_t descuento = random.Between(10000, 900000);
  totals.infonavit += descuento;
  return Record("04")
      .Put(3, employer.registro)
      .Put(14, nss)
      .Put(25, random.Digits(10))  // número de crédito
      .Put(35, Date(random, 1998, 2008))
      .Put(43, Number(random.Between(1, 3), 1))  // tipo de descuento
      .Put(44, Number(descuento, 8))
      .text();
}

std::string TotalsRecord(const Employer& employer, const Totals& totals) {
  return Record("05")
      .Put(3, employer.registro)
      .Put(14, employer.periodo)
      .Put(20, Number(totals.workers, 6))
      .Put(26, Number(totals.cuotas, 12))
      .Put(38, Number(totals.rcv, 12))
      .Put(50, Number(totals.infonavit, 12))
      .Put(62, Number(totals.cuotas + totals.rcv + totals.infonavit, 12))
      .text();
}

std::string ValidationRecord(Random& random, const Employer& employer, const Totals& totals,
                             const std::string& name8, int disk_count) {
  return Record("06")
      .Put(kIdentPos, employer.registro)
      .Put(14, employer.rfc)
      .Put(kCodigoPos, Concat({random.Digits(2), name8.substr(1, 4)}))
      .Put(33, Number(totals.workers, 6))
      .Put(39, Number(totals.cuotas + totals.rcv + totals.infonavit, 12))
      .Put(51, random.Digits(16))  // folio de pago
      .Put(kDiscosPos, Number(disk_count, 2))
      .Put(kInicialPos, Concat({name8.substr(0, 1), random.Letters(3)}))
      .Put(73, Date(random, 1998, 2008))
      .Put(81, employer.razon_social.substr(0, 40))
      .Put(kClavePos, random.Alnum(kClaveLen))
      .text();
}

// Where the further fields of a varied record start (past the last field of
// each record type), and how many characters they fill.
constexpr size_t kWorkerFreePos = 152;
constexpr size_t kMovementFreePos = 53;
constexpr size_t kVariedLength = 77;

// Fills kVariedLength characters of `record` from 1-based `position` with
// fields drawn from `random`: streets, amounts, dates and references, as a
// fuller record would hold them.
std::string AddVariety(Random& random, std::string record, size_t position) {
  const size_t end = position + kVariedLength - 1;
  while (position <= end) {
    std::string field;
    switch (random.Below(5)) {
      case 0:
        field = Concat({"CALLE ", random.Pick(kSurnames), " ", Number(random.Below(9999), 4)});
        break;
      case 1:
        field = Number(random.Below(999'999'999), 9);
        break;
      case 2:
        field = Date(random, 1990, 2008);
        break;
      case 3:
        field = random.Alnum(6);
        break;
      default:
        field = Concat({random.Pick(kGivenNames), " ", random.Digits(3)});
        break;
    }
    field.resize(std::min(field.size(), end + 1 - position));
    std::copy(field.begin(), field.end(), record.begin() + (position - 1));
    position += field.size() + 1;
  }
  return record;
}

// The workers with their movements, exactly `count` records. With `variety`
// each record gets further fields from it (see AddVariety); `random` draws
// the same values either way.
void AppendWorkers(Random& random, const Employer& employer, size_t count, Totals& totals,
                   Random* variety, std::string& data) {
  auto add = [&](std::string record, size_t free_position) {
    data += variety != nullptr ? AddVariety(*variety, std::move(record), free_position) : record;
  };
  while (count > 0) {
    const std::string nss = random.Digits(11);
    add(WorkerRecord(random, employer, nss, totals), kWorkerFreePos);
    --count;
    size_t movements = std::min<size_t>(random.Below(4), count);
    count -= movements;
    for (; movements > 0; --movements) {
      add(random.Below(4) == 0 ? CreditRecord(random, employer, nss, totals)
                               : MovementRecord(random, employer, nss),
          kMovementFreePos);
    }
  }
}

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

void CheckName(const std::string& name8) {
  if (name8.size() != kNameLength || !std::all_of(name8.begin(), name8.end(), IsNameCharacter)) {
    throw std::invalid_argument("the name must be 8 letters or digits: \"" + name8 + "\"");
  }
}

void CheckDiskCount(int disk_count) {
  if (disk_count < 0 || disk_count > kMaxDiskCount) {
    throw std::invalid_argument("the disk count must be 0 to 99, not " +
                                std::to_string(disk_count));
  }
}

// Cuts `data` into consecutive pieces of the given lengths, which add up to its size.
std::vector<std::string> Cut(const std::string& data, const std::vector<size_t>& lengths) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (size_t length : lengths) {
    pieces.push_back(data.substr(start, length));
    start += length;
  }
  return pieces;
}

SplitSet StampPieceCount(std::string data, std::vector<std::string> pieces) {
  if (pieces.size() > static_cast<size_t>(kMaxDiskCount)) {
    throw std::invalid_argument(std::to_string(pieces.size()) +
                                " pieces do not fit in a two-digit disk count");
  }
  // The record lies wholly in the last piece, so the cuts stay where they are.
  SetDiskCount(data, static_cast<int>(pieces.size()));
  SetDiskCount(pieces.back(), static_cast<int>(pieces.size()));
  return {std::move(data), std::move(pieces)};
}

std::string ToUtf8(const stdfs::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

stdfs::path FromUtf8(const std::string& text) {
  return stdfs::path(std::u8string(text.begin(), text.end()));
}

}  // namespace

size_t RecordCountForSize(size_t bytes) {
  return std::max<size_t>(1, (bytes + kRecordLength - 1) / kRecordLength);
}

std::string MakeSuaData(const std::string& name8, size_t record_count, uint64_t seed,
                        int disk_count, Records records) {
  CheckName(name8);
  CheckDiskCount(disk_count);
  if (record_count == 0) throw std::invalid_argument("at least the validation record is needed");

  Random random(seed);
  const Employer employer = MakeEmployer(random, name8);
  Totals totals;
  std::string data;
  data.reserve(record_count * kRecordLength);
  if (record_count >= 2) data += HeaderRecord(random, employer);
  if (record_count >= 3) {
    // A stream of its own, so that the usual fields stay the same.
    Random variety(~seed);
    AppendWorkers(random, employer, record_count - 3, totals,
                  records == Records::kVaried ? &variety : nullptr, data);
    data += TotalsRecord(employer, totals);
  }
  data += ValidationRecord(random, employer, totals, name8, disk_count);
  return data;
}

void SetDiskCount(std::string& data, int disk_count) {
  CheckDiskCount(disk_count);
  if (data.size() < kRecordLength) throw std::invalid_argument("no validation record to change");
  const std::string digits = Number(disk_count, 2);
  std::copy(digits.begin(), digits.end(), data.end() - kRecordLength + (kDiscosPos - 1));
}

std::vector<std::string> SplitIntoPieces(const std::string& data, size_t piece_size) {
  if (piece_size < kRecordLength) {
    throw std::invalid_argument("a piece must hold at least one record of 295 characters");
  }
  if (data.empty()) return {};
  const size_t count = (data.size() + piece_size - 1) / piece_size;
  const size_t last =
      std::min(data.size(), std::max(data.size() - (count - 1) * piece_size, kRecordLength));
  // Since piece_size >= 295, the pieces before the last are still `count` - 1.
  std::vector<size_t> lengths;
  for (size_t rest = data.size() - last; rest > 0; rest -= lengths.back()) {
    lengths.push_back(std::min(rest, piece_size));
  }
  lengths.push_back(last);
  return Cut(data, lengths);
}

std::vector<std::string> SplitIntoPieceCount(const std::string& data, size_t piece_count) {
  if (piece_count == 0) throw std::invalid_argument("at least one piece is needed");
  if (piece_count == 1 && !data.empty()) return {data};
  if (data.size() < kRecordLength + piece_count - 1) {
    throw std::invalid_argument("the data is too short for " + std::to_string(piece_count) +
                                " pieces");
  }
  const size_t even = (data.size() + piece_count - 1) / piece_count;
  const size_t last = std::min(data.size(), std::max(even, kRecordLength));
  const size_t rest = data.size() - last;
  const size_t others = piece_count - 1;
  std::vector<size_t> lengths;
  for (size_t i = 0; i < others; ++i) lengths.push_back(rest / others + (i < rest % others));
  lengths.push_back(last);
  return Cut(data, lengths);
}

SplitSet MakeSplitSet(std::string data, size_t piece_size) {
  std::vector<std::string> pieces = SplitIntoPieces(data, piece_size);
  return StampPieceCount(std::move(data), std::move(pieces));
}

SplitSet MakeSplitSetOfCount(std::string data, size_t piece_count) {
  std::vector<std::string> pieces = SplitIntoPieceCount(data, piece_count);
  return StampPieceCount(std::move(data), std::move(pieces));
}

std::string WholeFileName(const std::string& name8) {
  return name8 + ".SUA";
}

std::string PieceFileName(const std::string& name8, size_t index) {
  return name8 + ".SU" + std::to_string(index);
}

std::string WriteSampleFile(const std::string& folder, const std::string& file_name,
                            std::string_view data, bool eof_mark) {
  const stdfs::path dir = FromUtf8(folder);
  stdfs::create_directories(dir);
  const stdfs::path path = dir / FromUtf8(file_name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (eof_mark) out.put(kEofMark);
  out.close();
  if (!out) throw std::runtime_error("cannot write " + ToUtf8(path));
  return ToUtf8(path);
}

std::vector<std::string> WriteWholeFile(const std::string& folder, const std::string& name8,
                                        std::string_view data, bool eof_mark) {
  CheckName(name8);
  return {WriteSampleFile(folder, WholeFileName(name8), data, eof_mark)};
}

std::vector<std::string> WritePieces(const std::string& folder, const std::string& name8,
                                     const std::vector<std::string>& pieces, bool eof_mark) {
  CheckName(name8);
  std::vector<std::string> paths;
  for (size_t i = 0; i < pieces.size(); ++i) {
    paths.push_back(WriteSampleFile(folder, PieceFileName(name8, i), pieces[i], eof_mark));
  }
  return paths;
}

}  // namespace qeb::sample
