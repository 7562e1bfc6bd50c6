#include "cdb_generator.h"

#include <string>
#include <vector>

namespace {

// splitmix64: small, fast, and the same on every platform and library.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint64_t below(uint64_t n) { return next() % n; }
  bool chance(unsigned percent) { return below(100) < percent; }

 private:
  uint64_t state_;
};

// Identifier lengths of real firmware: mostly short, a few long. A serial number keeps
// every name apart, as the linker demands of globals.
std::string identifier(Random& r, const char* prefix) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz_";
  static uint64_t serial = 0;
  std::size_t length = 1 + r.below(r.chance(85) ? 4 : 12);
  std::string name = prefix;
  for (std::size_t i = 0; i < length; ++i) name += kLetters[r.below(sizeof kLetters - 1)];
  name += std::to_string(serial++);  // digits never end a name part: no two names meet
  return name;
}

const char* const kTypes[] = {"({1}SC:U)", "({2}SI:S)",  "({2}SI:U)",      "({4}SL:U)",
                              "({1}:S)",   "({4}SF:S)",  "({3}DG,SC:U)",   "({2}DX,SI:U)",
                              "({8}DA8d,SC:U)", "({20}DA10d,SI:S)", "({1}SX:U)"};
const char* const kSpaces[] = {"E", "E", "E", "F", "F", "I", "J", "D", "G", "H"};

struct Symbol {
  std::string link;  // the identity as its link record writes it, after "L:"
};

struct Function {
  std::string module;
  std::string name;
  bool isStatic;
};

}  // namespace

uint64_t generateCdb(std::FILE* out, uint64_t lines, uint64_t seed) {
  Random r(seed);
  uint64_t written = 0;
  auto emit = [&](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
    ++written;
  };

  // The record mix of linked SDCC output: about 20 % records that are kept (symbols,
  // functions, structures, modules), 16 % address links, and the rest code lines, most
  // of them assembler line records.
  const uint64_t recordLines = lines / 5;
  std::vector<Symbol> symbols;
  std::vector<Function> functions;
  uint64_t address = 0x100;
  bool stack = false;

  while (written < recordLines) {
    std::string module = identifier(r, "m");
    emit("M:" + module);
    std::vector<std::string> tags;
    int functionCount = 2 + static_cast<int>(r.below(6));
    for (int f = 0; f < functionCount; ++f) {
      bool isStatic = r.chance(30);
      std::string name = identifier(r, "f");
      std::string scope = isStatic ? "F" + module : "G";
      emit("F:" + scope + "$" + name + "$0_0$0({2}DF," + (r.chance(50) ? "SV:S" : "SI:S") +
           "),C,0,0,0,0,0");
      functions.push_back({module, name, isStatic});
      symbols.push_back({scope + "$" + name + "$0$0"});
      int locals = static_cast<int>(r.below(4));
      for (int l = 0; l < locals; ++l) {
        std::string local = identifier(r, "v");
        std::string block = std::to_string(1 + r.below(9));
        std::string id = "L" + module + "." + name + "$" + local + "$1_0$" + block;
        const char* type = kTypes[r.below(4)];
        if (r.chance(25)) {
          stack = true;
          emit("S:" + id + type + ",B,1,-" + std::to_string(1 + r.below(12)));
        } else if (r.chance(60)) {
          emit("S:" + id + type + ",R,0,0,[r" + std::to_string(r.below(6)) + ",r7]");
        } else {
          emit("S:" + id + type + ",E,0,0");
          symbols.push_back({id});
        }
      }
    }
    int structs = static_cast<int>(r.below(3));
    for (int s = 0; s < structs; ++s) {
      std::string tag = identifier(r, "t");
      std::string line = "T:F" + module + "$" + tag + "[";
      int members = 2 + static_cast<int>(r.below(5));
      for (int k = 0; k < members; ++k) {
        std::string type = kTypes[r.below(8)];
        if (!tags.empty() && r.chance(25)) {
          type = "({3}DG,ST" + tags[r.below(tags.size())] + ":S)";
        } else if (r.chance(10)) {
          type = "({3}DG,ST" + tag + ":S)";
        }
        line += "({" + std::to_string(2 * k) + "}S:S$" + identifier(r, "e") + "$0_0$0" + type +
                ",Z,0,0)";
      }
      emit(line + "]");
      tags.push_back(tag);
    }
    int globals = 4 + static_cast<int>(r.below(20));
    for (int g = 0; g < globals; ++g) {
      bool isStatic = r.chance(10);
      std::string scope = isStatic ? "F" + module : "G";
      std::string id = scope + "$" + identifier(r, "g") + "$0_0$0";
      std::string type = !tags.empty() && r.chance(5) ? "({6}ST" + tags[r.below(tags.size())] + ":S)"
                                                      : kTypes[r.below(sizeof kTypes / sizeof *kTypes)];
      emit("S:" + id + type + "," + kSpaces[r.below(sizeof kSpaces / sizeof *kSpaces)] + ",0,0");
      symbols.push_back({id});
    }
  }
  if (stack) {
    emit("M:_bp");
    emit("S:G$bp$0_0$0({1}SC:U),E,0,0");
    symbols.push_back({"G$bp$0_0$0"});
  }

  // Addresses for the symbols, after all of them.
  for (const Symbol& s : symbols) {
    if (written >= lines) break;
    char hex[24];
    std::snprintf(hex, sizeof hex, ":%llX", static_cast<unsigned long long>(address++ & 0xFFFF));
    emit("L:" + s.link + hex);
  }

  // The code: assembler and C line records of every function, then its end address,
  // until the file is as long as asked.
  for (uint64_t f = 0; written < lines; ++f) {
    const Function& fn = functions[f % functions.size()];
    std::string file = fn.module + ".c";
    int statements = 3 + static_cast<int>(r.below(12));
    for (int s = 0; s < statements && written < lines; ++s) {
      char line[128];
      std::snprintf(line, sizeof line, "L:C$%s$%d$1_0$%d:%llX", file.c_str(),
                    static_cast<int>(10 + s + f % 500), static_cast<int>(1 + r.below(9)),
                    static_cast<unsigned long long>(address & 0xFFFF));
      emit(line);
      int instructions = 3 + static_cast<int>(r.below(9));
      for (int i = 0; i < instructions && written < lines; ++i) {
        std::snprintf(line, sizeof line, "L:A$%s$%llu:%llX", fn.module.c_str(),
                      static_cast<unsigned long long>(written % 100000),
                      static_cast<unsigned long long>(address & 0xFFFF));
        emit(line);
        address += 1 + r.below(3);
      }
    }
    if (written < lines) {
      char end[24];
      std::snprintf(end, sizeof end, "$0$0:%llX", static_cast<unsigned long long>(address & 0xFFFF));
      emit("L:X" + std::string(fn.isStatic ? "F" + fn.module : "G") + "$" + fn.name + end);
    }
  }
  return written;
}
