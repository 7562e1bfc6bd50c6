#pragma once

#include <string_view>

namespace torvane::code {

// The code of each message (Diagnostic::code): a word per message, never changed and
// never reused, which the README's message table lists. Callers match on these, not on
// the texts.

// Reading and writing the records.
inline constexpr std::string_view kRecordRejected = "record-rejected";
inline constexpr std::string_view kRecordSkipped = "record-skipped";
inline constexpr std::string_view kRecordNotWritten = "record-not-written";
inline constexpr std::string_view kRecordLeftOut = "record-left-out";
inline constexpr std::string_view kStructureLeftOut = "structure-left-out";
inline constexpr std::string_view kLastLineUnended = "last-line-unended";
inline constexpr std::string_view kLineTooLong = "line-too-long";
inline constexpr std::string_view kNoRecords = "no-records";
inline constexpr std::string_view kUnlinkedFunctions = "unlinked-functions";
inline constexpr std::string_view kBpMissing = "bp-missing";
inline constexpr std::string_view kBpFromMap = "bp-from-map";
inline constexpr std::string_view kOutOfMemory = "out-of-memory";

// The input.
inline constexpr std::string_view kInputUnopenable = "input-unopenable";
inline constexpr std::string_view kInputUnreadable = "input-unreadable";
inline constexpr std::string_view kNotCdb = "not-cdb";
inline constexpr std::string_view kInputIsMap = "input-is-map";

// The witnesses: the map, the listings, the image.
inline constexpr std::string_view kMapUnopenable = "map-unopenable";
inline constexpr std::string_view kMapUnreadable = "map-unreadable";
inline constexpr std::string_view kNotAMap = "not-a-map";
inline constexpr std::string_view kMapAddressesDiffer = "map-addresses-differ";
inline constexpr std::string_view kMapOfAnotherProgram = "map-of-another-program";
inline constexpr std::string_view kMapOfAnotherLink = "map-of-another-link";
inline constexpr std::string_view kListingsFolderUnopenable = "listings-folder-unopenable";
inline constexpr std::string_view kListingOfAnotherBuild = "listing-of-another-build";
inline constexpr std::string_view kBitWithoutAddress = "bit-without-address";
inline constexpr std::string_view kImageUnnamed = "image-unnamed";

// The command file.
inline constexpr std::string_view kOutputIsInput = "output-is-input";
inline constexpr std::string_view kOutputIsMap = "output-is-map";
inline constexpr std::string_view kOutputIsImage = "output-is-image";
inline constexpr std::string_view kOutputNotCommandFile = "output-not-command-file";
inline constexpr std::string_view kOutputUnopenable = "output-unopenable";
inline constexpr std::string_view kOutputUnwritable = "output-unwritable";

/// Every code, for the tests that each is unique and documented.
inline constexpr std::string_view kAll[] = {
    kRecordRejected, kRecordSkipped, kRecordNotWritten, kRecordLeftOut, kStructureLeftOut,
    kLastLineUnended, kLineTooLong, kNoRecords, kUnlinkedFunctions, kBpMissing, kBpFromMap, kOutOfMemory,
    kInputUnopenable, kInputUnreadable, kNotCdb, kInputIsMap, kMapUnopenable, kMapUnreadable,
    kNotAMap, kMapAddressesDiffer, kMapOfAnotherProgram, kMapOfAnotherLink,
    kListingsFolderUnopenable, kListingOfAnotherBuild, kBitWithoutAddress, kImageUnnamed,
    kOutputIsInput, kOutputIsMap, kOutputIsImage, kOutputNotCommandFile, kOutputUnopenable,
    kOutputUnwritable,
};

}  // namespace torvane::code
