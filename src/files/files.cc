#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <system_error>

#include "convert/conversion.h"
#include "files/file_access.h"
#include "records/record_reader.h"
#include "torvane/files.h"
#include "torvane/linker_map.h"
#include "util/line_reader.h"
#include "util/message_codes.h"
#include "util/reporter.h"
#include "util/system_files.h"

namespace torvane {

namespace {

// A result that ended before anything was written, with the failure that says why.
ConvertResult unusable(Outcome outcome, Diagnostic failure) {
  ConvertResult result;
  result.outcome = outcome;
  Reporter(result.diagnostics, failure.file).add(std::move(failure));
  return result;
}

// An input that is no CDB file, and where it is a linker map, what it is a map of.
ConvertResult notCdb(const std::string& input, std::FILE* file) {
  ConvertResult result;
  result.outcome = Outcome::notCdb;
  Reporter said(result.diagnostics, input);
  said.add(Diagnostic::Kind::failure, code::kNotCdb, input + " is not a CDB file");
  std::rewind(file);
  if (isLinkerMap(file)) {
    said.add(Diagnostic::Kind::note, code::kInputIsMap, "  it is a linker map").suggestion =
        namesBeside(input).cdb;
  }
  return result;
}

// Where the relocated listing of `module` lies though no folder was named: beside the
// CDB file, in its obj/, or beside the image, as SDCC leaves them by the build's own
// folders; empty where it is in none of them.
std::string listingFolderOf(std::string_view module, const std::string& input,
                            const std::string& image) {
  auto folderOf = [](const std::string& name) {
    std::string folder = name.substr(0, fileNameStart(name));
    if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    return folder.empty() ? std::string(".") : folder;
  };
  if (!namesListing(module)) return {};
  std::string beside = folderOf(input);
  std::string obj = beside == "." ? "obj" : beside + "/obj";
  for (const std::string& folder : {beside, obj, folderOf(image)}) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(pathOf(listingName(folder, module)), ec)) return folder;
  }
  return {};
}

// Reads the image file `name` whole, where it can be. The image of a program of the
// 8051's largest address space, sixteen megabytes, takes less than 64 MiB in Intel HEX:
// a larger file (or an endless one) is no image.
bool readImageFile(const std::string& name, std::string& text) {
  constexpr std::size_t kLargestImage = std::size_t{64} << 20;
  std::string why;
  InputFile input = openInput(name, why);
  return input && readRest(input.get(), text, kLargestImage);
}

ConvertResult convertChecked(const FileOptions& options);

}  // namespace

// Memory that runs out while the files are read is an outcome, as in the conversion.
ConvertResult convertFile(const FileOptions& options) {
  try {
    return convertChecked(options);
  } catch (const std::bad_alloc&) {
    ConvertResult result;
    result.outcome = Outcome::outOfMemory;
    Reporter(result.diagnostics, options.input)
        .add(Diagnostic::Kind::failure, code::kOutOfMemory,
             "Cannot convert .cdb input file: " + std::string(std::strerror(ENOMEM)));
    return result;
  }
}

namespace {

ConvertResult convertChecked(const FileOptions& options) {
  // The input must open and be a CDB file; nothing is made when it is not.
  std::string why;
  InputFile input = openInput(options.input, why);
  if (!input) {
    return unusable(Outcome::inputUnusable,
                    fileFailure(options.input, code::kInputUnopenable,
                                "Cannot open .cdb input file", options.input + ": " + why));
  }
  LineReader reader(input.get());
  if (!startsAsCdb(reader)) return notCdb(options.input, input.get());

  // The map and the listings are read, or found, before anything is written.
  LinkerMap map;
  if (!options.map.empty()) {
    if (std::optional<Diagnostic> failure = readMapFile(options.map, map)) {
      return unusable(Outcome::witnessUnusable, *failure);
    }
  }
  ListingFolders listings(options.listings);
  if (std::optional<Diagnostic> failure = listings.check()) {
    return unusable(Outcome::witnessUnusable, *failure);
  }

  FileNames names = namesBeside(options.input);
  ConvertOptions convert;
  convert.inputName = options.input;
  convert.image = options.image.empty() ? names.image : options.image;
  convert.keepGoing = options.keepGoing;
  if (!options.map.empty()) {
    convert.map = &map;
    convert.mapName = options.map;
  } else {
    // Without a map named, a map beside the input is suggested where bp is missing.
    std::error_code ec;
    if (std::filesystem::is_regular_file(pathOf(names.map), ec)) convert.mapBeside = names.map;
  }
  if (options.listings.empty()) {
    convert.findListing = [input = options.input, image = convert.image](std::string_view module) {
      return listingFolderOf(module, input, image);
    };
  } else {
    convert.listingsName = listings.name();
    convert.readListing = listings;
    // The listings are compared with the image the LOAD line names, where it can be read.
    convert.readImage = [image = convert.image](std::string& text) {
      return readImageFile(image, text);
    };
  }

  if (options.output) return convertLines(reader, convert, *options.output);
  std::string commandFile = options.commandFile.empty() ? names.commandFile : options.commandFile;
  CommandFileOutput output;
  if (std::optional<Diagnostic> refused =
          output.open(commandFile, options.input, options.map, convert.image)) {
    return unusable(Outcome::outputUnusable, *refused);
  }
  ConvertResult result = convertLines(reader, convert, output, commandFile);
  std::optional<Diagnostic> unfinished = output.finish();
  if (unfinished && result.outcome != Outcome::writeFailed) {
    // Closing or putting the file in place failed after every line was taken.
    result.outcome = Outcome::writeFailed;
    Reporter(result.diagnostics, options.input).add(std::move(*unfinished));
  }
  return result;
}

}  // namespace

}  // namespace torvane
