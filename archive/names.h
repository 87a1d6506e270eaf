// The names an operator gives: a guard (巡检员) for each wand number and a checkpoint (巡检点)
// for each button number, kept in the archive's file beside the readings (tables guards and
// checkpoints), so that every program reading the archive shows the same names.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive.h"

namespace archive {

enum class NameKind { Guard, Checkpoint };

// A number and its name; the number as the table prints it (upper-case hexadecimal digits,
// four for a wand, eight for a button).
struct NamedNumber {
  std::string number;
  std::string name;
};

struct NameBook {
  // Each ordered by number.
  std::vector<NamedNumber> guards;
  std::vector<NamedNumber> checkpoints;
};

// The longest name, in characters (code points).
inline constexpr std::size_t kNameLimit = 64;

// The number as printed, and whom it names: four hexadecimal digits a wand's guard, eight a
// button's checkpoint, in either case; nothing for any other text.
struct NumberKind {
  std::string number;
  NameKind kind;
};
std::optional<NumberKind> ParseNumber(std::string_view text);
// Why ParseNumber refused a text, in the user's words.
inline constexpr std::string_view kBadNumberProblem = "号码须为 4 位或 8 位十六进制数";

// The name as kept: without the white space around it (spaces, ideographic spaces, tabs and
// line breaks).
std::string_view TrimmedName(std::string_view name);

// Why a name cannot be kept (empty, too long, no UTF-8, a control character other than tab
// and line break), in the user's words; empty when it can. Judges the trimmed name.
std::string NameProblem(std::string_view name);

// Every name the archive keeps; none when it has no file yet. Throws SqliteError.
NameBook ReadNames(const Archive& archive);

// The wand and button numbers the archive has readings of and no name for, ordered.
std::vector<std::string> UnnamedWands(const Archive& archive);
std::vector<std::string> UnnamedButtons(const Archive& archive);

// Adds the name or changes it, making the archive's file when there is none; keeps the number
// as printed and the name trimmed. The number must pass ParseNumber and the name NameProblem,
// else std::invalid_argument is thrown and nothing written. Throws SqliteError.
void SetName(const Archive& archive, const NamedNumber& named);
// Removes the number's name, if it has one. Throws std::invalid_argument for a number that
// does not pass ParseNumber, SqliteError.
void RemoveName(const Archive& archive, std::string_view number);

// Sets every name given, in one transaction: all or none, and none when one would be refused
// as SetName refuses it. Throws std::invalid_argument, SqliteError.
void ImportNames(const Archive& archive, std::span<const NamedNumber> names);

}  // namespace archive
