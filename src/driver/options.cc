#include "driver/options.h"

#include <algorithm>

#include "util/system_files.h"

namespace torvane {

void Request::decide(Action chosen, std::string_view at, const char* lacking) {
  if (decided_) return;
  decided_ = true;
  action = chosen;
  option = at;
  missingValueNoun = lacking;
}

namespace {

const std::vector<Option> kOptions = {
    {"-o", "--output", "FILE", "file name", "write the command file to FILE (default: file.dvk beside file.cdb),\n"
     "replaced whole; - writes it to standard output",
     [](Request& r, const char* value) { r.outputName = value; }},
    {"-i", "--image", "FILE", "file name", "name FILE as the image to load (default: file.ihx beside file.cdb)",
     [](Request& r, const char* value) { r.imageName = value; }},
    {"-m", "--map", "FILE", "file name",
     "check the addresses against the linker map FILE of the same link,\n"
     "place the globals it lists that no record places, and take the\n"
     "frame pointer bp from it where no record gives it",
     [](Request& r, const char* value) { r.mapName = value; }},
    {nullptr, "--listings", "DIR", "folder name",
     "take the addresses of bit variables from the relocated listings\n"
     "(MODULE.rst) in DIR, of the same build; given again, the folders\n"
     "are searched in order",
     [](Request& r, const char* value) { r.listings.push_back(value); }},
    {"-k", "--keep-going", nullptr, nullptr,
     "skip a record that cannot be converted, say so, and convert the rest",
     [](Request& r, const char*) { r.keepGoing = true; }},
    {nullptr, "--fatal-warnings", nullptr, nullptr,
     "end with status 3 after any warning, once the command file is complete",
     [](Request& r, const char*) { r.fatalWarnings = true; }},
    {"-q", "--quiet", nullptr, nullptr, "print no banner and no notes: only warnings and errors, if any",
     [](Request& r, const char*) { r.quiet = true; }},
    {"-h", "--help", nullptr, nullptr, "show this text and exit",
     [](Request& r, const char*) { r.decide(Request::Action::help); }},
    {"-V", "--version", nullptr, nullptr, "show the version and exit",
     [](Request& r, const char*) { r.decide(Request::Action::version); }},
    {nullptr, "--", nullptr, nullptr, "end of options: the next argument is the file name", nullptr},
};

// The option that `arg` spells, and, for one with a value written in the same argument
// ("-oFILE", "--output=FILE"), where that value starts; null when it spells none.
const Option* optionOf(std::string_view arg, const char*& joinedValue) {
  joinedValue = nullptr;
  for (const Option& o : kOptions) {
    if ((o.shortName && arg == o.shortName) || arg == o.longName) return &o;
    if (!o.value) continue;
    if (o.shortName && arg.substr(0, 2) == o.shortName) {
      joinedValue = arg.data() + 2;
      return &o;
    }
    std::string prefix = std::string(o.longName) + "=";
    if (arg.substr(0, prefix.size()) == prefix) {
      joinedValue = arg.data() + prefix.size();
      return &o;
    }
  }
  return nullptr;
}

}  // namespace

const std::vector<Option>& commandLineOptions() { return kOptions; }

std::vector<std::string> optionHelpLines() {
  constexpr std::size_t kColumn = 21;  // where the texts begin
  std::vector<std::string> lines = {"", "Options:"};
  for (const Option& o : kOptions) {
    std::string line = "  ";
    if (o.shortName) line += std::string(o.shortName) + ", ";
    line += o.longName;
    if (o.value) line += std::string(" ") + o.value;
    std::string_view text = o.text;
    for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;) {
      line.resize(std::max(kColumn, line.size() + 2), ' ');
      lines.push_back(line.append(text.substr(0, end)));
      line.clear();
      text.remove_prefix(end + 1);
    }
    line.resize(std::max(kColumn, line.size() + 2), ' ');
    lines.push_back(line.append(text));
  }
  return lines;
}

Request parseArguments(int argc, const char* const* argv) {
  Request r;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (options && isPlatformHelp(arg)) {
      r.decide(Request::Action::help);
      continue;
    }
    if (!options || arg.size() < 2 || arg[0] != '-') {
      if (r.inputName) {
        r.extra.push_back(arg);
      } else {
        r.inputName = argv[i];
      }
      continue;
    }
    const char* value = nullptr;
    const Option* option = optionOf(arg, value);
    if (!option) {
      r.decide(Request::Action::unknownOption, arg);
      continue;
    }
    if (!option->apply) {  // "--": what follows are file names
      options = false;
      continue;
    }
    if (option->value && !value) value = i + 1 < argc ? argv[++i] : "";
    if (option->value && *value == '\0') {
      r.decide(Request::Action::missingValue, arg, option->valueNoun);
      continue;
    }
    option->apply(r, value);
  }
  if (r.inputName) r.decide(Request::Action::run);
  return r;
}

}  // namespace torvane
