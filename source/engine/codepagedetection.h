#pragma once

#include <span>
#include <string_view>

#include "source/engine/codepagechoice.h"

namespace vorendal::engine {

// The pages that detection chooses among when nothing names a table's page, the fallback first:
// the DOS pages of the Americas and Western Europe, Windows' Western page and UTF-8.
constexpr int kDetectedCodePages[] = {437, 850, 860, 1252, kUtf8CodePage};
// The DOS ones, for a .cpg that says only "OEM".
constexpr int kDosCodePages[] = {437, 850, 860};

struct DetectedCodePage {
    int number = kDefaultCodePage;
    // false when the sample has no byte above 127 or too little evidence: number is then the
    // first candidate, so that text reads as it did before anything was detected.
    bool clear = false;
};

// Chooses the candidate under which the bytes above 127 of sample read most plausibly as the
// letters of words: letters next to letters, upper and lower case agreeing with their
// neighbours, no box-drawing or mathematical characters inside words, accented letters that one
// language writes together. UTF-8 competes only when the sample's high bytes form well-formed
// UTF-8 sequences. Deterministic: ties go to the earlier candidate.
DetectedCodePage detectCodePage(std::string_view sample, std::span<const int> candidates);

} // namespace vorendal::engine
