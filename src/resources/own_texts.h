// The few texts that are the program's own rather than the script's: the
// console's prompts, help and button words, the length warning, the question
// before a copy that looks too large. English and Polish; a language we have
// no words of gets the English ones. UTF-8, converted to the texts' code page
// on use, as the templates' texts are.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace cdsetup::resources {

enum class OwnText {
  kPagePrompt,       // after a page: how to answer it
  kPagePromptShort,  // the same for a narrow terminal
  kPageHelp,         // what `?` shows: one command a line, 39 columns at most
  kNotUnderstood,
  kTextPrompt,  // before the text of a field is typed
  kBoxPrompt,   // after a message box
  kNotAButton,
  kMoreLines,  // %1: the lines still below
  kAbortKeys,  // the keys that abort a working page
  kOk,
  kCancel,
  kYes,
  kNo,
  kRetry,
  kIconError,
  kIconQuestion,
  kIconWarning,
  kIconInformation,
  kTooLong,         // %1: the characters a field takes
  kNotEnoughSpace,  // %1: the drive's root, %2: the bytes needed, %3: those free
};

/// `text` in the language of the Windows language id `language_id` (only
/// its primary language counts); English where we have no words of it.
std::string_view OwnTextOf(OwnText text, unsigned language_id);

/// `text` with each "%1".."%9" replaced by that argument; a number past the
/// arguments is left as it stands.
std::string WithArguments(std::string_view text, std::initializer_list<std::string_view> args);

}  // namespace cdsetup::resources
