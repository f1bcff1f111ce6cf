#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

namespace scheme::fuzz {

// The bodies of the fuzz targets. Each reads one arbitrary input, answers malformed input
// through the library's own exceptions (which the body catches), and raises TFuzzFailure when
// the library breaks a promise it makes: a saved text that reads back differently, an error
// without its line, and so on. Anything else escaping (a crash, a sanitizer report, an
// uncaught exception) is a fault too. The bodies never write files and never wait.
//
// They run under libFuzzer (fuzz/fuzz_main.cpp) and in the ordinary test suites, which replay
// the seed corpus and every input that once failed. Painting needs a QGuiApplication.
using TFuzzBody = void (*)(const std::uint8_t* Data, std::size_t Size);

// A whole document text through TSchemeData::LoadFromStream.
void FuzzDocument(const std::uint8_t* Data, std::size_t Size);
// One record: the first byte picks a registered class, the rest are the record's lines.
void FuzzRecord(const std::uint8_t* Data, std::size_t Size);
// A hex block with a graphic class name: the first byte picks the name and whether the rest is
// hex text or raw bytes to be written as hex first.
void FuzzPicture(const std::uint8_t* Data, std::size_t Size);
// Colour and number texts and their round trips.
void FuzzConvert(const std::uint8_t* Data, std::size_t Size);

struct TFuzzTarget {
    const char* Name;
    TFuzzBody Body;
};
// Every target by the name of its corpus and regression folders.
std::span<const TFuzzTarget> FuzzTargets();

// A broken promise found by a fuzz body.
class TFuzzFailure : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// Raises TFuzzFailure with What when Condition does not hold.
void FuzzCheck(bool Condition, const QString& What);

}  // namespace scheme::fuzz
