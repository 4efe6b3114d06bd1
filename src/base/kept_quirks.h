// The oddities of the programs' texts that are kept on purpose, each with
// why. Scripts already pasted into maps hold these texts, and whatever reads
// the console may rely on it, so that a comparison with earlier output shows
// only real changes. The code that writes each refers here: none of them is
// a mistake to tidy away.
#pragma once

#include <string>
#include <string_view>

namespace mapjass::quirks {

// After question 5 the dialogue prints this line, whatever the answer. It
// means nothing to the user; it has always been there.
inline constexpr char kLineAfterQuestion5[] = "\n1 3";

// The doodad report follows the file's signature directly with the letter
// o, so that W3do shows as "W3doo".
inline constexpr char kAfterDoodadSignature[] = "o";

// The terrain report's grid line has a blank before each line end, three
// lines that hold a single blank, and the bare size of a tile point with no
// line end after it.
inline constexpr char kBeforeTilePointSize[] = " \n \n \n ";

// The doodad script's CD helper has two blanks after its "=", and seven
// empty lines follow the three helpers.
inline constexpr char kCdAssignment[] = "set bj_lastCreatedDestructable =  ";
inline constexpr char kAfterHelpers[] = "\n\n\n\n\n\n\n";

// A function name is written up to its first zero byte, as C's "%s" wrote
// it, and a filter is compared up to its first zero byte, as strcmp compared
// it. Answers are read as bytes, so a zero byte can be typed or piped in.
inline std::string_view upToFirstZero(const std::string& text) {
  return text.c_str();
}

}  // namespace mapjass::quirks
