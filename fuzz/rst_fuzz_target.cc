// Feeds arbitrary bytes to the relocated listing reader, as --listings hands it a
// module's listing, and through the whole conversion as the listing and the program
// image of a small linked program. Besides what the sanitizers catch, it checks what
// every reading must give: only debug identities of the two kinds, addresses of 24
// bits, at most a line's worth of code bytes, the same equates and code whatever the
// line ends, and a whole command file whatever the listing and the image hold.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "listing/relocated_listing.h"
#include "torvane/converter.h"

using namespace torvane;

namespace {

bool wellFormed(const RelocatedListing& listing) {
  for (const RelocatedListing::Equate& e : listing.lines()) {
    if (e.identity.compare(0, 2, "C$") != 0 || e.address > 0xFFFFFF) return false;
  }
  for (const RelocatedListing::Equate& e : listing.symbols()) {
    char scope = e.identity[0];
    if ((scope != 'G' && scope != 'F' && scope != 'L') || e.address > 0xFFFFFF) return false;
    if (e.identity.find_first_of(" \t\r\f\v") != std::string::npos) return false;
  }
  for (const RelocatedListing::Code& c : listing.code()) {
    if (c.count == 0 || c.count > RelocatedListing::kMostBytes) return false;
  }
  return true;
}

bool sameEquates(const RelocatedListing& a, const RelocatedListing& b) {
  auto same = [](const auto& x, const auto& y) {
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (x[i].identity != y[i].identity || x[i].address != y[i].address) return false;
    }
    return true;
  };
  auto sameCode = [](const RelocatedListing::Code& x, const RelocatedListing::Code& y) {
    return x.address == y.address && x.count == y.count && x.bytes == y.bytes;
  };
  return same(a.lines(), b.lines()) && same(a.symbols(), b.symbols()) &&
         std::equal(a.code().begin(), a.code().end(), b.code().begin(), b.code().end(), sameCode);
}

const char kProgram[] =
    "M:m\nF:G$main$0_0$0({2}DF,SV:S),C,0,0,0,0,0\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n"
    "S:Lm.main$t$1_0$1({1}SB0$1:U),H,0,0\nS:Fm$s$0_0$0({1}SC:U),E,0,0\n"
    "L:G$main$0_0$0:62\nL:C$m.c$3$1_0$1:62\nL:XG$main$0_0$0:70\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  RelocatedListing listing;
  listing.read(text);
  if (!wellFormed(listing)) std::abort();

  // A carriage return before every line feed reads alike: CR LF listings are the same.
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  RelocatedListing again;
  again.read(crlf);
  if (!sameEquates(listing, again)) std::abort();

  ConvertOptions options;
  options.inputName = "m.cdb";
  options.image = "m.ihx";
  options.listingsName = "obj";
  options.readListing = [text](std::string_view, ListingFile& file) {
    file.name = "obj/m.rst";
    file.text = text;
    return true;
  };
  options.readImage = [text](std::string& image) {
    image = text;
    return true;
  };
  std::string out;
  ConvertResult result = convert(kProgram, options, out);
  if (result.outcome != Outcome::complete) std::abort();
  if (out.find("\nLOAD m.ihx\n") == std::string::npos || out.substr(out.size() - 6) != "MODE 2") {
    std::abort();
  }
  return 0;
}
