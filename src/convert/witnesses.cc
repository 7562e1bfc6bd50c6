#include "convert/witnesses.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

#include "cdb/field_scanner.h"
#include "convert/emission.h"
#include "convert/map_check.h"
#include "image/program_image.h"
#include "listing/relocated_listing.h"
#include "map/linker_names.h"
#include "records/address_space.h"
#include "records/link_record.h"
#include "records/module_record.h"
#include "records/program.h"
#include "records/symbol_record.h"
#include "torvane/converter.h"
#include "torvane/linker_map.h"
#include "util/hex_text.h"
#include "util/line_reader.h"
#include "util/message_codes.h"
#include "util/quoted.h"
#include "util/reporter.h"

namespace torvane {

namespace {

// note [bit variables]
// SDCC writes no address record for a variable in bit space (a __bit global, a file
// static, a local of a function that is not reentrant, a bit temporary), and the newer
// linkers list none of them in the map, so the CDB file alone would show every one at
// bit 0. The relocated listing of each module has them, under the very identity of
// their CDB records, at the address the linker gave them; older linkers list the
// globals in the map too. A listing counts only when its source lines stand where the
// CDB file's line records put them and, where the program image can be read, its code
// bytes are the image's: one of another build would give other addresses without a
// word, and a rebuild that moved only data (two bits swapped) moves no source line but
// changes the bytes of the code that uses them. An address record always wins, and
// every copy of an identity is bound, as link records bind them.

// The identity an equate of a listing defines, read into `record` as its link record
// would be; false where it is none.
bool readIdentity(const RelocatedListing::Equate& equate, LinkRecord& record) {
  FieldScanner scanner(equate.identity);
  return record.readFields(scanner);
}

// A source line as a key: its file, number, level and block.
std::string lineKey(std::string_view file, int32_t line, int32_t level, int32_t block) {
  std::string key(file);
  key.append("$").append(std::to_string(line)).append("$").append(std::to_string(level));
  return key.append("$").append(std::to_string(block));
}

// The code address of each source line the CDB file gives, by its whole identity; the
// last record of an identity wins.
std::unordered_map<std::string, int32_t> lineRecords(const Program& program) {
  std::unordered_map<std::string, int32_t> records;
  if (program.linePlaces().size() != program.lineAddresses().size()) return records;
  auto change = program.fileChanges().begin();
  std::string_view file;
  std::size_t at = 0;
  for (const Program::LineAddress& line : program.lineAddresses()) {
    for (; change != program.fileChanges().end() && change->from == at; ++change) {
      file = change->file;
    }
    const Program::LinePlace& place = program.linePlaces()[at++];
    records[lineKey(file, line.line, place.level, place.block)] = line.address;
  }
  return records;
}

// Why the listing `name` is not of the build of the CDB file, or empty: the first source
// line it places elsewhere than the CDB file does, or where the CDB file has none.
std::string staleness(const RelocatedListing& listing,
                      const std::unordered_map<std::string, int32_t>& records) {
  for (const RelocatedListing::Equate& equate : listing.lines()) {
    LinkRecord source;
    if (!readIdentity(equate, source)) continue;
    std::string place = quoted(source.name) + ":" + std::to_string(source.sourceLine) + ": ";
    auto record = records.find(lineKey(source.name, source.sourceLine, source.level, source.block));
    if (record == records.end()) {
      return place + "no line record here, " + hexText(equate.address) + " in the listing";
    }
    uint32_t here = static_cast<uint32_t>(record->second);
    if (here != equate.address) {
      return place + hexText(here) + " here, " + hexText(equate.address) + " in the listing";
    }
  }
  return {};
}

// Why the listing is not of the link of the image, or empty: the first line whose code
// bytes differ from the image's at their addresses. Bytes the image lacks are not
// compared.
std::string codeDifference(const RelocatedListing& listing, const ProgramImage& image) {
  for (const RelocatedListing::Code& code : listing.code()) {
    std::string inImage;
    std::string inListing;
    bool differs = false;
    for (std::size_t i = 0; i < code.count; ++i) {
      std::optional<uint8_t> linked = image.byteAt(code.address + static_cast<uint32_t>(i));
      if (linked && *linked != code.bytes[i]) differs = true;
      const char* separator = i == 0 ? "" : " ";
      inImage.append(separator).append(linked ? byteText(*linked) : "--");
      inListing.append(separator).append(byteText(code.bytes[i]));
    }
    if (differs) {
      return hexText(code.address) + ": " + inImage + " in the image, " + inListing +
             " in the listing";
    }
  }
  return {};
}

// The program image, read once, when a listing is first compared with it; null where it
// cannot be read.
class ImageForListings {
 public:
  explicit ImageForListings(const ConvertOptions& options) : options_(options) {}
  const ProgramImage* get() {
    if (!asked_) {
      asked_ = true;
      std::string text;
      readable_ = options_.readImage && options_.readImage(text) && image_.read(text);
    }
    return readable_ ? &image_ : nullptr;
  }

 private:
  const ConvertOptions& options_;
  bool asked_ = false;
  bool readable_ = false;
  ProgramImage image_;
};

// Reads each module's listing, and binds from those of this build.
void bindFromListings(Program& program, const ConvertOptions& options, WitnessReport& report) {
  std::unordered_map<std::string, int32_t> records = lineRecords(program);
  ImageForListings image(options);
  std::set<std::string_view> read;
  for (const ModuleRecord& module : program.modules) {
    if (!read.insert(module.name).second) continue;  // a module repeated
    ++report.modules;
    ListingFile file;
    // An empty listing is what an assembly cut short leaves: as good as none.
    if (!options.readListing(module.name, file) || file.text.empty()) {
      if (file.longLine > 0) report.longLines.emplace_back(file.name, file.longLine);
      if (report.missingListings++ == 0) report.firstMissing = file.name;
      continue;
    }
    RelocatedListing listing;
    listing.read(file.text);
    std::string stale = staleness(listing, records);
    if (stale.empty()) {
      if (const ProgramImage* linked = image.get()) stale = codeDifference(listing, *linked);
    }
    if (!stale.empty()) {
      report.staleListings.emplace_back(
          file.name, quoted(module.name) + ".rst is not from the same build as " +
                         options.inputName + " (" + stale + ")");
      continue;
    }
    for (const RelocatedListing::Equate& equate : listing.symbols()) {
      LinkRecord symbol;
      if (readIdentity(equate, symbol)) {
        report.placedByListings += bindUnlinkedSymbol(program, symbol.identity(),
                                                      static_cast<int32_t>(equate.address));
      }
    }
  }
}

// The globals a trusted map lists that nothing else placed: in a linked program every
// one, by its linker name (note [linker names] in map/linker_names.cc); in a module
// never linked, whose other symbols stand where their records put them, its bit
// variables alone, which an older linker lists.
void bindFromMap(Program& program, const LinkerMap& map, WitnessReport& report) {
  LinkerNames names(map, globalNames(program));
  for (const SymbolRecord& s : program.symbols) {
    if (s.scope != 'G' || s.hasPlace()) continue;
    if (!program.hasLinkRecords && s.addressSpace != kBitSpace) continue;
    if (std::optional<uint32_t> listed = names.addressOf(s.name)) {
      report.placedByMap +=
          bindUnlinkedSymbol(program, s.identity(), static_cast<int32_t>(*listed));
    }
  }
}

// The bit variables of a linked program still without an address, each identity once.
std::size_t unboundBitVariables(const Program& program) {
  if (!program.hasLinkRecords) return 0;
  std::size_t count = 0;
  for (const SymbolRecord& s : program.symbols) {
    if (s.addressSpace != kBitSpace || s.hasPlace()) continue;
    if (program.symbols.find(s.identity()) == &s) ++count;
  }
  return count;
}

// Where the listings lie though none were named: the folder of the first module's
// listing that is found.
std::string listingsAnywhere(const Program& program, const ConvertOptions& options) {
  for (const ModuleRecord& module : program.modules) {
    std::string folder = options.findListing(module.name);
    if (!folder.empty()) return folder;
  }
  return {};
}

}  // namespace

WitnessReport bindFromWitnesses(Program& program, const ConvertOptions& options,
                                const MapVerdict* verdict) {
  WitnessReport report;
  if (options.readListing) bindFromListings(program, options, report);
  if (verdict && verdict->trusted()) bindFromMap(program, *options.map, report);
  return report;
}

void noteBitsWithoutAddress(const Program& program, const ConvertOptions& options,
                            const EmissionResult& written, WitnessReport& report) {
  // The emission counted them as it wrote their notes, unless it stopped short.
  std::size_t bits = written.everySymbolCome ? written.bitsWithoutAddress
                                             : unboundBitVariables(program);
  report.unboundBits = bits;
  if (bits > 0 && !options.readListing && options.findListing) {
    report.listingsFound = listingsAnywhere(program, options);
  }
}

void warnOfWitnesses(const WitnessReport& report, const ConvertOptions& options,
                     Reporter& diagnostics) {
  for (const auto& [listing, line] : report.longLines) {
    diagnostics.addAbout(listing, Diagnostic::Kind::warning, code::kLineTooLong,
                         tooLongText(LineReader::kLineLimit) + "; the listing is not used")
        .line = line;
  }
  for (const auto& [listing, text] : report.staleListings) {
    diagnostics.addAbout(listing, Diagnostic::Kind::warning, code::kListingOfAnotherBuild, text);
  }
  if (report.unboundBits == 0) return;
  std::string text = std::to_string(report.unboundBits) +
                     (report.unboundBits == 1 ? " bit variable of " : " bit variables of ") +
                     options.inputName + (report.unboundBits == 1 ? " has" : " have") +
                     " no address (SDCC writes none); ";
  if (!options.readListing) {
    text += "name the folder of the listings";
  } else {
    text += "no listing in " + options.listingsName + (report.unboundBits == 1 ? " gives it" : " gives them");
    if (report.missingListings > 0) {
      text += " (" + std::to_string(report.missingListings) + " of " +
              std::to_string(report.modules) + " listings missing: " + report.firstMissing +
              (report.missingListings > 1 ? ", ...)" : ")");
    }
  }
  diagnostics.warning(code::kBitWithoutAddress, text).suggestion = report.listingsFound;
}

}  // namespace torvane
