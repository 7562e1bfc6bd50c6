#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "files/file_access.h"
#include "torvane/files.h"
#include "util/line_reader.h"
#include "util/message_codes.h"
#include "util/system_files.h"

namespace torvane {

ListingFolders::ListingFolders(std::vector<std::string> folders) : folders_(std::move(folders)) {}

std::optional<Diagnostic> ListingFolders::check() const {
  for (const std::string& folder : folders_) {
    std::error_code ec;
    std::filesystem::file_status status = std::filesystem::status(pathOf(folder), ec);
    if (std::filesystem::is_directory(status)) continue;
    int reason = std::filesystem::exists(status) ? ENOTDIR : ENOENT;
    return fileFailure(folder, code::kListingsFolderUnopenable,
                       "Cannot open listings folder " + folder, std::strerror(reason));
  }
  return std::nullopt;
}

bool ListingFolders::operator()(std::string_view module, ListingFile& listing) const {
  listing = {};
  if (!namesListing(module)) return false;
  for (const std::string& folder : folders_) {
    std::string name = listingName(folder, module);
    if (listing.name.empty()) listing.name = name;
    std::string why;
    InputFile input = openInput(name, why);
    if (!input) continue;
    listing.name = name;
    // Line by line, so that no file costs more than a line at a time beyond its text.
    LineReader lines(input.get());
    for (std::string_view line; lines.nextLine(line);) {
      if (lines.lineTooLong()) {
        listing.text.clear();
        listing.longLine = lines.lineNumber();
        return false;
      }
      listing.text.append(line).push_back('\n');
    }
    return !lines.failed();
  }
  return false;
}

std::string ListingFolders::name() const {
  std::string names;
  for (const std::string& folder : folders_) names += (names.empty() ? "" : " or ") + folder;
  return names;
}

}  // namespace torvane
